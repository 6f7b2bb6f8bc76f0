"""finalize_activity_bar_option_json: checks, messages, member order and layouts."""
import json

import numpy as np
import pytest

from tessel_vis import _core
from assertions import raises, internal_failure

bar = _core.finalize_activity_bar_option_json

CONTIGUITY = "The given array is not contiguous or is misaligned."
LENGTHS = "percentages, counts, and colors must have equal length"


def data_of(text, entry=0):
    return json.loads(text)["series"][entry]["data"]


def test_items_have_value_item_style_and_count_in_order():
    out = bar('{"series":[{"type":"bar"}]}', np.array([12.5, 0.125]), [3, -4], ["#4c78a8", "red"])
    assert out == (
        '{"series":[{"type":"bar","data":['
        '{"value":12.5,"itemStyle":{"color":"#4c78a8"},"count":3},'
        '{"value":0.13,"itemStyle":{"color":"red"},"count":-4}]}]}'
    )
    assert type(out) is str


def test_rounding_worked_values_are_float_numbers():
    out = bar('{"series":[{}]}', np.array([0.125, 2.675, 1.005, 99.995, -0.125, 3.0, -0.001]), [0] * 7, ["c"] * 7)
    values = [item["value"] for item in data_of(out)]
    assert values == [0.13, 2.68, 1.0, 100.0, -0.13, 3.0, -0.0]
    assert '"value":1.0,' in out and '"value":3.0,' in out and '"value":-0.0,' in out


@pytest.mark.parametrize("value", [np.nan, np.inf, -np.inf, 1e307, -1e307])
def test_non_finite_percentages_give_null_and_keep_the_rest(value):
    out = bar('{"series":[{}]}', np.array([value]), [5], ["c"])
    assert out == '{"series":[{"data":[{"value":null,"itemStyle":{"color":"c"},"count":5}]}]}'


def test_counts_keep_their_sign_and_range():
    out = bar('{"series":[{}]}', np.zeros(3), [-(2**63), 2**63 - 1, 0], ["a", "b", "c"])
    assert [item["count"] for item in data_of(out)] == [-(2**63), 2**63 - 1, 0]


def test_empty_arrays_set_an_empty_data_array():
    assert bar('{"series":[{"a":1}]}', np.zeros(0), [], []) == '{"series":[{"a":1,"data":[]}]}'
    # The series must still have a first entry.
    internal_failure("cannot access index 0 of JSON array of length 0", bar, '{"series":[]}', np.zeros(0), [], [])


def test_member_positions():
    # An existing "data" keeps its position; a missing one is appended.
    assert (
        bar('{"x":1,"series":[{"data":[1,2],"type":"bar"}],"y":2}', np.array([1.0]), [1], ["c"])
        == '{"x":1,"series":[{"data":[{"value":1.0,"itemStyle":{"color":"c"},"count":1}],"type":"bar"}],"y":2}'
    )
    assert bar('{"series":[{"type":"bar","name":"n"}]}', np.zeros(0), [], []) == (
        '{"series":[{"type":"bar","name":"n","data":[]}]}'
    )
    # A null first entry becomes an object holding only "data".
    assert bar('{"series":[null, 3]}', np.zeros(0), [], []) == '{"series":[{"data":[]},3]}'


def test_only_the_first_series_is_edited():
    doc = '{"series":[{"type":"bar"},{"type":"line","data":[1, 2.50,  -0]}]}'
    assert bar(doc, np.zeros(0), [], []) == '{"series":[{"type":"bar","data":[]},{"type":"line","data":[1,2.5,-0.0]}]}'


def test_document_is_written_back_compact_in_order():
    doc = ' \n{"b": 1, "a": {"z": [true, false, null], "y": "\\u00e9\\n"}, "b": 3, "series": [{}]}\r\n\t'
    assert bar(doc, np.zeros(0), [], []) == '{"b":3,"a":{"z":[true,false,null],"y":"é\\n"},"series":[{"data":[]}]}'


def test_colors_are_copied_unchanged():
    colors = ["", "été", 'q"uote\\', "\t\x01\x7f", "😀"]
    out = bar('{"series":[{}]}', np.zeros(5), [0] * 5, colors)
    assert [item["itemStyle"]["color"] for item in data_of(out)] == colors
    assert '"color":"\\t\\u0001\x7f"' in out


def test_arguments_by_keyword_and_as_tuples():
    out = bar(colors=("a",), counts=(1,), percentages=np.array([1.0]), option_json='{"series":[{}]}')
    assert out == bar('{"series":[{}]}', np.array([1.0]), [1], ["a"])


def test_counts_of_other_integer_types():
    class Index:
        def __index__(self):
            return 7

    class IntList(list):
        pass

    expected = bar('{"series":[{}]}', np.zeros(4), [1, 0, 7, 5], ["c"] * 4)
    assert bar('{"series":[{}]}', np.zeros(4), [True, False, Index(), np.int64(5)], ["c"] * 4) == expected
    assert bar('{"series":[{}]}', np.zeros(4), IntList([1, 0, 7, 5]), ["c"] * 4) == expected
    assert bar('{"series":[{}]}', np.zeros(4), np.array([1, 0, 7, 5]), ["c"] * 4) == expected


