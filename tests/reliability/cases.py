# Calls of all seven functions that take every path through the module: its
# results, each binding error, each conversion refusal, each validation
# message and each internal failure. Every call changes the good arguments of
# its function; the reference-leak and thread-stress tests make all of them.
# The inputs are built once and only read, so many threads can share them.
import json
from collections import UserList

import numpy as np

from tessel_vis import _core

MISSING, EXTRA = object(), "+"  # leaves the argument out; an argument given after all the others, by position


def frozen(a):
    a = np.array(a, dtype=np.float64)
    a.flags.writeable = False
    return a


class Raises(UserList):
    # Every conversion of it fails, and so does its iteration after the first item.

    def __float__(self):
        raise ZeroDivisionError("no float")

    def __index__(self):
        raise LookupError("no index")

    def __getitem__(self, i):
        if i == 0 and self.data:
            return self.data[0]
        raise KeyError("no item")


class Text(str):
    pass


SAMPLE = frozen(np.round(np.random.default_rng(7).normal(size=2000), 2))  # ties and both signs
M23, LONE = frozen([[10.0, 20.5, np.nan], [0.125, np.inf, -np.inf]]), "\ud800"
TEXTS = ("Title", "x", "km", "Distance (km)", "#ffffff", "#333333", "#dddddd", "sans-serif", "serif", "monospace")
TEXT_NAMES = ("title", "x_name", "x_unit", "x_label", "bg", "axis_color", "grid_color", "font_sans", "font_serif", "font_mono")
SERIES = [("A", _core.compute_ecdf(SAMPLE), "#1f77b4", None),
          ('B "q" é', [[0.0, 0.0], (1.0, float("nan")), [float("inf")], [], np.array([2.0, 1.0])], "#ff7f0e", [6, 4]),
          ("ints", [[1, True], [np.float64(0.5), 2.5]], "#2ca02c", [0, 0]), ("empty dash", [], "#d62728", [])]
