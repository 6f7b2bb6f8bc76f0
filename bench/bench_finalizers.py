"""Finalizer benchmark: each activity finalizer against the same edit done in
Python with `json` and with `orjson` (loads, fill the data items with the same
rounding, dumps), on typical small charts and large ones.

Run with ./dev bench (or ./dev exec python3.14 bench/bench_finalizers.py).
Options: --quick (fewer repeats), --check (exit 1 when a case misses the 10x goal).
"""
import json
import math
import os
import sys

import numpy as np

try:
    import orjson
except ImportError:  # pragma: no cover - the bench toolchain has it
    orjson = None

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from timing import best_time, pin_to_one_cpu, print_table  # noqa: E402
from tessel_vis import _core  # noqa: E402
import _bench_floors  # noqa: E402  (built with the timing programs)

GOAL = 10.0
INF = math.inf


# ---------------------------------------------------------------------------
# The Python versions of the three edits.


def round_hundredths(x):
    """x * 100 rounded half away from zero, / 100; None when not finite."""
    y = x * 100.0
    if y - y != 0.0:  # NaN or infinite
        return None
    t = math.trunc(y)
    if abs(y - t) >= 0.5:
        t += 1 if y > 0 else -1
    return math.copysign(float(t), y) / 100.0


def finite_or_none(x):
    return x if x - x == 0.0 else None


def fill_bar(doc, percentages, counts, colors):
    doc["series"][0]["data"] = [
        {"value": round_hundredths(p), "itemStyle": {"color": c}, "count": n}
        for p, n, c in zip(percentages.tolist(), counts, colors)
    ]


def fill_heatmap(doc, matrix, update_visual_max):
    data = []
    append = data.append
    top = None
    for r, row in enumerate(matrix.tolist()):
        for c, v in enumerate(row):
            if v != v:
                continue
            append([c, r, round_hundredths(v)])
            if top is None or v > top:
                top = v
    doc["series"][0]["data"] = data
    if update_visual_max:
        visual = doc.get("visualMap")
        if visual is None:
            visual = doc["visualMap"] = {}
        visual["max"] = finite_or_none(100.0 if top is None else max(top, 1.0))


def fill_comparison(doc, percentages, counts, colors, opacities):
    series = doc["series"]
    for i, (row, row_counts, opacity) in enumerate(zip(percentages.tolist(), counts, opacities)):
        opacity = finite_or_none(opacity)
        items = []
        for p, n, c in zip(row, row_counts, colors):
            item = {"value": round_hundredths(p), "itemStyle": {"color": c, "opacity": opacity}}
            if n is not None:
                item["count"] = n
            items.append(item)
        entry = series[i]
        if entry is None:
            entry = series[i] = {}
        entry["data"] = items


def with_json(fill):
    def run(option_json, *args):
        doc = json.loads(option_json)
        fill(doc, *args)
        return json.dumps(doc, separators=(",", ":"), ensure_ascii=False)

    return run


def with_orjson(fill):
    def run(option_json, *args):
        doc = orjson.loads(option_json)
        fill(doc, *args)
        return orjson.dumps(doc).decode()

    return run


# ---------------------------------------------------------------------------
# Typical option documents, as the Python side writes them.

PALETTE = ["#4c78a8", "#f58518", "#e45756", "#72b7b2", "#54a24b", "#eeca3b", "#b279a2", "#ff9da6"]


def base_option(title):
    return {
        "backgroundColor": "#ffffff",
        "animation": False,
        "title": {"text": title, "left": "center", "textStyle": {"fontSize": 16, "fontWeight": "bold"}},
        "tooltip": {"trigger": "item", "confine": True},
        "grid": {"left": 64, "right": 32, "top": 64, "bottom": 56, "containLabel": True},
    }


def hour_labels(n):
    return [f"{(i * 24 * 60 // n) // 60:02d}:{(i * 24 * 60 // n) % 60:02d}" for i in range(n)]


def bar_case(n):
    rng = np.random.default_rng(1)
    option = base_option("Activity by hour")
    option["xAxis"] = {"type": "category", "data": hour_labels(n), "axisLabel": {"interval": 1}}
    option["yAxis"] = {"type": "value", "name": "Share of activity (%)", "axisLabel": {"formatter": "{value}%"}}
    option["series"] = [{"type": "bar", "name": "Activity", "barWidth": "70%"}]
    percentages = rng.dirichlet(np.ones(n)) * 100.0
    counts = [int(c) for c in rng.integers(0, 5000, n)]
    colors = [PALETTE[i % len(PALETTE)] for i in range(n)]
    return json.dumps(option), (percentages, counts, colors)


