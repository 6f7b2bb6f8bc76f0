# Threads: eight threads call all seven functions at once on shared inputs,
# and lists change while they are converted, under another thread or their
# own elements; every outcome must be one the same call can have alone.
import json
import random
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import cases
from tessel_vis import _core

BIG = cases.frozen(np.random.default_rng(11).integers(0, 50_000, size=200_000) / 8.0)
BIG_POINTS = _core.compute_ecdf(BIG)
# With long calls that detach from the interpreter, so the threads really overlap.
CALLS = [call for _, call, _ in cases.CASES] + [
    lambda: _core.compute_ecdf(BIG, 0.3), lambda: _core.build_ecdf_option_json([("big", BIG_POINTS, "#000", [3, 1])], *cases.TEXTS)]


def test_threads_give_the_single_threaded_outcomes():
    expected = [cases.run(call) for call in CALLS]
    assert [cases.run(call) for call in CALLS] == expected
    barrier = threading.Barrier(8)

    def work(k):
        order = random.Random(k).sample(range(len(CALLS)), len(CALLS))
        barrier.wait()
        for i in order * 20:
            assert cases.run(CALLS[i]) == expected[i], i

    with ThreadPoolExecutor(8) as pool:
        list(pool.map(work, range(8)))  # raises what a thread raised


class Hook:
    # A number whose conversion first runs `action`, Python code in the middle of a list's conversion.

    def __init__(self, v, action):
        self.v, self.action = v, action

    def __index__(self):
        self.action()
        return self.v

    def __float__(self):
        return float(self.__index__())


def test_lists_changed_by_another_thread_while_converted():
    n, old_interval = 64, sys.getswitchinterval()
    yields = lambda v: Hook(v, lambda: time.sleep(0))  # noqa: E731 - lets the other thread run
    counts, colors, points = [yields(i) for i in range(n)], [f"#{i:06x}" for i in range(n)], [[yields(i), yields(1)] for i in range(n)]
    seen, stop = set(colors), threading.Event()

    def mutate():
        rng = random.Random(1)
        while not stop.is_set():
            colors[rng.randrange(n)] = colour = f"#{rng.randrange(2**24):06x}"  # a new str: the old one may be freed
            seen.add(colour)
            if len(counts) < n:
                counts.append(yields(1))
            else:
                counts.pop(rng.randrange(n))
            points[rng.randrange(n)] = [yields(1), yields(2)] if rng.random() < 0.9 else []

    mutator = threading.Thread(target=mutate)
    sys.setswitchinterval(1e-6)
    mutator.start()
    try:
        for _ in range(60):
            # The colours are read, then the opacities run Python code while the colours change.
            out = _core.finalize_activity_comparison_option_json('{"series":[{}]}', np.ones((1, n)), [[1] * n], colors, [yields(1)])
            assert {item["itemStyle"]["color"] for item in json.loads(out)["series"][0]["data"]} <= seen
            try:
                _core.finalize_activity_bar_option_json('{"series":[{}]}', np.ones(n), counts, colors)
            except ValueError as e:
                assert str(e) == "percentages, counts, and colors must have equal length"
            json.loads(_core.build_ecdf_option_json([("a", points, "#000", None)], *cases.TEXTS))
    finally:
        stop.set()
        mutator.join()
        sys.setswitchinterval(old_interval)


def test_lists_changed_by_their_own_elements():
    counts, opacities, points = [None, 1], [None, 0.5], [None, [4.0, 5.0]]
    counts[0], opacities[0], points[0] = Hook(1, counts.clear), Hook(1, opacities.clear), [Hook(1, points.clear), 1.0]
    with pytest.raises(ValueError, match="^percentages, counts, and colors must have equal length$"):
        _core.finalize_activity_bar_option_json('{"series":[{}]}', np.ones(2), counts, ["a", "b"])
    with pytest.raises(ValueError, match="incompatible dimensions"):
        _core.finalize_activity_comparison_option_json('{"series":[{},{}]}', np.ones((2, 1)), [[1], [1]], ["a"], opacities)
    option = json.loads(_core.build_ecdf_option_json([("a", points, "#000", None)], *cases.TEXTS))
    assert option["series"][0]["data"] == [[1.0, 1.0]]
