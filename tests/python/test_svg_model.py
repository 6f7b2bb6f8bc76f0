"""render_option_svg against a small independent model, on random documents."""

import json
import math
import random
import xml.etree.ElementTree as ET
from decimal import ROUND_HALF_EVEN, Decimal, localcontext

import pytest

from tessel_vis import _core

# --- the model -------------------------------------------------------------


def fixed(x, places):
    if math.isnan(x):
        return "NaN"
    if math.isinf(x):
        return "inf" if x > 0 else "-inf"
    with localcontext() as ctx:
        ctx.prec = 800
        q = Decimal(x).quantize(Decimal(1).scaleb(-places), rounding=ROUND_HALF_EVEN)
    return ("-" if math.copysign(1.0, x) < 0 else "") + f"{q.copy_abs():f}"


def esc(s):
    s = "".join(c for c in s if c in "\t\n\r" or ("\x20" <= c and c not in "\ufffe\uffff"))
    return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def is_num(v):
    return isinstance(v, (int, float)) and not isinstance(v, bool)


def get(v, k):
    return v.get(k) if isinstance(v, dict) else None


def text(v, k):
    m = get(v, k)
    return m if isinstance(m, str) else None


def arr(v, k):
    m = get(v, k)
    return m if isinstance(m, list) else None


def axis_count(root, axis):
    data = arr(get(root, axis), "data")
    return float(len(data) or 1) if data is not None else 1.0


def domain(values):
    lo, hi = (min(values), max(values)) if values else (math.inf, -math.inf)
    if lo != hi and math.isfinite(lo):
        return min(lo, 0.0), hi
    return 0.0, 1.0


def points(data):
    return [(float(i[0]), float(i[1])) for i in data if isinstance(i, list) and len(i) >= 2 and is_num(i[0]) and is_num(i[1])]


def model_lines(series, W, H, scatter):
    every = [p for s in series if arr(s, "data") is not None for p in points(s["data"])]
    xlo, xhi = domain([p[0] for p in every])
    ylo, yhi = domain([p[1] for p in every])
    out = []
    for s in series:
        data = arr(s, "data")
        if data is None:
            continue
        colour = esc(text(get(s, "lineStyle"), "color") or text(get(s, "itemStyle"), "color") or "#111111")
        px = [(72 + ((x - xlo) / (xhi - xlo)) * ((W - 28) - 72), (H - 58) - ((y - ylo) / (yhi - ylo)) * ((H - 58) - 64)) for x, y in points(data)]
        kind = text(s, "type") or "line"
        if scatter or kind == "scatter":
            out += [f'<circle cx="{fixed(a, 2)}" cy="{fixed(b, 2)}" r="3.5" fill="{colour}"/>' for a, b in px]
        elif kind == "line" and px:
            pts = " ".join(f"{fixed(a, 2)},{fixed(b, 2)}" for a, b in px)
            out.append(f'<polyline points="{pts}" fill="none" stroke="{colour}" stroke-width="2.4" stroke-linecap="round" stroke-linejoin="round"/>')
    return out


def bar_value(item):
    v = item.get("value") if isinstance(item, dict) else item
    return float(v) if is_num(v) else None


def model_bars(root, series, W, H):
    values = [bar_value(i) for s in series for i in (arr(s, "data") or [])]
    vmax = max([0.0] + [v for v in values if v is not None])
    vmax = 1.0 if vmax < 1 else vmax
    band = ((W - 28) - 72) / axis_count(root, "xAxis")
    bw = min((band / float(len(series))) * 0.72, 42.0)
    out = []
    for i, s in enumerate(series):
        colour = text(get(s, "itemStyle"), "color") or "#111111"
        for j, item in enumerate(arr(s, "data") or []):
            v = bar_value(item)
            if v is None:
                continue
            h = ((H - 58) - 64) * (v / vmax)
            x = (band * 0.14 + (band * float(j) + 72)) + bw * float(i)
            fill = esc(text(get(item, "itemStyle"), "color") or colour)
            out.append(f'<rect x="{fixed(x, 2)}" y="{fixed((H - 58) - h, 2)}" width="{fixed(bw, 2)}" height="{fixed(h, 2)}" fill="{fill}"/>')
    return out


def model_heatmap(root, first, W, H):
    cells = [c for c in (arr(first, "data") or []) if isinstance(c, list) and len(c) >= 3]
    vmax = max([0.0] + [float(c[2]) for c in cells if is_num(c[2])])
    vmax = 1.0 if vmax < 1 else vmax
    cw = ((W - 96) - 72) / axis_count(root, "xAxis")
    ch = ((H - 58) - 64) / axis_count(root, "yAxis")
    index = lambda v: float(v) if isinstance(v, int) and not isinstance(v, bool) and v >= 0 else 0.0
    out = []
    for c in cells:
        t = min(max(float(c[2]) / vmax if is_num(c[2]) else 0.0, 0.0), 1.0)
        rgb = ",".join(fixed(t * k + 245, 0) for k in (-190.0, -145.0, -80.0))
        out.append(f'<rect x="{fixed(index(c[0]) * cw + 72, 2)}" y="{fixed(index(c[1]) * ch + 64, 2)}" width="{fixed(cw, 2)}" height="{fixed(ch, 2)}" fill="rgb({rgb})"/>')
    return out


def model_outcome(root, W, H):
    try:
        return model_svg(root, W, H)
    except ValueError as e:
        return ("refused", str(e))


