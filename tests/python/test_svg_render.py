"""render_option_svg: arguments, refusals, frame, drawing and text forms."""

import json
import xml.etree.ElementTree as ET

import pytest

from tessel_vis import _core

SVG_NS = "{http://www.w3.org/2000/svg}"


def render(doc, width=640, height=480):
    """The picture of `doc`, which must parse as XML with an svg root."""
    svg = _core.render_option_svg(doc if isinstance(doc, str) else json.dumps(doc), width, height)
    assert ET.fromstring(svg).tag == SVG_NS + "svg"
    return svg


def frame(w=640, h=480, bg="white", fg="#111111", title=None, r=None, b=None):
    r, b = (w - 28 if r is None else r), (h - 58 if b is None else b)
    head = f'<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 {w} {h}" width="{w}" height="{h}" role="img"><rect width="100%" height="100%" fill="{bg}"/>'
    if title is not None:
        head += f'<text x="0" y="36" fill="{fg}" font-size="32" font-family="sans-serif">{title}</text>'
    return head + f'<line x1="72" y1="{b}" x2="{r}" y2="{b}" stroke="{fg}" stroke-width="1.5"/><line x1="72" y1="64" x2="72" y2="{b}" stroke="{fg}" stroke-width="1.5"/>'


def polyline(points, colour="#111111"):
    return f'<polyline points="{points}" fill="none" stroke="{colour}" stroke-width="2.4" stroke-linecap="round" stroke-linejoin="round"/>'


def rect(x, y, w, h, fill="#111111"):
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{fill}"/>'


def data_part(doc, width=640, height=480):
    svg = render(doc, width, height)
    head = frame(width, height)
    assert svg.startswith(head) and svg.endswith("</svg>")
    return svg[len(head):-6]


# --- arguments and refusals ----------------------------------------------


@pytest.mark.parametrize("args, exc, message", [
    (("{}",), TypeError, "render_option_svg() missing 2 required positional arguments: 'width' and 'height'"),
    ((b"{}", 1, 1), TypeError, "argument 'option_json': 'bytes' object is not an instance of 'str'"),
    (("{}", 1, 2**32), OverflowError, "out of range integral type conversion attempted"),
])
def test_argument_refusals(args, exc, message):
    with pytest.raises(exc) as info:
        _core.render_option_svg(*args)
    assert str(info.value) == message


def test_keywords_are_accepted():
    assert _core.render_option_svg(height=480, width=640, option_json='{"series":[]}') == frame() + "</svg>"


NO_SERIES = "option JSON must contain a series array"
COMPARISON = "SVG rendering is not supported for chart type stvd_comparison"
CUSTOM = "SVG rendering is not supported for custom series"


@pytest.mark.parametrize("text, message", [
    ("[]", NO_SERIES), ("3", NO_SERIES), ("{}", NO_SERIES), ('{"series": {}}', NO_SERIES),
    ("", "failed to decode option JSON: EOF while parsing a value at line 1 column 0"),
    ('{"series": [],}', "failed to decode option JSON: trailing comma at line 1 column 15"),
    # Checks run in order: chart type, then series, then custom series.
    ('{"_meta": {"chartType": "stvd_comparison"}}', COMPARISON),
    ('{"_meta": {"chartType": "stvd_comparison"}, "series": [{"type": "custom"}]}', COMPARISON),
    ('{"_meta": {"chartType": "STVD_comparison"}}', NO_SERIES),
    ('{"_meta": {"chartType": 3}, "series": 1}', NO_SERIES),
    ('{"series": [{"type": "line"}, 5, {"type": "custom"}]}', CUSTOM),
])
def test_refusals(text, message):
    with pytest.raises(ValueError) as info:
        _core.render_option_svg(text, 640, 480)
    assert str(info.value) == message


def test_near_misses_render():
    doc = {"_meta": {"chartType": "Stvd_comparison"}, "series": [{"type": 3}, {"type": "Custom"}]}
    assert render(doc) == frame() + "</svg>"


# --- frame ---------------------------------------------------------------


@pytest.mark.parametrize("w, h, r, b", [
    (640, 480, 612, 422), (20, 40, 0, 0), (0, 0, 0, 0), (28, 58, 0, 0), (29, 59, 1, 1),
    (2**32 - 1, 2**32 - 1, 2**32 - 29, 2**32 - 59),
])
def test_frame_sizes(w, h, r, b):
    assert render({"series": []}, w, h) == frame(w, h, r=r, b=b) + "</svg>"


