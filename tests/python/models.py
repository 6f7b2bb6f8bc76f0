# Small models the tests compare the module with: its JSON text, its numbers, its rounding.
import json
import math
import operator
import re
from collections import UserList as Sequence  # noqa: F401 - a sequence that is neither list nor tuple
from decimal import Decimal

import pytest

from tessel_vis import _core


def outcome(f, *args, **kwargs):
    # ("ok", result) or (exception type name, message); an internal failure derives from BaseException alone.
    try:
        result = f(*args, **kwargs)
    except _core.InternalFailure as e:
        assert type(e).__bases__ == (BaseException,) and e.args == (str(e),)
        return ("InternalFailure", str(e))
    except Exception as e:  # noqa: BLE001 - compared by the caller
        return (type(e).__name__, str(e))
    if isinstance(result, str):  # a str made as ASCII is exactly the ASCII texts
        assert result.isascii() == all(c < "\x80" for c in result)
    return ("ok", result)


def require(ok, error):
    if not ok:
        raise error


def raises(exc_type, message, f, *args, **kwargs):
    # The call raises exactly `exc_type` (not a subclass) with exactly `message`.
    with pytest.raises(exc_type) as info:
        f(*args, **kwargs)
    assert type(info.value) is exc_type and str(info.value) == message
    return info.value


def write_float(x):
    # Shortest round-trip digits; positional from 1e-5 to below 1e16, else with an exponent of no leading zeros.
    text = repr(x)
    return format(Decimal(text), "f") if 1e-5 <= abs(x) < 1e-4 else re.sub(r"e([+-])0*(?=\d)", r"e\1", text)


ESCAPES = {'"': '\\"', "\\": "\\\\", "\b": "\\b", "\t": "\\t", "\n": "\\n", "\f": "\\f", "\r": "\\r"}


def write(v):
    # Compact JSON text of a decoded value; an int is an integer, a float a float.
    if v is None or isinstance(v, bool):
        return {None: "null", True: "true", False: "false"}[v]
    if isinstance(v, (int, float)):
        return str(v) if isinstance(v, int) else write_float(v) if math.isfinite(v) else "null"
    if isinstance(v, str):
        return '"' + "".join(ESCAPES.get(c) or ("\\u%04x" % ord(c) if c < " " else c) for c in v) + '"'
    if isinstance(v, list):
        return "[" + ",".join(map(write, v)) + "]"
    return "{" + ",".join(write(k) + ":" + write(e) for k, e in v.items()) + "}"


def read_number(token):
    # Integers of 64 bits as they are, else the leading digits that fit in 64 bits times or over a power of ten.
    if token.lstrip("-").isdigit() and token != "-0" and -(2**63) <= int(token) < 2**64:
        return int(token)
    whole, fraction, exp = re.fullmatch(r"-?(\d+)(?:\.(\d+))?(?:[eE]([+-]?\d+))?", token).groups()
    digits = whole + (fraction or "")
    k = next((k for k in range(1, len(digits) + 1) if int(digits[:k]) >= 2**64), len(digits) + 1) - 1  # the digits that fit
    f, e = float(int(digits[:k] or 0)), len(whole) - k + int(exp or 0)
    while e < -308 and f != 0.0:
        f, e = f / 1e308, e + 308
    f = 0.0 if f == 0.0 else f * float(10**e) if e >= 0 else f / float(10**-e)
    assert math.isfinite(f), "out of range"
    return -f if token.startswith("-") else f


def loads(text):
    return json.loads(text, parse_int=read_number, parse_float=read_number)


def round_hundredths(x):
    # x * 100, to the nearest integer with halves away from zero, then / 100.
    y = x * 100.0
    if not math.isfinite(y):
        return y
    t = math.trunc(y)
    t += (1 if y > 0 else -1) if abs(y - t) >= 0.5 else 0
    return math.copysign(float(t), y) / 100.0


def number(x):
    return x if math.isfinite(x) else None


def count(c):
    return int(operator.index(c))
