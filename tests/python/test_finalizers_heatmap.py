"""finalize_activity_heatmap_option_json: checks, messages, member order, layouts and the visual maximum."""
import json
import math

import numpy as np
import pytest

from tessel_vis import _core
from assertions import raises, internal_failure

heatmap = _core.finalize_activity_heatmap_option_json
DOC = '{"series":[{"type":"heatmap"}]}'


def data_of(text):
    return json.loads(text)["series"][0]["data"]


def visual_max(text):
    return json.loads(text)["visualMap"]["max"]


def test_cells_in_row_major_order_column_first():
    m = np.array([[1.0, 2.0, 3.0], [4.0, 5.0, 6.0]])
    out = heatmap(DOC, m)
    assert out == (
        '{"series":[{"type":"heatmap","data":'
        "[[0,0,1.0],[1,0,2.0],[2,0,3.0],[0,1,4.0],[1,1,5.0],[2,1,6.0]]}]}"
    )


def logical_layouts(m):
    rows, cols = m.shape
    yield "C", np.ascontiguousarray(m)
    yield "Fortran", np.asfortranarray(m)
    yield "transposed", np.ascontiguousarray(m.T).T
    yield "reversed", np.ascontiguousarray(m[::-1, ::-1])[::-1, ::-1]
    big = np.zeros((3 * rows, 2 * cols))
    big[::3, ::2] = m
    yield "strided", big[::3, ::2]
    raw = bytearray(m.size * 8 + 3)
    misaligned = np.ndarray(m.shape, dtype=np.float64, buffer=raw, offset=3)
    misaligned[...] = m
    yield "misaligned", misaligned
    raw2 = bytearray(m.size * 8 * 2 + 5)
    misaligned_f = np.ndarray(m.shape, dtype=np.float64, buffer=raw2, offset=5, strides=(8, 8 * rows))
    misaligned_f[...] = m
    yield "misaligned Fortran", misaligned_f


def test_every_memory_layout_gives_the_logical_matrix():
    m = np.arange(12.0).reshape(3, 4) * 1.5 - 3.0
    m[1, 2] = np.nan
    expected = heatmap(DOC, m, True)
    for name, layout in logical_layouts(m):
        assert np.array_equal(layout, m, equal_nan=True), name
        assert heatmap(DOC, layout, True) == expected, name
    assert data_of(expected)[:5] == [[0, 0, -3.0], [1, 0, -1.5], [2, 0, 0.0], [3, 0, 1.5], [0, 1, 3.0]]


def test_nan_cells_are_left_out():
    m = np.array([[np.nan, 2.0], [3.0, np.nan]])
    assert data_of(heatmap(DOC, m)) == [[1, 0, 2.0], [0, 1, 3.0]]
    out = heatmap(DOC, np.full((2, 3), np.nan), True)
    assert data_of(out) == [] and visual_max(out) == 100.0
    assert '"max":100.0' in out


@pytest.mark.parametrize("shape", [(0, 0), (0, 3), (3, 0)])
def test_empty_matrices(shape):
    out = heatmap(DOC, np.zeros(shape), True)
    assert out == '{"series":[{"type":"heatmap","data":[]}],"visualMap":{"max":100.0}}'


@pytest.mark.parametrize(
    "cells, expected_max",
    [
        ([[0.0, 0.0]], 1.0),
        ([[0.5, -3.0]], 1.0),
        ([[1.0]], 1.0),
        ([[57.5, 3.0]], 57.5),
        ([[12.345]], 12.345),
        ([[-np.inf]], 1.0),
        ([[-np.inf, -5.0]], 1.0),
        ([[np.nan, 2.5]], 2.5),
    ],
)
def test_visual_maximum(cells, expected_max):
    out = heatmap(DOC, np.array(cells), True)
    assert visual_max(out) == expected_max


def test_visual_maximum_is_not_rounded_but_cells_are():
    out = heatmap(DOC, np.array([[12.345, 2.675]]), True)
    assert data_of(out) == [[0, 0, 12.35], [1, 0, 2.68]]
    assert visual_max(out) == 12.345


def test_infinite_cells():
    out = heatmap(DOC, np.array([[np.inf, 1.0]]), True)
    assert '"data":[[0,0,null],[1,0,1.0]]' in out
    assert out.endswith('"visualMap":{"max":null}}')
    out = heatmap(DOC, np.array([[-np.inf, 1e307]]), False)
    assert data_of(out) == [[0, 0, None], [1, 0, None]]