def model_svg(root, W, H):
    if text(get(root, "_meta"), "chartType") == "stvd_comparison":
        raise ValueError("SVG rendering is not supported for chart type stvd_comparison")
    series = arr(root, "series")
    if series is None:
        raise ValueError("option JSON must contain a series array")
    if any(text(s, "type") == "custom" for s in series):
        raise ValueError("SVG rendering is not supported for custom series")
    bg = esc(text(root, "backgroundColor") or "white")
    fg = esc(text(get(root, "textStyle"), "color") or "#111111")
    title = get(root, "title")
    if isinstance(title, list):
        title = title[0] if title else None
    title = text(title, "text") or ""
    r, b = max(W - 28, 0), max(H - 58, 0)
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 {W} {H}" width="{W}" height="{H}" role="img">', f'<rect width="100%" height="100%" fill="{bg}"/>']
    if title:
        out.append(f'<text x="0" y="36" fill="{fg}" font-size="32" font-family="sans-serif">{esc(title)}</text>')
    out.append(f'<line x1="72" y1="{b}" x2="{r}" y2="{b}" stroke="{fg}" stroke-width="1.5"/><line x1="72" y1="64" x2="72" y2="{b}" stroke="{fg}" stroke-width="1.5"/>')
    kind = text(series[0], "type") if series else None
    if kind == "heatmap":
        out += model_heatmap(root, series[0], float(W), float(H))
    elif kind == "bar":
        out += model_bars(root, series, float(W), float(H))
    else:
        out += model_lines(series, float(W), float(H), kind == "scatter")
    return "".join(out) + "</svg>"


# --- random documents --------------------------------------------------------

COLOURS = ["#1f77b4", "steelblue", "rgb(1,2,3)", 'red" onload="x', "<&>", "a\x01b", "\ufffe\uffffc", "é\t", 7, None, {}]
SIZES = [0, 1, 27, 28, 57, 58, 121, 122, 300, 480, 640, 2**32 - 1]


def number(rng):
    return rng.choice([
        lambda: rng.randint(-50, 200),
        lambda: round(rng.uniform(-1000, 1000), rng.randint(0, 4)),
        lambda: rng.choice([0.0, -0.0, 0.5, 2.5, 1e300, -1e300, 2**63, 2**64 - 1, -(2**63), 1e-5, 1e308, -1e308]),
    ])()


def item(rng):
    return rng.choice([
        lambda: [number(rng), number(rng)],
        lambda: [number(rng), number(rng), number(rng)],
        lambda: [rng.randint(0, 30), rng.randint(0, 10), number(rng)],
        lambda: [rng.choice([1.0, -1, "a", None, True]), rng.randint(0, 5), rng.choice(["s", None, number(rng)])],
        lambda: [number(rng)],
        lambda: number(rng),
        lambda: {"value": number(rng), "itemStyle": {"color": rng.choice(COLOURS)}},
        lambda: {"value": rng.choice([number(rng), "3", None])},
        lambda: rng.choice([None, True, "x", []]),
    ])()


def series(rng, first_type):
    s = {"type": first_type or rng.choice(["line", "scatter", "bar", "pie", 3])}
    if rng.random() < 0.9:
        s["data"] = [item(rng) for _ in range(rng.randint(0, 12))]
    for style in ("lineStyle", "itemStyle"):
        if rng.random() < 0.5:
            s[style] = {"color": rng.choice(COLOURS)}
    return s if rng.random() < 0.95 else rng.choice([None, 5, "s"])


def document(rng):
    first = rng.choice(["line", "scatter", "bar", "heatmap", "Bar", None, None])
    doc = {"series": [series(rng, first)] + [series(rng, None) for _ in range(rng.randint(0, 3))]}
    for axis in ("xAxis", "yAxis"):
        doc[axis] = rng.choice([{"data": list(range(rng.randint(0, 30)))}, [{"data": [1, 2]}], {"type": "value"}])
    if rng.random() < 0.5:
        doc["title"] = rng.choice([{"text": "T & <b> \"q\" 'a' \x02"}, [{"text": "first"}], [], {"text": 3}, {"text": ""}])
    if rng.random() < 0.5:
        doc["backgroundColor"] = rng.choice(COLOURS)
    if rng.random() < 0.5:
        doc["textStyle"] = {"color": rng.choice(COLOURS)}
    # Now and then something to refuse, or a near miss that must render.
    if rng.random() < 0.2:
        doc["_meta"] = {"chartType": rng.choice(["stvd_comparison", "STVD_comparison", 1])}
    if rng.random() < 0.1:
        doc["series"] = rng.choice([None, {}, "series"])
    if rng.random() < 0.1 and isinstance(doc["series"], list):
        doc["series"].append({"type": rng.choice(["custom", "Custom"])})
    return doc if rng.random() < 0.97 else rng.choice([[doc], 3, "x"])


@pytest.mark.parametrize("seed", range(40))
def test_random_documents_match_model(seed):
    rng = random.Random(seed)
    for _ in range(25):
        doc = document(rng)
        w, h = rng.choice(SIZES), rng.choice(SIZES)
        expected = model_outcome(doc, w, h)
        try:
            svg = _core.render_option_svg(json.dumps(doc), w, h)
        except ValueError as e:
            assert ("refused", str(e)) == expected
            continue
        assert svg == expected
        assert ET.fromstring(svg).tag == "{http://www.w3.org/2000/svg}svg"
