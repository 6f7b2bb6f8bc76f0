"""Writes the seed corpora of the option-document fuzz targets.

Each seed is an option text, a 0x00 byte and parameter bytes (see
fuzz_support.hpp). Run from the repository root after changing a seed:

    python3 fuzz/make_seeds.py
"""
import hashlib
import json
import pathlib

HERE = pathlib.Path(__file__).resolve().parent


def params(tag, n=64):
    # Deterministic bytes that differ per seed.
    out = b""
    while len(out) < n:
        out += hashlib.sha256((tag + str(len(out))).encode()).digest()
    return out[:n]


def doc(value):
    return json.dumps(value, separators=(",", ":"), ensure_ascii=False)


DEEP = "[" * 126 + "]" * 126
TOO_DEEP = "[" * 128 + "]" * 128

SVG = {
    "line": doc({"title": {"text": "A <b> & \"c\""}, "series": [{"type": "line", "data": [[0, 0], [10, 5]]}]}),
    "line_two_series": doc(
        {
            "textStyle": {"color": "#333"},
            "series": [
                {"type": "line", "lineStyle": {"color": "#1f77b4"}, "data": [[0, 2], [1, 4], ["a", 2], [1], 7]},
                {"type": "scatter", "itemStyle": {"color": "#ff7f0e"}, "data": [[3, 4], [-1, 1e300]]},
            ],
        }
    ),
    "scatter": doc({"series": [{"type": "scatter", "data": [[3, 4]]}, {"type": "line", "data": [[1, 1]]}]}),
    "bar": doc(
        {
            "backgroundColor": "#fff",
            "xAxis": {"data": ["a", "b", "c"]},
            "series": [
                {"type": "bar", "itemStyle": {"color": "#111"}, "data": [1, {"value": 5, "itemStyle": {"color": "red"}}, None]},
                {"type": "line", "data": [-2, 0.5]},
            ],
        }
    ),
    "heatmap": doc(
        {
            "xAxis": {"data": list(range(24))},
            "yAxis": {"data": list(range(7))},
            "series": [{"type": "heatmap", "data": [[3, 2, 5], [1.0, 0, 1], [0, 0, "x"], [23, 6, -1], [2, 1]]}],
        }
    ),
    "comparison_refused": doc({"_meta": {"chartType": "stvd_comparison"}}),
    "custom_refused": doc({"series": [{"type": "line"}, {"type": "custom"}]}),
    "title_array": doc({"title": [{"text": "x\u0001y\ufffe"}, {"text": "B"}], "series": []}),
    "deep": '{"series":[],"x":' + DEEP + "}",
    "too_deep": TOO_DEEP,
    "escapes": '{"title":{"text":"\\u0041\\ud83d\\ude00\\n\\t\\"\\\\"},"series":[]}',
}

BAR_OPTION = doc(
    {
        "xAxis": {"type": "category", "data": ["a", "b", "c"]},
        "series": [{"type": "bar", "name": "share", "data": [], "barWidth": 10}, {"type": "line"}],
    }
)
BAR = {
    "plain": BAR_OPTION,
    "first_entry_null": doc({"series": [None]}),
    "no_data_member": doc({"series": [{"type": "bar"}]}),
    "no_series": doc({"title": {}}),
    "empty_series": doc({"series": []}),
    "entry_is_number": doc({"series": [3]}),
    "series_object": doc({"series": {"data": []}}),
    "duplicate_keys": '{"series":[{"data":1,"data":2}],"series":[{"data":[]}]}',
    "escaped_key": '{"ser\\u0069es":[{"d\\u0061ta":[]}]}',
    "spaces": ' \n{ "series" : [ { "data" : [ 1 , 2 ] } ] }\r\n',
    "deep": '{"series":[{"x":' + DEEP + "}]}",
    "bad_text": '{"series":[{"data":[1,]}]}',
    "root_array": "[]",
}

HEATMAP = {
    "plain": doc(
        {
            "xAxis": {"data": list(range(24))},
            "visualMap": {"min": 0, "max": 10, "calculable": True},
            "series": [{"type": "heatmap", "data": []}],
        }
    ),
    "no_visual_map": doc({"series": [{}]}),
    "visual_map_array": doc({"visualMap": [{}], "series": [{}]}),
    "visual_map_null": doc({"visualMap": None, "series": [None]}),
    "series_string": doc({"series": "x"}),
    "no_series": doc({}),
    "numbers": '{"series":[{"data":[1e2,-0,18446744073709551615,1.5e-7]}],"visualMap":{"max":1}}',
    "deep": '{"series":[{}],"x":' + DEEP + "}",
}

COMPARISON = {
    "two_series": doc({"legend": {}, "series": [{"type": "bar", "name": "A"}, {"type": "bar", "name": "B", "data": []}]}),
    "no_series": doc({"series": None}),
    "empty_series": doc({"series": []}),
    "null_entries": doc({"series": [None, None, None]}),
    "entry_array": doc({"series": [[], {}]}),
    "series_object": doc({"series": {}}),
    "escaped_members": '{"series":[{"na\\u006De":"\\"x\\""}],"\\u005fmeta":{}}',
    "deep": '{"series":[{},{}],"x":' + DEEP + "}",
    "bad_text": '{"series":[{}] x',
}


def write(target, seeds):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.iterdir():
        old.unlink()
    for name, text in seeds.items():
        (folder / name).write_bytes(text.encode() + b"\0" + params(target + name))


def main():
    write("svg", SVG)
    write("bar", BAR)
    write("heatmap", HEATMAP)
    write("comparison", COMPARISON)


if __name__ == "__main__":
    main()
