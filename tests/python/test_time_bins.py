import pytest

from tessel_vis import _core

DIVISORS = [d for d in range(1, 1441) if 1440 % d == 0]


def test_there_are_36_divisors():
    assert len(DIVISORS) == 36


@pytest.mark.parametrize("n", DIVISORS)
def test_labels_match_model(n):
    w = 1440 // n
    expected = [f"{i * w // 60:02d}:{i * w % 60:02d}" for i in range(n)]
    assert _core.activity_time_bin_labels(n) == expected


@pytest.mark.parametrize(
    "n, head, last",
    [
        (1, ["00:00"], "00:00"),
        (24, ["00:00", "01:00"], "23:00"),
        (96, ["00:00", "00:15", "00:30", "00:45", "01:00"], "23:45"),
        (32, ["00:00", "00:45", "01:30", "02:15"], "23:15"),
        (1440, ["00:00", "00:01"], "23:59"),
    ],
)
def test_examples(n, head, last):
    labels = _core.activity_time_bin_labels(n)
    assert labels[: len(head)] == head and labels[-1] == last and len(labels) == n


@pytest.mark.parametrize("n", [0, 7, 2880, 1441, 2**64 - 1])
def test_refusals(n):
    with pytest.raises(ValueError) as info:
        _core.activity_time_bin_labels(n)
    assert str(info.value) == "n_bins must be a positive divisor of 1440"