def test_without_the_flag_the_visual_map_is_untouched():
    assert heatmap(DOC, np.ones((1, 1))) == '{"series":[{"type":"heatmap","data":[[0,0,1.0]]}]}'
    assert heatmap(DOC, np.ones((1, 1)), False) == heatmap(DOC, np.ones((1, 1)))
    doc = '{"visualMap":{"min":0,"max":5},"series":[{}]}'
    assert heatmap(doc, np.full((1, 1), 9.0), False) == '{"visualMap":{"min":0,"max":5},"series":[{"data":[[0,0,9.0]]}]}'
    # Even a visual map that the flag would fail on.
    assert heatmap('{"series":[{}],"visualMap":[1]}', np.zeros((0, 0))) == '{"series":[{"data":[]}],"visualMap":[1]}'


def test_visual_map_member_positions():
    m = np.full((1, 1), 9.0)
    assert heatmap('{"series":[{}],"z":1}', m, True) == '{"series":[{"data":[[0,0,9.0]]}],"z":1,"visualMap":{"max":9.0}}'
    assert (
        heatmap('{"visualMap":{"min":0,"max":5,"x":true},"series":[{}]}', m, True)
        == '{"visualMap":{"min":0,"max":9.0,"x":true},"series":[{"data":[[0,0,9.0]]}]}'
    )
    assert (
        heatmap('{"visualMap":{"min":0},"series":[{}]}', m, True)
        == '{"visualMap":{"min":0,"max":9.0},"series":[{"data":[[0,0,9.0]]}]}'
    )
    assert heatmap('{"visualMap":null,"series":[{}]}', m, True) == '{"visualMap":{"max":9.0},"series":[{"data":[[0,0,9.0]]}]}'


def test_numpy_boolean_flags():
    m = np.full((1, 1), 2.0)
    assert heatmap(DOC, m, np.True_) == heatmap(DOC, m, True)
    assert heatmap(DOC, m, update_visual_max=np.False_) == heatmap(DOC, m)
    raises(TypeError, "argument 'update_visual_max': 'int' object is not an instance of 'bool'", heatmap, DOC, m, 1)


def test_member_positions_and_other_series():
    doc = '{"a":1,"series":[{"data":[],"b":2},{"data":[1]}],"c":3}'
    assert heatmap(doc, np.ones((1, 1))) == '{"a":1,"series":[{"data":[[0,0,1.0]],"b":2},{"data":[1]}],"c":3}'
    assert heatmap('{"series":[null]}', np.ones((1, 1))) == '{"series":[{"data":[[0,0,1.0]]}]}'


@pytest.mark.parametrize(
    "doc, message",
    [
        ("", "failed to decode option JSON: EOF while parsing a value at line 1 column 0"),
        ('{"series":[{}]', "failed to decode option JSON: EOF while parsing an object at line 1 column 14"),
        ("[{}]", "option JSON root must be an object"),
    ],
)
def test_decoding_failures(doc, message):
    raises(ValueError, message, heatmap, doc, np.ones((1, 1)), True)


@pytest.mark.parametrize(
    "doc, flag, message",
    [
        ("{}", False, "cannot access index 0 of JSON null"),
        ('{"series":[]}', False, "cannot access index 0 of JSON array of length 0"),
        ('{"series":false}', False, "cannot access index 0 of JSON boolean"),
        ('{"series":0}', False, "cannot access index 0 of JSON number"),
        ('{"series":""}', False, "cannot access index 0 of JSON string"),
        ('{"series":{}}', False, "cannot access index 0 of JSON object"),
        ('{"series":[1]}', False, 'cannot access key "data" in JSON number'),
        ('{"series":[[1]]}', False, 'cannot access key "data" in JSON array'),
        ('{"series":[{}],"visualMap":[{}]}', True, 'cannot access key "max" in JSON array'),
        ('{"series":[{}],"visualMap":"v"}', True, 'cannot access key "max" in JSON string'),
        ('{"series":[{}],"visualMap":7}', True, 'cannot access key "max" in JSON number'),
        ('{"series":[{}],"visualMap":true}', True, 'cannot access key "max" in JSON boolean'),
        # The series comes first.
        ('{"series":[],"visualMap":[{}]}', True, "cannot access index 0 of JSON array of length 0"),
    ],
)
def test_structural_failures_are_internal(doc, flag, message):
    internal_failure(message, heatmap, doc, np.ones((2, 2)), flag)


def test_large_matrix():
    rng = np.random.default_rng(5)
    m = rng.random((365, 96)) * 60.0
    m[rng.random(m.shape) < 0.05] = np.nan
    out = heatmap(DOC, m, True)
    data = data_of(out)
    rows, cols = np.nonzero(~np.isnan(m))
    assert [(c, r) for c, r, _ in data] == list(zip(cols.tolist(), rows.tolist()))
    assert visual_max(out) == np.nanmax(m)
    assert heatmap(DOC, np.asfortranarray(m), True) == out
    assert all(v == math.copysign(math.floor(abs(x) * 100 + 0.5), x) / 100 for (c, r, v), x in zip(data, m[rows, cols]))
