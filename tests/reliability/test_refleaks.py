"""Reference leaks: every path through the module, called many times on the
debug interpreter, must leave the interpreter's total reference count and
its count of allocated memory blocks where they were."""
import gc
import os
import subprocess
import sys
import textwrap

import pytest

import reliability_cases as rc

DEBUG = hasattr(sys, "gettotalrefcount")
pytestmark = pytest.mark.skipif(
    not DEBUG, reason="reference counts are exact only on a debug interpreter (sys.gettotalrefcount)"
)

WARMUP = 10
ROUNDS = 3
CALLS = 100  # per round

# Totals over all cases, for the run's summary line.
SUMMARY = {"cases": 0, "calls": 0, "max_ref_delta": 0, "max_block_delta": 0, "steady_ref": 0, "steady_block": 0}


def _call_quietly(case):
    try:
        case.call()
    except BaseException:  # noqa: BLE001 - internal failures derive from BaseException
        pass


def measure(case):
    """Per-round growth of the total reference count and of the allocated
    blocks over CALLS calls, after a warm-up that fills the interpreter's
    own caches."""
    for _ in range(WARMUP):
        _call_quietly(case)
    ref_deltas, block_deltas = [], []
    for _ in range(ROUNDS):
        gc.collect()
        refs, blocks = sys.gettotalrefcount(), sys.getallocatedblocks()
        for _ in range(CALLS):
            _call_quietly(case)
        gc.collect()
        ref_deltas.append(sys.gettotalrefcount() - refs)
        block_deltas.append(sys.getallocatedblocks() - blocks)
    return ref_deltas, block_deltas


def leaks(deltas):
    # A leak grows the count in every round, by at least one per ten calls
    # even for a path taken once in ten; the interpreter's own caches can
    # add a few references in every round while they settle.
    return all(d >= CALLS // 10 for d in deltas)


def growth(case):
    """measure(case) less what the measurement itself costs (its own
    bookkeeping objects), taken from a call that does nothing."""
    noop = rc.Case("nothing", lambda: None)
    base_refs, base_blocks = measure(noop)
    refs, blocks = measure(case)
    return [a - b for a, b in zip(refs, base_refs)], [a - b for a, b in zip(blocks, base_blocks)]


@pytest.fixture(scope="module")
def internal_type():
    return rc.internal_failure_type()


# NumPy itself is built for the release interpreter, so the references it
# takes and drops are not counted. The cases pass ready-made arrays, so
# mostly only the module's own reference handling is measured; for the calls
# that run NumPy's dtype comparison the allocated blocks still are exact.
@pytest.mark.parametrize("case", rc.CASES, ids=[c.name for c in rc.CASES])
def test_no_reference_leak(case, internal_type):
    outcome = rc.run(case)
    assert rc.expected_matches(case, outcome, internal_type), outcome
    ref_deltas, block_deltas = growth(case)
    SUMMARY["cases"] += 1
    SUMMARY["calls"] += WARMUP + ROUNDS * CALLS + 1
    if not case.numpy_refs:
        SUMMARY["max_ref_delta"] = max(SUMMARY["max_ref_delta"], *ref_deltas)
        SUMMARY["steady_ref"] = max(SUMMARY["steady_ref"], min(ref_deltas))
    SUMMARY["steady_block"] = max(SUMMARY["steady_block"], min(block_deltas))
    SUMMARY["max_block_delta"] = max(SUMMARY["max_block_delta"], *block_deltas)
    if not case.numpy_refs:
        assert not leaks(ref_deltas), f"total reference count grew in every round: {ref_deltas}"
    assert not leaks(block_deltas), f"allocated blocks grew in every round: {block_deltas}"


def test_leak_detector_sees_a_leak():
    # The measurement itself: a call that keeps one reference per call is caught.
    kept = []
    case = rc.Case("leaky", lambda: kept.append(object()))
    ref_deltas, block_deltas = growth(case)
    assert leaks(ref_deltas) and leaks(block_deltas)
    assert min(ref_deltas) >= CALLS


def test_internal_failure_without_numpy_does_not_leak():
    # When NumPy cannot be loaded, every array conversion is an internal
    # failure carrying the import error; the failed loading is retried on each
    # call, and nothing of it may stay behind.
    script = textwrap.dedent(
        f"""
        import gc, sys
        sys.modules["numpy"] = None
        sys.modules["numpy._core._multiarray_umath"] = None
        sys.modules["numpy.core._multiarray_umath"] = None
        from tessel_vis import _core

        def call():
            try:
                _core.compute_ecdf([1.0])
            except BaseException as e:
                return e

        def nothing():
            pass

        first = call()
        kind = type(first)
        assert kind.__bases__ == (BaseException,), kind.__mro__
        assert str(first).startswith("could not load NumPy: "), str(first)
        del first

        def measure(f):
            deltas = []
            for _ in range({ROUNDS}):
                gc.collect()
                before = sys.gettotalrefcount()
                for _ in range({CALLS}):
                    f()
                gc.collect()
                deltas.append(sys.gettotalrefcount() - before)
            return deltas

        measure(call)
        deltas = [a - b for a, b in zip(measure(call), measure(nothing))]
        print(deltas)
        assert not all(d >= 1 for d in deltas), deltas
        """
    )
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, env=os.environ.copy())
    assert done.returncode == 0, done.stderr


def test_zz_summary(capsys):
    # Runs last in this file (pytest keeps file order): the totals of the run.
    with capsys.disabled():
        print(
            f"\n[reference leaks] {SUMMARY['cases']} cases, {SUMMARY['calls']} calls, "
            f"largest growth in any round: references {SUMMARY['max_ref_delta']}, blocks {SUMMARY['max_block_delta']}; "
            f"largest growth in a case's best round: references {SUMMARY['steady_ref']}, "
            f"blocks {SUMMARY['steady_block']}"
        )
