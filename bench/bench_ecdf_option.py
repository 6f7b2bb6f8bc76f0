"""build_ecdf_option_json against serialising the same document, prepared as a
Python dict, with orjson.dumps and json.dumps.

Our time includes the conversion of the arguments (it is a call from Python).
It is split into conversion and building plus writing by timing a call whose
`title` is refused: that call converts `series` (the first argument) and stops.
"""

import json
import sys
import time

import numpy as np
import orjson

from tessel_vis import _core

TEXTS = ("Distance", "Distance", "km", "Distance (km)", "#ffffff", "#333333", "#dddddd", "sans-serif", "serif", "monospace")
COLORS = ("#1f77b4", "#ff7f0e", "#2ca02c", "#d62728")
DASHES = (None, [6, 4], [2, 2], None)


def make_series(n_points, rng):
    """Four curves as compute_ecdf gives them: lists of [x, F(x)] floats."""
    series = []
    for k in range(4):
        sample = rng.lognormal(mean=1.0 + k / 4, sigma=0.8, size=n_points)
        points = _core.compute_ecdf(sample)
        series.append((f"route {k}", points, COLORS[k], DASHES[k]))
    return series


def best_time(fn, min_total=0.5, min_runs=5):
    """The fastest of repeated runs, in seconds."""
    best = float("inf")
    runs = 0
    start = time.perf_counter()
    while runs < min_runs or time.perf_counter() - start < min_total:
        t0 = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - t0)
        runs += 1
    return best


def conversion_only(series):
    try:
        _core.build_ecdf_option_json(series, None, *TEXTS[1:])
    except TypeError:
        pass


def main():
    rng = np.random.default_rng(7)
    rows = []
    for n_points in (1_000, 100_000):
        series = make_series(n_points, rng)
        text = _core.build_ecdf_option_json(series, *TEXTS)
        document = json.loads(text)  # the same document as a dict, in the same member order
        ours = best_time(lambda: _core.build_ecdf_option_json(series, *TEXTS))
        convert = best_time(lambda: conversion_only(series))
        with_orjson = best_time(lambda: orjson.dumps(document))
        with_json = best_time(lambda: json.dumps(document, separators=(",", ":")))
        rows.append((n_points, ours, convert, with_orjson, with_json, len(text)))

    print(f"build_ecdf_option_json, 4 series (Python {sys.version.split()[0]}, orjson {orjson.__version__})")
    header = ("points/series", "ours ms", "convert ms", "build+write ms", "orjson ms", "json ms",
              "orjson/ours", "json/ours", "MB")
    print(" | ".join(header))
    for n_points, ours, convert, with_orjson, with_json, size in rows:
        print(
            f"{n_points:>13,} | {ours * 1e3:7.3f} | {convert * 1e3:10.3f} | {(ours - convert) * 1e3:14.3f} | "
            f"{with_orjson * 1e3:9.3f} | {with_json * 1e3:7.3f} | {with_orjson / ours:11.2f} | "
            f"{with_json / ours:9.2f} | {size / 1e6:4.1f}"
        )


if __name__ == "__main__":
    main()