def heatmap_case(rows, cols):
    rng = np.random.default_rng(2)
    option = base_option("Activity heatmap")
    option["xAxis"] = {"type": "category", "data": hour_labels(cols), "splitArea": {"show": True}}
    option["yAxis"] = {"type": "category", "data": [f"day {i + 1}" for i in range(rows)], "inverse": True}
    option["visualMap"] = {"min": 0, "max": 100, "calculable": True, "orient": "horizontal", "left": "center",
                           "inRange": {"color": ["#f7fbff", "#08306b"]}}
    option["series"] = [{"type": "heatmap", "name": "Activity", "label": {"show": False},
                         "emphasis": {"itemStyle": {"shadowBlur": 6}}}]
    matrix = rng.random((rows, cols)) * 60.0
    matrix[rng.random((rows, cols)) < 0.05] = np.nan
    return json.dumps(option), (matrix, True)


def comparison_case(n_series, n_categories):
    rng = np.random.default_rng(3)
    option = base_option("Activity comparison")
    option["legend"] = {"top": 28, "data": [f"group {i + 1}" for i in range(n_series)]}
    option["xAxis"] = {"type": "category", "data": hour_labels(n_categories)}
    option["yAxis"] = {"type": "value", "name": "Share of activity (%)"}
    option["series"] = [{"type": "bar", "name": f"group {i + 1}", "barGap": "10%"} for i in range(n_series)]
    percentages = rng.dirichlet(np.ones(n_categories), size=n_series) * 100.0
    counts = [[None if rng.random() < 0.05 else int(c) for c in rng.integers(0, 5000, n_categories)]
              for _ in range(n_series)]
    colors = [PALETTE[j % len(PALETTE)] for j in range(n_categories)]
    opacities = [1.0 - 0.6 * i / max(n_series - 1, 1) for i in range(n_series)]
    return json.dumps(option), (percentages, counts, colors, opacities)


CASES = [
    ("bar 24", _core.finalize_activity_bar_option_json, fill_bar, bar_case(24)),
    ("heatmap 7x24", _core.finalize_activity_heatmap_option_json, fill_heatmap, heatmap_case(7, 24)),
    ("comparison 3x24", _core.finalize_activity_comparison_option_json, fill_comparison, comparison_case(3, 24)),
    ("heatmap 365x96", _core.finalize_activity_heatmap_option_json, fill_heatmap, heatmap_case(365, 96)),
    ("comparison 8x1440", _core.finalize_activity_comparison_option_json, fill_comparison, comparison_case(8, 1440)),
]


# ---------------------------------------------------------------------------
# Timing


def main(argv):
    pin_to_one_cpu()  # ours and the anchors on the same CPU
    min_time = 0.2 if "--quick" in argv else 1.0
    if orjson is None:
        print("orjson is not installed; run through ./dev bench")
        return 2
    rows = []
    missed = []
    for name, ours, fill, (option_json, args) in CASES:
        py_json, py_orjson = with_json(fill), with_orjson(fill)
        # The three versions must give the same document.
        expected = json.loads(py_json(option_json, *args))
        assert json.loads(ours(option_json, *args)) == expected, name
        assert json.loads(py_orjson(option_json, *args)) == expected, name
        t_ours = best_time(lambda: ours(option_json, *args), repeat=10, min_time=min_time)
        t_json = best_time(lambda: py_json(option_json, *args), repeat=10, min_time=min_time)
        t_orjson = best_time(lambda: py_orjson(option_json, *args), repeat=10, min_time=min_time)
        rows.append((name, t_ours, {"json": t_json, "orjson": t_orjson}))
        if name == "bar 24":
            # The floor: a call with the same arguments that does nothing.
            floor = best_time(lambda: _bench_floors.empty(option_json, *args), repeat=10, min_time=min_time)
            rows.append(("  floor: an empty call", floor, {}))
        if t_orjson / t_ours < GOAL:
            missed.append(f"{name} ({t_orjson / t_ours:.1f}x)")
    print_table("Activity finalizers against loads + fill + dumps in Python (ratios: anchor time / ours)",
                rows, ["json", "orjson"])
    print(f"goal: orjson/ours >= {GOAL:g}x on every case; " + ("met" if not missed else "missed on " + ", ".join(missed)))
    return 1 if missed and "--check" in argv else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
