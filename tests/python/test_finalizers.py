# The finalizers against a model on generated documents, data and layouts; the reader's messages.
import json
import math
import random

import numpy as np
import pytest

from models import Sequence, count, loads, number, outcome, raises, require, round_hundredths, write
from tessel_vis import _core

bar = _core.finalize_activity_bar_option_json
heatmap = _core.finalize_activity_heatmap_option_json
comparison = _core.finalize_activity_comparison_option_json


class InternalFailure(Exception):
    pass


def kind(v):
    return ("null" if v is None else "boolean" if isinstance(v, bool) else "number" if isinstance(v, (int, float))
            else {str: "string", list: "array", dict: "object"}[type(v)])


def member(holder, slot, key):
    # The place of member `key` of holder[slot]; a null becomes {} and a missing member null.
    holder[slot] = {} if holder[slot] is None else holder[slot]
    require(isinstance(holder[slot], dict), InternalFailure(f'cannot access key "{key}" in JSON {kind(holder[slot])}'))
    holder[slot].setdefault(key, None)
    return holder[slot], key


def element(holder, slot, i):
    target = holder[slot]
    length = f"array of length {len(target)}" if isinstance(target, list) else kind(target)
    require(isinstance(target, list) and i < len(target), InternalFailure(f"cannot access index {i} of JSON {length}"))
    return target, i


def decode(text):
    top = {"root": loads(text)}
    require(isinstance(top["root"], dict), ValueError("option JSON root must be an object"))
    return top


def assign(place, value):
    place[0][place[1]] = value


def model_bar(text, percentages, counts, colors):
    flags = percentages.flags
    require(not len(percentages) or flags.aligned and (flags.c_contiguous or flags.f_contiguous),
            TypeError("The given array is not contiguous or is misaligned."))
    require(len(percentages) == len(counts) == len(colors), ValueError("percentages, counts, and colors must have equal length"))
    top = decode(text)
    assign(member(*element(*member(top, "root", "series"), 0), "data"),
           [{"value": number(round_hundredths(p)), "itemStyle": {"color": c}, "count": count(n)}
            for p, n, c in zip(percentages.tolist(), counts, colors)])
    return write(top["root"])


def model_heatmap(text, matrix, flag=False):
    cells = [[c, r, v] for r, row in enumerate(matrix.tolist()) for c, v in enumerate(row) if v == v]
    top = decode(text)
    assign(member(*element(*member(top, "root", "series"), 0), "data"), [[c, r, number(round_hundredths(v))] for c, r, v in cells])
    if flag:
        assign(member(*member(top, "root", "visualMap"), "max"), number(max([1.0] + [v for *_, v in cells]) if cells else 100.0))
    return write(top["root"])


def model_comparison(text, percentages, counts, colors, opacities):
    (s, k), counts = percentages.shape, [list(row) for row in counts]
    require(len(counts) == s and all(len(row) == k for row in counts) and len(colors) == k and len(opacities) == s,
            ValueError("comparison percentages, counts, colors, and opacities have incompatible dimensions"))
    top = decode(text)
    series = top["root"].get("series")
    require(isinstance(series, list), ValueError("option JSON must contain a series array"))
    require(len(series) == s, ValueError("comparison percentages must have one row per series"))
    for i, row in enumerate(percentages.tolist()):
        assign(member(series, i, "data"), [
            {"value": number(round_hundredths(row[j])), "itemStyle": {"color": colors[j], "opacity": number(float(opacities[i]))},
             **({} if counts[i][j] is None else {"count": count(counts[i][j])})} for j in range(k)])
    return write(top["root"])


KEYS = ["a", "b", "data", "max", "type", "name", "été", "with space", "", "x/y", "a key longer than eight bytes"]
ESCAPED_KEYS = ["\\u0061", "d\\u0061ta", "\\\"q\\\"", "m\\u0061x", "ser\\u0069es"]
ALPHABET = "abc xyz\"\\/\b\f\n\r\t\x01\x1f\x7fé€😀"
NUMBERS = ["0", "-0", "-0.0", "-0.5", "1.0", "1E2", "-1.5E-3", "2.675", "1e15", "1e16", "0.00001", "1e-6", "1e-400",
           "18446744073709551615", "18446744073709551616", "-9223372036854775808", "-9223372036854775809",
           "123456789012345678901234567890.5e-3", "0.1234567890123456789012345"]


class ListOf(list):
    pass


