# Memory pressure: in a child process whose address space is capped just above
# what it already uses, calls whose buffers cannot be allocated raise
# MemoryError, and the process goes on: under the cap every function then
# gives its normal result for small inputs. Nothing may abort or crash.
import json
import os
import subprocess
import sys
from pathlib import Path

import pytest


# AddressSanitizer reserves terabytes of address space for its shadow memory.
pytestmark = pytest.mark.skipif(not sys.platform.startswith("linux") or "asan" in Path("/proc/self/maps").read_text(),
                                reason="needs Linux address-space limits, which AddressSanitizer rules out")

CHILD = r"""
import json, resource
import numpy as np
import cases
from tessel_vis import _core

MB = 1 << 20
small = [call for name, call, ok in cases.CASES if name.endswith(" ok")]  # one successful call of each function
expected = [call() for call in small]


def cap(extra):  # whatever is mapped now, plus `extra` bytes
    with open("/proc/self/status") as status:
        mapped = next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmSize:"))
    resource.setrlimit(resource.RLIMIT_AS, (mapped + extra if extra else resource.RLIM_INFINITY, resource.RLIM_INFINITY))


# The inputs are made before the cap; each call then needs far more than it leaves.
many, distinct = np.arange(8 << 20) * 0.5, np.arange(2_000_000.0)  # 64 MB of values; a result list of ~200 MB
points = [[float(i), 0.5] for i in range(300_000)]
triples = [[1, 0.5, 0.0]] + [[float(i), 0.5, 0.25] for i in range(300_000)]  # read one list at a time, growing
big_document, wide, texts = '{"series":[{"data":[' + ",".join(["[1,2]"] * 3_000_000) + ']}]}', np.ones((2000, 2000)), cases.TEXTS
pressed = {
    "ecdf copy of 64 MB": (32, lambda: _core.compute_ecdf(many)),
    "ecdf result of 2M points": (48, lambda: _core.compute_ecdf(distinct)),
    "option of 300k points": (8, lambda: _core.build_ecdf_option_json([("A", points, "#000", None)] * 4, *texts)),
    "option of 300k three-number points": (4, lambda: _core.build_ecdf_option_json([("A", triples, "#000", None)] * 8, *texts)),
    "svg of an 18 MB document": (16, lambda: _core.render_option_svg(big_document, 640, 480)),
    "bar of an 18 MB document": (8, lambda: _core.finalize_activity_bar_option_json(big_document, np.ones(1), [1], ["#a"])),
    "heatmap of 4M cells": (32, lambda: _core.finalize_activity_heatmap_option_json('{"series":[{}]}', wide, True)),
    "comparison of 4M cells": (32, lambda: _core.finalize_activity_comparison_option_json(
        json.dumps({"series": [{}] * 2000}), wide, [[1] * 2000] * 2000, ["#abcdef"] * 2000, [0.5] * 2000)),
}
report = {}
for name, (headroom, call) in pressed.items():
    cap(headroom * MB)
    try:
        call()
        outcome = "no error"
    except BaseException as e:
        outcome = type(e).__name__ if type(e) is MemoryError else f"{type(e).__name__}: {e}"[:300]
    report[name] = (outcome, [call() for call in small] == expected)  # still under the cap
    cap(0)
# The lists being read when memory ran out are usable again (none stayed locked).
report["reread"] = bool(_core.build_ecdf_option_json([("A", triples[:3], "#000", None)], *texts))
# Besides its (here one-point) result, compute_ecdf on n values needs at most about 2 x 8n bytes.
cap(2 * 8 * len(many) + 16 * MB)
try:
    report["ecdf within 2 x 8n"] = _core.compute_ecdf(many, 1e-300) == [[0.0, 1e-300]]
except MemoryError:
    report["ecdf within 2 x 8n"] = False
print(json.dumps(report))
"""


def test_calls_that_cannot_allocate_raise_memory_error_and_the_process_goes_on(capsys):
    # A fixed mmap threshold maps every large buffer on its own and unmaps it
    # when freed, so freed memory does not stay mapped below the cap.
    env = dict(os.environ, MALLOC_MMAP_THRESHOLD_="65536", MALLOC_TRIM_THRESHOLD_="65536", MALLOC_TOP_PAD_="0",
               PYTHONPATH=os.path.dirname(__file__) + os.pathsep + os.environ.get("PYTHONPATH", ""))
    done = subprocess.run([sys.executable, "-c", CHILD], capture_output=True, text=True, env=env, timeout=600)
    assert done.returncode == 0, done.stderr[-4000:]
    report = json.loads(done.stdout.strip().splitlines()[-1])
    with capsys.disabled():
        print("\n[memory pressure] " + "; ".join(f"{name}: {row[0]}" for name, row in report.items() if isinstance(row, list)))
    assert report.pop("reread") and report.pop("ecdf within 2 x 8n")
    assert len(report) == 8 and all(row == ["MemoryError", True] for row in report.values()), report
