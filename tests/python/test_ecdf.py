import math
import random
import threading

import numpy as np
import pytest

from tessel_vis import _core


def model_ecdf(values, cutoff=1.0):
    """Independent model: NumPy sort and group boundaries."""
    a = np.sort(np.asarray(values, dtype=np.float64), kind="stable")
    # Total order: -0.0 before +0.0 (np.sort treats them as equal).
    a = np.array(sorted(a.tolist(), key=lambda v: (v, math.copysign(1.0, v))))
    n = len(a)
    points = []
    i = 0
    while i < n:
        j = i + 1
        while j < n and a[j] == a[i]:
            j += 1
        y = j / n
        if y > cutoff:
            points.append([a[i].item(), cutoff])
            break
        points.append([a[i].item(), y])
        if y == cutoff:
            break
        i = j
    return points


def same(a, b):
    """Equal including the sign of zero."""
    return len(a) == len(b) and all(
        x1 == x2 and y1 == y2 and math.copysign(1, x1) == math.copysign(1, x2) for (x1, y1), (x2, y2) in zip(a, b)
    )


@pytest.mark.parametrize(
    "values, cutoff, expected",
    [
        ([3.0, 1.0, 2.0], 1.0, [[1.0, 1 / 3], [2.0, 2 / 3], [3.0, 1.0]]),
        ([1.0, 1.0, 2.0], 1.0, [[1.0, 2 / 3], [2.0, 1.0]]),
        ([1.0, 2.0, 3.0, 4.0], 0.5, [[1.0, 0.25], [2.0, 0.5]]),
        ([1.0, 2.0, 3.0, 4.0], 0.3, [[1.0, 0.25], [2.0, 0.3]]),
        ([7.5], 1.0, [[7.5, 1.0]]),
        ([5.0, 3.0], 1e-300, [[3.0, 1e-300]]),
        ([5.0, 3.0], 5e-324, [[3.0, 5e-324]]),
        ([0.0, -0.0], 1.0, [[-0.0, 1.0]]),
        ([-0.0, 0.0], 1.0, [[-0.0, 1.0]]),
        (list(range(10)), 0.3, [[0.0, 0.1], [1.0, 0.2], [2.0, 0.3]]),
        ([1.7976931348623157e308, -1.7976931348623157e308, 5e-324], 1.0,
         [[-1.7976931348623157e308, 1 / 3], [5e-324, 2 / 3], [1.7976931348623157e308, 1.0]]),
    ],
)
def test_examples(values, cutoff, expected):
    result = _core.compute_ecdf(np.array(values, dtype=np.float64), cutoff)
    assert same(result, expected)
    assert all(type(p) is list and all(type(v) is float for v in p) for p in result)


@pytest.mark.parametrize(
    "values, cutoff, message",
    [
        ([], 2.0, "values must not be empty"),
        ([math.nan], 0.0, "values must contain only finite values"),
        ([1.0, math.inf], 1.0, "values must contain only finite values"),
        ([-math.inf], 1.0, "values must contain only finite values"),
    ]
    + [([1.0], c, "cdf_cutoff must be finite and in the interval (0, 1]")
       for c in (0.0, -0.0, -1.0, 1.0000000000000002, math.nan, math.inf, -math.inf)],
)
def test_refusals(values, cutoff, message):
    with pytest.raises(ValueError) as info:
        _core.compute_ecdf(np.array(values, dtype=np.float64), cutoff)
    assert str(info.value) == message


def test_layout_checks():
    a = np.arange(10, dtype=np.float64)
    with pytest.raises(TypeError) as info:
        _core.compute_ecdf(a[::2])
    assert str(info.value) == "The given array is not contiguous or is misaligned."
    with pytest.raises(ValueError, match="^values must not be empty$"):
        _core.compute_ecdf(a[:0:2])
    # One selected element of a strided view is contiguous.
    assert _core.compute_ecdf(a[3:4:2]) == [[3.0, 1.0]]
    # Reversed views are not contiguous; Fortran-ordered 1-D arrays are.
    with pytest.raises(TypeError):
        _core.compute_ecdf(a[::-1])
    raw = np.zeros(8 * 4 + 1, dtype=np.uint8)
    misaligned = raw[1:].view(np.float64)
    assert not misaligned.flags.aligned
    with pytest.raises(TypeError, match="not contiguous or is misaligned"):
        _core.compute_ecdf(misaligned)


def test_caller_array_untouched():
    a = np.array([3.0, -0.0, 1.0, 0.0])
    before = a.copy()
    _core.compute_ecdf(a)
    assert np.array_equal(a, before) and np.signbit(a).tolist() == np.signbit(before).tolist()


def _random_sample(rng):
    n = rng.choice([1, 2, 5, 100, 600, 5000, 20000])
    kind = rng.choice(["distinct", "few", "ints", "zeros", "tiny"])
    if kind == "distinct":
        return [rng.uniform(-1e6, 1e6) for _ in range(n)]
    if kind == "few":
        pool = [rng.gauss(0, 1) for _ in range(rng.randint(1, 40))]
        return [rng.choice(pool) for _ in range(n)]
    if kind == "ints":
        return [float(rng.randint(-50, 50)) for _ in range(n)]
    if kind == "zeros":
        return [rng.choice([0.0, -0.0, 1.0, -1.0]) for _ in range(n)]
    return [rng.choice([5e-324, -5e-324, 1e-310, 0.0]) for _ in range(n)]


@pytest.mark.parametrize("seed", range(40))
def test_matches_model(seed):
    rng = random.Random(seed)
    values = _random_sample(rng)
    cutoff = rng.choice([1.0, 0.5, 0.3, 0.999, rng.random() or 1.0, 1 / len(values)])
    assert same(_core.compute_ecdf(np.array(values), cutoff), model_ecdf(values, cutoff))


def test_threads_share_read_only_inputs():
    rng = np.random.default_rng(7)
    arrays = [rng.normal(size=50_000), np.round(rng.normal(size=80_000) * 10), rng.integers(0, 5, 3000) * 1.0]
    for a in arrays:
        a.setflags(write=False)
    expected = [_core.compute_ecdf(a, 0.9) for a in arrays]
    errors = []

    def work(k):
        try:
            for i in range(15):
                j = (k + i) % len(arrays)
                if _core.compute_ecdf(arrays[j], 0.9) != expected[j]:
                    errors.append(f"mismatch in thread {k}")
        except BaseException as e:  # noqa: BLE001
            errors.append(repr(e))

    threads = [threading.Thread(target=work, args=(k,)) for k in range(8)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == []
