# Names, signatures, binding and conversion of arguments against models of their wording; loading NumPy.
import inspect
import itertools
import random
import subprocess
import sys
from collections import UserList

import numpy as np
import pytest

from models import outcome, raises
from tessel_vis import _core

TEXTS = ("title", "x_name", "x_unit", "x_label", "bg", "axis_color", "grid_color", "font_sans", "font_serif", "font_mono")
# Short name: function, parameters, how many are required, each one's kind, good arguments.
F = {
    "ecdf": ("compute_ecdf", ("values", "cdf_cutoff"), 1, ("array", "float"), (np.array([2.0, 1.0]), 1.0)),
    "option": ("build_ecdf_option_json", ("series",) + TEXTS, 11, ("series",) + ("text",) * 10,
               ([("a", [[1.0, 1.0]], "#000", None)],) + TEXTS),
    "bar": ("finalize_activity_bar_option_json", ("option_json", "percentages", "counts", "colors"), 4,
            ("text", "array", "ints", "texts"), ('{"series":[{}]}', np.ones(1), [1], ["c"])),
    "cmp": ("finalize_activity_comparison_option_json", ("option_json", "percentages", "counts", "colors", "opacities"), 5,
            ("text", "array", "rows", "texts", "floats"), ('{"series":[{}]}', np.ones((1, 1)), [[1]], ["c"], [1.0])),
    "heat": ("finalize_activity_heatmap_option_json", ("option_json", "matrix", "update_visual_max"), 2,
             ("text", "array", "flag"), ('{"series":[{}]}', np.ones((1, 1)), True)),
    "bins": ("activity_time_bin_labels", ("n_bins",), 1, ("int",), (24,)),
    "svg": ("render_option_svg", ("option_json", "width", "height"), 3, ("text", "int", "int"), ('{"series":[]}', 10, 10)),
}
DEFAULTS = {"cdf_cutoff": "1.0", "update_visual_max": "False"}


class Odd:  # of no type any parameter accepts
    pass


def test_names_and_signatures():
    assert _core.__all__ == [f[0] for f in F.values()] and _core.__doc__ == "" and "InternalFailure" not in _core.__all__
    for name, params, required, _, _ in F.values():
        f = getattr(_core, name)
        assert (f.__name__, f.__module__, f.__doc__) == (name, "tessel_vis._core", None)
        text = ", ".join(p + ("=" + DEFAULTS[p] if i >= required else "") for i, p in enumerate(params))
        assert str(inspect.signature(f)) == f"({text})"


def binding_error(short, n_positional, keywords):
    # The interpreter's wording for a call that does not fit the signature, or None.
    name, params, required = F[short][:3]
    shown = name + "()"
    if n_positional > len(params):
        span = f"from {required} to {len(params)}" if required < len(params) else str(len(params))
        return f"{shown} takes {span} positional arguments but {n_positional} {'was' if n_positional == 1 else 'were'} given"
    filled = set(params[:n_positional])
    for k in keywords:
        if k not in params:
            return f"{shown} got an unexpected keyword argument '{k}'"
        if k in filled:
            return f"{shown} got multiple values for argument '{k}'"
        filled.add(k)
    missing = [f"'{p}'" for p in params[:required] if p not in filled]
    listed = " and ".join(missing) if len(missing) < 3 else ", ".join(missing[:-1]) + ", and " + missing[-1]
    return missing and f"{shown} missing {len(missing)} required positional argument{'s' * (len(missing) > 1)}: {listed}" or None


@pytest.mark.parametrize("short", F)
def test_binding_against_the_model(short):
    # Every argument is of a wrong type, so a call that binds fails on the
    # conversion of its first parameter: binding comes first.
    name, params = F[short][:2]
    rng = random.Random(short)
    for _ in range(300):
        n = rng.randrange(len(params) + 2)
        names = rng.sample(params + ("bins", "cdf_cutoff\u00e9"), rng.randrange(len(params) + 1))
        got = outcome(getattr(_core, name), *[Odd()] * n, **{k: Odd() for k in names})
        expected = binding_error(short, n, names)
        assert got == ("TypeError", expected) if expected else got[1].startswith(f"argument '{params[0]}': "), got


