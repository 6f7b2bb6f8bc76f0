"""Numeric and text-heavy work behind the tessel_vis charts.

The compiled module ``tessel_vis._core`` holds the functions; importing this
package imports nothing else (NumPy is loaded only when an array is passed).
"""

__version__ = "0.1.0"
