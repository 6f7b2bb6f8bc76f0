"""The three finalizers against a small pure-Python model of them,
on generated option documents, data and array layouts.

The model decodes with the `json` module, which agrees with the module's
reader on the documents generated here (integers within 2**53, decimals with
at most 15 significant digits, no lone surrogates), edits the decoded
document as the Parts say and writes it in the writer's exact text form.
"""
import json
import math
import random

import numpy as np
import pytest

from tessel_vis import _core


class ModelInternalFailure(Exception):
    pass


# ---------------------------------------------------------------------------
# The model: rounding, writer, document access, the three finalizers.


def round_hundredths(x):
    """x * 100, nearest integer with halves away from zero, / 100 (floats)."""
    y = x * 100.0
    if y != y or y in (math.inf, -math.inf):
        return y
    t = math.trunc(y)
    if abs(y - t) >= 0.5:
        t += 1 if y > 0 else -1
    return math.copysign(float(t), y) / 100.0


def number_from_float(x):
    return x if math.isfinite(x) else None


def write_float(x):
    if x == 0.0:
        return "-0.0" if math.copysign(1.0, x) < 0 else "0.0"
    sign = "-" if x < 0 else ""
    text = repr(abs(x))  # the shortest round-trip digits
    mantissa, _, exp = text.partition("e")
    exp = int(exp or 0)
    whole, _, fraction = mantissa.partition(".")
    if whole != "0":
        digits = (whole + fraction).lstrip("0")
        e = len(whole) - 1 + exp
    else:
        stripped = fraction.lstrip("0")
        e = -(len(fraction) - len(stripped) + 1) + exp
        digits = stripped
    digits = digits.rstrip("0") or "0"
    n = len(digits)
    if e < -5 or e > 15:
        body = digits[0] + ("." + digits[1:] if n > 1 else "") + "e" + ("-" if e < 0 else "+") + str(abs(e))
    elif e >= n - 1:
        body = digits + "0" * (e - n + 1) + ".0"
    elif e >= 0:
        body = digits[: e + 1] + "." + digits[e + 1 :]
    else:
        body = "0." + "0" * (-e - 1) + digits
    return sign + body


ESCAPES = {'"': '\\"', "\\": "\\\\", "\b": "\\b", "\t": "\\t", "\n": "\\n", "\f": "\\f", "\r": "\\r"}


def write_string(s):
    out = ['"']
    for ch in s:
        if ch in ESCAPES:
            out.append(ESCAPES[ch])
        elif ord(ch) < 0x20:
            out.append("\\u%04x" % ord(ch))
        else:
            out.append(ch)
    out.append('"')
    return "".join(out)


def write(v):
    if v is None:
        return "null"
    if v is True:
        return "true"
    if v is False:
        return "false"
    if isinstance(v, int):
        return str(v)
    if isinstance(v, float):
        return "null" if not math.isfinite(v) else write_float(v)
    if isinstance(v, str):
        return write_string(v)
    if isinstance(v, list):
        return "[" + ",".join(write(e) for e in v) + "]"
    return "{" + ",".join(write_string(k) + ":" + write(e) for k, e in v.items()) + "}"


def kind_name(v):
    if v is None:
        return "null"
    if isinstance(v, bool):
        return "boolean"
    if isinstance(v, (int, float)):
        return "number"
    return {str: "string", list: "array", dict: "object"}[type(v)]


# A place in the document: (container, key or index).
def member_or_insert(place, key):
    container, slot = place
    target = container[slot]
    if target is None:
        target = container[slot] = {}
    if not isinstance(target, dict):
        raise ModelInternalFailure(f'cannot access key "{key}" in JSON {kind_name(target)}')
    if key not in target:
        target[key] = None
    return (target, key)


def element_at(place, position):
    container, slot = place
    target = container[slot]
    if not isinstance(target, list):
        raise ModelInternalFailure(f"cannot access index {position} of JSON {kind_name(target)}")
    if position >= len(target):
        raise ModelInternalFailure(f"cannot access index {position} of JSON array of length {len(target)}")
    return (target, position)


def assign(place, value):
    container, slot = place
    container[slot] = value


