# compute_ecdf and activity_time_bin_labels against small models.
import gc
import itertools
import math
import random

import numpy as np
import pytest

from models import raises
from tessel_vis import _core

NOT_CONTIGUOUS = "The given array is not contiguous or is misaligned."
CUTOFF = "cdf_cutoff must be finite and in the interval (0, 1]"


def model_ecdf(values, cutoff=1.0):
    # Sort by total order (-0.0 first), group equal values, stop at the cutoff.
    a, points, j = sorted(values, key=lambda v: (v, math.copysign(1.0, v))), [], 0
    for x, group in itertools.groupby(a):
        j += len(list(group))
        points.append([x, min(j / len(a), cutoff)])
        if j / len(a) >= cutoff:
            break
    return points


def sample(rng):
    # Sizes on both sides of the counting of few distinct values (4096 and
    # more values, at most 16384 distinct ones).
    n = rng.choice([1, 2, 5, 100, 4095, 4096, 5000, 20000, 40000])
    pool = rng.choice([
        lambda: [rng.uniform(-1e6, 1e6) * 10 ** rng.randint(-300, 300) for _ in range(n)],
        lambda: [rng.gauss(0, 1) for _ in range(rng.choice([1, 40, 16384, 16385]))],
        lambda: [float(i) for i in range(-50, 50)], lambda: [0.0, -0.0, 1.0, -1.0],
        lambda: [5e-324, -5e-324, 1e-310, 0.0, -0.0, 1.7976931348623157e308, -1.7976931348623157e308]])()
    values = pool[:n] if len(pool) >= n else pool + [rng.choice(pool) for _ in range(n - len(pool))]  # every pooled value occurs
    rng.shuffle(values)
    return values


@pytest.mark.parametrize("seed", range(30))
def test_matches_the_model(seed):
    rng = random.Random(seed)
    values = sample(rng)
    cutoff = rng.choice([1.0, 0.5, 0.3, 0.999, rng.random() or 1.0, 1 / len(values), 1e-300, 5e-324])
    array = np.array(values)
    assert repr(_core.compute_ecdf(array, cutoff)) == repr(model_ecdf(values, cutoff))  # repr tells -0.0, ints and tuples apart
    assert repr(array.tolist()) == repr(values)  # untouched


@pytest.mark.parametrize("values, cutoff, message", [
    ([], 2.0, "values must not be empty"),  # emptiness is checked before the cutoff
    ([math.nan], 0.0, "values must contain only finite values"),  # and finiteness too
] + [([1.0], c, CUTOFF) for c in (0.0, -0.0, -1.0, 1.0000000000000002, math.nan, math.inf, -math.inf)])
def test_refusals(values, cutoff, message):
    raises(ValueError, message, _core.compute_ecdf, np.array(values, dtype=np.float64), cutoff)


@pytest.mark.parametrize("n", [5, 5000, 40000])
@pytest.mark.parametrize("bad", [math.nan, math.inf, -math.inf])
def test_non_finite_values_anywhere(n, bad):
    for position in (0, n // 2, n - 1):
        values = np.arange(float(n)) % 7  # few distinct values in large samples
        values[position] = bad
        raises(ValueError, "values must contain only finite values", _core.compute_ecdf, values)


@pytest.mark.parametrize("collecting", [True, False])
def test_large_samples_keep_the_collector_state(collecting):
    # 600,000 values (buffers of megabytes), repeats among many distinct ones.
    values = np.random.default_rng(5).normal(size=600_000).round(5) + 10.0
    was = gc.isenabled()
    (gc.enable if collecting else gc.disable)()
    try:
        result = _core.compute_ecdf(values)
        assert gc.isenabled() == collecting
    finally:
        (gc.enable if was else gc.disable)()
    x, counts = np.unique(values, return_counts=True)
    assert result == np.column_stack([x, np.cumsum(counts) / values.size]).tolist()


def test_layouts():
    a = np.arange(10.0)
    misaligned = np.zeros(33, dtype=np.uint8)[1:].view(np.float64)
    for refused in (a[::2], a[::-1], misaligned):
        raises(TypeError, NOT_CONTIGUOUS, _core.compute_ecdf, refused)
    flagged = np.zeros(0)
    flagged.flags.aligned = False  # an empty array is empty before it is misaligned
    for empty in (a[:0:2], flagged):
        raises(ValueError, "values must not be empty", _core.compute_ecdf, empty)
    assert _core.compute_ecdf(a[3:4:2]) == [[3.0, 1.0]]  # one element is contiguous
    assert _core.compute_ecdf(np.asfortranarray(a)) == model_ecdf(a.tolist())


DIVISORS = [d for d in range(1, 1441) if 1440 % d == 0]


def test_time_bin_labels_for_every_divisor():
    assert len(DIVISORS) == 36
    for n in DIVISORS:
        w = 1440 // n
        assert _core.activity_time_bin_labels(n) == [f"{i * w // 60:02d}:{i * w % 60:02d}" for i in range(n)]


@pytest.mark.parametrize("n", [0, 7, 1441, 2880, 2**64 - 1])
def test_time_bin_refusals(n):
    raises(ValueError, "n_bins must be a positive divisor of 1440", _core.activity_time_bin_labels, n)
