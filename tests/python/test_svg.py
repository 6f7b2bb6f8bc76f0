# render_option_svg against a small independent model on generated documents; pinned pictures.
import json
import math
import random
import xml.etree.ElementTree as ET

import pytest

from models import loads, outcome, require
from tessel_vis import _core


def fixed(x, places):
    # The exact value of x rounded to `places` decimals, ties to even; "-" for any negative x.
    return "NaN" if x != x else f"{x:.{places}f}"


def esc(s):
    # Characters XML cannot hold left out, markup escaped.
    s = "".join(c for c in s if c in "\t\n\r" or ("\x20" <= c and c not in "\ufffe\uffff"))
    return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def is_num(v):
    return isinstance(v, (int, float)) and not isinstance(v, bool) and math.isfinite(v)


def get(v, *keys, kind=str):
    # The member at the end of `keys` when it is of that kind, else None.
    for k in keys:
        v = v.get(k) if isinstance(v, dict) else None
    return v if isinstance(v, kind) else None


def axis_count(root, axis):
    return float(len(get(root, axis, "data", kind=list) or [1]))


def domain(values):
    lo, hi = (min(values), max(values)) if values else (math.inf, -math.inf)
    return (min(lo, 0.0), hi) if lo != hi and math.isfinite(lo) else (0.0, 1.0)


def points(s):
    return [(float(i[0]), float(i[1])) for i in get(s, "data", kind=list) or []
            if isinstance(i, list) and len(i) >= 2 and is_num(i[0]) and is_num(i[1])]


def lines(series, W, H, scatter):
    every = [p for s in series for p in points(s)]
    (xlo, xhi), (ylo, yhi) = domain([p[0] for p in every]), domain([p[1] for p in every])
    out = []
    for s in series:
        colour = esc(get(s, "lineStyle", "color") or get(s, "itemStyle", "color") or "#111111")
        px = [(fixed(72 + ((x - xlo) / (xhi - xlo)) * ((W - 28) - 72), 2), fixed((H - 58) - ((y - ylo) / (yhi - ylo)) * ((H - 58) - 64), 2))
              for x, y in points(s)]
        if scatter or get(s, "type") == "scatter":
            out += [f'<circle cx="{a}" cy="{b}" r="3.5" fill="{colour}"/>' for a, b in px]
        elif (get(s, "type") or "line") == "line" and px:
            out.append(f'<polyline points="{" ".join(f"{a},{b}" for a, b in px)}" fill="none" stroke="{colour}" stroke-width="2.4" '
                       'stroke-linecap="round" stroke-linejoin="round"/>')
    return out


def rect(x, y, w, h, fill="#111111"):
    return f'<rect x="{fixed(x, 2)}" y="{fixed(y, 2)}" width="{fixed(w, 2)}" height="{fixed(h, 2)}" fill="{fill}"/>'


def bar_value(item):
    v = item.get("value") if isinstance(item, dict) else item
    return float(v) if is_num(v) else None


def bars(root, series, W, H):
    vmax = max([1.0] + [v for s in series for v in map(bar_value, get(s, "data", kind=list) or []) if v is not None])
    band = ((W - 28) - 72) / axis_count(root, "xAxis")
    bw = min((band / float(len(series))) * 0.72, 42.0)
    return [rect((band * 0.14 + (band * float(j) + 72)) + bw * float(i), (H - 58) - ((H - 58) - 64) * (v / vmax), bw,
                 ((H - 58) - 64) * (v / vmax), esc(get(item, "itemStyle", "color") or get(s, "itemStyle", "color") or "#111111"))
            for i, s in enumerate(series) for j, item in enumerate(get(s, "data", kind=list) or [])
            if (v := bar_value(item)) is not None]


def heatmap(root, first, W, H):
    cells = [c for c in get(first, "data", kind=list) or [] if isinstance(c, list) and len(c) >= 3]
    vmax = max([1.0] + [float(c[2]) for c in cells if is_num(c[2])])
    cw, ch = ((W - 96) - 72) / axis_count(root, "xAxis"), ((H - 58) - 64) / axis_count(root, "yAxis")
    index = lambda v: float(v) if isinstance(v, int) and not isinstance(v, bool) and v >= 0 else 0.0  # noqa: E731
    levels = [min(max(float(c[2]) / vmax if is_num(c[2]) else 0.0, 0.0), 1.0) for c in cells]
    return [rect(index(c[0]) * cw + 72, index(c[1]) * ch + 64, cw, ch,
                 "rgb(" + ",".join(fixed(t * k + 245, 0) for k in (-190.0, -145.0, -80.0)) + ")") for c, t in zip(cells, levels)]


def model_svg(option_json, W, H):
    root = loads(option_json)
    require(get(root, "_meta", "chartType") != "stvd_comparison",
            ValueError("SVG rendering is not supported for chart type stvd_comparison"))
    series = get(root, "series", kind=list)
    require(series is not None, ValueError("option JSON must contain a series array"))
    require(all(get(s, "type") != "custom" for s in series), ValueError("SVG rendering is not supported for custom series"))
    fg = esc(get(root, "textStyle", "color") or "#111111")
    title = get(root, "title", kind=object)
    title = get({"t": title[0] if title else None} if isinstance(title, list) else {"t": title}, "t", "text")
    r, b = max(W - 28, 0), max(H - 58, 0)
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 {W} {H}" width="{W}" height="{H}" role="img">'
           f'<rect width="100%" height="100%" fill="{esc(get(root, "backgroundColor") or "white")}"/>']
    if title:
        out.append(f'<text x="0" y="36" fill="{fg}" font-size="32" font-family="sans-serif">{esc(title)}</text>')
    out.append(f'<line x1="72" y1="{b}" x2="{r}" y2="{b}" stroke="{fg}" stroke-width="1.5"/>'
               f'<line x1="72" y1="64" x2="72" y2="{b}" stroke="{fg}" stroke-width="1.5"/>')
    kind = get(series[0], "type") if series else None
    W, H = float(W), float(H)
    out += (heatmap(root, series[0], W, H) if kind == "heatmap" else bars(root, series, W, H) if kind == "bar"
            else lines(series, W, H, kind == "scatter"))
    return "".join(out) + "</svg>"


