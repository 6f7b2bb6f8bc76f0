import json
import math
import random
import threading

import numpy as np
import pytest

from tessel_vis import _core

TEXTS = ("T", "Distance", "km", "Distance (km)", "#ffffff", "#333333", "#dddddd", "sans-serif", "serif", "monospace")
EXAMPLE = (
    '{"title":[{"text":"T","textStyle":{"color":"#333333","fontWeight":500,"fontFamily":"serif","fontSize":32.0},"left":0,"top":0}],'
    '"animation":false,'
    '"tooltip":{"trigger":"axis","padding":[10.0,14.0],"backgroundColor":"#ffffff","borderColor":"#333333","borderWidth":1.25,"extraCssText":"border-radius:0; box-shadow:none; min-width:210px;","textStyle":{"color":"#333333"},"axisPointer":{"type":"line","lineStyle":{"color":"#333333","type":[2,4],"width":1,"opacity":0.55},"label":{"show":false}}},'
    '"legend":{"top":12,"right":0,"itemGap":22.0,"itemWidth":24.0,"itemHeight":8.0,"textStyle":{"color":"#333333","fontFamily":"sans-serif","fontSize":15.0}},'
    '"grid":{"left":76,"top":64,"right":28,"containLabel":false},'
    '"xAxis":{"type":"value","name":"Distance","nameLocation":"middle","nameTextStyle":{"color":"#333333","fontFamily":"monospace","fontSize":14.0},"nameGap":38.0,"min":0,"splitNumber":5.0,"axisLabel":{"fontFamily":"monospace","fontSize":16.0,"color":"#333333"},"axisTick":{"length":6.0,"lineStyle":{"color":"#333333","width":1.25}},"splitLine":{"show":false},"axisLine":{"lineStyle":{"color":"#333333","width":1.5}}},'
    '"yAxis":{"type":"value","name":"F(X)","nameLocation":"middle","nameTextStyle":{"color":"#333333","fontFamily":"monospace","fontSize":14.0},"nameGap":56.0,"min":0,"max":1,"interval":0.2,"axisLabel":{"fontFamily":"monospace","fontSize":16.0,"color":"#333333"},"axisTick":{"length":6.0,"lineStyle":{"color":"#333333","width":1.25}},"splitLine":{"lineStyle":{"color":"#dddddd","width":1.0,"type":[2,5]}},"axisLine":{"lineStyle":{"color":"#333333","width":1.5}},"nameRotate":90},'
    '"backgroundColor":"#ffffff",'
    '"series":[{"type":"line","name":"A","showSymbol":false,"lineStyle":{"color":"#1f77b4","width":2.4,"cap":"round","join":"round"},"smooth":0.35,"z":2,"data":[[1.0,0.5],[2.0,1.0]],"legendIcon":"path://M0,4 L24,4","emphasis":{"lineStyle":{"width":2.4}}}],'
    '"textStyle":{"fontFamily":"sans-serif","color":"#333333"},'
    '"_meta":{"xUnit":"km","xLabel":"Distance (km)"}}'
)


def build(series, texts=TEXTS):
    return _core.build_ecdf_option_json(series, *texts)


def ordered(text):
    """The document with every object as a list of (key, value) pairs, so that comparisons see member order."""
    return json.loads(text, object_pairs_hook=list)


def icon(dash):
    """Model of the legend icon: boundaries of the repeated pattern, cut at 24; dashes between even and odd ones."""
    if not dash or not any(dash):
        return "path://M0,4 L24,4"
    bounds = [0]
    k = 0
    while bounds[-1] < 24:
        bounds.append(min(bounds[-1] + dash[k % len(dash)], 24))
        k += 1
    if len(bounds) % 2 == 0:
        bounds.append(24)
    return "path://" + " ".join(f"M{bounds[i]},4 L{bounds[i + 1]},4" for i in range(0, len(bounds) - 1, 2))


