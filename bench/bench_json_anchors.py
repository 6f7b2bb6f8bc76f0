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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from timing import best_time, pin_to_one_cpu, print_table  # noqa: E402

try:
    import orjson
except ImportError:
    orjson = None

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


def anchors(text):
    result = {}
    result["json"] = best_time(
        lambda: json.dumps(json.loads(text), separators=(",", ":"), ensure_ascii=False))
    if orjson is not None:
        result["orjson"] = best_time(lambda: orjson.dumps(orjson.loads(text)))
    return result


def ours(paths):
    """Seconds per read plus write, by (file name, form), from the C++ timing
    program, and the program's lines (they split the time into read and
    write). The forms: "tree", the editable JsonValue; "document", the
    read-only JsonDocument."""
    if not os.path.exists(CPP_PROGRAM):
        print("%s is missing: build with ./dev build first" % CPP_PROGRAM)
        return {}, ""
    out = subprocess.run([CPP_PROGRAM, *paths], check=True, capture_output=True,
                         text=True).stdout
    times = {}
    for line in out.splitlines():
        fields = dict(f.split("=", 1) for f in line.split()[1:] if "=" in f)
        if "total_ns" in fields:
            times[(line.split()[0], fields["form"])] = float(fields["total_ns"]) * 1e-9
    return times, out


# Ours and the anchors take turns, and each keeps its best round: a CPU that
# slows down for a while then costs both sides alike.
ROUNDS = 5


def main():
    pin_to_one_cpu()  # ours and the anchors on the same CPU
    if orjson is None:
        print("orjson is not installed (package python3-orjson); skipping that anchor")
    docs = write_documents()
    best_ours, best_anchors, details = {}, {}, []
    for _ in range(ROUNDS):
        our_times, out = ours([path for path, _ in docs.values()])
        details.append(out)
        for name, seconds in our_times.items():
            best_ours[name] = min(seconds, best_ours.get(name, seconds))
        for name, (_, text) in docs.items():
            for anchor, seconds in anchors(text).items():
                kept = best_anchors.setdefault(name, {})
                kept[anchor] = min(seconds, kept.get(anchor, seconds))
    rows = []
    for name, (path, text) in docs.items():
        for form in ("document", "tree"):
            mine = best_ours.get((os.path.basename(path), form))
            if mine is None:
                continue
            case = "%s (%d bytes), %s" % (name, len(text.encode()), form)
            rows.append((case, mine, best_anchors[name]))
    print_table("JSON read plus write (python %s)" % sys.version.split()[0], rows,
                ["json", "orjson"])
    # Read alone and write alone (of a tree kept alive) next to the round trip:
    # when the round trip costs more than the two, the difference is the
    # allocator giving the tree's memory back to the system after each call
    # and faulting it in again on the next one.
    print("C++ timing program, each round:")
    for out in details:
        for line in out.splitlines():
            print("  " + line)


if __name__ == "__main__":
    main()
