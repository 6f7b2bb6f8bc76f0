"""Writes the seed corpora of the option-document fuzz targets: each seed is an
option text, a 0x00 byte and parameter bytes (see fuzz_support.hpp). Run from
the repository root after changing a seed:  python3 fuzz/make_seeds.py"""
import hashlib
import pathlib

DEEP = "[" * 126 + "]" * 126  # one level below the reader's limit inside the root object
SEEDS = {
    "svg": {
        "line": r'{"title":{"text":"A <b> & \"c\""},"series":[{"type":"line","data":[[0,0],[10,5]]}]}',
        "line_two_series": '{"textStyle":{"color":"#333"},"series":[{"type":"line","lineStyle":{"color":"#1f77b4"},'
                           '"data":[[0,2],[1,4],["a",2],[1],7]},{"type":"scatter","itemStyle":{"color":"#ff7f0e"},"data":[[3,4],[-1,1e+300]]}]}',
        "scatter": '{"series":[{"type":"scatter","data":[[3,4]]},{"type":"line","data":[[1,1]]}]}',
        "bar": '{"backgroundColor":"#fff","xAxis":{"data":["a","b","c"]},"series":[{"type":"bar","itemStyle":{"color":"#111"},'
               '"data":[1,{"value":5,"itemStyle":{"color":"red"}},null]},{"type":"line","data":[-2,0.5]}]}',
        "heatmap": '{"xAxis":{"data":[%s]},"yAxis":{"data":[0,1,2,3,4,5,6]},"series":[{"type":"heatmap",'
                   '"data":[[3,2,5],[1.0,0,1],[0,0,"x"],[23,6,-1],[2,1]]}]}' % ",".join(map(str, range(24))),
        "comparison_refused": '{"_meta":{"chartType":"stvd_comparison"}}',
        "custom_refused": '{"series":[{"type":"line"},{"type":"custom"}]}',
        "title_array": '{"title":[{"text":"x\\u0001y\ufffe"},{"text":"B"}],"series":[]}',
        "deep": '{"series":[],"x":' + DEEP + "}",
        "too_deep": "[" * 128 + "]" * 128,
        "escapes": r'{"title":{"text":"\u0041\ud83d\ude00\n\t\"\\"},"series":[]}',
    },
    "bar": {
        "plain": '{"xAxis":{"type":"category","data":["a","b","c"]},"series":[{"type":"bar","name":"share","data":[],"barWidth":10},'
                 '{"type":"line"}]}',
        "first_entry_null": '{"series":[null]}', "no_data_member": '{"series":[{"type":"bar"}]}', "no_series": '{"title":{}}',
        "empty_series": '{"series":[]}', "entry_is_number": '{"series":[3]}', "series_object": '{"series":{"data":[]}}',
        "duplicate_keys": '{"series":[{"data":1,"data":2}],"series":[{"data":[]}]}',
        "escaped_key": r'{"ser\u0069es":[{"d\u0061ta":[]}]}', "spaces": ' \n{ "series" : [ { "data" : [ 1 , 2 ] } ] }\r\n',
        "deep": '{"series":[{"x":' + DEEP + "}]}", "bad_text": '{"series":[{"data":[1,]}]}', "root_array": "[]",
    },
    "heatmap": {
        "plain": '{"xAxis":{"data":[%s]},"visualMap":{"min":0,"max":10,"calculable":true},"series":[{"type":"heatmap","data":[]}]}'
                 % ",".join(map(str, range(24))),
        "no_visual_map": '{"series":[{}]}', "visual_map_array": '{"visualMap":[{}],"series":[{}]}',
        "visual_map_null": '{"visualMap":null,"series":[null]}', "series_string": '{"series":"x"}', "no_series": "{}",
        "numbers": '{"series":[{"data":[1e2,-0,18446744073709551615,1.5e-7]}],"visualMap":{"max":1}}',
        "deep": '{"series":[{}],"x":' + DEEP + "}",
    },
    "comparison": {
        "two_series": '{"legend":{},"series":[{"type":"bar","name":"A"},{"type":"bar","name":"B","data":[]}]}',
        "no_series": '{"series":null}', "empty_series": '{"series":[]}', "null_entries": '{"series":[null,null,null]}',
        "entry_array": '{"series":[[],{}]}', "series_object": '{"series":{}}',
        "escaped_members": r'{"series":[{"na\u006De":"\"x\""}],"\u005fmeta":{}}',
        "deep": '{"series":[{},{}],"x":' + DEEP + "}", "bad_text": '{"series":[{}] x',
    },
}


def params(tag, n=64):
    # Deterministic bytes that differ per seed.
    out = b""
    while len(out) < n:
        out += hashlib.sha256((tag + str(len(out))).encode()).digest()
    return out[:n]


if __name__ == "__main__":
    for target, seeds in SEEDS.items():
        folder = pathlib.Path(__file__).resolve().parent / "corpus" / target
        folder.mkdir(parents=True, exist_ok=True)
        for old in folder.iterdir():
            old.unlink()
        for name, text in seeds.items():
            (folder / name).write_bytes(text.encode() + b"\0" + params(target + name))