COLOURS = ["#1f77b4", "steelblue", 'red" onload="x', "<&>", "a\x01b", "\ufffe\uffffc", "é\t", "a long colour name", 7, None, {}]
SIZES = [0, 1, 27, 28, 57, 58, 121, 122, 300, 480, 640, 2**32 - 1]


def number(rng):
    return rng.choice([lambda: rng.randint(-50, 200), lambda: round(rng.uniform(-1000, 1000), rng.randint(0, 4)),
                       lambda: rng.uniform(-1e6, 1e6) * 10 ** rng.randint(-8, 8),
                       lambda: rng.choice([0.0, -0.0, 0.5, 2.5, 1e300, -1e300, 2**63, 2**64 - 1, -(2**63), 1e-5, 1e308, -1e308])])()


def item(rng, depth=1):
    n = lambda: number(rng)  # noqa: E731
    return rng.choice([
        lambda: [n(), n()], lambda: [n(), n(), n()], lambda: [rng.randint(0, 30), rng.randint(0, 10), n()], lambda: [n()], n,
        lambda: [rng.choice([1.0, -1, "a", None, True]), rng.randint(0, 5), rng.choice(["s", None, n()])],
        lambda: {"value": n(), "itemStyle": {"color": rng.choice(COLOURS)}}, lambda: {"value": rng.choice([n(), "3", None, [1]])},
        lambda: rng.choice([None, True, "x", []]),
        # Arrays and objects inside an item are stepped over.
        lambda: [item(rng, depth - 1) if depth else [], item(rng, 0), n(), {"a": [item(rng, 0)]}][rng.randrange(4):],
    ])()


def series(rng, first_type):
    s = {"type": first_type or rng.choice(["line", "scatter", "bar", "pie", 3])}
    if rng.random() < 0.9:
        s["data"] = [item(rng) for _ in range(rng.choice([0, 1, 5, 12, 40]))]
    s.update({style: {"color": rng.choice(COLOURS)} for style in ("lineStyle", "itemStyle") if rng.random() < 0.5})
    return s if rng.random() < 0.95 else rng.choice([None, 5, "s"])


def document(rng):
    doc = {"series": [series(rng, rng.choice(["line", "scatter", "bar", "heatmap", "Bar", None, None]))]
           + [series(rng, None) for _ in range(rng.randint(0, 3))]}
    for axis in ("xAxis", "yAxis"):
        doc[axis] = rng.choice([{"data": list(range(rng.randint(0, 30)))}, [{"data": [1, 2]}], {"type": "value"}])
    for member, value in [("title", lambda: rng.choice([{"text": "T & <b> \"q\" 'a' \x02 &amp;"}, [{"text": "A"}, {"text": "B"}], [],
                                                         [5, {"text": "B"}], {"text": 3}, {"text": ""}, {"text": "\x01"}])),
                          ("backgroundColor", lambda: rng.choice(COLOURS)), ("textStyle", lambda: {"color": rng.choice(COLOURS)}),
                          ("_meta", lambda: {"chartType": rng.choice(["stvd_comparison", "STVD_comparison", 1])})]:
        if rng.random() < 0.4:
            doc[member] = value()
    if rng.random() < 0.1:
        doc["series"] = rng.choice([None, {}, "series"])
    elif rng.random() < 0.1:
        doc["series"].insert(rng.randrange(len(doc["series"]) + 1), {"type": rng.choice(["custom", "Custom"])})
    return doc if rng.random() < 0.97 else rng.choice([[doc], 3, "x"])


@pytest.mark.parametrize("seed", range(40))
def test_random_documents_match_the_model(seed):
    rng = random.Random(seed)
    for _ in range(25):
        option = json.dumps(document(rng), ensure_ascii=rng.random() < 0.5)
        if option.startswith("{") and rng.random() < 0.2:  # repeated members: the last one counts
            option = '{"series": 5, "title": {"text": "first"}, "_meta": {"chartType": 0}, ' + option[1:]
        w, h = rng.choice(SIZES), rng.choice(SIZES)
        got = outcome(_core.render_option_svg, option, w, h)
        assert got == outcome(model_svg, option, w, h)
        assert got[0] != "ok" or ET.fromstring(got[1]).tag == "{http://www.w3.org/2000/svg}svg"


@pytest.mark.parametrize("doc, size", [
    # Products are rounded before they are added (fused, these would be 111.83 and 65).
    ({"series": [{"data": [[59, 0], [800, 1]]}]}, (640, 480)),
    # Whole-number ties go to the even digit: 197.5 and 172.5.
    ({"series": [{"type": "heatmap", "data": [[0, 0, 2], [0, 0, 4]]}]}, (640, 480)),
    ({"xAxis": {"data": [1, 2, 3]}, "series": [{"type": "bar", "data": [1, 2, 3]}]}, (640, 480)),
    ({"series": [{"type": "bar", "data": [0]}]}, (640, 100)),  # a height of -0.00
    ({"series": []}, (640, 480)),
    ({"series": [{"data": [[i, i * i % 997 - 500.5] for i in range(3000)]}]}, (640, 480)),  # many blocks of points
])
def test_pinned_pictures(doc, size):
    option = json.dumps(doc)
    assert _core.render_option_svg(option, *size) == model_svg(option, *size)
