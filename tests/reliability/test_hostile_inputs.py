"""Hostile inputs: nesting at and past the reader's limit wherever a document
is read, a 100 MB option text, strings made of escapes, texts that cannot be
encoded as UTF-8, and NaN and infinities in every array argument."""
import json
import math
import re
import xml.etree.ElementTree as ET

import numpy as np
import pytest

from tessel_vis import _core

DECODE = "failed to decode option JSON: "


def bar(option):
    return _core.finalize_activity_bar_option_json(option, np.array([1.0]), [1], ["#a"])


def heatmap(option):
    return _core.finalize_activity_heatmap_option_json(option, np.array([[1.0]]), True)


def comparison(option):
    return _core.finalize_activity_comparison_option_json(option, np.array([[1.0]]), [[1]], ["#a"], [0.5])


def svg(option):
    return _core.render_option_svg(option, 640, 480)


READERS = {"bar": bar, "heatmap": heatmap, "comparison": comparison, "svg": svg}


def nested(depth, leaf="1", mix=True):
    """`depth` containers one inside the other, arrays and objects alternating
    (or arrays only)."""
    text = leaf
    for level in range(depth):
        text = f'{{"k":{text}}}' if mix and level % 2 else f"[{text}]"
    return text


def depth_column(text, depth):
    """The 1-based column of a one-line text where the nesting first reaches `depth`."""
    level = 0
    for i, ch in enumerate(text):
        if ch in "[{":
            level += 1
            if level == depth:
                return i + 1
        elif ch in "]}":
            level -= 1
    raise AssertionError("not that deep")


# Places where a nested value can stand in a document that each function
# otherwise accepts. The root object is one level, so `inner` levels more
# make the total depth.
PLACES = {
    "root member": lambda inner: '{"series":[{}],"deep":' + nested(inner) + "}",
    "series entry member": lambda inner: '{"series":[{"deep":' + nested(inner - 2) + "}]}",
    "replaced data": lambda inner: '{"series":[{"data":' + nested(inner - 2) + "}]}",
    "second series": lambda inner: '{"series":[{},' + nested(inner - 1) + "]}",
    "visual map": lambda inner: '{"series":[{}],"visualMap":{"k":' + nested(inner - 1) + "}}",
    "arrays only": lambda inner: '{"series":[{}],"deep":' + nested(inner, mix=False) + "}",
}


def _accepts(reader, place):
    # The comparison finalizer needs exactly one series for a one-row table.
    return not (reader == "comparison" and place == "second series")


@pytest.mark.parametrize("place", PLACES)
@pytest.mark.parametrize("reader", READERS)
def test_127_levels_are_read_and_128_refused(reader, place):
    if not _accepts(reader, place):
        pytest.skip("a two-series document does not fit a one-row comparison")
    call = READERS[reader]
    deepest = PLACES[place](126)
    assert max_depth(json.loads(deepest)) == 127
    out = call(deepest)
    if reader != "svg":
        # Everything deep that the finalizer does not replace comes back as it was.
        back, original = json.loads(out), json.loads(deepest)
        kept = {
            "root member": lambda d: d["deep"],
            "arrays only": lambda d: d["deep"],
            "series entry member": lambda d: d["series"][0]["deep"],
            "second series": lambda d: d["series"][1],
            "visual map": lambda d: d["visualMap"]["k"],
        }
        if place in kept:
            assert kept[place](back) == kept[place](original)
    too_deep = PLACES[place](127)
    assert max_depth_text(too_deep) == 128
    with pytest.raises(ValueError) as info:
        call(too_deep)
    assert str(info.value) == f"{DECODE}recursion limit exceeded at line 1 column {depth_column(too_deep, 128)}"


def max_depth(value):
    if isinstance(value, list):
        return 1 + max((max_depth(v) for v in value), default=0)
    if isinstance(value, dict):
        return 1 + max((max_depth(v) for v in value.values()), default=0)
    return 0


def max_depth_text(text):
    depth = best = 0
    for ch in text:
        if ch in "[{":
            depth += 1
            best = max(best, depth)
        elif ch in "]}":
            depth -= 1
    return best


def test_thousands_of_levels_fail_without_exhausting_the_stack():
    text = "[" * 100_000 + "]" * 100_000
    for call in READERS.values():
        with pytest.raises(ValueError, match=re.escape(DECODE + "recursion limit exceeded at line 1 column 128")):
            call(text)


HUNDRED_MB = 100 * 1000 * 1000


@pytest.fixture(scope="module")
def huge_option():
    # A plausible document with one enormous member.
    head = '{"series":[{"type":"bar","data":[[1,2]]}],"big":"'
    return head + "x" * (HUNDRED_MB - len(head) - 2) + '"}'


