"""Binding and conversion of arguments: messages and exception types."""
import numpy as np
import pytest

from tessel_vis import _core
from assertions import raises


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: _core.compute_ecdf(), "compute_ecdf() missing 1 required positional argument: 'values'"),
        (
            lambda: _core.render_option_svg("{}"),
            "render_option_svg() missing 2 required positional arguments: 'width' and 'height'",
        ),
        (
            lambda: _core.render_option_svg(),
            "render_option_svg() missing 3 required positional arguments: 'option_json', 'width', and 'height'",
        ),
        (
            lambda: _core.render_option_svg(width=1),
            "render_option_svg() missing 2 required positional arguments: 'option_json' and 'height'",
        ),
        (
            lambda: _core.compute_ecdf(1, 2, 3),
            "compute_ecdf() takes from 1 to 2 positional arguments but 3 were given",
        ),
        (
            lambda: _core.activity_time_bin_labels(1, 2),
            "activity_time_bin_labels() takes 1 positional arguments but 2 were given",
        ),
        (
            lambda: _core.finalize_activity_heatmap_option_json(1, 2, 3, 4),
            "finalize_activity_heatmap_option_json() takes from 2 to 3 positional arguments but 4 were given",
        ),
        (
            lambda: _core.activity_time_bin_labels(24, n_bins=24),
            "activity_time_bin_labels() got multiple values for argument 'n_bins'",
        ),
        (
            lambda: _core.activity_time_bin_labels(bins=24),
            "activity_time_bin_labels() got an unexpected keyword argument 'bins'",
        ),
        (
            lambda: _core.compute_ecdf(cdf_cutoff=1.0, values=None, **{"cdf_cutoff\u00e9": 1}),
            "compute_ecdf() got an unexpected keyword argument 'cdf_cutoff\u00e9'",
        ),
    ],
)
def test_binding_errors(call, message):
    raises(TypeError, message, call)


def test_binding_error_is_not_renamed_and_comes_before_conversion():
    # A bad value and a missing argument: binding fails first.
    raises(
        TypeError,
        "compute_ecdf() missing 1 required positional argument: 'values'",
        _core.compute_ecdf,
        cdf_cutoff="x",
    )


def test_every_parameter_by_keyword():
    values = np.array([2.0, 1.0])
    assert _core.compute_ecdf(cdf_cutoff=1.0, values=values) == [[1.0, 0.5], [2.0, 1.0]]
    assert _core.activity_time_bin_labels(n_bins=2) == ["00:00", "12:00"]


class Sub(str):
    pass


class Index:
    def __index__(self):
        return 24


class Floaty:
    def __float__(self):
        return 0.5


@pytest.mark.parametrize(
    "call, exc_type, message",
    [
        (lambda: _core.compute_ecdf([1.0]), TypeError, "argument 'values': 'list' object is not an instance of 'ndarray'"),
        (lambda: _core.compute_ecdf(None), TypeError, "argument 'values': 'None' is not an instance of 'ndarray'"),
        (
            lambda: _core.compute_ecdf(np.zeros(3, dtype=np.float32)),
            TypeError,
            "argument 'values': 'ndarray' object is not an instance of 'ndarray'",
        ),
        (
            lambda: _core.compute_ecdf(np.zeros((2, 2))),
            TypeError,
            "argument 'values': 'ndarray' object is not an instance of 'ndarray'",
        ),
        (
            lambda: _core.compute_ecdf(np.zeros(2), "x"),
            TypeError,
            "argument 'cdf_cutoff': must be real number, not str",
        ),
        (
            lambda: _core.compute_ecdf(np.zeros(2), None),
            TypeError,
            "argument 'cdf_cutoff': must be real number, not NoneType",
        ),
        (lambda: _core.render_option_svg("{}", -1, 1), OverflowError, "out of range integral type conversion attempted"),
        (lambda: _core.render_option_svg("{}", 2**32, 1), OverflowError, "out of range integral type conversion attempted"),
        (
            lambda: _core.render_option_svg("{}", 1, 2**64),
            OverflowError,
            "Python int too large to convert to C long",
        ),
        (
            lambda: _core.render_option_svg("{}", 2.0, 1),
            TypeError,
            "argument 'width': 'float' object cannot be interpreted as an integer",
        ),
        (
            lambda: _core.render_option_svg(b"{}", 1, 1),
            TypeError,
            "argument 'option_json': 'bytes' object is not an instance of 'str'",
        ),
        (
            lambda: _core.activity_time_bin_labels(2.5),
            TypeError,
            "argument 'n_bins': 'float' object cannot be interpreted as an integer",
        ),
        (
            lambda: _core.finalize_activity_heatmap_option_json("{}", np.zeros((1, 1)), 1),
            TypeError,
            "argument 'update_visual_max': 'int' object is not an instance of 'bool'",
        ),
        (
            lambda: _core.finalize_activity_heatmap_option_json("{}", np.zeros((1, 1)), None),
            TypeError,
            "argument 'update_visual_max': 'None' is not an instance of 'bool'",
        ),
        (
            lambda: _core.finalize_activity_bar_option_json("{}", np.zeros(1), [1], "red"),
            TypeError,
            "argument 'colors': Can't extract `str` to `Vec`",
        ),
        (
            lambda: _core.finalize_activity_bar_option_json("{}", np.zeros(1), [1], (c for c in "a")),
            TypeError,
            "argument 'colors': 'generator' object is not an instance of 'Sequence'",
        ),
        (
            lambda: _core.finalize_activity_bar_option_json("{}", np.zeros(1), [1], {"a"}),
            TypeError,
            "argument 'colors': 'set' object is not an instance of 'Sequence'",
        ),
        (
            lambda: _core.finalize_activity_bar_option_json("{}", np.zeros(1), [1], ["a", 3]),
            TypeError,
            "argument 'colors': 'int' object is not an instance of 'str'",
        ),
        (
            lambda: _core.finalize_activity_bar_option_json("{}", np.zeros(1), [1.5], ["a"]),
            TypeError,
            "argument 'counts': 'float' object cannot be interpreted as an integer",
        ),
        (
            lambda: _core.finalize_activity_bar_option_json("{}", np.zeros(1), [2**63], ["a"]),
            OverflowError,
            "Python int too large to convert to C long",
        ),
        (
            lambda: _core.finalize_activity_comparison_option_json("{}", np.zeros((1, 1)), [[1, "x"]], ["a"], [1.0]),
            TypeError,
            "argument 'counts': 'str' object cannot be interpreted as an integer",
        ),
        (
            lambda: _core.finalize_activity_comparison_option_json("{}", np.zeros((1, 1)), ["ab"], ["a"], [1.0]),
            TypeError,
            "argument 'counts': Can't extract `str` to `Vec`",
        ),
        (
            lambda: _core.finalize_activity_comparison_option_json("{}", np.zeros((1, 1)), [[1]], ["a"], [None]),
            TypeError,
            "argument 'opacities': must be real number, not NoneType",
        ),
        (
            lambda: _core.build_ecdf_option_json([["A", [], "red", None]], *"abcdefghij"),
            TypeError,
            "argument 'series': 'list' object is not an instance of 'tuple'",
        ),
        (
            lambda: _core.build_ecdf_option_json([("A", [], "red")], *"abcdefghij"),
            ValueError,
            "expected tuple of length 4, but got tuple of length 3",
        ),
        (
            lambda: _core.build_ecdf_option_json([("A", [[1.0, "x"]], "red", None)], *"abcdefghij"),
            TypeError,
            "argument 'series': must be real number, not str",
        ),
        (
            lambda: _core.build_ecdf_option_json([("A", [], "red", [-1])], *"abcdefghij"),
            OverflowError,
            "out of range integral type conversion attempted",
        ),
        (
            lambda: _core.build_ecdf_option_json([("A", "xy", "red", None)], *"abcdefghij"),
            TypeError,
            "argument 'series': Can't extract `str` to `Vec`",
        ),
        (
            lambda: _core.build_ecdf_option_json([], *"abcdefghi", 5),
            TypeError,
            "argument 'font_mono': 'int' object is not an instance of 'str'",
        ),
    ],
)
def test_conversion_errors(call, exc_type, message):
    raises(exc_type, message, call)


