"""Calls of all seven functions that reach every path through the module:
results, binding errors, each conversion refusal, each validation message
and each internal failure a document can cause. The reference-leak and
thread-stress tests run all of them.

Every input here is built once and only read by the calls, so the same
objects can be shared by many threads.
"""
import json
from typing import Any, Callable, NamedTuple, Optional

import numpy as np

from tessel_vis import _core


class Case(NamedTuple):
    name: str
    call: Callable[[], Any]
    raises: Optional[type] = None  # None: the call returns a result
    message: Optional[str] = None  # exact str() of the exception; None: not checked
    prefix: bool = False  # `message` is only the start of the text
    # The call runs NumPy's own code, which takes and drops references that
    # a debug interpreter does not count (NumPy is built for the release one).
    numpy_refs: bool = False


class InternalFailureMarker:
    """Stands for the module's internal-failure type, which is only reachable
    through an exception that carries it."""


INTERNAL = InternalFailureMarker


def internal_failure_type():
    try:
        _core.finalize_activity_heatmap_option_json("{}", np.zeros((0, 0)))
    except BaseException as e:  # noqa: BLE001 - the point is to catch it
        return type(e)
    raise AssertionError("a heatmap option without series must fail")


def frozen(array):
    array = np.array(array, dtype=np.float64)
    array.flags.writeable = False
    return array


def run(case):
    """The outcome of one call: ("ok", result) or ("raise", type, text)."""
    try:
        return ("ok", case.call())
    except BaseException as e:  # noqa: BLE001 - internal failures derive from BaseException
        return ("raise", type(e), str(e))


def expected_matches(case, outcome, internal_type):
    if case.raises is None:
        return outcome[0] == "ok"
    if outcome[0] != "raise":
        return False
    wanted = internal_type if case.raises is INTERNAL else case.raises
    if outcome[1] is not wanted:
        return False
    if case.message is None:
        return True
    return outcome[2].startswith(case.message) if case.prefix else outcome[2] == case.message


# --- shared inputs -----------------------------------------------------------

class Floaty:
    def __float__(self):
        return 0.5


class FloatFails:
    def __float__(self):
        raise ZeroDivisionError("float conversion failed")


class IndexFails:
    def __index__(self):
        raise LookupError("index conversion failed")


class BadSequence:
    """A sequence whose iteration fails after the first item."""

    def __init__(self, first):
        self.first = first

    def __len__(self):
        return 3

    def __getitem__(self, i):
        if i == 0:
            return self.first
        raise KeyError("sequence item unavailable")


class Text(str):
    pass


def _gen():
    yield "#000000"


GENERATOR = _gen()  # refused before iteration, so sharing it is safe

rng = np.random.default_rng(7)
SAMPLE = frozen(np.round(rng.normal(size=2000), 2))  # ties and both signs
SMALL = frozen([3.0, 1.0, 2.0, 2.0, -0.0, 0.0])
STRIDED = np.arange(10.0)[::2]
EMPTY = frozen([])
WITH_NAN = frozen([1.0, np.nan])
WITH_INF = frozen([1.0, np.inf])
WITH_NEG_INF = frozen([-np.inf, 1.0])
F32 = np.zeros(3, dtype=np.float32)
I64 = np.zeros(3, dtype=np.int64)
M23 = frozen([[10.0, 20.5, np.nan], [0.125, np.inf, -np.inf]])
M23_F = np.asfortranarray(np.array(M23))
M32_T = frozen([[1.0, 2.0], [3.0, 4.0], [5.0, 6.0]]).T  # a transposed view
M00 = frozen(np.zeros((0, 0)))
PCT3 = frozen([12.345, 2.675, np.nan])

POINTS = _core.compute_ecdf(SAMPLE)
TEXTS = ("Title", "x", "km", "Distance (km)", "#ffffff", "#333333", "#dddddd", "sans-serif", "serif", "monospace")
SERIES = [
    ("A", POINTS, "#1f77b4", None),
    ("B \"quoted\" \u00e9", [[0.0, 0.0], (1.0, float("nan")), [float("inf")], [], np.array([2.0, 1.0])], "#ff7f0e", [6, 4]),
    ("zero dash", [[1, True], [Floaty(), 2.5]], "#2ca02c", [0, 0]),
    ("empty dash", [], "#d62728", []),
]

