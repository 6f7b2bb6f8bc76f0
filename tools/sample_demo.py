"""A small built-in sample: its ECDF points and the time-bin labels."""
import numpy as np

from tessel_vis import _core

distances_km = np.array([2.4, 5.1, 3.3, 5.1, 12.0, 7.8, 2.4, 9.6, 4.2, 6.0])
print("ECDF of trip distances (km):")
for x, y in _core.compute_ecdf(distances_km):
    print(f"  {x:6.2f}  {y:.2f}")
print("ECDF up to the 50th percentile:", _core.compute_ecdf(distances_km, 0.5))
print("Time-bin labels, 8 bins:", " ".join(_core.activity_time_bin_labels(8)))