def model(series, texts=TEXTS):
    """Independent model of the whole document, as ordered pairs."""
    title, x_name, x_unit, x_label, bg, axis, grid, sans, serif, mono = texts
    name_style = [("color", axis), ("fontFamily", mono), ("fontSize", 14.0)]
    label = [("fontFamily", mono), ("fontSize", 16.0), ("color", axis)]
    tick = [("length", 6.0), ("lineStyle", [("color", axis), ("width", 1.25)])]
    axis_line = [("lineStyle", [("color", axis), ("width", 1.5)])]
    doc = [
        ("title", [[("text", title), ("textStyle", [("color", axis), ("fontWeight", 500), ("fontFamily", serif), ("fontSize", 32.0)]), ("left", 0), ("top", 0)]]),
        ("animation", False),
        ("tooltip", [("trigger", "axis"), ("padding", [10.0, 14.0]), ("backgroundColor", bg), ("borderColor", axis), ("borderWidth", 1.25),
                     ("extraCssText", "border-radius:0; box-shadow:none; min-width:210px;"), ("textStyle", [("color", axis)]),
                     ("axisPointer", [("type", "line"), ("lineStyle", [("color", axis), ("type", [2, 4]), ("width", 1), ("opacity", 0.55)]), ("label", [("show", False)])])]),
        ("legend", [("top", 12), ("right", 0), ("itemGap", 22.0), ("itemWidth", 24.0), ("itemHeight", 8.0), ("textStyle", [("color", axis), ("fontFamily", sans), ("fontSize", 15.0)])]),
        ("grid", [("left", 76), ("top", 64), ("right", 28), ("containLabel", False)]),
        ("xAxis", [("type", "value"), ("name", x_name), ("nameLocation", "middle"), ("nameTextStyle", name_style), ("nameGap", 38.0), ("min", 0), ("splitNumber", 5.0),
                   ("axisLabel", label), ("axisTick", tick), ("splitLine", [("show", False)]), ("axisLine", axis_line)]),
        ("yAxis", [("type", "value"), ("name", "F(X)"), ("nameLocation", "middle"), ("nameTextStyle", name_style), ("nameGap", 56.0), ("min", 0), ("max", 1), ("interval", 0.2),
                   ("axisLabel", label), ("axisTick", tick), ("splitLine", [("lineStyle", [("color", grid), ("width", 1.0), ("type", [2, 5])])]), ("axisLine", axis_line), ("nameRotate", 90)]),
        ("backgroundColor", bg),
    ]
    elements = []
    for i, (name, points, color, dash) in enumerate(series):
        style = [("color", color), ("width", 2.4)] + ([("type", list(dash))] if dash is not None else []) + [("cap", "round"), ("join", "round")]
        element = [("type", "line"), ("name", name), ("showSymbol", False), ("lineStyle", style), ("smooth", 0.35), ("z", len(series) + 1 - i)]
        if len(points):
            element.append(("data", [[float(x) if math.isfinite(float(x)) else None for x in point] for point in points]))
        element += [("legendIcon", icon(dash)), ("emphasis", [("lineStyle", [("width", 2.4)])])]
        elements.append(element)
    if elements:
        doc.append(("series", elements))
    doc += [("textStyle", [("fontFamily", sans), ("color", axis)]), ("_meta", [("xUnit", x_unit), ("xLabel", x_label)])]
    return doc


def same_kinds(a, b):
    """Equal, with ints and floats kept apart (1 is not 1.0 here)."""
    if isinstance(a, list) and isinstance(b, list):
        return len(a) == len(b) and all(same_kinds(x, y) for x, y in zip(a, b))
    if isinstance(a, tuple) and isinstance(b, tuple):
        return a[0] == b[0] and same_kinds(a[1], b[1])
    return type(a) is type(b) and a == b


@pytest.mark.parametrize("dash, style, legend", [
    (None, '"lineStyle":{"color":"#1f77b4","width":2.4,"cap":"round","join":"round"}', '"legendIcon":"path://M0,4 L24,4"'),
    ([6, 4], '"lineStyle":{"color":"#1f77b4","width":2.4,"type":[6,4],"cap":"round","join":"round"}',
     '"legendIcon":"path://M0,4 L6,4 M10,4 L16,4 M20,4 L24,4"'),
])
def test_worked_example_and_dashed_variant(dash, style, legend):
    expected = EXAMPLE.replace('"lineStyle":{"color":"#1f77b4","width":2.4,"cap":"round","join":"round"}', style).replace(
        '"legendIcon":"path://M0,4 L24,4"', legend)
    assert build([("A", [[1.0, 0.5], [2.0, 1.0]], "#1f77b4", dash)]) == expected


def test_random_documents_match_the_model():
    rng = random.Random(3)
    specials = [0.0, -0.0, math.nan, math.inf, -math.inf, 5e-324, 1e16, 1e-5, 1e-6, 1.7976931348623157e308]
    for _ in range(300):
        series = []
        for i in range(rng.randrange(4)):
            points = [[rng.choice(specials) if rng.random() < 0.2 else rng.uniform(-1e6, 1e6) * 10 ** rng.randint(-30, 30)
                       for _ in range(rng.randrange(4))] for _ in range(rng.randrange(30))]
            dash = rng.choice([None, [], [0], [rng.randrange(30) for _ in range(rng.randrange(1, 5))]])
            series.append((f"s{i} \"q\" \\ é \x01", points, f"#{i}", dash))
        texts = tuple(rng.choice(["", "a", 'q"uote', "back\\slash", "tab\t", "ü€😀", "\x00\x1f\x7f"]) for _ in TEXTS)
        text = build(series, texts)
        assert same_kinds(ordered(text), model(series, texts))
        assert text.isascii() == all(t.isascii() for t in texts + tuple(s[0] + s[2] for s in series))


@pytest.mark.parametrize("n", [0, 1, 2, 5])
def test_series_count_decides_z_and_presence(n):
    doc = json.loads(build([(f"s{i}", [[1.0, 0.5]], "#000", None) for i in range(n)]))
    assert [s["z"] for s in doc.get("series", [])] == [n + 1 - i for i in range(n)]
    assert ("series" in doc) == (n > 0)


