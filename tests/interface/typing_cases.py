# Calls of tessel_vis._core for mypy --strict: the module-level calls are
# valid and must type-check; each call in REJECTED is refused by the module and
# must be reported by mypy, which --strict (unused "type: ignore") holds to.
# The test runs this file as well, so that both halves hold at run time too.
from collections.abc import Callable

import numpy as np

from tessel_vis import _core

points: list[list[float]] = _core.compute_ecdf(np.array([1.0, 2.0]), cdf_cutoff=np.float64(0.5))
_core.compute_ecdf(np.zeros(3), 1)
text: str = _core.build_ecdf_option_json(
    [("A", points, "#1f77b4", [6, 4]), ("B", np.zeros((2, 2)), "#ff7f0e", np.array([2, 3])),
     ("C", [np.zeros(2)], "#000", None)],
    "T", "x", "km", "X (km)", "#fff", "#333", "#ddd", "sans-serif", "serif", "monospace")
_core.finalize_activity_bar_option_json(
    '{"series": [{}]}', np.zeros(2), np.array([1, 2]), ("#111", "#222"))
_core.finalize_activity_comparison_option_json(
    '{"series": [{}]}', np.zeros((1, 2)), [[1, None]], ["#111", "#222"], np.array([0.5]))
_core.finalize_activity_comparison_option_json(
    '{"series": [{}]}', np.zeros((1, 2)), np.array([[1, 2]]), ["#111", "#222"], [1])
_core.finalize_activity_heatmap_option_json('{"series": [{}], "visualMap": {}}', np.zeros((2, 3)),
                                            update_visual_max=np.True_)
labels: list[str] = _core.activity_time_bin_labels(np.int64(24))
svg: str = _core.render_option_svg(text, np.uint32(640), True)

REJECTED: list[Callable[[], object]] = [
    lambda: _core.compute_ecdf([1.0, 2.0]),  # type: ignore[arg-type]
    lambda: _core.build_ecdf_option_json([["A", points, "#111", None]], *"t" * 10),  # type: ignore[list-item]
    lambda: _core.finalize_activity_bar_option_json("{}", np.zeros(1), [1.5], ["#111"]),  # type: ignore[list-item]
    lambda: _core.finalize_activity_heatmap_option_json("{}", np.zeros((1, 1)), 1),  # type: ignore[arg-type]
    lambda: _core.activity_time_bin_labels(24.0),  # type: ignore[arg-type]
    lambda: _core.render_option_svg(text, "640", 480),  # type: ignore[arg-type]
]