def decode(option_json):
    try:
        doc = json.loads(option_json)
    except ValueError as e:
        raise ValueError("failed to decode option JSON: " + str(e)) from None
    if not isinstance(doc, dict):
        raise ValueError("option JSON root must be an object")
    return [doc]  # the root as a place: (holder, 0)


def model_bar(option_json, percentages, counts, colors):
    if len(percentages) > 0 and not (
        percentages.flags.aligned and (percentages.flags.c_contiguous or percentages.flags.f_contiguous)
    ):
        raise TypeError("The given array is not contiguous or is misaligned.")
    if not (len(percentages) == len(counts) == len(colors)):
        raise ValueError("percentages, counts, and colors must have equal length")
    holder = decode(option_json)
    data = [
        {"value": number_from_float(round_hundredths(p)), "itemStyle": {"color": c}, "count": n}
        for p, n, c in zip(percentages.tolist(), counts, colors)
    ]
    first = element_at(member_or_insert((holder, 0), "series"), 0)
    assign(member_or_insert(first, "data"), data)
    return write(holder[0])


def model_heatmap(option_json, matrix, update_visual_max=False):
    data = []
    top = None
    for r, row in enumerate(matrix.tolist()):
        for c, v in enumerate(row):
            if v != v:
                continue
            data.append([c, r, number_from_float(round_hundredths(v))])
            if top is None or v > top:
                top = v
    visual_max = 100.0 if top is None else max(top, 1.0)
    holder = decode(option_json)
    first = element_at(member_or_insert((holder, 0), "series"), 0)
    assign(member_or_insert(first, "data"), data)
    if update_visual_max:
        assign(member_or_insert(member_or_insert((holder, 0), "visualMap"), "max"), number_from_float(visual_max))
    return write(holder[0])


def model_comparison(option_json, percentages, counts, colors, opacities):
    s, k = percentages.shape
    if len(counts) != s or any(len(row) != k for row in counts) or len(colors) != k or len(opacities) != s:
        raise ValueError("comparison percentages, counts, colors, and opacities have incompatible dimensions")
    holder = decode(option_json)
    series_place = member_or_insert((holder, 0), "series")
    series = series_place[0][series_place[1]]
    if not isinstance(series, list):
        raise ValueError("option JSON must contain a series array")
    if len(series) != s:
        raise ValueError("comparison percentages must have one row per series")
    rows = percentages.tolist()
    for i in range(s):
        items = []
        for j in range(k):
            item = {
                "value": number_from_float(round_hundredths(rows[i][j])),
                "itemStyle": {"color": colors[j], "opacity": number_from_float(float(opacities[i]))},
            }
            if counts[i][j] is not None:
                item["count"] = counts[i][j]
            items.append(item)
        assign(member_or_insert((series, i), "data"), items)
    return write(holder[0])


# ---------------------------------------------------------------------------
# Generated documents and data.