@pytest.mark.parametrize("points, data", [
    ([], None),
    ([[]], [[]]),
    ([[1.0], [1.0, 2.0, 3.0]], [[1.0], [1.0, 2.0, 3.0]]),
    ([[1.0, 2.0, 3.0, 4.0, 5.0], [6.0]], [[1.0, 2.0, 3.0, 4.0, 5.0], [6.0]]),  # longer than room for two per point
    ([[math.nan, math.inf], [-math.inf, -0.0]], [[None, None], [None, -0.0]]),
])
def test_point_shapes(points, data):
    (series,) = json.loads(build([("a", points, "#000", None)]))["series"]
    assert series.get("data") == data


@pytest.mark.parametrize("points", [
    [[1, 2], [3, 4]],                                    # ints
    [(1.5, 2.5), (3.5, 4.5)],                            # tuples
    ((1.5, 2.5), (3.5, 4.5)),                            # a tuple of tuples
    [np.array([1.5, 2.5]), np.array([3.5, 4.5])],        # arrays
    [[np.float64(1.5), 2.5], [3.5, np.float32(4.5)]],     # NumPy scalars
    [[1.5, 2.5], [3.5, True]],                           # a bool converts like a float
    [[1.5, 2.5], [3.5, 4.5], [5, 6.5]],                  # floats first, then an int
])
def test_other_number_sequences_convert_like_float_lists(points):
    expected = [[float(x) for x in p] for p in points]
    assert build([("a", points, "#000", None)]) == build([("a", expected, "#000", None)])


def test_escaped_texts_round_trip():
    odd = 'a"b\\c/d\n\t\x00\x1f\x7f é 😀'
    text = build([(odd, [[1.0, 1.0]], odd, None)], (odd,) * 10)
    assert '\\u0000' in text and '\\u001f' in text and '\x7f' in text and '\\"' in text and '/' in text
    doc = json.loads(text)
    assert doc["title"][0]["text"] == odd and doc["series"][0]["name"] == odd and doc["_meta"]["xLabel"] == odd


@pytest.mark.parametrize("dash", [[], [0], [0, 0, 0]])
def test_empty_and_all_zero_dash_patterns_draw_a_solid_icon(dash):
    (series,) = json.loads(build([("a", [[1.0, 1.0]], "#000", dash)]))["series"]
    assert series["legendIcon"] == "path://M0,4 L24,4"
    assert series["lineStyle"]["type"] == dash


@pytest.mark.parametrize("dash, expected", [
    ([4, 4], "path://M0,4 L4,4 M8,4 L12,4 M16,4 L20,4"),
    ([30], "path://M0,4 L24,4"),
    ([4294967295, 1], "path://M0,4 L24,4"),
])
def test_legend_icons(dash, expected):
    assert json.loads(build([("a", [], "#000", dash)]))["series"][0]["legendIcon"] == expected


def test_one_one_pattern_has_twelve_segments():
    path = json.loads(build([("a", [], "#000", [1, 1])]))["series"][0]["legendIcon"]
    assert path.count("M") == 12 and path.endswith("M22,4 L23,4")


@pytest.mark.parametrize("series, error, message", [
    ([["a", [], "#000", None]], TypeError, "argument 'series': 'list' object is not an instance of 'tuple'"),
    ([("a", [], "#000")], ValueError, "expected tuple of length 4, but got tuple of length 3"),
    ([("a", [[1.0, "x"]], "#000", None)], TypeError, "argument 'series': must be real number, not str"),
    ([("a", [1.0], "#000", None)], TypeError, "argument 'series': 'float' object is not an instance of 'Sequence'"),
    ([("a", [], "#000", [-1])], OverflowError, "out of range integral type conversion attempted"),
    ([("a", [], "#000", [2 ** 32])], OverflowError, "out of range integral type conversion attempted"),
    ([(1, [], "#000", None)], TypeError, "argument 'series': 'int' object is not an instance of 'str'"),
])
def test_refused_series(series, error, message):
    with pytest.raises(error) as caught:
        build(series)
    assert str(caught.value) == message


def test_large_call_is_deterministic_and_thread_safe():
    rng = np.random.default_rng(1)
    series = [(f"s{k}", _core.compute_ecdf(rng.lognormal(size=20_000)), "#123456", [k + 1, 2]) for k in range(4)]
    expected = build(series)
    assert same_kinds(ordered(expected), model(series))
    results = [None] * 4

    def run(i):
        results[i] = build(series)

    threads = [threading.Thread(target=run, args=(i,)) for i in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert results == [expected] * 4


def test_large_non_ascii_call_matches_the_model():
    # Large data is formatted in two parts; a non-ASCII document joins them
    # before decoding, an ASCII one copies them into the str one after the other.
    rng = np.random.default_rng(2)
    series = [(f"é{k}", _core.compute_ecdf(rng.lognormal(size=20_000)), "#123456", None) for k in range(2)]
    text = build(series)
    assert same_kinds(ordered(text), model(series))
    assert text.replace("é", "e") == build([("e" + name[1:], *rest) for name, *rest in series])
