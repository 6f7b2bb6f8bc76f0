# build_ecdf_option_json against a model of the whole document, compared as
# text (member order, integer and float forms, escapes).
import math
import random
from array import array

import numpy as np
import pytest

from models import write
from tessel_vis import _core

TEXTS = ("T", "Distance", "km", "Distance (km)", "#ffffff", "#333333", "#dddddd", "sans-serif", "serif", "monospace")


def icon(dash):
    # Dashes and gaps in turn from x = 0, the pattern repeated, cut at 24.
    if not any(dash or [0]):
        return "path://M0,4 L24,4"
    x, k, segments = 0, 0, []
    while x < 24:
        step = min(x + dash[k % len(dash)], 24)
        if k % 2 == 0:
            segments.append(f"M{x},4 L{step},4")
        x, k = step, k + 1
    return "path://" + " ".join(segments)


def model(series, texts=TEXTS):
    title, x_name, x_unit, x_label, bg, axis, grid, sans, serif, mono = texts
    line = {"lineStyle": {"color": axis, "width": 1.5}}

    def axis_object(split_line, **members):
        return {"type": "value", **members, "axisLabel": {"fontFamily": mono, "fontSize": 16.0, "color": axis},
                "axisTick": {"length": 6.0, "lineStyle": {"color": axis, "width": 1.25}}, "splitLine": split_line, "axisLine": line}

    named = {"nameLocation": "middle", "nameTextStyle": {"color": axis, "fontFamily": mono, "fontSize": 14.0}}
    doc = {
        "title": [{"text": title, "textStyle": {"color": axis, "fontWeight": 500, "fontFamily": serif, "fontSize": 32.0},
                   "left": 0, "top": 0}],
        "animation": False,
        "tooltip": {"trigger": "axis", "padding": [10.0, 14.0], "backgroundColor": bg, "borderColor": axis, "borderWidth": 1.25,
                    "extraCssText": "border-radius:0; box-shadow:none; min-width:210px;", "textStyle": {"color": axis},
                    "axisPointer": {"type": "line", "lineStyle": {"color": axis, "type": [2, 4], "width": 1, "opacity": 0.55},
                                    "label": {"show": False}}},
        "legend": {"top": 12, "right": 0, "itemGap": 22.0, "itemWidth": 24.0, "itemHeight": 8.0,
                   "textStyle": {"color": axis, "fontFamily": sans, "fontSize": 15.0}},
        "grid": {"left": 76, "top": 64, "right": 28, "containLabel": False},
        "xAxis": axis_object({"show": False}, name=x_name, **named, nameGap=38.0, min=0, splitNumber=5.0),
        "yAxis": {**axis_object({"lineStyle": {"color": grid, "width": 1.0, "type": [2, 5]}}, name="F(X)", **named, nameGap=56.0,
                                min=0, max=1, interval=0.2), "nameRotate": 90},
        "backgroundColor": bg,
    }
    for i, (name, points, color, dash) in enumerate(series):
        style = {"color": color, "width": 2.4, **({"type": list(dash)} if dash is not None else {}), "cap": "round", "join": "round"}
        element = {"type": "line", "name": name, "showSymbol": False, "lineStyle": style,
                   "itemStyle": {"color": color}, "smooth": 0.35, "z": len(series) + 1 - i}
        element.update({"data": [[float(x) for x in point] for point in points]} if len(points) else {})
        doc.setdefault("series", []).append({**element, "legendIcon": icon(dash), "emphasis": {"lineStyle": {"width": 2.4}}})
    return {**doc, "textStyle": {"fontFamily": sans, "color": axis}, "_meta": {"xUnit": x_unit, "xLabel": x_label}}


def build(series, texts=TEXTS):
    return _core.build_ecdf_option_json(series, *texts)


SPECIALS = [0.0, -0.0, math.nan, math.inf, -math.inf, 5e-324, 1e16, 1e-5, 1e-6, 1.7976931348623157e308, 123456.0]
NAMES = ["", "a", 'q"uote', "back\\slash", "tab\t\n\r\b\f", "ü€😀", "\x00\x1f\x7f", "/slash", "x" * 40 + '"']


@pytest.mark.parametrize("seed", range(20))
def test_random_documents_match_the_model(seed):
    rng = random.Random(seed)
    for _ in range(15):
        series = []
        for i in range(rng.randrange(5)):
            points = [[rng.choice(SPECIALS) if rng.random() < 0.2 else rng.uniform(-1e6, 1e6) * 10 ** rng.randint(-30, 30)
                       for _ in range(rng.choice([0, 1, 2, 2, 2, 3, 5]))] for _ in range(rng.choice([0, 1, 3, 30, 300]))]
            dash = rng.choice([None, None, [], [0], [0, 0], [1, 1], [4294967295, 1],
                               [rng.randrange(30) for _ in range(rng.randrange(1, 6))]])
            series.append((rng.choice(NAMES) + str(i), points, rng.choice(NAMES), dash))
        texts = tuple(rng.choice(NAMES) for _ in TEXTS)
        assert build(series, texts) == write(model(series, texts))


@pytest.mark.parametrize("name", ["ascii", "é non-ASCII"])
def test_large_documents_written_in_two_parts(name):
    rng = np.random.default_rng(1)
    series = [(f"{name}{k}", _core.compute_ecdf(rng.lognormal(size=20_000)), "#123456", [k + 1, 2]) for k in range(4)]
    series.append(("three numbers", [[1.5, 2.5, 3.5]] * 20_000, "#000", None))
    series.append(("powers of two", [[2.0**k, -(2.0**k)] for k in range(-1074, 1024)], "#000", None))
    assert build(series) == write(model(series))


@pytest.mark.parametrize("points", [
    [[1, 2], [3, 4]], [(1.5, 2.5), (3.5, 4.5)], ((1.5, 2.5), (3.5, 4.5)), [np.array([1.5, 2.5]), np.array([3.5, 4.5])],
    [[np.float64(1.5), 2.5], [3.5, np.float32(4.5)]], [[1.5, 2.5], [3.5, True]],
    [[1.5, 2.5], [3.5, 4.5], [5, 6.5]], [[1.5, 2.5], [3.5, 4.5], [5, 6.5, 7]],  # floats first, then others
    [[float(i), 0.5] for i in range(50)] + [(1.0, 2.0)], ((1.5, 2.5), np.array([3.5, 4.5])),
    ((1.5, 2.5), array("d", [3.5, 4.5])),  # a sequence that is neither list nor tuple, among tuples
])
def test_other_number_sequences_convert_like_float_lists(points):
    as_floats = [[float(x) for x in p] for p in points]
    assert build([("a", points, "#000", (1, 2))]) == build([("a", as_floats, "#000", [1, 2])])