ABC = ["#a", "#b", "#c"]
GOOD = {
    "compute_ecdf": {"values": SAMPLE, "cdf_cutoff": 1.0},
    "build_ecdf_option_json": {"series": SERIES, **dict(zip(TEXT_NAMES, TEXTS))},
    "finalize_activity_bar_option_json": {"option_json": '{"series": [{"type": "bar", "z": 2}, {}]}',
                                          "percentages": frozen([12.345, 2.675, np.nan]), "counts": (1, -2, 3), "colors": ABC},
    "finalize_activity_comparison_option_json": {"option_json": '{"series": [{"type": "bar", "name": "A"}, null]}', "percentages": M23,
                                                 "counts": ((1, None, 3), [4, 5, None]), "colors": ABC, "opacities": (0.3, np.nan)},
    "finalize_activity_heatmap_option_json": {"option_json": '{"visualMap": {"min": 0}, "series": [{"type": "heatmap"}]}',
                                              "matrix": M23, "update_visual_max": True},
    "activity_time_bin_labels": {"n_bins": 96},
    "render_option_svg": {"option_json": json.dumps({"title": {"text": "a & <b>"}, "series": [{"data": [[0, 0], [10, 5], [3]]}]}),
                          "width": 640, "height": 480},
}
# Other calls that give a result, the last ones with huge and non-finite numbers.
ALSO_GOOD = [
    ("compute_ecdf", {"values": frozen([3.0, -0.0, 0.0, 2.0]), "cdf_cutoff": True}),
    ("compute_ecdf", {"values": frozen(np.arange(5000.0) % 9), "cdf_cutoff": np.float64(0.5)}),
    ("build_ecdf_option_json", {"series": ()}),
    ("build_ecdf_option_json", {"title": Text("t"), "series": [(Text("n"), ((1.0, 0.5),), Text("c"), (1,))]}),
    ("finalize_activity_bar_option_json", {"option_json": '{"series": [null]}', "percentages": frozen([]), "counts": [], "colors": []}),
    ("finalize_activity_comparison_option_json", {"percentages": frozen([[1, 2], [3, 4], [5, 6]]).T, "counts": [[1, 2, 3], [4, 5, 6]]}),
    ("finalize_activity_comparison_option_json", {"option_json": '{"series": []}', "percentages": frozen(np.zeros((0, 3))),
                                                  "counts": [], "opacities": []}),
    ("finalize_activity_heatmap_option_json", {"matrix": np.asfortranarray(M23), "update_visual_max": np.True_}),
    ("finalize_activity_heatmap_option_json", {"option_json": '{"series": [null]}', "matrix": frozen(np.zeros((0, 0))),
                                               "update_visual_max": MISSING}),
    ("activity_time_bin_labels", {"n_bins": True}),
    ("render_option_svg", {"option_json": '{"series": [{"type": "scatter", "data": [[1, 2], [-3, 4.5]]}]}', "width": 20}),
    ("render_option_svg", {"option_json": '{"xAxis": {"data": [1, 2]}, "series": [{"type": "bar", "data": [1, {"value": 2}]}]}'}),
    ("render_option_svg", {"option_json": '{"series": [{"type": "heatmap", "data": [[3, 2, 4]]}]}', "width": 2**32 - 1, "height": 0}),
    ("compute_ecdf", {"values": frozen(np.full(100_000, 1e308)), "cdf_cutoff": 5e-324}),
    ("build_ecdf_option_json", {"series": [("A", [[np.nan, -np.inf, 1e308, 5e-324]] * 5000, "#1", [2**32 - 1] * 100)]}),
    ("finalize_activity_bar_option_json", {"percentages": frozen([np.nan, np.inf, 1e308]), "counts": [-(2**63), 2**63 - 1, 0]}),
    ("finalize_activity_comparison_option_json", {"percentages": frozen(np.full((2, 3), -1e308)), "opacities": [np.inf, -np.inf]}),
    ("render_option_svg", {"option_json": '{"series":[{"data":[[-1.7976931348623157e308,0],[1.7976931348623157e308,1e308]]}]}',
                           "width": 2**32 - 1, "height": 2**32 - 1}),
    ("render_option_svg", {"option_json": '{"series":[{"type":"heatmap","data":[[18446744073709551615,1,1e308]]}]}'}),
]
# Values that make the call fail, each in place of one good argument.
BAD = {
    "compute_ecdf": {
        "values": [MISSING, [1.0], None, np.zeros(3, dtype=np.float32), M23, np.arange(10.0)[::2], frozen([]), frozen([1.0, np.nan]),
                   frozen(np.concatenate([np.arange(5000.0) % 9, [np.inf]]))],
        "cdf_cutoff": ["x", 10**400, Raises(), 1.0000000000000002, 0.0, np.inf], "cutoff": [1.0], EXTRA: [3]},
    "build_ecdf_option_json": {
        "series": ["abc", (c for c in "a"), [["A", [], "c", None]], [("A", [], "c")], [(1, [], "c", None)], [(LONE, [], "c", None)],
                   [("A", {1.0}, "c", None)], [("A", [[1.0, "y"]], "c", None)], [("A", [[Raises()]], "c", None)],
                   [("A", Raises([[1.0, 0.5]]), "c", None)], [("A", [], "c", [1, -1])], [("A", [], "c", [2**64])],
                   [("A", [], "c", [1.5])], [("A", [], "c", [Raises()])]],
        "title": [MISSING, LONE, 3], "font_mono": [None]},
    "finalize_activity_bar_option_json": {
        "option_json": [1, "{" + LONE, '{"series": [1,]}', "[]", "{}", '{"series": []}', '{"series": [3]}'],
        "percentages": [[1.0, 2.0, 3.0], np.zeros(3, dtype=np.int64), np.arange(6.0)[::2]],
        "counts": ["123", [1, 2.0, 3], [1, 2**63, 3], [1, Raises(), 3], [1, 2]],
        "colors": [["#a", None, "#c"], ["#a", LONE, "#c"], Raises(["#000"])]},
    "finalize_activity_comparison_option_json": {
        "option_json": ["", '"x"', '{"series": 1}', '{"series": [{}, {}, {}]}', '{"series": [{}, []]}'],
        "percentages": [frozen([1.0, 2.0])], "counts": [("abc", [1, 2, 3]), ([1, 2, 3.5], [1, 2, 3]), [[1, 2, 3], [1, 2]]],
        "colors": [["#a", "#b"]], "opacities": [[0.5, "x"], [0.5, Raises()]]},
    "finalize_activity_heatmap_option_json": {
        "option_json": ["{", "null", "{}", '{"series": [true]}', '{"series": [{}], "visualMap": []}'],
        "matrix": [frozen([1.0])], "update_visual_max": [1, None], EXTRA: [True]},
    "activity_time_bin_labels": {"n_bins": [7, -5, 2**64, 2.0, Raises()], "bins": [24]},
    "render_option_svg": {
        "option_json": [b"{}", '{"title": "' + LONE + '"}', "[1 2]", '{"series":[{"data":[[1e309,1]]}]}',
                        '{"_meta": {"chartType": "stvd_comparison"}}', "[]", '{"series": [{"type": "line"}, {"type": "custom"}]}'],
        "width": [MISSING, -1, 2.0], "height": [2**32]},
}


def make_call(function, changes):
    args = {**GOOD[function], **changes}
    extra = args.pop(EXTRA, MISSING)
    args = {k: v for k, v in args.items() if v is not MISSING}
    f = getattr(_core, function)
    return (lambda: f(**args)) if extra is MISSING else (lambda: f(*args.values(), extra))


# (name, call, whether it gives a result)
CASES = ([(f"{f} ok", make_call(f, {}), True) for f in GOOD] +
         [(f"{f} ok {i}", make_call(f, changes), True) for i, (f, changes) in enumerate(ALSO_GOOD)] +
         [(f"{f} {p} {i}", make_call(f, {p: v}), False) for f, bad in BAD.items() for p, values in bad.items()
          for i, v in enumerate(values)])
# Calls that run NumPy's own code (a dtype comparison), whose references a
# debug interpreter does not count: NumPy is built for the release one.
NUMPY_CODE = {"compute_ecdf values 3", "finalize_activity_bar_option_json percentages 1"}
# The functions that read an option document.
READERS = [f for f, good in GOOD.items() if "option_json" in good]


def run(call):
    # ("ok", result) or (exception type, message).
    try:
        return ("ok", call())
    except BaseException as e:  # noqa: BLE001 - the internal failure derives from BaseException
        return (type(e), str(e))