class Gen:
    def __init__(self, seed):
        self.r = random.Random(seed)

    def ws(self):
        return self.r.choice(["", "", "", " ", "\n", "\t", "\r\n  "])

    def join(self, parts, brackets):
        return brackets[0] + ",".join(self.ws() + p + self.ws() for p in parts) + self.ws() + brackets[1]

    def key(self):
        c = self.r.random()
        return '"' + (self.r.choice(ESCAPED_KEYS) if c < 0.15 else self.r.choice(KEYS) if c < 0.75 else f"k{self.r.randrange(80)}") + '"'

    def string(self):
        text = json.dumps("".join(self.r.choice(ALPHABET) for _ in range(self.r.choice([0, 1, 5, 12, 40]))),
                          ensure_ascii=self.r.random() < 0.5)
        return text.replace("/", "\\/") if self.r.random() < 0.2 else text

    def number(self):
        r = self.r
        return r.choice([
            lambda: str(r.randrange(-(2**63), 2**64)), lambda: str(r.randrange(-1000, 1000)), lambda: r.choice(NUMBERS),
            lambda: "%d.%s" % (r.randrange(-10**6, 10**6), "".join(r.choice("0123456789") for _ in range(r.randint(1, 25)))),
            lambda: "%d%s%s%d" % (r.randrange(1, 10 ** r.randint(1, 22)), r.choice("eE"), r.choice(["", "+", "-"]), r.randrange(280)),
        ])()

    def value(self, depth):
        c = self.r.randrange(9 if depth > 0 else 6)
        if c < 6:
            return [lambda: self.r.choice(["null", "true", "false"]), self.number, self.string][c // 2]()
        if c < 8:
            n = self.r.choice([0, 1, 3, 9, 9, 9, 300 * (self.r.random() < 0.1)])
            return self.join([self.value(depth - 1) if n < 10 else self.number() for _ in range(n)], "[]")
        return self.obj(depth - 1)

    def obj(self, depth, extra=()):
        n = self.r.choice([0, 1, 2, 3, 3, 50, 70]) if depth > 0 else self.r.randrange(4)
        members = [self.key() + self.ws() + ":" + self.ws() + self.value(depth) for _ in range(n)] + list(extra)
        self.r.shuffle(members)
        return self.join(members, "{}")

    def entry(self):
        c = self.r.randrange(14)
        return ([lambda: "null", self.number, self.string, lambda: "[]", lambda: "true"][c]() if c < 5
                else self.obj(1, ['"data":' + self.value(1)] if c < 9 else []))

    def series(self, n):
        c = self.r.randrange(14)
        if c < 3:
            return ["null", self.obj(1), self.number()][c]
        return self.join([self.entry() for _ in range(max(n + (c == 3) * self.r.choice([-1, 1]), 0))], "[]")

    def document(self, n_series):
        members = [self.key() + ":" + self.value(2) for _ in range(self.r.randrange(4))]
        for p, key, value in [(0.95, "series", lambda: self.series(n_series)), (0.05, "series", lambda: self.series(n_series)),
                              (0.7, "visualMap", lambda: self.r.choice(["null", "[1, 2]", self.string(), self.obj(1),
                                                                        self.obj(1, ['"max"' + self.ws() + ":" + self.value(1)])]))]:
            if self.r.random() < p:  # a second "series" is a repeated key: the last one counts
                members.append(f'"{key}"' + self.ws() + ":" + self.ws() + value())
        self.r.shuffle(members)
        text = self.ws() + self.join(members, "{}") + self.ws()
        return text if self.r.random() < 0.97 else self.r.choice(["[]", "3", '"s"', "null", "[" + text + "]"])

    def cell(self):
        r = self.r
        return r.choice([math.nan, math.inf, -math.inf, 1e307, -1e300, 5e-324, -0.0, r.randrange(-1000, 1000) / 8,
                         r.randrange(-100000, 100000) / 1000 + 0.005, r.uniform(-5, 120), r.uniform(-5, 120)])

    def sequence(self, items, numbers=None):
        # The same items as another sequence type.
        c = self.r.randrange(6)
        if c == 4 and numbers and items and all(type(v) is numbers for v in items):
            return np.array(items, dtype=numbers)
        return [tuple, ListOf, Sequence, list, list, list][c](items)

    def counts(self, n, none=False):
        r = self.r
        values = [r.choice([-(2**63), 2**63 - 1, -r.randrange(100), r.randrange(100000)]) for _ in range(n)]
        return self.sequence([None if none and r.random() < 0.2 else v if r.random() < 0.9
                              else r.choice([np.int64(v), v > 0]) for v in values], int)

    def colors(self, n):
        return self.sequence([self.r.choice(["#4c78a8", "red", "", "q\"uote\\", "\t\x01", "été", "nul\x00l", "😀"]) for _ in range(n)])


def matrix(g, rows, cols):
    if g.r.random() < 0.2:  # one row repeated: a row stride of 0
        return np.broadcast_to(np.array([g.cell() for _ in range(cols)]), (rows, cols))
    return np.array([[g.cell() for _ in range(cols)] for _ in range(rows)]).reshape(rows, cols)


def matrices(m):
    # The same logical matrix in several memory layouts.
    rows, cols = m.shape
    big = np.full((2 * rows + 1, 3 * cols + 1), 7.0)
    big[1::2, ::3][:rows, :cols] = m
    out = [m, np.asfortranarray(m), np.ascontiguousarray(m.T).T, big[1::2, ::3][:rows, :cols],
           np.ascontiguousarray(m[::-1, ::-1])[::-1, ::-1]]
    for order in "CF":
        out.append(np.ndarray(m.shape, dtype=np.float64, buffer=bytearray(8 * m.size + 1), offset=1, order=order))
        out[-1][...] = m
    return out


@pytest.mark.parametrize("seed", range(40))
def test_bar_matches_the_model(seed):
    g = Gen(seed)
    for _ in range(40):
        n = g.r.choice([0, 1, 1, 2, 5, 40])
        doc, p = g.document(1 + g.r.randrange(2)), np.array([g.cell() for _ in range(n)])
        counts, colors = g.counts(n + (g.r.random() < 0.05)), g.colors(max(n - (g.r.random() < 0.05), 0))
        percentages = p if g.r.random() < 0.8 else np.repeat(p, 2)[::2]  # a strided view: refused unless it has one element
        assert outcome(bar, doc, percentages, counts, colors) == outcome(model_bar, doc, percentages, counts, colors), doc


@pytest.mark.parametrize("seed", range(40))
def test_heatmap_matches_the_model(seed):
    g = Gen(1000 + seed)
    for _ in range(25):
        doc, m = g.document(1 + g.r.randrange(2)), matrix(g, g.r.randrange(5), g.r.choice([0, 1, 3, 5, 9]))
        flag = g.r.choice([(True,), (False,), ()])  # () leaves the flag out
        expected = outcome(model_heatmap, doc, m, *flag)
        for layout in matrices(m):
            assert outcome(heatmap, doc, layout, *flag) == expected, doc


@pytest.mark.parametrize("seed", range(40))
def test_comparison_matches_the_model(seed):
    g = Gen(2000 + seed)
    for _ in range(25):
        s, k = g.r.randrange(4), g.r.choice([0, 1, 3, 5, 9])
        doc, m = g.document(s), matrix(g, s, k)
        rows, colors = [g.counts(k, none=True) for _ in range(s)], g.colors(k)
        opacities = [g.r.choice([1.0, 0.5, 0.333333, math.nan, math.inf, -0.0, 1, np.float64(0.25), np.float32(0.5)]) for _ in range(s)]
        c = g.r.randrange(20)  # now and then one of them a size off
        colors, opacities = (list(colors) + ["x"] * (c == 0), opacities + [1.0] * (c == 1))
        if c == 2 and rows:
            rows[-1] = list(rows[-1]) + [1]
        rows, opacities = g.sequence(rows), g.sequence(opacities, float)
        expected = outcome(model_comparison, doc, m, rows, colors, opacities)
        for layout in matrices(m):
            assert outcome(comparison, doc, layout, rows, colors, opacities) == expected, doc


READERS = [lambda text: bar(text, np.ones(1), [1], ["c"]), lambda text: heatmap(text, np.ones((1, 1)), True),
           lambda text: comparison(text, np.ones((1, 1)), [[1]], ["c"], [1.0]), lambda text: _core.render_option_svg(text, 640, 480)]


# Each reader's refusal of a text it cannot decode, with the reader's message and
# position (all of them are checked in the C++ tests); the escapes are at the
# edges of what the C++ tests try: the first trailing surrogate, a letter past F.
@pytest.mark.parametrize("text, message", [
    ("", "EOF while parsing a value at line 1 column 0"), ('{"series":[],\n\n  +1}', "key must be a string at line 3 column 3"),
    ('{"series":"ab', "EOF while parsing a string at line 1 column 13"), ('{"series":["\\u12G4"]}', "invalid escape at line 1 column 18"),
    ('{"series":["\\udc00"]}', "lone leading surrogate in hex escape at line 1 column 18"),
    ('{"series":' + "[" * 127 + "]" * 127 + "}", "recursion limit exceeded at line 1 column 137"),
])
@pytest.mark.parametrize("reader", range(len(READERS)))
def test_reader_messages(reader, text, message):
    raises(ValueError, "failed to decode option JSON: " + message, READERS[reader], text)
