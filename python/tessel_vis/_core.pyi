"""Type stubs of the native module tessel_vis._core."""
from collections.abc import Sequence
from typing import Any, SupportsFloat, SupportsIndex, TypeAlias

import numpy as np
import numpy.typing as npt

__all__ = [
    "compute_ecdf",
    "build_ecdf_option_json",
    "finalize_activity_bar_option_json",
    "finalize_activity_comparison_option_json",
    "finalize_activity_heatmap_option_json",
    "activity_time_bin_labels",
    "render_option_svg",
]

class InternalFailure(BaseException):
    """An unexpected failure inside the module (not an `Exception`)."""

# Array parameters take float64 arrays only. Where the module reads numbers one
# at a time (through float() or an integer index), any sequence serves, NumPy
# arrays of numbers included.
_Float64Array: TypeAlias = npt.NDArray[np.float64]
_NumberArray: TypeAlias = npt.NDArray[np.floating[Any] | np.integer[Any]]
_IntArray: TypeAlias = npt.NDArray[np.integer[Any]]
_Float: TypeAlias = SupportsFloat | SupportsIndex
_Floats: TypeAlias = Sequence[_Float] | _NumberArray
_Ints: TypeAlias = Sequence[SupportsIndex] | _IntArray
_Points: TypeAlias = Sequence[Sequence[_Float] | _NumberArray] | _NumberArray
_SeriesEntry: TypeAlias = tuple[str, _Points, str, _Ints | None]

def compute_ecdf(values: _Float64Array, cdf_cutoff: _Float = 1.0) -> list[list[float]]:
    """The empirical CDF of a one-dimensional float64 array as step points [x, y],
    one per distinct value in ascending order; y is the fraction of values <= x.
    With cdf_cutoff < 1 the curve stops at the first point that reaches the
    cutoff, its y clamped to it.

    Raises TypeError for a non-array or a non-contiguous or misaligned array,
    ValueError for an empty array, non-finite values or a cutoff outside (0, 1].
    """

def build_ecdf_option_json(
    series: Sequence[_SeriesEntry],
    title: str,
    x_name: str,
    x_unit: str,
    x_label: str,
    bg: str,
    axis_color: str,
    grid_color: str,
    font_sans: str,
    font_serif: str,
    font_mono: str,
) -> str:
    """The complete ECharts option JSON (compact text) of an ECDF chart: one line
    series per (name, points, color, dash) tuple, where points are [x, y] pairs
    and dash is None for a solid line or dash and gap lengths in pixels, also
    drawn in the legend icon; each series' itemStyle has its colour too, so that
    legend icons and tooltip markers are drawn in it. x_unit and x_label go to
    the member "_meta" only. Equal arguments give equal text.

    Raises TypeError when an entry is not a tuple or a text not a str,
    ValueError for an entry of another length than 4, OverflowError for a dash
    length outside 0 to 2**32 - 1.
    """

def finalize_activity_bar_option_json(
    option_json: str, percentages: _Float64Array, counts: _Ints, colors: Sequence[str]
) -> str:
    """The option of an activity bar chart with the first series' "data" written:
    one item {"value", "itemStyle": {"color"}, "count"} per category, the
    percentage rounded to hundredths (null when not finite). Every other member
    keeps its value and place.

    Raises TypeError for wrong argument types or a non-contiguous array,
    ValueError for lengths that differ, text that does not decode or a root
    that is not an object, InternalFailure when there is no first series.
    """

def finalize_activity_comparison_option_json(
    option_json: str,
    percentages: _Float64Array,
    counts: Sequence[Sequence[SupportsIndex | None] | _IntArray] | _IntArray,
    colors: Sequence[str],
    opacities: _Floats,
) -> str:
    """The option of a comparison chart with one series per row of the 2-D array
    percentages written: series i gets one item per category j with the
    percentage rounded to hundredths, colors[j], opacities[i] and counts[i][j]
    ("count" left out where it is None). Any memory layout is read.

    Raises TypeError for wrong argument types, ValueError for dimensions that
    do not agree, a document without a series array or one that does not
    decode, InternalFailure for a series entry that is not an object.
    """

def finalize_activity_heatmap_option_json(
    option_json: str, matrix: _Float64Array, update_visual_max: bool | np.bool_ = False
) -> str:
    """The option of an activity heatmap with the first series' "data" written:
    [column, row, value rounded to hundredths] per cell of the 2-D array, NaN
    cells left out. With update_visual_max, "visualMap" gets "max": the largest
    cell, at least 1.0, or 100.0 when there is no cell.

    Raises TypeError for wrong argument types (an int as the flag included),
    ValueError for text that does not decode or a root that is not an object,
    InternalFailure when there is no first series, or when the flag is set and
    "visualMap" is not an object.
    """

def activity_time_bin_labels(n_bins: SupportsIndex) -> list[str]:
    """The start times ("HH:MM") of n_bins equal bins of a day.

    Raises ValueError when n_bins does not divide 1440, TypeError for a
    non-integer, OverflowError for a negative one.
    """

def render_option_svg(option_json: str, width: SupportsIndex, height: SupportsIndex) -> str:
    """A static SVG picture (one line, no XML declaration) of an option document:
    background, title, two axis lines and the data of line, scatter, bar and
    heatmap charts (no legend, labels, tooltips, visual map or line dashes).
    Texts and colours from the document are escaped, without the characters
    XML does not allow.

    Raises TypeError for wrong argument types, OverflowError for a size outside
    0 to 2**32 - 1, ValueError for text that does not decode, a comparison
    chart, a document without a series array, or a custom series.
    """
