"""compute_ecdf against the same algorithm in NumPy and against scipy.stats.ecdf."""
import os
import subprocess
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from timing import best_time, pin_to_one_cpu, print_table  # noqa: E402
from tessel_vis import _core  # noqa: E402
import _bench_floors  # noqa: E402  (built with the timing programs)


def numpy_ecdf(values, cutoff=1.0):
    a = np.sort(values)
    n = a.size
    ends = np.append(np.flatnonzero(a[1:] != a[:-1]) + 1, n)
    starts = np.concatenate(([0], ends[:-1]))
    y = ends / n
    stop = int(np.searchsorted(y >= cutoff, True))
    x = a[starts[: stop + 1]]
    y = np.minimum(y[: stop + 1], cutoff)
    return np.column_stack([x, y]).tolist()


def scipy_ecdf(values):
    from scipy import stats

    cdf = stats.ecdf(values).cdf
    return np.column_stack([cdf.quantiles, cdf.probabilities]).tolist()


def cases():
    rng = np.random.default_rng(42)
    yield "1e5 distinct", rng.normal(size=100_000)
    yield "1e6 distinct", rng.normal(size=1_000_000)
    pool = rng.normal(size=1000)
    yield "1e6, ~1000 distinct", rng.choice(pool, size=1_000_000)
    yield "1e7, ~1000 distinct", rng.choice(pool, size=10_000_000)


PEAK = """
import numpy as np
from tessel_vis import _core
def hwm():
    for line in open("/proc/self/status"):
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) * 1024
a = np.random.default_rng(1).{make}
with open("/proc/self/clear_refs", "w") as f:
    f.write("5")  # resets the peak to the current resident size
base = hwm()
r = _core.compute_ecdf(a, {cutoff})
print(hwm() - base, len(r))
"""


def peak_extra(make, cutoff):
    """Growth of peak resident memory during one call, in bytes, and the number of points."""
    code = PEAK.format(make=make, cutoff=cutoff)
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True).stdout.split()
    return int(out[0]), int(out[1])


def main():
    pin_to_one_cpu()  # ours and the anchors on the same CPU
    rows = []
    for name, values in cases():
        assert _core.compute_ecdf(values) == numpy_ecdf(values)
        ours = best_time(lambda: _core.compute_ecdf(values), repeat=3)
        numpy_t = best_time(lambda: numpy_ecdf(values), repeat=3)
        scipy_t = best_time(lambda: scipy_ecdf(values), repeat=3)
        rows.append((name, ours, {"numpy": numpy_t, "scipy": scipy_t}))
        if name == "1e6 distinct":
            # The limit: making the same [[x, y], ...] in C from ready doubles.
            ready = np.array(_core.compute_ecdf(values))
            rows.append(("  limit: the result from doubles", best_time(lambda: _bench_floors.pair_lists(ready), repeat=3),
                         {}))
    print_table("compute_ecdf (best of 3; ratio > 1 means we are faster)", rows, ["numpy", "scipy"])

    print("\nPeak memory of one call beyond its input (growth of peak RSS; includes the result list):")
    for label, make, cutoff, n in [
        ("1e7, ~1000 distinct", "choice(np.random.default_rng(2).normal(size=1000), size=10_000_000)", 1.0, 10**7),
        ("1e7 distinct, cutoff 1e-9", "normal(size=10_000_000)", 1e-9, 10**7),
        ("1e6 distinct", "normal(size=1_000_000)", 1.0, 10**6),
    ]:
        extra, points = peak_extra(make, cutoff)
        print(f"  {label:<26} {extra / 2**20:8.1f} MiB = {extra / (8 * n):5.2f} x 8n bytes ({points} points)")


if __name__ == "__main__":
    main()
