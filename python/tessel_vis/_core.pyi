"""Type stubs of the native module tessel_vis._core."""
from collections.abc import Sequence

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

_Float64Array = npt.NDArray[np.float64]
_SeriesEntry = tuple[str, Sequence[Sequence[float]], str, Sequence[int] | None]

def compute_ecdf(values: _Float64Array, cdf_cutoff: float = 1.0) -> list[list[float]]: ...
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
) -> str: ...
def finalize_activity_bar_option_json(
    option_json: str, percentages: _Float64Array, counts: Sequence[int], colors: Sequence[str]
) -> str: ...
def finalize_activity_comparison_option_json(
    option_json: str,
    percentages: _Float64Array,
    counts: Sequence[Sequence[int | None]],
    colors: Sequence[str],
    opacities: Sequence[float],
) -> str: ...
def finalize_activity_heatmap_option_json(
    option_json: str, matrix: _Float64Array, update_visual_max: bool | np.bool_ = False
) -> str: ...
def activity_time_bin_labels(n_bins: int) -> list[str]: ...
def render_option_svg(option_json: str, width: int, height: int) -> str: ...
