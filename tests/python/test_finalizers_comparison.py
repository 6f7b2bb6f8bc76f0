"""finalize_activity_comparison_option_json: checks, messages, member order and layouts."""
import json

import numpy as np
import pytest

from tessel_vis import _core
from assertions import raises, internal_failure

comparison = _core.finalize_activity_comparison_option_json
DIMENSIONS = "comparison percentages, counts, colors, and opacities have incompatible dimensions"
NO_SERIES = "option JSON must contain a series array"
ROWS = "comparison percentages must have one row per series"


def test_two_series_three_categories():
    p = np.array([[10.0, 20.0, 30.0], [1.5, 2.5, 3.5]])
    out = comparison('{"series":[{"name":"a"},{"name":"b"}]}', p, [[1, 2, 3], [4, 5, 6]], ["r", "g", "b"], [1.0, 0.5])
    assert out == (
        '{"series":[{"name":"a","data":['
        '{"value":10.0,"itemStyle":{"color":"r","opacity":1.0},"count":1},'
        '{"value":20.0,"itemStyle":{"color":"g","opacity":1.0},"count":2},'
        '{"value":30.0,"itemStyle":{"color":"b","opacity":1.0},"count":3}]},'
        '{"name":"b","data":['
        '{"value":1.5,"itemStyle":{"color":"r","opacity":0.5},"count":4},'
        '{"value":2.5,"itemStyle":{"color":"g","opacity":0.5},"count":5},'
        '{"value":3.5,"itemStyle":{"color":"b","opacity":0.5},"count":6}]}]}'
    )


def test_none_counts_leave_out_count_only():
    out = comparison('{"series":[{}]}', np.array([[1.0, 2.0]]), [[None, -7]], ["r", "g"], [1.0])
    assert out == (
        '{"series":[{"data":[{"value":1.0,"itemStyle":{"color":"r","opacity":1.0}},'
        '{"value":2.0,"itemStyle":{"color":"g","opacity":1.0},"count":-7}]}]}'
    )


def test_opacity_unrounded_percentage_rounded():
    out = comparison('{"series":[{}]}', np.array([[33.333333]]), [[1]], ["r"], [0.333333])
    assert '"value":33.33,' in out and '"opacity":0.333333}' in out


@pytest.mark.parametrize("opacity", [float("nan"), float("inf"), -float("inf")])
def test_non_finite_opacity_is_null_in_every_item_of_its_series(opacity):
    out = json.loads(comparison('{"series":[{},{}]}', np.ones((2, 3)), [[1] * 3] * 2, ["a", "b", "c"], [opacity, 0.5]))
    assert [item["itemStyle"]["opacity"] for item in out["series"][0]["data"]] == [None] * 3
    assert [item["itemStyle"]["opacity"] for item in out["series"][1]["data"]] == [0.5] * 3


def test_no_rows_returns_the_option_unchanged_in_compact_form():
    doc = ' { "series" : [ ], "a": [1, 2.0, -0] } '
    assert comparison(doc, np.zeros((0, 3)), [], ["a", "b", "c"], []) == '{"series":[],"a":[1,2.0,-0.0]}'


def test_no_columns_give_empty_data_arrays():
    out = comparison('{"series":[{"data":[1]},{}]}', np.zeros((2, 0)), [[], []], [], [1.0, 1.0])
    assert out == '{"series":[{"data":[]},{"data":[]}]}'


def test_memory_layouts_are_read_by_logical_index():
    p = np.arange(6.0).reshape(2, 3) + 0.125
    args = ([[1, 2, 3], [4, 5, None]], ["r", "g", "b"], [1.0, 0.25])
    doc = '{"series":[{},{}]}'
    expected = comparison(doc, p, *args)
    raw = bytearray(6 * 8 + 1)
    misaligned = np.ndarray((2, 3), dtype=np.float64, buffer=raw, offset=1)
    misaligned[...] = p
    for layout in (np.asfortranarray(p), np.ascontiguousarray(p.T).T, p[::-1, ::-1].copy()[::-1, ::-1], misaligned):
        assert comparison(doc, layout, *args) == expected
    assert json.loads(expected)["series"][1]["data"][0]["value"] == 3.13


def test_member_positions():
    doc = '{"x":1,"series":[{"data":"old","type":"bar"},{"type":"bar"},null],"y":2}'
    out = comparison(doc, np.zeros((3, 1)), [[None]] * 3, ["c"], [1.0] * 3)
    item = '{"value":0.0,"itemStyle":{"color":"c","opacity":1.0}}'
    assert out == (
        '{"x":1,"series":[{"data":[' + item + '],"type":"bar"},{"type":"bar","data":[' + item + ']},'
        '{"data":[' + item + "]}],\"y\":2}"
    )