@pytest.mark.parametrize("reader", READERS)
def test_a_100_mb_option_text(reader, huge_option):
    assert len(huge_option) == HUNDRED_MB
    out = READERS[reader](huge_option)
    if reader == "svg":
        assert out.endswith("</svg>") and len(out) < 10_000
        return
    start = out.index('"big":"') + len('"big":"')
    end = out.index('"', start)
    assert end - start == HUNDRED_MB - len('{"series":[{"type":"bar","data":[[1,2]]}],"big":"') - 2
    assert out[start:end].count("x") == end - start


def test_a_large_document_of_many_small_values():
    # 10 MB of points: the renderer draws all of them.
    n = 800_000
    option = '{"series":[{"type":"scatter","data":[' + ",".join(f"[{i},{i % 7}]" for i in range(n)) + "]}]}"
    out = svg(option)
    assert out.count("<circle ") == n


ESCAPES = '\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e9\\u20ac\\ud83d\\ude00\\u0000\\u001f\\u007f'


@pytest.mark.parametrize("reader", ["bar", "heatmap", "comparison"])
def test_strings_full_of_escapes_round_trip(reader):
    text = ESCAPES * 20_000
    option = '{"series":[{"name":"' + text + '"}],"' + ESCAPES * 3 + '":"' + text + '"}'
    expected = json.loads(option)
    back = json.loads(READERS[reader](option))
    assert back["series"][0]["name"] == expected["series"][0]["name"]
    key = next(k for k in expected if k != "series")
    assert back[key] == expected[key]


def test_svg_title_full_of_escapes():
    title = json.loads('"' + ESCAPES * 5_000 + '"')
    option = '{"title":{"text":"' + ESCAPES * 5_000 + '"},"series":[]}'
    out = svg(option)
    element = ET.fromstring(out).find("{http://www.w3.org/2000/svg}text")
    allowed = "".join(ch for ch in title if ch >= " " or ch in "\t\n\r")
    # XML parsers normalise line ends: a carriage return reads as a line feed.
    assert element.text == allowed.replace("\r\n", "\n").replace("\r", "\n")


@pytest.mark.parametrize(
    "escape, reason",
    [
        ("\\ud800", "unexpected end of hex escape"),
        ("\\udc00", "lone leading surrogate in hex escape"),
        ("\\ud800x", "unexpected end of hex escape"),
        ("\\ud800\\u0041", "lone leading surrogate in hex escape"),
        ("\\u12G4", "invalid escape"),
        ("\\x", "invalid escape"),
    ],
)
@pytest.mark.parametrize("reader", READERS)
def test_bad_escapes_are_reader_errors(reader, escape, reason):
    option = '{"series":[{}],"s":"' + escape + '"}'
    with pytest.raises(ValueError) as info:
        READERS[reader](option)
    assert str(info.value).startswith(f"{DECODE}{reason} at line 1 column ")


# Texts that cannot be encoded as UTF-8: lone surrogates (also the two
# halves of a pair as separate characters, and bytes smuggled in with
# surrogateescape), in a plain str and in a str subclass.
class Text(str):
    pass


UNENCODABLE = [
    "\ud800",
    "ok \udfff",
    "\ud83d\ude00",
    b"\xff\xfe".decode("utf-8", "surrogateescape"),
    Text('{"series": [{}], "x": "\udc80"}'),
]

ECDF_TEXTS = ["T", "x", "km", "x (km)", "#fff", "#333", "#ddd", "sans", "serif", "mono"]
ECDF_SERIES = [("A", [[1.0, 0.5]], "#111", None)]


def ecdf_with_text(index):
    def call(bad):
        texts = list(ECDF_TEXTS)
        texts[index] = bad
        return _core.build_ecdf_option_json(ECDF_SERIES, *texts)

    return call


TEXT_PARAMETERS = {
    "bar option_json": bar,
    "bar colors item": lambda bad: _core.finalize_activity_bar_option_json(
        '{"series":[{}]}', np.array([1.0, 2.0]), [1, 2], ["#a", bad]),
    "comparison option_json": comparison,
    "comparison colors item": lambda bad: _core.finalize_activity_comparison_option_json(
        '{"series":[{}]}', np.array([[1.0]]), [[1]], [bad], [0.5]),
    "heatmap option_json": heatmap,
    "svg option_json": svg,
    "ecdf series name": lambda bad: _core.build_ecdf_option_json([(bad, [], "#111", None)], *ECDF_TEXTS),
    "ecdf series colour": lambda bad: _core.build_ecdf_option_json([("A", [], bad, None)], *ECDF_TEXTS),
    **{f"ecdf text {i}": ecdf_with_text(i) for i in range(10)},
}