def refusal(kind, bad):
    # The conversion's message for a wrong-typed object (or None) of each kind; None when it is accepted.
    t = "NoneType" if bad is None else type(bad).__qualname__
    other = lambda target: (f"'None' is not an instance of '{target}'" if bad is None  # noqa: E731
                            else f"'{t}' object is not an instance of '{target}'")
    integer = f"'{t}' object cannot be interpreted as an integer"
    return {"array": other("ndarray"), "text": other("str"), "flag": other("bool"), "entry": other("tuple"),
            "float": f"must be real number, not {t}", "int": integer, "optint": bad is not None and integer or None,
            }.get(kind, other("Sequence"))


# The kind of the elements of each list kind.
ELEMENT = {"series": "entry", "ints": "int", "rows": "row", "row": "optint", "texts": "text", "floats": "float"}


@pytest.mark.parametrize("short", F)
def test_each_parameter_refuses_wrong_types_under_its_name(short):
    name, params, _, kinds, good = F[short]
    for i, bad in itertools.product(range(len(params)), (Odd(), None)):
        # Later arguments are wrong too: the first refusal is the one reported.
        args, kind, wrapped = list(good[:i]) + [bad] + [Odd()] * (len(params) - i - 1), kinds[i], bad
        raises(TypeError, f"argument '{params[i]}': {refusal(kind, bad)}", getattr(_core, name), *args)
        while kind in ELEMENT and refusal(ELEMENT[kind], bad):  # the refusal of an element, at any depth
            kind, wrapped = ELEMENT[kind], [wrapped]
            args[i] = wrapped
            raises(TypeError, f"argument '{params[i]}': {refusal(kind, bad)}", getattr(_core, name), *args)


def call(short, **changes):
    name, params, _, _, good = F[short]
    return getattr(_core, name)(**{**dict(zip(params, good)), **changes})


NDARRAY = "'ndarray' object is not an instance of 'ndarray'"
RANGE, LONG = "out of range integral type conversion attempted", "Python int too large to convert to C long"


@pytest.mark.parametrize("short, changes, exc, message", [
    ("ecdf", {"values": np.zeros(2, np.float32)}, TypeError, "argument 'values': " + NDARRAY),
    ("ecdf", {"values": np.zeros((2, 2))}, TypeError, "argument 'values': " + NDARRAY),
    ("ecdf", {"values": np.array([2.0, 1.0], dtype=">f8")}, TypeError, "argument 'values': " + NDARRAY),
    ("heat", {"matrix": np.ones(1)}, TypeError, "argument 'matrix': " + NDARRAY),
    ("svg", {"width": -1}, OverflowError, RANGE),
    ("svg", {"height": 2**32}, OverflowError, RANGE),
    ("svg", {"width": 2**64}, OverflowError, LONG),
    ("bins", {"n_bins": 2.5}, TypeError, "argument 'n_bins': 'float' object cannot be interpreted as an integer"),
    ("bar", {"colors": "red"}, TypeError, "argument 'colors': Can't extract `str` to `Vec`"),
    ("bar", {"colors": (c for c in "a")}, TypeError, "argument 'colors': 'generator' object is not an instance of 'Sequence'"),
    ("bar", {"counts": [2**63]}, OverflowError, LONG),
    ("cmp", {"counts": [[-(2**63) - 1]]}, OverflowError, LONG),
    ("cmp", {"counts": ["ab"]}, TypeError, "argument 'counts': Can't extract `str` to `Vec`"),
    ("option", {"series": [("a", [], "c")]}, ValueError, "expected tuple of length 4, but got tuple of length 3"),
    ("option", {"series": [("a", "xy", "c", None)]}, TypeError, "argument 'series': Can't extract `str` to `Vec`"),
    ("option", {"series": [("a", [1.0], "c", None)]}, TypeError, "argument 'series': 'float' object is not an instance of 'Sequence'"),
    ("option", {"series": [("a", [[1.0, "x"]], "c", None)]}, TypeError, "argument 'series': must be real number, not str"),
    ("option", {"series": [("a", [], "c", [-1])]}, OverflowError, RANGE),
    ("option", {"series": [("a", [], "c", [2**32])]}, OverflowError, RANGE),
])
def test_values_refused_for_their_value(short, changes, exc, message):
    raises(exc, message, call, short, **changes)


