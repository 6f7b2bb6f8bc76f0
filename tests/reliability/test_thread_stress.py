"""Eight threads call all seven functions at once on shared read-only inputs,
successful and failing calls mixed; every outcome must equal the outcome of
the same call made alone."""
import random
import threading
import time

import numpy as np

import reliability_cases as rc
from tessel_vis import _core

THREADS = 8
DURATION = 2.0  # seconds of calls after the first full pass of every thread

# Long calls that detach from the interpreter, so that the threads really
# overlap with each other (the ECDF of a large sample, a large ECDF option).
BIG_SAMPLE = rc.frozen(np.random.default_rng(11).integers(0, 50_000, size=200_000) / 8.0)
BIG_POINTS = _core.compute_ecdf(BIG_SAMPLE)
EXTRA = [
    rc.Case("ecdf big", lambda: _core.compute_ecdf(BIG_SAMPLE)),
    rc.Case("ecdf big cutoff", lambda: _core.compute_ecdf(BIG_SAMPLE, 0.3)),
    rc.Case("option big", lambda: _core.build_ecdf_option_json([("big", BIG_POINTS, "#000", [3, 1])], *rc.TEXTS)),
]


def test_threads_give_the_single_threaded_outcomes(capsys):
    cases = rc.CASES + EXTRA
    internal = rc.internal_failure_type()
    expected = []
    for case in cases:
        outcome = rc.run(case)
        assert rc.expected_matches(case, outcome, internal), (case.name, outcome)
        expected.append(outcome)
    # Same call twice alone: the reference outcome is stable.
    assert [rc.run(case) for case in cases] == expected

    barrier = threading.Barrier(THREADS)
    calls = [0] * THREADS
    mismatches = []
    failures = []

    def worker(k):
        try:
            order = list(range(len(cases)))
            random.Random(k).shuffle(order)
            barrier.wait()
            deadline = None
            passes = 0
            while deadline is None or time.monotonic() < deadline:
                for i in order:
                    got = rc.run(cases[i])
                    calls[k] += 1
                    if got != expected[i]:
                        mismatches.append((cases[i].name, got, expected[i]))
                passes += 1
                if deadline is None:
                    deadline = time.monotonic() + DURATION
        except BaseException as e:  # noqa: BLE001 - reported below
            failures.append(repr(e))

    threads = [threading.Thread(target=worker, args=(k,)) for k in range(THREADS)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()

    total = sum(calls)
    with capsys.disabled():
        print(f"\n[thread stress] {THREADS} threads, {total} calls over {len(cases)} cases, {len(mismatches)} mismatches")
    assert not failures, failures
    assert not mismatches, mismatches[:5]
    assert min(calls) >= len(cases)
