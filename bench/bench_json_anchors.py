"""Read plus write of option documents: the C++ JSON layer against Python anchors.

Generates two option documents with a fixed recipe, writes them to
build/release/bench_data/, times Python's json and orjson (loads plus dumps,
compact output) on them, runs the C++ timing program build/release/bench_json
on the same files, and prints one table: our time, each anchor's time, and how
many times faster we are.

    ./dev exec python3.14 bench/bench_json_anchors.py
"""

import json
import os
import random
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(REPO, "build", "release")
DATA = os.path.join(BUILD, "bench_data")
CPP_PROGRAM = os.path.join(BUILD, "bench_json")


def round_hundredths(x):
    y = x * 100.0
    z = float(int(abs(y) + 0.5)) * (1.0 if y >= 0 else -1.0)
    return z / 100.0


def heatmap_document():
    """An activity heatmap: 96 time bins by 365 days, about 0.5 MB."""
    rng = random.Random(20240601)
    bins = ["%02d:%02d" % (m // 60, m % 60) for m in range(0, 24 * 60, 15)]
    days = ["2024-%02d-%02d" % (1 + d // 31 % 12, 1 + d % 28) for d in range(365)]
    data = []
    vmax = 0.0
    for r in range(len(days)):
        for c in range(len(bins)):
            v = round_hundredths(rng.random() * 60.0 * (1.0 + (c % 24) / 12.0))
            vmax = max(vmax, v)
            data.append([c, r, v])
    return {
        "backgroundColor": "#ffffff",
        "title": {"text": "Activity by time of day", "left": "center", "top": 8},
        "tooltip": {"position": "top", "trigger": "item"},
        "grid": {"left": 80, "right": 40, "top": 60, "bottom": 90, "containLabel": True},
        "xAxis": {"type": "category", "data": bins, "splitArea": {"show": True},
                  "axisLabel": {"interval": 7, "rotate": 45}},
        "yAxis": {"type": "category", "data": days, "splitArea": {"show": True}},
        "visualMap": {"min": 0, "max": vmax, "calculable": True, "orient": "horizontal",
                      "left": "center", "bottom": 10,
                      "inRange": {"color": ["#f5f5f5", "#3764a5"]}},
        "series": [{"name": "Minutes active", "type": "heatmap", "data": data,
                    "label": {"show": False},
                    "emphasis": {"itemStyle": {"shadowBlur": 10,
                                               "shadowColor": "rgba(0, 0, 0, 0.5)"}}}],
        "_meta": {"chartType": "heatmap", "xUnit": "time", "xLabel": "Time of day"},
    }


def small_document():
    """An activity bar chart option of about 2 KB."""
    rng = random.Random(7)
    labels = ["%02d:00" % h for h in range(24)]
    colors = ["#4c78a8", "#f58518", "#54a24b", "#e45756"]
    data = []
    for h in range(24):
        pct = round_hundredths(rng.random() * 12.5)
        data.append({"value": pct, "itemStyle": {"color": colors[h % 4]},
                     "count": rng.randrange(0, 5000)})
    return {
        "title": {"text": "Active hours", "subtext": "share of events per hour \u2013 2024"},
        "tooltip": {"trigger": "axis", "axisPointer": {"type": "shadow"}},
        "grid": {"left": 48, "right": 16, "top": 56, "bottom": 40},
        "xAxis": {"type": "category", "data": labels},
        "yAxis": {"type": "value", "name": "%", "min": 0, "max": 12.5},
        "series": [{"name": "Share", "type": "bar", "barWidth": "60%", "data": data}],
    }


def write_documents():
    os.makedirs(DATA, exist_ok=True)
    docs = {}
    for name, build in (("heatmap", heatmap_document), ("small", small_document)):
        text = json.dumps(build(), separators=(",", ":"), ensure_ascii=False)
        path = os.path.join(DATA, "json_%s.json" % name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        docs[name] = (path, text)
    return docs


def time_per_call(fn, min_seconds=0.2, rounds=7):
    """Best over rounds of the mean time of one call, in nanoseconds."""
    n = 1
    while True:
        t0 = time.perf_counter()
        for _ in range(n):
            fn()
        dt = time.perf_counter() - t0
        if dt >= min_seconds / rounds:
            break
        n *= 2
    best = dt / n
    for _ in range(rounds - 1):
        t0 = time.perf_counter()
        for _ in range(n):
            fn()
        best = min(best, (time.perf_counter() - t0) / n)
    return best * 1e9


def anchors(text):
    result = {}
    result["json"] = time_per_call(
        lambda: json.dumps(json.loads(text), separators=(",", ":"), ensure_ascii=False))
    try:
        import orjson
    except ImportError:
        print("orjson is not installed (package python3-orjson); skipping that anchor")
    else:
        result["orjson"] = time_per_call(lambda: orjson.dumps(orjson.loads(text)))
    return result


def ours(paths):
    if not os.path.exists(CPP_PROGRAM):
        print("%s is missing: build with ./dev build first" % CPP_PROGRAM)
        return {}
    out = subprocess.run([CPP_PROGRAM, *paths], check=True, capture_output=True,
                         text=True).stdout
    times = {}
    for line in out.splitlines():
        fields = dict(f.split("=", 1) for f in line.split()[1:] if "=" in f)
        if "total_ns" in fields:
            times[line.split()[0]] = float(fields["total_ns"])
    return times


def main():
    docs = write_documents()
    our_times = ours([path for path, _ in docs.values()])
    print("read+write per document, ns (python %s)" % sys.version.split()[0])
    print("%-10s %8s %12s %12s %12s %9s %9s" % (
        "document", "bytes", "tessel", "json", "orjson", "json/us", "orjson/us"))
    for name, (path, text) in docs.items():
        anchor = anchors(text)
        mine = our_times.get(os.path.basename(path))

        def ratio(key):
            if mine is None or key not in anchor:
                return "-"
            return "%.1fx" % (anchor[key] / mine)

        print("%-10s %8d %12s %12.0f %12s %9s %9s" % (
            name, len(text.encode()), "-" if mine is None else "%.0f" % mine,
            anchor["json"], "%.0f" % anchor["orjson"] if "orjson" in anchor else "-",
            ratio("json"), ratio("orjson")))


if __name__ == "__main__":
    main()