def test_interpreter_errors_pass_unchanged():
    with pytest.raises(OverflowError) as info:
        _core.activity_time_bin_labels(-5)
    assert not str(info.value).startswith("argument")
    with pytest.raises(UnicodeEncodeError):
        _core.render_option_svg("\ud800", 1, 1)
    with pytest.raises(OverflowError):
        _core.compute_ecdf(np.zeros(1), 10**400)


def test_renamed_type_error_keeps_the_cause():
    class Bad:
        def __index__(self):
            try:
                raise KeyError("inner")
            except KeyError as e:
                raise TypeError("boom") from e

    with pytest.raises(TypeError) as info:
        _core.activity_time_bin_labels(Bad())
    assert str(info.value) == "argument 'n_bins': boom"
    assert isinstance(info.value.__cause__, KeyError)


def test_subclass_of_type_error_is_not_renamed():
    class MyError(TypeError):
        pass

    class Bad:
        def __index__(self):
            raise MyError("own")

    with pytest.raises(MyError, match="^own$"):
        _core.activity_time_bin_labels(Bad())


def test_errors_while_iterating_pass_unchanged():
    class Seq:
        def __len__(self):
            return 2

        def __getitem__(self, i):
            raise KeyError("broken")

    with pytest.raises(KeyError):
        _core.finalize_activity_bar_option_json("{}", np.zeros(2), [1, 2], Seq())


@pytest.mark.parametrize(
    "n_bins, expected",
    [(True, ["00:00"]), (Index(), None), (np.int64(24), None)],
)
def test_count_accepts_integers_and_index(n_bins, expected):
    labels = _core.activity_time_bin_labels(n_bins)
    assert labels == (expected or _core.activity_time_bin_labels(24))


def test_float_accepts_numbers_and_float_protocol():
    values = np.array([1.0, 2.0, 3.0, 4.0])
    assert _core.compute_ecdf(values, 1) == _core.compute_ecdf(values, True) == _core.compute_ecdf(values)
    assert _core.compute_ecdf(values, Floaty()) == [[1.0, 0.25], [2.0, 0.5]]


def test_text_subclass_and_array_subclass_accepted():
    class Arr(np.ndarray):
        pass

    values = np.array([1.0]).view(Arr)
    assert _core.compute_ecdf(values) == [[1.0, 1.0]]
    with pytest.raises(ValueError, match="^option JSON must contain a series array$"):
        _core.render_option_svg(Sub("{}"), 10, 10)


@pytest.mark.parametrize("flag, truth", [(np.True_, True), (np.False_, False), (True, True), (False, False)])
def test_numpy_bool_scalars_are_flags(flag, truth):
    out = _core.finalize_activity_heatmap_option_json('{"series":[{}]}', np.full((1, 1), 5.0), flag)
    assert ('"visualMap":{"max":5.0}' in out) is truth


def test_read_only_arrays_accepted():
    values = np.array([2.0, 1.0])
    values.setflags(write=False)
    assert _core.compute_ecdf(values) == [[1.0, 0.5], [2.0, 1.0]]
    big_endian = np.array([2.0, 1.0], dtype=">f8")
    with pytest.raises(TypeError, match="'ndarray' object is not an instance of 'ndarray'"):
        _core.compute_ecdf(big_endian)