@pytest.mark.parametrize(
    "p_shape, counts, colors, opacities",
    [
        ((2, 4), [[1] * 4, [1] * 4], ["a", "b", "c"], [1.0, 1.0]),  # three colours for four columns
        ((2, 3), [[1] * 3, [1] * 2], ["a", "b", "c"], [1.0, 1.0]),  # one row a count short
        ((2, 3), [[1] * 3], ["a", "b", "c"], [1.0, 1.0]),  # one row of counts missing
        ((2, 3), [[1] * 3, [1] * 3], ["a", "b", "c"], [1.0]),  # one opacity missing
        ((0, 3), [], ["a", "b"], []),
    ],
)
def test_dimension_errors_come_before_decoding(p_shape, counts, colors, opacities):
    for doc in ['{"series":[{},{}]}', "not json", "{}"]:
        raises(ValueError, DIMENSIONS, comparison, doc, np.zeros(p_shape), counts, colors, opacities)


@pytest.mark.parametrize(
    "doc, exc, message",
    [
        ("", ValueError, "failed to decode option JSON: EOF while parsing a value at line 1 column 0"),
        ("[]", ValueError, "option JSON root must be an object"),
        ("{}", ValueError, NO_SERIES),
        ('{"series":null}', ValueError, NO_SERIES),
        ('{"series":{"0":{}}}', ValueError, NO_SERIES),
        ('{"series":"s"}', ValueError, NO_SERIES),
        ('{"series":[{},{},{}]}', ValueError, ROWS),
        ('{"series":[{}]}', ValueError, ROWS),
    ],
)
def test_document_failures(doc, exc, message):
    raises(exc, message, comparison, doc, np.ones((2, 1)), [[1], [2]], ["c"], [1.0, 1.0])


@pytest.mark.parametrize(
    "entry, kind",
    [("true", "boolean"), ("3", "number"), ("-1.5", "number"), ('"s"', "string"), ("[]", "array")],
)
def test_series_entries_of_other_kinds_are_internal_failures(entry, kind):
    internal_failure(
        f'cannot access key "data" in JSON {kind}',
        comparison,
        '{"series":[{},' + entry + "]}",
        np.ones((2, 1)),
        [[1], [2]],
        ["c"],
        [1.0, 1.0],
    )


def test_counts_and_opacities_of_other_sequence_types():
    p = np.ones((2, 2))
    expected = comparison('{"series":[{},{}]}', p, [[1, None], [3, 4]], ["a", "b"], [1.0, 0.5])

    class Row(list):
        pass

    class Half:
        def __float__(self):
            return 0.5

    for counts in (
        [(1, None), (3, 4)],
        ((1, None), [3, 4]),
        [Row([1, None]), [np.int64(3), 4]],
        [[True, None], range(3, 5)],
    ):
        assert comparison('{"series":[{},{}]}', p, counts, ["a", "b"], [1.0, 0.5]) == expected
    assert comparison('{"series":[{},{}]}', p, [[1, None], [3, 4]], ("a", "b"), (1, Half())) == expected


def test_long_rows_of_counts():
    k = 1440
    p = np.linspace(0, 100, 8 * k).reshape(8, k)
    counts = [[None if (i + j) % 7 == 0 else i * k + j for j in range(k)] for i in range(8)]
    colors = ["#%06x" % j for j in range(k)]
    opacities = [1.0 - i / 10 for i in range(8)]
    doc = '{"series":[' + ",".join(['{"type":"bar"}'] * 8) + "]}"
    out = comparison(doc, p, counts, colors, opacities)
    parsed = json.loads(out)
    for i in range(8):
        items = parsed["series"][i]["data"]
        assert [item.get("count") for item in items] == counts[i]
        assert [item["itemStyle"]["color"] for item in items] == colors
    # The same through the general sequence conversion (a list subclass is
    # not read by the exact-type fast path).
    assert comparison(doc, p, [RowList(row) for row in counts], colors, opacities) == out
    assert comparison(doc, p, [tuple(row) for row in counts], colors, opacities) == out


class RowList(list):
    pass


@pytest.mark.parametrize(
    "counts, exc, message",
    [
        ([[1, "x"]], TypeError, "argument 'counts': 'str' object cannot be interpreted as an integer"),
        ([[1, 1.5]], TypeError, "argument 'counts': 'float' object cannot be interpreted as an integer"),
        (["ab"], TypeError, "argument 'counts': Can't extract `str` to `Vec`"),
        ([{1, 2}], TypeError, "argument 'counts': 'set' object is not an instance of 'Sequence'"),
        ([[1, 2**63]], OverflowError, "Python int too large to convert to C long"),
        ([[1, -(2**63) - 1]], OverflowError, "Python int too large to convert to C long"),
        ("ab", TypeError, "argument 'counts': Can't extract `str` to `Vec`"),
    ],
)
def test_count_conversion_errors(counts, exc, message):
    raises(exc, message, comparison, "not json", np.ones((1, 2)), counts, ["a", "b"], [1.0])
    if not isinstance(counts, str):
        as_tuples = [tuple(row) if isinstance(row, list) else row for row in counts]
        raises(exc, message, comparison, "not json", np.ones((1, 2)), as_tuples, ["a", "b"], [1.0])


def test_count_extremes():
    out = comparison('{"series":[{}]}', np.ones((1, 2)), [[-(2**63), 2**63 - 1]], ["a", "b"], [1.0])
    assert [item["count"] for item in json.loads(out)["series"][0]["data"]] == [-(2**63), 2**63 - 1]
