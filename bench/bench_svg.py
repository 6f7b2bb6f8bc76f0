"""render_option_svg against matplotlib drawing the same chart to SVG."""
import io
import json
import os
import sys
import xml.etree.ElementTree as ET

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from timing import best_time, pin_to_one_cpu, print_table  # noqa: E402
from tessel_vis import _core  # noqa: E402
import _bench_floors  # noqa: E402  (built with the timing programs)

WIDTH, HEIGHT = 640, 480


def figure():
    return plt.subplots(figsize=(WIDTH / 100, HEIGHT / 100), dpi=100)


def save_svg(fig):
    buf = io.BytesIO()
    fig.savefig(buf, format="svg")
    plt.close(fig)
    return buf.getvalue()


def line_case(n_series, n_points, rng):
    x = np.arange(n_points, dtype=float)
    ys = [np.cumsum(rng.normal(size=n_points)) for _ in range(n_series)]
    option = {"title": {"text": "Line"},
              "series": [{"type": "line", "data": np.column_stack([x, y]).tolist()} for y in ys]}

    def mpl(simplify=True):
        with matplotlib.rc_context({"path.simplify": simplify}):
            fig, ax = figure()
            for y in ys:
                ax.plot(x, y)
            ax.set_title("Line")
            return save_svg(fig)

    return json.dumps(option), mpl


def heatmap_case(n_x, n_y, rng):
    values = rng.random((n_y, n_x)) * 10
    cells = [[i, j, float(values[j, i])] for i in range(n_x) for j in range(n_y)]
    option = {"title": {"text": "Heatmap"}, "xAxis": {"data": list(range(n_x))}, "yAxis": {"data": list(range(n_y))},
              "series": [{"type": "heatmap", "data": cells}]}

    def mpl():
        fig, ax = figure()
        ax.pcolormesh(values, cmap="Blues")
        ax.invert_yaxis()
        ax.set_title("Heatmap")
        return save_svg(fig)

    return json.dumps(option), mpl


def bar_case(n_cat, n_ser, rng):
    values = rng.random((n_ser, n_cat)) * 100
    option = {"title": {"text": "Bars"}, "xAxis": {"data": [f"{h:02d}:00" for h in range(n_cat)]},
              "series": [{"type": "bar", "data": v.tolist(), "itemStyle": {"color": c}}
                         for v, c in zip(values, ["#1f77b4", "#ff7f0e", "#2ca02c"])]}

    def mpl():
        fig, ax = figure()
        x = np.arange(n_cat)
        for i, v in enumerate(values):
            ax.bar(x + i * 0.25, v, width=0.25)
        ax.set_title("Bars")
        return save_svg(fig)

    return json.dumps(option), mpl


def main():
    pin_to_one_cpu()  # ours and the anchors on the same CPU
    rng = np.random.default_rng(7)
    rows = []
    for name, (text, mpl) in [
        ("line 1 x 1,000", line_case(1, 1_000, rng)),
        ("line 4 x 100,000", line_case(4, 100_000, rng)),
        ("heatmap 365 x 96", heatmap_case(365, 96, rng)),
        ("bar 24 x 3", bar_case(24, 3, rng)),
    ]:
        svg = _core.render_option_svg(text, WIDTH, HEIGHT)
        ET.fromstring(svg)  # well-formed
        ET.fromstring(mpl())
        ours = best_time(lambda: _core.render_option_svg(text, WIDTH, HEIGHT), repeat=5)
        anchors = {"matplotlib": best_time(mpl, repeat=3)}
        if name.startswith("line"):
            # By default matplotlib thins long lines before writing them; this
            # anchor writes every point, as we do.
            anchors["mpl-all-pts"] = best_time(lambda: mpl(simplify=False), repeat=3)
        rows.append((f"{name} ({len(svg) / 1e3:,.0f} kB)", ours, anchors))
        if name == "line 4 x 100,000":
            rows.append(("  of which JSON decode", decode_time(text), {}))
            # The floor of any renderer: every byte of the text read once.
            rows.append(("  floor: reading the text", best_time(lambda: _bench_floors.read_text(text), repeat=5), {}))
    print_table("render_option_svg from option JSON text vs matplotlib to SVG "
                "(best of runs; ratio > 1 means we are faster)", rows, ["matplotlib", "mpl-all-pts"])
    print("bench_svg_core splits the long line chart into decode, spell and the rest (walk, map, markup)")


def decode_time(text):
    """Time to decode (and drop) the document: a comparison chart is refused right after decoding."""
    refused = text[:-1] + ', "_meta": {"chartType": "stvd_comparison"}}'

    def call():
        try:
            _core.render_option_svg(refused, WIDTH, HEIGHT)
        except ValueError:
            pass

    return best_time(call, repeat=5)


if __name__ == "__main__":
    main()