class Gen:
    KEYS = ["a", "b", "data", "max", "type", "name", "été", "with space", "", "itemStyle", "x/y", "\\u0061", "d\\u0061ta"]

    def __init__(self, seed):
        self.r = random.Random(seed)

    def ws(self):
        return self.r.choice(["", "", "", " ", "\n", "\t", "\r\n  ", "  "])

    def join(self, parts):
        return ",".join(self.ws() + p + self.ws() for p in parts)

    def key(self):
        if self.r.random() < 0.7:
            return '"' + self.r.choice(self.KEYS) + '"'
        return json.dumps("k%d" % self.r.randrange(50))

    def string(self):
        alphabet = "abc xyz\"\\/\b\f\n\r\t\x01\x1f\x7fé€😀"
        s = "".join(self.r.choice(alphabet) for _ in range(self.r.randrange(12)))
        return json.dumps(s, ensure_ascii=self.r.random() < 0.5)

    def number(self):
        c = self.r.randrange(5)
        if c == 0:
            return str(self.r.randrange(-(2**53), 2**53))
        if c == 1:
            return str(self.r.randrange(-1000, 1000))
        if c == 2:
            return "%d.%03d" % (self.r.randrange(-10**6, 10**6), self.r.randrange(1000))
        if c == 3:
            return "%de%d" % (self.r.randrange(1, 10**6), self.r.randrange(-20, 20))
        return self.r.choice(["0", "0.5", "1.0", "1e2", "-1.5E-3", "2.675", "1e15", "1e16", "0.00001", "1e-6"])

    def value(self, depth):
        c = self.r.randrange(8 if depth > 0 else 6)
        if c == 0:
            return "null"
        if c == 1:
            return self.r.choice(["true", "false"])
        if c in (2, 3):
            return self.number()
        if c in (4, 5):
            return self.string()
        if c == 6:
            return "[" + self.join([self.value(depth - 1) for _ in range(self.r.randrange(4))]) + self.ws() + "]"
        return self.obj(depth - 1)

    def obj(self, depth, extra=()):
        members = [self.key() + self.ws() + ":" + self.ws() + self.value(depth) for _ in range(self.r.randrange(4))]
        members += list(extra)
        self.r.shuffle(members)
        return "{" + self.join(members) + self.ws() + "}"

    def series_entry(self):
        c = self.r.randrange(14)
        if c == 0:
            return "null"
        if c == 1:
            return self.number()
        if c == 2:
            return self.string()
        if c == 3:
            return "[]"
        if c == 4:
            return "true"
        extra = ['"data":' + self.value(1)] if self.r.random() < 0.5 else []
        return self.obj(1, extra)

    def series(self, count):
        c = self.r.randrange(14)
        if c == 0:
            return "null"
        if c == 1:
            return self.obj(1)
        if c == 2:
            return self.number()
        if c == 3:
            count += self.r.choice([-1, 1])
        return "[" + self.join([self.series_entry() for _ in range(max(count, 0))]) + self.ws() + "]"

    def visual_map(self):
        c = self.r.randrange(7)
        if c == 0:
            return None
        if c == 1:
            return "null"
        if c == 2:
            return "[1, 2]"
        if c == 3:
            return self.string()
        extra = ['"max"' + self.ws() + ":" + self.value(1)] if self.r.random() < 0.5 else []
        return self.obj(1, extra)

    def document(self, series_count):
        members = [self.key() + ":" + self.value(2) for _ in range(self.r.randrange(4))]
        if self.r.random() < 0.95:
            members.append('"series"' + self.ws() + ":" + self.ws() + self.series(series_count))
        if self.r.random() < 0.05:  # a repeated "series": the last value wins
            members.append('"series":' + self.series(series_count))
        vm = self.visual_map()
        if vm is not None:
            members.append('"visualMap":' + vm)
        self.r.shuffle(members)
        return self.ws() + "{" + self.join(members) + self.ws() + "}" + self.ws()

    def value_of_cell(self):
        c = self.r.randrange(12)
        if c == 0:
            return math.nan
        if c == 1:
            return self.r.choice([math.inf, -math.inf])
        if c == 2:
            return self.r.choice([1e307, -1e300, 5e-324, -0.0])
        if c == 3:
            return self.r.randrange(-1000, 1000) / 8.0
        if c == 4:
            return self.r.randrange(-100000, 100000) / 1000.0 + 0.005
        return self.r.uniform(-5, 120)

    def count(self):
        return self.r.choice([-(2**63), 2**63 - 1, -self.r.randrange(100), self.r.randrange(100000)])

    def color(self):
        return self.r.choice(["#4c78a8", "red", "", "q\"uote\\", "\t\x01", "été", "nul\x00l", "😀"])

    def layouts(self, m):
        """The same logical matrix in several memory layouts."""
        rows, cols = m.shape
        out = [np.ascontiguousarray(m), np.asfortranarray(m), np.ascontiguousarray(m.T).T]
        big = np.full((2 * rows + 1, 3 * cols + 1), 7.0)
        big[1::2, ::3][:rows, :cols] = m
        out.append(big[1::2, ::3][:rows, :cols])
        out.append(np.ascontiguousarray(m[::-1, ::-1])[::-1, ::-1])
        raw = bytearray(m.size * 8 + 1)
        misaligned = np.frombuffer(raw, dtype=np.float64, offset=1, count=m.size).reshape(m.shape) if m.size else m
        if m.size:
            misaligned = np.ndarray(m.shape, dtype=np.float64, buffer=raw, offset=1)
            misaligned[...] = m
        out.append(misaligned)
        return out