BAR_OPTION = json.dumps(
    {"xAxis": {"type": "category", "data": ["a", "b", "c"]}, "series": [{"type": "bar", "data": None, "z": 2}, {}]}
)
HEATMAP_OPTION = json.dumps({"visualMap": {"min": 0, "calculable": True}, "series": [{"type": "heatmap"}]})
COMPARISON_OPTION = json.dumps({"series": [{"type": "bar", "name": "A"}, None]})
LINE_OPTION = json.dumps({"title": {"text": "a & <b>"}, "series": [{"type": "line", "data": [[0, 0], [10, 5], [3]]}]})
SCATTER_OPTION = json.dumps({"series": [{"type": "scatter", "data": [[1, 2], [-3, 4.5]]}]})
BAR_SVG_OPTION = json.dumps({"xAxis": {"data": [1, 2, 3]}, "series": [{"type": "bar", "data": [1, {"value": 2}, None]}]})
HEATMAP_SVG_OPTION = json.dumps(
    {"xAxis": {"data": list(range(24))}, "yAxis": {"data": list(range(7))}, "series": [{"type": "heatmap", "data": [[3, 2, 4], [1, 1, 1]]}]}
)

LONE = "\ud800"
DECODE = "failed to decode option JSON: "
NOT_CONTIGUOUS = "The given array is not contiguous or is misaligned."


def _ecdf_args(**change):
    names = ("series", "title", "x_name", "x_unit", "x_label", "bg", "axis_color", "grid_color", "font_sans",
             "font_serif", "font_mono")
    kwargs = dict(zip(names, (SERIES,) + TEXTS))
    kwargs.update(change)
    return kwargs


def _ecdf(**change):
    kwargs = _ecdf_args(**change)
    return lambda: _core.build_ecdf_option_json(**kwargs)


def _bar(option=BAR_OPTION, pct=PCT3, counts=(1, -2, 3), colors=("#a", "#b", "#c")):
    return lambda: _core.finalize_activity_bar_option_json(option, pct, counts, colors)


def _heat(option=HEATMAP_OPTION, matrix=M23, *flag):
    return lambda: _core.finalize_activity_heatmap_option_json(option, matrix, *flag)


CMP_COUNTS = ((1, None, 3), [4, 5, None])
CMP_COLORS = ["#a", "#b", "#c"]
CMP_OPACITIES = (0.333333, float("nan"))


def _cmp(option=COMPARISON_OPTION, pct=M23, counts=CMP_COUNTS, colors=CMP_COLORS, opacities=CMP_OPACITIES):
    return lambda: _core.finalize_activity_comparison_option_json(option, pct, counts, colors, opacities)


def _svg(option=LINE_OPTION, width=640, height=480):
    return lambda: _core.render_option_svg(option, width, height)


def _type_error(argument, text):
    return f"argument '{argument}': {text}"


