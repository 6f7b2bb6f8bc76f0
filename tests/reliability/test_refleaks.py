# Reference leaks: every path through the module, called many times on the
# debug interpreter, leaves the total reference count and the count of
# allocated memory blocks where they were.
import os
import subprocess
import sys

import pytest

import cases
from refcounts import CALLS, growth, leaks

pytestmark = pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"),
                                reason="reference counts are exact only on a debug interpreter")


@pytest.mark.parametrize("name, call, ok", cases.CASES, ids=[c[0] for c in cases.CASES])
def test_no_leak(name, call, ok):
    assert (cases.run(call)[0] == "ok") == ok
    refs, blocks = growth(call)
    assert name in cases.NUMPY_CODE or not leaks(refs), f"references grew in every round: {refs}"
    assert not leaks(blocks), f"allocated blocks grew in every round: {blocks}"


def test_the_measurement_sees_a_leak():
    kept = []
    refs, blocks = growth(lambda: kept.append(object()))
    assert leaks(refs) and leaks(blocks) and min(refs) >= CALLS


CHILD = """
import sys
sys.modules["numpy"] = sys.modules["numpy._core._multiarray_umath"] = sys.modules["numpy.core._multiarray_umath"] = None
from refcounts import growth, leaks
from tessel_vis import _core

def call():
    try:
        _core.compute_ecdf([1.0])
    except _core.InternalFailure as e:
        assert str(e).startswith("could not load NumPy: "), str(e)

refs, blocks = growth(call)
assert not all(d >= 1 for d in refs) and not leaks(blocks), (refs, blocks)
"""


def test_failing_to_load_numpy_leaks_nothing():
    # Every array conversion then retries the import and fails with it.
    env = dict(os.environ, PYTHONPATH=os.path.dirname(__file__) + os.pathsep + os.environ.get("PYTHONPATH", ""))
    done = subprocess.run([sys.executable, "-c", CHILD], capture_output=True, text=True, env=env)
    assert done.returncode == 0, done.stderr