def test_long_sequences():
    n = 5000
    p = np.linspace(0, 100, n)
    counts = list(range(-n, 2 * n, 3))
    colors = ["#%06x" % i for i in range(n)]
    out = bar('{"series":[{}]}', p, counts, colors)
    items = data_of(out)
    assert [item["count"] for item in items] == counts
    assert [item["itemStyle"]["color"] for item in items] == colors
    assert out == bar('{"series":[{}]}', p, tuple(counts), tuple(colors))


@pytest.mark.parametrize(
    "make",
    [
        lambda a: a[::-1],
        lambda a: a[::2],
        lambda a: np.ndarray((len(a) // 2,), dtype=np.float64, buffer=bytearray(len(a) * 8 + 1), offset=1),
    ],
    ids=["reversed", "strided", "misaligned"],
)
def test_non_contiguous_or_misaligned_percentages_are_refused(make):
    a = make(np.arange(8.0))
    n = len(a)
    raises(TypeError, CONTIGUITY, bar, '{"series":[{}]}', a, [0] * n, ["c"] * n)
    # Contiguity is checked before the lengths.
    raises(TypeError, CONTIGUITY, bar, '{"series":[{}]}', a, [0], [])
    # A fresh copy of the same view is accepted.
    assert bar('{"series":[{}]}', a.copy(), [0] * n, ["c"] * n).startswith('{"series":[{"data":[{')


def test_single_element_and_empty_views_pass():
    a = np.arange(4.0)
    assert bar('{"series":[{}]}', a[2:3][::-1], [0], ["c"]) == bar('{"series":[{}]}', np.array([2.0]), [0], ["c"])
    assert bar('{"series":[{}]}', a[::-2][:0], [], []) == '{"series":[{"data":[]}]}'


def test_read_only_and_subclass_arrays_are_accepted():
    class Arr(np.ndarray):
        pass

    a = np.array([1.0, 2.0])
    a.setflags(write=False)
    expected = bar('{"series":[{}]}', np.array([1.0, 2.0]), [1, 2], ["a", "b"])
    assert bar('{"series":[{}]}', a, [1, 2], ["a", "b"]) == expected
    assert bar('{"series":[{}]}', a.view(Arr), [1, 2], ["a", "b"]) == expected


@pytest.mark.parametrize("lengths", [(3, 3, 2), (2, 3, 3), (3, 2, 3), (0, 0, 1)])
def test_length_mismatch_is_reported_whatever_the_option_text(lengths):
    p, c, k = lengths
    for doc in ['{"series":[{}]}', "not json", "[]", "{}"]:
        raises(ValueError, LENGTHS, bar, doc, np.zeros(p), [0] * c, ["c"] * k)


@pytest.mark.parametrize(
    "doc, message",
    [
        ("", "failed to decode option JSON: EOF while parsing a value at line 1 column 0"),
        ("{} {}", "failed to decode option JSON: trailing characters at line 1 column 4"),
        ('{"a":1,}', "failed to decode option JSON: trailing comma at line 1 column 8"),
        ('{"series":[{}]}\n]', "failed to decode option JSON: trailing characters at line 2 column 1"),
        ('{"a":NaN}', "failed to decode option JSON: expected value at line 1 column 6"),
        ("[]", "option JSON root must be an object"),
        ("3", "option JSON root must be an object"),
        ('"s"', "option JSON root must be an object"),
        ("null", "option JSON root must be an object"),
        (" true ", "option JSON root must be an object"),
    ],
)
def test_decoding_failures(doc, message):
    raises(ValueError, message, bar, doc, np.zeros(1), [1], ["c"])


@pytest.mark.parametrize(
    "doc, message",
    [
        ("{}", "cannot access index 0 of JSON null"),
        ('{"series":null}', "cannot access index 0 of JSON null"),
        ('{"series":[]}', "cannot access index 0 of JSON array of length 0"),
        ('{"series":true}', "cannot access index 0 of JSON boolean"),
        ('{"series":1.5}', "cannot access index 0 of JSON number"),
        ('{"series":"s"}', "cannot access index 0 of JSON string"),
        ('{"series":{"data":[]}}', "cannot access index 0 of JSON object"),
        ('{"series":[false]}', 'cannot access key "data" in JSON boolean'),
        ('{"series":[-2]}', 'cannot access key "data" in JSON number'),
        ('{"series":["s"]}', 'cannot access key "data" in JSON string'),
        ('{"series":[[]]}', 'cannot access key "data" in JSON array'),
    ],
)
def test_structural_failures_are_internal(doc, message):
    internal_failure(message, bar, doc, np.zeros(1), [1], ["c"])


def test_conversion_comes_before_every_check():
    raises(
        TypeError,
        "argument 'colors': 'int' object is not an instance of 'str'",
        bar,
        "not json",
        np.arange(4.0)[::2],
        [1],
        [1, 2, 3],
    )
    raises(OverflowError, "Python int too large to convert to C long", bar, "x", np.zeros(1), [2**63], [])
    raises(TypeError, "argument 'counts': 'float' object cannot be interpreted as an integer", bar, "x", np.zeros(1), [1.0], [])
    raises(TypeError, "argument 'counts': 'NoneType' object cannot be interpreted as an integer", bar, "x", np.zeros(1), [None], [])
    raises(
        TypeError,
        "argument 'percentages': 'ndarray' object is not an instance of 'ndarray'",
        bar,
        "{}",
        np.zeros((1, 1)),
        [],
        [],
    )