CASES = [
    # compute_ecdf
    Case("ecdf ok", lambda: _core.compute_ecdf(SAMPLE)),
    Case("ecdf ok signed zeros", lambda: _core.compute_ecdf(SMALL, 0.5)),
    Case("ecdf ok cutoff int", lambda: _core.compute_ecdf(SMALL, True)),
    Case("ecdf ok cutoff __float__", lambda: _core.compute_ecdf(values=SMALL, cdf_cutoff=Floaty())),
    Case("ecdf missing", lambda: _core.compute_ecdf(), TypeError,
         "compute_ecdf() missing 1 required positional argument: 'values'"),
    Case("ecdf too many", lambda: _core.compute_ecdf(SMALL, 1.0, 3), TypeError,
         "compute_ecdf() takes from 1 to 2 positional arguments but 3 were given"),
    Case("ecdf keyword twice", lambda: _core.compute_ecdf(SMALL, values=SMALL), TypeError,
         "compute_ecdf() got multiple values for argument 'values'"),
    Case("ecdf unknown keyword", lambda: _core.compute_ecdf(SMALL, cutoff=1.0), TypeError,
         "compute_ecdf() got an unexpected keyword argument 'cutoff'"),
    Case("ecdf list", lambda: _core.compute_ecdf([1.0]), TypeError,
         _type_error("values", "'list' object is not an instance of 'ndarray'")),
    Case("ecdf None", lambda: _core.compute_ecdf(None), TypeError,
         _type_error("values", "'None' is not an instance of 'ndarray'")),
    Case("ecdf float32", lambda: _core.compute_ecdf(F32), TypeError,
         _type_error("values", "'ndarray' object is not an instance of 'ndarray'"), numpy_refs=True),
    Case("ecdf 2-D", lambda: _core.compute_ecdf(M23), TypeError,
         _type_error("values", "'ndarray' object is not an instance of 'ndarray'")),
    Case("ecdf cutoff str", lambda: _core.compute_ecdf(SMALL, "x"), TypeError,
         _type_error("cdf_cutoff", "must be real number, not str")),
    Case("ecdf cutoff None", lambda: _core.compute_ecdf(SMALL, None), TypeError,
         _type_error("cdf_cutoff", "must be real number, not NoneType")),
    Case("ecdf cutoff huge int", lambda: _core.compute_ecdf(SMALL, 10**400), OverflowError),
    Case("ecdf cutoff __float__ raises", lambda: _core.compute_ecdf(SMALL, FloatFails()), ZeroDivisionError,
         "float conversion failed"),
    Case("ecdf strided", lambda: _core.compute_ecdf(STRIDED), TypeError, NOT_CONTIGUOUS),
    Case("ecdf empty", lambda: _core.compute_ecdf(EMPTY, 2.0), ValueError, "values must not be empty"),
    Case("ecdf nan", lambda: _core.compute_ecdf(WITH_NAN), ValueError, "values must contain only finite values"),
    Case("ecdf inf", lambda: _core.compute_ecdf(WITH_INF), ValueError, "values must contain only finite values"),
    Case("ecdf -inf", lambda: _core.compute_ecdf(WITH_NEG_INF), ValueError, "values must contain only finite values"),
    Case("ecdf cutoff nan", lambda: _core.compute_ecdf(SMALL, float("nan")), ValueError,
         "cdf_cutoff must be finite and in the interval (0, 1]"),
    Case("ecdf cutoff above 1", lambda: _core.compute_ecdf(SMALL, 1.0000000000000002), ValueError,
         "cdf_cutoff must be finite and in the interval (0, 1]"),
    # build_ecdf_option_json
    Case("option ok", _ecdf()),
    Case("option ok no series", _ecdf(series=())),
    Case("option ok str subclass", _ecdf(title=Text("sub"), series=[(Text("n"), ((1.0, 0.5),), Text("c"), (1,))])),
    Case("option missing", lambda: _core.build_ecdf_option_json(SERIES), TypeError,
         "build_ecdf_option_json() missing 10 required positional arguments: 'title', 'x_name', 'x_unit', "
         "'x_label', 'bg', 'axis_color', 'grid_color', 'font_sans', 'font_serif', and 'font_mono'"),
    Case("option series str", _ecdf(series="abc"), TypeError, _type_error("series", "Can't extract `str` to `Vec`")),
    Case("option series generator", _ecdf(series=GENERATOR), TypeError,
         _type_error("series", "'generator' object is not an instance of 'Sequence'")),
    Case("option entry list", _ecdf(series=[["A", [], "c", None]]), TypeError,
         _type_error("series", "'list' object is not an instance of 'tuple'")),
    Case("option entry short", _ecdf(series=[("A", [], "c")]), ValueError,
         "expected tuple of length 4, but got tuple of length 3"),
    Case("option name int", _ecdf(series=[(1, [], "c", None)]), TypeError,
         _type_error("series", "'int' object is not an instance of 'str'")),
    Case("option name surrogate", _ecdf(series=[(LONE, [], "c", None)]), UnicodeEncodeError),
    Case("option points set", _ecdf(series=[("A", {1.0}, "c", None)]), TypeError,
         _type_error("series", "'set' object is not an instance of 'Sequence'")),
    Case("option point str", _ecdf(series=[("A", [[1.0, "y"]], "c", None)]), TypeError,
         _type_error("series", "must be real number, not str")),
    Case("option point raises", _ecdf(series=[("A", [[FloatFails()]], "c", None)]), ZeroDivisionError),
    Case("option dash negative", _ecdf(series=[("A", [], "c", [1, -1])]), OverflowError,
         "out of range integral type conversion attempted"),
    Case("option dash 2**32", _ecdf(series=[("A", [], "c", [2**32])]), OverflowError,
         "out of range integral type conversion attempted"),
    Case("option dash 2**64", _ecdf(series=[("A", [], "c", [2**64])]), OverflowError),
    Case("option dash float", _ecdf(series=[("A", [], "c", [1.5])]), TypeError, _type_error("series", ""), True),
    Case("option dash index raises", _ecdf(series=[("A", [], "c", [IndexFails()])]), LookupError),
    Case("option title int", _ecdf(title=3), TypeError, _type_error("title", "'int' object is not an instance of 'str'")),
    Case("option font None", _ecdf(font_mono=None), TypeError,
         _type_error("font_mono", "'None' is not an instance of 'str'")),
    Case("option title surrogate", _ecdf(title=LONE), UnicodeEncodeError),
    Case("option points iteration fails", _ecdf(series=[("A", BadSequence([1.0, 0.5]), "c", None)]), KeyError),
    # finalize_activity_bar_option_json
    Case("bar ok", _bar()),
    Case("bar ok empty", _bar(json.dumps({"series": [None]}), EMPTY, [], [])),
    Case("bar option int", _bar(option=1), TypeError, _type_error("option_json", "'int' object is not an instance of 'str'")),
    Case("bar option surrogate", _bar(option="{" + LONE), UnicodeEncodeError),
    Case("bar percentages list", _bar(pct=[1.0, 2.0, 3.0]), TypeError,
         _type_error("percentages", "'list' object is not an instance of 'ndarray'")),
    Case("bar percentages int64", _bar(pct=I64), TypeError,
         _type_error("percentages", "'ndarray' object is not an instance of 'ndarray'"), numpy_refs=True),
    Case("bar percentages strided", _bar(pct=STRIDED), TypeError, NOT_CONTIGUOUS),
    Case("bar counts str", _bar(counts="123"), TypeError, _type_error("counts", "Can't extract `str` to `Vec`")),
    Case("bar counts float", _bar(counts=[1, 2.0, 3]), TypeError, _type_error("counts", ""), True),
    Case("bar counts too large", _bar(counts=[1, 2**63, 3]), OverflowError),
    Case("bar colors generator", _bar(colors=GENERATOR), TypeError,
         _type_error("colors", "'generator' object is not an instance of 'Sequence'")),
    Case("bar colors element", _bar(colors=["#a", None, "#c"]), TypeError,
         _type_error("colors", "'None' is not an instance of 'str'")),
    Case("bar colors surrogate", _bar(colors=["#a", LONE, "#c"]), UnicodeEncodeError),
    Case("bar colors iteration fails", _bar(colors=BadSequence("#000000")), KeyError),
    Case("bar lengths", _bar(counts=[1, 2]), ValueError, "percentages, counts, and colors must have equal length"),
    Case("bar not json", _bar(option='{"series": [1,]}'), ValueError, DECODE + "trailing comma at line 1 column 15"),
    Case("bar root array", _bar(option="[]"), ValueError, "option JSON root must be an object"),
    Case("bar no series", _bar(option="{}"), INTERNAL, "cannot access index 0 of JSON null"),
    Case("bar empty series", _bar(option='{"series": []}'), INTERNAL, "cannot access index 0 of JSON array of length 0"),
    Case("bar series object", _bar(option='{"series": {}}'), INTERNAL, "cannot access index 0 of JSON object"),
    Case("bar entry number", _bar(option='{"series": [3]}'), INTERNAL, 'cannot access key "data" in JSON number'),
    # finalize_activity_comparison_option_json
    Case("comparison ok", _cmp()),
    Case("comparison ok transposed", _cmp(pct=M32_T, counts=[[1, 2, 3], [4, 5, 6]])),
    Case("comparison ok fortran", _cmp(pct=M23_F)),
    Case("comparison ok empty", _cmp(option='{"series": []}', pct=frozen(np.zeros((0, 3))), counts=[], opacities=[])),
    Case("comparison percentages 1-D", _cmp(pct=PCT3), TypeError,
         _type_error("percentages", "'ndarray' object is not an instance of 'ndarray'")),
    Case("comparison counts row str", _cmp(counts=("abc", [1, 2, 3])), TypeError,
         _type_error("counts", "Can't extract `str` to `Vec`")),
    Case("comparison counts cell float", _cmp(counts=([1, 2, 3.5], [1, 2, 3])), TypeError, _type_error("counts", ""), True),
    Case("comparison opacities str", _cmp(opacities=[0.5, "x"]), TypeError,
         _type_error("opacities", "must be real number, not str")),
    Case("comparison dimensions", _cmp(colors=["#a", "#b"]), ValueError,
         "comparison percentages, counts, colors, and opacities have incompatible dimensions"),
    Case("comparison short count row", _cmp(counts=[[1, 2, 3], [1, 2]]), ValueError,
         "comparison percentages, counts, colors, and opacities have incompatible dimensions"),
    Case("comparison not json", _cmp(option=""), ValueError, DECODE + "EOF while parsing a value at line 1 column 0"),
    Case("comparison root string", _cmp(option='"x"'), ValueError, "option JSON root must be an object"),
    Case("comparison no series", _cmp(option='{"series": 1}'), ValueError, "option JSON must contain a series array"),
    Case("comparison rows", _cmp(option='{"series": [{}, {}, {}]}'), ValueError,
         "comparison percentages must have one row per series"),
    Case("comparison entry array", _cmp(option='{"series": [{}, []]}'), INTERNAL, 'cannot access key "data" in JSON array'),
    # finalize_activity_heatmap_option_json
    Case("heatmap ok", _heat()),
    Case("heatmap ok flag", _heat(HEATMAP_OPTION, M23, True)),
    Case("heatmap ok numpy flag", _heat(HEATMAP_OPTION, M23_F, np.True_)),
    Case("heatmap ok transposed empty", _heat(json.dumps({"series": [None]}), M00, False)),
    Case("heatmap matrix 1-D", _heat(matrix=PCT3), TypeError,
         _type_error("matrix", "'ndarray' object is not an instance of 'ndarray'")),
    Case("heatmap flag int", _heat(HEATMAP_OPTION, M23, 1), TypeError,
         _type_error("update_visual_max", "'int' object is not an instance of 'bool'")),
    Case("heatmap flag None", _heat(HEATMAP_OPTION, M23, None), TypeError,
         _type_error("update_visual_max", "'None' is not an instance of 'bool'")),
    Case("heatmap too many", _heat(HEATMAP_OPTION, M23, True, True), TypeError,
         "finalize_activity_heatmap_option_json() takes from 2 to 3 positional arguments but 4 were given"),
    Case("heatmap not json", _heat(option="{"), ValueError, DECODE + "EOF while parsing an object at line 1 column 1"),
    Case("heatmap root null", _heat(option="null"), ValueError, "option JSON root must be an object"),
    Case("heatmap no series", _heat(option="{}"), INTERNAL, "cannot access index 0 of JSON null"),
    Case("heatmap series string", _heat(option='{"series": "s"}'), INTERNAL, "cannot access index 0 of JSON string"),
    Case("heatmap entry true", _heat(option='{"series": [true]}'), INTERNAL, 'cannot access key "data" in JSON boolean'),
    Case("heatmap visual map array", _heat('{"series": [{}], "visualMap": []}', M23, True), INTERNAL,
         'cannot access key "max" in JSON array'),
    # activity_time_bin_labels
    Case("bins ok", lambda: _core.activity_time_bin_labels(96)),
    Case("bins ok 1440", lambda: _core.activity_time_bin_labels(n_bins=1440)),
    Case("bins ok True", lambda: _core.activity_time_bin_labels(True)),
    Case("bins zero", lambda: _core.activity_time_bin_labels(0), ValueError, "n_bins must be a positive divisor of 1440"),
    Case("bins seven", lambda: _core.activity_time_bin_labels(7), ValueError, "n_bins must be a positive divisor of 1440"),
    Case("bins negative", lambda: _core.activity_time_bin_labels(-5), OverflowError),
    Case("bins 2**64", lambda: _core.activity_time_bin_labels(2**64), OverflowError),
    Case("bins float", lambda: _core.activity_time_bin_labels(2.0), TypeError, _type_error("n_bins", ""), True),
    Case("bins index raises", lambda: _core.activity_time_bin_labels(IndexFails()), LookupError),
    Case("bins unknown keyword", lambda: _core.activity_time_bin_labels(bins=24), TypeError,
         "activity_time_bin_labels() got an unexpected keyword argument 'bins'"),
    # render_option_svg
    Case("svg ok line", _svg()),
    Case("svg ok scatter", _svg(SCATTER_OPTION, 20, 40)),
    Case("svg ok bar", _svg(BAR_SVG_OPTION)),
    Case("svg ok heatmap", _svg(HEATMAP_SVG_OPTION, 4294967295, 0)),
    Case("svg missing", lambda: _core.render_option_svg("{}"), TypeError,
         "render_option_svg() missing 2 required positional arguments: 'width' and 'height'"),
    Case("svg option bytes", _svg(option=b"{}"), TypeError,
         _type_error("option_json", "'bytes' object is not an instance of 'str'")),
    Case("svg option surrogate", _svg(option='{"title": "' + LONE + '"}'), UnicodeEncodeError),
    Case("svg width negative", _svg(width=-1), OverflowError, "out of range integral type conversion attempted"),
    Case("svg height 2**32", _svg(height=2**32), OverflowError, "out of range integral type conversion attempted"),
    Case("svg width float", _svg(width=2.0), TypeError, _type_error("width", ""), True),
    Case("svg not json", _svg(option="[1 2]"), ValueError, DECODE + "expected `,` or `]` at line 1 column 4"),
    Case("svg comparison chart", _svg(option='{"_meta": {"chartType": "stvd_comparison"}}'), ValueError,
         "SVG rendering is not supported for chart type stvd_comparison"),
    Case("svg no series", _svg(option="[]"), ValueError, "option JSON must contain a series array"),
    Case("svg custom", _svg(option='{"series": [{"type": "line"}, {"type": "custom"}]}'), ValueError,
         "SVG rendering is not supported for custom series"),
]