@pytest.mark.parametrize("doc, kw", [
    ({"backgroundColor": {"type": "linear"}}, {}),
    ({"backgroundColor": "#1f77b4", "textStyle": {"color": "rgb(1,2,3)"}}, {"bg": "#1f77b4", "fg": "rgb(1,2,3)"}),
    ({"textStyle": {"color": "steelblue"}, "title": {"text": "T"}}, {"fg": "steelblue", "title": "T"}),
    ({"title": []}, {}),
    ({"title": {"text": ""}}, {}),
    ({"title": [{"text": "A"}, {"text": "B"}]}, {"title": "A"}),
    ({"title": [5, {"text": "B"}]}, {}),
    ({"title": {"text": "a & b"}}, {"title": "a &amp; b"}),
    ({"title": {"text": "<w> \"q\" it's &amp; é"}}, {"title": "&lt;w&gt; &quot;q&quot; it's &amp;amp; é"}),
    # Hostile text: markup is escaped in colours too, and characters XML
    # cannot hold are left out.
    ({"backgroundColor": 'red" onload="alert(1)'}, {"bg": "red&quot; onload=&quot;alert(1)"}),
    ({"textStyle": {"color": "<b>&\x00"}, "title": {"text": "x"}}, {"fg": "&lt;b&gt;&amp;", "title": "x"}),
    ({"title": {"text": "a\x00\x08\x0b\x1f\ufffe\uffff\ufffdb\t\n\r"}}, {"title": "a\ufffdb\t\n\r"}),
    ({"title": {"text": "\x01"}}, {"title": ""}),
])
def test_frame_settings(doc, kw):
    svg = render({**doc, "series": []})
    assert svg == frame(**kw) + "</svg>"


def test_hostile_colour_stays_one_attribute():
    doc = {"series": [{"data": [[0, 0], [1, 1]], "lineStyle": {"color": '" onload="alert(1)'}}]}
    line = ET.fromstring(render(doc)).find(SVG_NS + "polyline")
    assert line.get("stroke") == '" onload="alert(1)' and line.get("onload") is None


# --- line and scatter ------------------------------------------------------


@pytest.mark.parametrize("data, points", [
    ([[0, 0], [10, 5]], "72.00,422.00 612.00,64.00"),
    ([[3, 4]], "1692.00,-1010.00"),
    ([[0, 2], [1, 4]], "72.00,243.00 612.00,64.00"),
    ([[1], ["a", 2], 7, {"value": 3}, [1, 2, 3], [True, 1], [0, 1]], "612.00,64.00 72.00,243.00"),
    ([[-1, -2], [1, 2]], "72.00,422.00 612.00,64.00"),
])
def test_polyline_points(data, points):
    assert data_part({"series": [{"type": "line", "data": data}]}) == polyline(points)


def test_series_kinds_in_line_and_scatter_charts():
    styled = {"lineStyle": {"color": "red"}, "itemStyle": {"color": "blue"}}
    series = [{"data": [[0, 0]], **styled}, {"type": "scatter", "data": [[10, 5]]}, {"type": "pie", "data": [[5, 5]]}]
    circle = '<circle cx="612.00" cy="64.00" r="3.5" fill="#111111"/>'
    assert data_part({"series": series}) == polyline("72.00,422.00", "red") + circle
    scatter = [{"type": "scatter", "data": [[0, 0]], "itemStyle": {"color": "blue"}}, series[0]]
    both = '<circle cx="72.00" cy="422.00" r="3.5" fill="blue"/><circle cx="72.00" cy="422.00" r="3.5" fill="red"/>'
    assert data_part({"series": scatter}) == both


# --- bars -----------------------------------------------------------------


def test_bars_three_categories():
    doc = {"xAxis": {"data": ["a", "b", "c"]}, "series": [{"type": "bar", "data": [1, 2, 3]}]}
    assert data_part(doc) == (rect("97.20", "302.67", "42.00", "119.33") + rect("277.20", "183.33", "42.00", "238.67")
                              + rect("457.20", "64.00", "42.00", "358.00"))


def test_bars_twelve_categories_two_series():
    doc = {"xAxis": {"data": list(range(12))}, "series": [{"type": "bar", "data": [1]}, {"type": "line", "data": [1]}]}
    assert data_part(doc) == rect("78.30", "64.00", "16.20", "358.00") + rect("94.50", "64.00", "16.20", "358.00")


