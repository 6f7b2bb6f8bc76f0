"""Assertions shared by the test modules: exact exception type and message."""
import pytest

from tessel_vis import _core


def raises(exc_type, message, f, *args, **kwargs):
    """The call raises exactly `exc_type` (not a subclass) with exactly `message`."""
    with pytest.raises(exc_type) as info:
        f(*args, **kwargs)
    assert type(info.value) is exc_type
    assert str(info.value) == message
    return info.value


def internal_failure(message, f, *args, **kwargs):
    """The call fails with the module's internal failure, which escapes `except Exception`."""
    try:
        try:
            f(*args, **kwargs)
        except Exception as exc:  # noqa: BLE001
            pytest.fail(f"an ordinary exception instead of the internal failure: {exc!r}")
    except BaseException as exc:  # noqa: BLE001
        assert type(exc) is _core.InternalFailure and type(exc).__bases__ == (BaseException,)
        assert str(exc) == message
        return
    pytest.fail("no exception")
