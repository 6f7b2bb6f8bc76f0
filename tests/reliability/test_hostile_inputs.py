# Hostile inputs: nesting at and past the reader's limit wherever a document is
# read, a 100 MB option text, strings made of escapes, texts that cannot be
# encoded as UTF-8 in every text parameter. (Huge and non-finite numbers are
# among the calls of cases.py.) Every document has two series, one for each
# row of the comparison's good arguments.
import json
import xml.etree.ElementTree as ET

import pytest

import cases

SVG = "render_option_svg"


def read(reader, option):
    return cases.make_call(reader, {"option_json": option})()


def nested(depth, arrays_only=False):
    text = "1"
    for level in range(depth):
        text = f'{{"k":{text}}}' if level % 2 and not arrays_only else f"[{text}]"
    return text


# Where a deep value can stand in a document every function accepts (the
# root object is one level, so `inner` levels more make the whole depth), and
# where a finalizer gives it back.
PLACES = {
    "root member": (lambda inner: '{"series":[{},{}],"deep":' + nested(inner) + "}", lambda d: d["deep"]),
    "arrays only": (lambda inner: '{"series":[{},{}],"deep":' + nested(inner, True) + "}", lambda d: d["deep"]),
    "series entry member": (lambda inner: '{"series":[{"deep":' + nested(inner - 2) + "},null]}", lambda d: d["series"][0]["deep"]),
    "replaced data": (lambda inner: '{"series":[{"data":' + nested(inner - 2) + "},null]}", None),
    "second series": (lambda inner: '{"series":[{},{"deep":' + nested(inner - 2) + "}]}", lambda d: d["series"][1]["deep"]),
    "visual map": (lambda inner: '{"series":[{},{}],"visualMap":{"k":' + nested(inner - 1) + "}}", lambda d: d["visualMap"]["k"]),
}


@pytest.mark.parametrize("place", PLACES)
@pytest.mark.parametrize("reader", cases.READERS)
def test_127_levels_are_read_and_128_refused(reader, place):
    make, kept = PLACES[place]
    deepest, too_deep = make(126), make(127)
    out = read(reader, deepest)
    if reader != SVG and kept:
        assert kept(json.loads(out)) == kept(json.loads(deepest))
    column = max(too_deep.rfind("["), too_deep.rfind("{")) + 1  # the innermost opening bracket, the 128th
    with pytest.raises(ValueError, match=rf"^failed to decode option JSON: recursion limit exceeded at line 1 column {column}$"):
        read(reader, too_deep)


@pytest.mark.parametrize("reader", cases.READERS)
def test_thousands_of_levels_fail_without_exhausting_the_stack(reader):
    with pytest.raises(ValueError, match="recursion limit exceeded at line 1 column 128$"):
        read(reader, "[" * 100_000 + "]" * 100_000)


@pytest.fixture(scope="module")
def huge_option():
    head = '{"series":[{"type":"bar","data":[[1,2]]},{}],"big":"'
    return head + "x" * (100_000_000 - len(head) - 2) + '"}'


@pytest.mark.parametrize("reader", cases.READERS)
def test_a_100_mb_option_text(reader, huge_option):
    out = read(reader, huge_option)
    if reader == SVG:
        assert out.endswith("</svg>") and len(out) < 10_000
    else:
        assert json.loads(out)["big"] == json.loads(huge_option)["big"]


def test_a_document_of_many_small_values():
    option = '{"series":[{"type":"scatter","data":[' + ",".join(f"[{i},{i % 7}]" for i in range(800_000)) + "]}]}"
    assert read(SVG, option).count("<circle ") == 800_000


ESCAPES = '\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e9\\u20ac\\ud83d\\ude00\\u0000\\u001f\\u007f'


@pytest.mark.parametrize("reader", cases.READERS)
def test_strings_full_of_escapes(reader):
    text = ESCAPES * 20_000
    option = '{"title":{"text":"' + text + '"},"series":[{"name":"' + text + '"},{}],"' + ESCAPES * 3 + '":1}'
    expected = json.loads(option)
    if reader == SVG:
        title = ET.fromstring(read(reader, option)).find("{http://www.w3.org/2000/svg}text").text
        allowed = "".join(ch for ch in expected["title"]["text"] if ch >= " " or ch in "\t\n\r")
        assert title == allowed.replace("\r\n", "\n").replace("\r", "\n")  # XML reads a carriage return as a line feed
    else:
        back = json.loads(read(reader, option))
        assert back["series"][0]["name"] == expected["series"][0]["name"] and expected.keys() <= back.keys()


UNENCODABLE = ["\ud800", "ok \udfff", "\ud83d\ude00", b"\xff\xfe".decode("utf-8", "surrogateescape"), cases.Text('{"x": "\udc80"}')]
# Every text parameter, and the texts inside the list parameters.
TEXTS = [(f, {name: ...}) for f, good in cases.GOOD.items() for name, value in good.items() if isinstance(value, str)]
TEXTS += [(f, {"colors": ["#a", ...]}) for f in ("finalize_activity_bar_option_json", "finalize_activity_comparison_option_json")]
TEXTS += [("build_ecdf_option_json", {"series": [(..., [], "#111", None)]}), ("build_ecdf_option_json", {"series": [("A", [], ..., None)]})]


def put(value, bad):  # the bad text in place of each ...
    return type(value)(put(v, bad) for v in value) if isinstance(value, (list, tuple)) else bad if value is ... else value


@pytest.mark.parametrize("bad", UNENCODABLE, ids=range(len(UNENCODABLE)))
@pytest.mark.parametrize("function, changes", TEXTS)
def test_unencodable_text_gives_the_interpreters_error(function, changes, bad):
    with pytest.raises(UnicodeEncodeError) as expected:
        str.encode(bad, "utf-8")
    with pytest.raises(UnicodeEncodeError) as info:
        cases.make_call(function, {k: put(v, bad) for k, v in changes.items()})()
    assert type(info.value) is UnicodeEncodeError and info.value.args == expected.value.args