def is_internal_failure(exc):
    t = type(exc)
    return t.__name__ == "InternalFailure" and t.__module__ == "tessel_vis._core" and t.__bases__ == (BaseException,)


def outcome(f, *args):
    try:
        return ("ok", f(*args))
    except ModelInternalFailure as e:
        return ("internal", str(e))
    except (ValueError, TypeError) as e:
        return (type(e).__name__, str(e))
    except BaseException as e:  # noqa: BLE001 - the module's internal failure
        if not is_internal_failure(e):
            raise
        return ("internal", str(e))


# ---------------------------------------------------------------------------
# The model itself, on the worked values.


def test_model_rounding_and_float_text():
    assert [round_hundredths(x) for x in (0.125, -0.125, 2.675, 1.005, 99.995)] == [0.13, -0.13, 2.68, 1.0, 100.0]
    assert [write_float(x) for x in (1.0, 1e15, 12.5, 0.001, 1e-5, 1e16, 1.5e-7, 1e-6, 5e-324, -0.0)] == [
        "1.0", "1000000000000000.0", "12.5", "0.001", "0.00001", "1e+16", "1.5e-7", "1e-6", "5e-324", "-0.0"]
    assert write_float(1.7976931348623157e308) == "1.7976931348623157e+308"


# ---------------------------------------------------------------------------
# The randomized comparisons.


@pytest.mark.parametrize("seed", range(40))
def test_bar_matches_model(seed):
    g = Gen(seed)
    for _ in range(60):
        n = g.r.randrange(6)
        doc = g.document(1 + g.r.randrange(2))
        percentages = np.array([g.value_of_cell() for _ in range(n)], dtype=np.float64)
        counts = [g.count() for _ in range(n)]
        colors = [g.color() for _ in range(n)]
        if g.r.random() < 0.05:
            counts.append(1)
        if g.r.random() < 0.05 and colors:
            colors.pop()
        if g.r.random() < 0.1 and n > 1:
            percentages = np.repeat(percentages, 2)[::2]  # a strided view
        expected = outcome(model_bar, doc, percentages, counts, colors)
        assert outcome(_core.finalize_activity_bar_option_json, doc, percentages, counts, colors) == expected, doc


@pytest.mark.parametrize("seed", range(40))
def test_heatmap_matches_model(seed):
    g = Gen(1000 + seed)
    for _ in range(30):
        rows, cols = g.r.randrange(5), g.r.randrange(5)
        doc = g.document(1 + g.r.randrange(2))
        m = np.array([[g.value_of_cell() for _ in range(cols)] for _ in range(rows)], dtype=np.float64).reshape(rows, cols)
        flag = g.r.random() < 0.6
        expected = outcome(model_heatmap, doc, m, flag)
        for layout in g.layouts(m):
            assert outcome(_core.finalize_activity_heatmap_option_json, doc, layout, flag) == expected, doc
        if not flag:
            assert outcome(_core.finalize_activity_heatmap_option_json, doc, m) == expected


@pytest.mark.parametrize("seed", range(40))
def test_comparison_matches_model(seed):
    g = Gen(2000 + seed)
    for _ in range(30):
        s, k = g.r.randrange(4), g.r.randrange(5)
        doc = g.document(s)
        m = np.array([[g.value_of_cell() for _ in range(k)] for _ in range(s)], dtype=np.float64).reshape(s, k)
        counts = [[None if g.r.random() < 0.2 else g.count() for _ in range(k)] for _ in range(s)]
        colors = [g.color() for _ in range(k)]
        opacities = [g.r.choice([1.0, 0.5, 0.333333, math.nan, math.inf, 0.0, -0.0]) for _ in range(s)]
        c = g.r.randrange(20)
        if c == 0:
            colors.append("x")
        elif c == 1:
            opacities.append(1.0)
        elif c == 2 and counts:
            counts[-1].append(1)
        elif c == 3:
            counts = [tuple(row) for row in counts]  # tuples are sequences too
        expected = outcome(model_comparison, doc, m, counts, colors, opacities)
        for layout in g.layouts(m):
            assert outcome(_core.finalize_activity_comparison_option_json, doc, layout, counts, colors, opacities) == expected, doc