@pytest.mark.parametrize("bad", UNENCODABLE, ids=range(len(UNENCODABLE)))
@pytest.mark.parametrize("parameter", TEXT_PARAMETERS)
def test_unencodable_text_gives_the_interpreters_error(parameter, bad):
    with pytest.raises(UnicodeEncodeError) as expected:
        str.encode(bad, "utf-8")
    with pytest.raises(UnicodeEncodeError) as info:
        TEXT_PARAMETERS[parameter](bad)
    assert type(info.value) is UnicodeEncodeError
    assert str(info.value) == str(expected.value)
    assert info.value.args == expected.value.args


def test_non_ascii_texts_pass_through():
    option = '{"series":[{"name":"\u00e9\u20ac\U0001f600"}]}'
    back = json.loads(bar(option))
    assert back["series"][0]["name"] == "\u00e9\u20ac\U0001f600"


# NaN and infinities in every array argument.
NON_FINITE = [math.nan, math.inf, -math.inf]


@pytest.mark.parametrize("position", [0, 1, 4])
@pytest.mark.parametrize("bad", NON_FINITE)
def test_compute_ecdf_refuses_non_finite_values(bad, position):
    values = np.arange(5.0)
    values[position] = bad
    with pytest.raises(ValueError, match="^values must contain only finite values$"):
        _core.compute_ecdf(values)
    with pytest.raises(ValueError, match="^values must contain only finite values$"):
        _core.compute_ecdf(np.concatenate([np.arange(100_000.0), values]))


@pytest.mark.parametrize("bad", NON_FINITE)
def test_compute_ecdf_refuses_a_non_finite_cutoff(bad):
    with pytest.raises(ValueError, match=re.escape("cdf_cutoff must be finite and in the interval (0, 1]")):
        _core.compute_ecdf(np.arange(5.0), bad)


def test_bar_percentages_non_finite_are_null():
    pct = np.array([math.nan, math.inf, -math.inf, 1e307, 2.5])
    out = json.loads(_core.finalize_activity_bar_option_json('{"series":[{}]}', pct, [1, 2, 3, 4, 5], list("abcde")))
    data = out["series"][0]["data"]
    assert [d["value"] for d in data] == [None, None, None, None, 2.5]
    assert [d["count"] for d in data] == [1, 2, 3, 4, 5]
    assert [d["itemStyle"] for d in data] == [{"color": c} for c in "abcde"]


def test_comparison_percentages_and_opacities_non_finite_are_null():
    pct = np.array([[math.nan, math.inf], [-math.inf, 1.0]])
    out = json.loads(_core.finalize_activity_comparison_option_json(
        '{"series":[{},{}]}', pct, [[1, None], [None, 2]], ["#a", "#b"], [math.inf, math.nan]))
    rows = [s["data"] for s in out["series"]]
    assert [[d["value"] for d in row] for row in rows] == [[None, None], [None, 1.0]]
    assert all(d["itemStyle"]["opacity"] is None for row in rows for d in row)
    assert [[d.get("count") for d in row] for row in rows] == [[1, None], [None, 2]]


@pytest.mark.parametrize(
    "matrix, data, visual_max",
    [
        ([[math.nan, math.nan]], [], 100.0),
        ([[math.inf, 2.0]], [[0, 0, None], [1, 0, 2.0]], None),
        ([[-math.inf, math.nan]], [[0, 0, None]], 1.0),
        ([[-math.inf, 57.5], [math.nan, -math.inf]], [[0, 0, None], [1, 0, 57.5], [1, 1, None]], 57.5),
    ],
)
def test_heatmap_non_finite_cells(matrix, data, visual_max):
    out = json.loads(_core.finalize_activity_heatmap_option_json('{"series":[{}]}', np.array(matrix), True))
    assert out["series"][0]["data"] == data
    assert out["visualMap"]["max"] == visual_max


def test_ecdf_option_non_finite_points_are_null():
    points = [[math.nan, 0.5], [math.inf, -math.inf], [1.0, 1.0]]
    out = json.loads(_core.build_ecdf_option_json([("A", points, "#111", None)], *ECDF_TEXTS))
    assert out["series"][0]["data"] == [[None, 0.5], [None, None], [1.0, 1.0]]


def test_svg_skips_non_finite_and_overflowing_numbers():
    # The reader refuses NaN and infinities in text; numbers too large for a
    # double are refused as out of range, and the largest finite ones draw.
    with pytest.raises(ValueError, match=re.escape(DECODE + "number out of range")):
        svg('{"series":[{"data":[[1e309,1]]}]}')
    out = svg('{"series":[{"data":[[-1.7976931348623157e308,0],[1.7976931348623157e308,1],[0,2]]}]}')
    assert ET.fromstring(out) is not None