@pytest.mark.parametrize("data, bars", [
    ([0.5], rect("97.20", "243.00", "42.00", "179.00")),
    ([None, 2], rect("277.20", "64.00", "42.00", "358.00")),
    ([{"value": 5, "itemStyle": {"color": "#1f77b4"}}, {"value": 5}, {"itemStyle": {"color": "x"}}, "5", True],
     rect("97.20", "64.00", "42.00", "358.00", "#1f77b4") + rect("277.20", "64.00", "42.00", "358.00", "green")),
    ([-1], rect("97.20", "780.00", "42.00", "-358.00", "#111111")),
])
def test_bar_items(data, bars):
    series = {"type": "bar", "data": data, "lineStyle": {"color": "red"}, "itemStyle": {"color": "green"}}
    expected = bars.replace('fill="#111111"', 'fill="green"')
    assert data_part({"xAxis": {"data": [1, 2, 3]}, "series": [series]}) == expected


def test_zero_bar_in_short_picture_has_negative_zero_height():
    svg = render({"series": [{"type": "bar", "data": [0]}]}, 640, 100)
    assert svg.endswith(rect("147.60", "42.00", "42.00", "-0.00") + "</svg>")


# --- heatmap ---------------------------------------------------------------


def heat(cells, nx=24, ny=7):
    doc = {"xAxis": {"data": list(range(nx))}, "yAxis": {"data": list(range(ny))},
           "series": [{"type": "heatmap", "data": cells}]}
    return data_part(doc)


@pytest.mark.parametrize("cell, x, y, fill", [
    ([3, 2, 4], "131.00", "166.29", "rgb(55,100,165)"),
    ([1.0, 0, 0], "72.00", "64.00", "rgb(245,245,245)"),
    ([-1, 1, -3], "72.00", "115.14", "rgb(245,245,245)"),
    ([0, "1", "x"], "72.00", "64.00", "rgb(245,245,245)"),
    ([0, 0, 1], "72.00", "64.00", "rgb(198,209,225)"),
    ([0, 0, 2], "72.00", "64.00", "rgb(150,172,205)"),
    ([30, 9, 4, "extra"], "662.00", "524.29", "rgb(55,100,165)"),
])
def test_heatmap_cells(cell, x, y, fill):
    # A second cell of value 4 fixes the maximum.
    assert heat([cell, [0, 0, 4]]) == rect(x, y, "19.67", "51.14", fill) + rect("72.00", "64.00", "19.67", "51.14", "rgb(55,100,165)")


@pytest.mark.parametrize("series", [{"type": "heatmap"}, {"type": "heatmap", "data": {}}])
def test_heatmap_without_data_is_only_the_frame(series):
    assert data_part({"series": [series]}) == ""


# --- items holding arrays and objects -------------------------------------


def test_nested_values_in_items_are_stepped_over():
    # Elements after an array or object inside an item are read at their own
    # position, and items after such an item keep their category.
    points = [[[1, 2], 3], [0, [5]], [0, 0, [9, 9]], [{"a": [1]}, 1], [10, 5, {"a": 1}]]
    assert data_part({"series": [{"type": "line", "data": points}]}) == polyline("72.00,422.00 612.00,64.00")

    cells = [[[1, 7], [3], 2, [4]], [{"a": {"b": [1, 2, 3]}}, 2, 4], [0, 0, 4]]
    top = rect("72.00", "64.00", "19.67", "51.14", "rgb(55,100,165)")
    assert heat(cells) == rect("72.00", "64.00", "19.67", "51.14", "rgb(150,172,205)") + rect(
        "72.00", "166.29", "19.67", "51.14", "rgb(55,100,165)") + top

    bars = [{"value": 1, "itemStyle": {"color": "x"}}, [[2]], 3]
    doc = {"xAxis": {"data": [1, 2, 3]}, "series": [{"type": "bar", "data": bars, "itemStyle": {"color": "green"}}]}
    assert data_part(doc) == rect("97.20", "302.67", "42.00", "119.33", "x") + rect("457.20", "64.00", "42.00", "358.00", "green")

    # The second series keeps its shift after a first one whose items are all nested.
    series = [{"type": "bar", "data": [[[1]], {"value": {"a": 2}}]}, {"type": "bar", "data": [3]}]
    assert data_part({"xAxis": {"data": [1, 2, 3]}, "series": series}) == rect("139.20", "64.00", "42.00", "358.00")


# --- rounding of every operation -------------------------------------------


def test_products_are_rounded_before_they_are_added():
    # A fused multiply-add would give 111.825 and 64.50000000000001 here,
    # written 111.83 and 65.
    assert data_part({"series": [{"data": [[59, 0], [800, 1]]}]}) == polyline("111.82,422.00 612.00,64.00")
    cells = data_part({"series": [{"type": "heatmap", "data": [[0, 0, 19], [0, 0, 20]]}]})
    assert cells.startswith(rect("72.00", "64.00", "472.00", "358.00", "rgb(64,107,169)"))