class Raises(UserList):
    # Raises its one item when converted to an integer or iterated over.

    def __index__(self):
        raise self.data[0]

    def __getitem__(self, i):
        raise self.data[0]


def test_other_errors_pass_unchanged():
    for short, changes, exc in [("bins", {"n_bins": -5}, OverflowError), ("ecdf", {"cdf_cutoff": 10**400}, OverflowError),
                                ("svg", {"option_json": "\ud800"}, UnicodeEncodeError),
                                ("bins", {"n_bins": Raises([type("OwnError", (TypeError,), {})("own")])}, TypeError),  # a subclass
                                ("bar", {"colors": Raises([KeyError("k")])}, KeyError)]:  # an error while iterating
        with pytest.raises(exc) as info:
            call(short, **changes)
        assert not str(info.value).startswith("argument")
    try:
        raise TypeError("boom") from KeyError("inner")
    except TypeError as chained:  # a renamed TypeError keeps its cause
        assert isinstance(raises(TypeError, "argument 'n_bins': boom", call, "bins", n_bins=Raises([chained])).__cause__, KeyError)


def frozen(a):
    a = np.array(a)
    a.setflags(write=False)
    return a.view(type("Array", (np.ndarray,), {}))


@pytest.mark.parametrize("short, changes, same_as", [
    ("bins", {"n_bins": True}, {"n_bins": 1}),
    ("bins", {"n_bins": np.int64(24)}, {}),
    ("ecdf", {"cdf_cutoff": True}, {}),
    ("ecdf", {"cdf_cutoff": np.float32(1.0)}, {}),
    ("ecdf", {"values": frozen([2.0, 1.0])}, {}),
    ("heat", {"update_visual_max": np.True_}, {}),
    ("heat", {"update_visual_max": np.False_}, {"update_visual_max": False}),
    ("heat", {"matrix": frozen([[1.0]])}, {}),
    ("svg", {"option_json": type("Text", (str,), {})('{"series":[]}')}, {}),
    ("option", {"series": [(type("Text", (str,), {})("a"), ((1, True),), "#000", (0,))]}, {"series": [("a", [[1.0, 1.0]], "#000", [0])]}),
])
def test_other_accepted_values(short, changes, same_as):
    assert call(short, **changes) == call(short, **same_as)


SCRIPTS = [
    # NumPy is loaded on the first array argument, not at import.
    "import sys, tessel_vis._core\nassert 'numpy' not in sys.modules",
    # A missing array interface, or one that is not a capsule, is an internal failure, and is not kept.
    """
import sys
import numpy as np
umath = sys.modules.get("numpy._core._multiarray_umath") or sys.modules["numpy.core._multiarray_umath"]  # NumPy 2 or 1
api = umath._ARRAY_API
from tessel_vis import _core
for broken, message in ((None, "has no attribute '_ARRAY_API'"), ("not a capsule", ": _ARRAY_API is not a capsule")):
    if broken is None:
        del umath._ARRAY_API
    else:
        umath._ARRAY_API = broken
    try:
        _core.compute_ecdf(np.ones(1))
        raise SystemExit("no internal failure")
    except _core.InternalFailure as e:
        assert str(e).startswith("could not load NumPy: ") and str(e).endswith(message), e
        assert type(e).__bases__ == (BaseException,)
umath._ARRAY_API = api
assert _core.compute_ecdf(np.ones(1)) == [[1.0, 1.0]]""",
]


@pytest.mark.parametrize("script", SCRIPTS)
def test_numpy_loading(script):
    done = subprocess.run([sys.executable, "-c", script + "\nprint('ok')"], capture_output=True, text=True)
    assert done.stdout == "ok\n", done.stderr
