"""Option documents in real ECharts.

Every document the demo writes, and a few made here straight from the
module's functions, is rendered with ECharts' server-side SVG renderer under
Node.js. A document passes when ECharts prints nothing (no error, no warning),
throws nothing, draws an SVG, and reads back exactly the data items that the
document holds: every item of every series, with its value.
"""
from __future__ import annotations

import html
import json
import re
from typing import Any

import numpy as np
import pytest

from tessel_vis import _core, demo

ECDF_TEXTS = ("Distances", "Distance", "km", "Distance (km)", "#ffffff", "#333333", "#dddddd",
              "sans-serif", "serif", "monospace")


def _sample(n: int, seed: int = 3) -> np.ndarray:
    return np.random.default_rng(seed).gamma(2.0, 3.0, n)


def _ecdf_documents() -> dict[str, str]:
    sample = _sample(500)
    return {
        "ecdf_one_solid_line": _core.build_ecdf_option_json(
            [("A", _core.compute_ecdf(sample), "#1f77b4", None)], *ECDF_TEXTS),
        "ecdf_dashes_and_hostile_texts": _core.build_ecdf_option_json(
            [('Zoë "quick" <b>', _core.compute_ecdf(sample, 0.5), "#d62728", [6, 4]),
             ("back\\slash", _core.compute_ecdf(sample[:7]), "rgb(20, 120, 60)", [1, 1]),
             ("one long dash", _core.compute_ecdf(sample * 2.0, 0.99), "#9467bd", [30])],
            'Ünïcødé & "quotes" </script>', *ECDF_TEXTS[1:]),
        "ecdf_without_series": _core.build_ecdf_option_json([], *ECDF_TEXTS),
    }


def _activity_documents() -> dict[str, str]:
    bar = {"animation": False, "xAxis": {"type": "category", "data": ["night", "day", "evening"]},
           "yAxis": {"type": "value"}, "series": [{"type": "bar", "name": "Trips"}]}
    heatmap = {"animation": False, "xAxis": {"type": "category", "data": ["a", "b", "c"]},
               "yAxis": {"type": "category", "data": ["x", "y"]},
               "visualMap": {"min": 0, "calculable": True}, "series": [{"type": "heatmap", "name": "Cells"}]}
    comparison = {"animation": False, "_meta": {"chartType": "stvd_comparison"}, "legend": {},
                  "xAxis": {"type": "category", "data": ["walk", "bike", "run"]},
                  "yAxis": {"type": "value", "max": 100},
                  "series": [{"type": "bar", "name": "P"}, {"type": "bar", "name": "Q"}]}
    # A transposed view with an empty cell and a cell above the others.
    cells = np.array([[1.5, 4.0], [np.nan, 0.25], [12.345, 3.0]]).T
    return {
        "bar_with_empty_value_and_negative_count": _core.finalize_activity_bar_option_json(
            json.dumps(bar), np.array([12.345, np.nan, 87.655]), [3, -1, 7], ["#223344", "#aa6600", "#663399"]),
        "heatmap_view_with_empty_cell": _core.finalize_activity_heatmap_option_json(
            json.dumps(heatmap), cells, update_visual_max=True),
        "comparison_with_missing_counts": _core.finalize_activity_comparison_option_json(
            json.dumps(comparison), np.array([[50.0, 33.333333, 16.666667], [0.0, 100.0, 0.0]]),
            [[3, 2, 1], [None, 4, None]], ["#3d6b9e", "#d08a2e", "#c4473a"], [1.0, 0.5]),
    }


def _item_values(series: dict[str, Any]) -> list[float | None]:
    """The values that ECharts must read from a series' data, as the document holds them."""
    kind = series.get("type")
    values: list[float | None] = []
    for item in series.get("data", []):
        if kind == "line":
            values.append(item[1])
        elif kind == "heatmap":
            values.append(item[2])
        else:
            values.append(item["value"] if isinstance(item, dict) else item)
    return values


def _check_rendered(name: str, text: str, report: dict[str, Any]) -> None:
    assert report["error"] is None, f"ECharts threw on {name}:\n{report['error']}"
    assert report["messages"] == [], f"ECharts printed on {name}: {report['messages']}"
    document = json.loads(text)
    series = document.get("series", [])
    read = report["series"]
    assert [(s["type"], s["name"]) for s in read] == [(s["type"], s.get("name")) for s in series]
    for mine, theirs in zip(series, read):
        assert theirs["count"] == len(mine.get("data", [])), f"{name}: {mine.get('name')}"
        assert theirs["values"] == _item_values(mine), f"{name}: {mine.get('name')}"
    visual_map = document.get("visualMap")
    if visual_map is not None:
        assert [v["max"] for v in report["visualMap"]] == [visual_map["max"]]
    with open(report["svg"], encoding="utf-8") as f:
        svg = f.read()
    assert svg.startswith("<svg") and svg.rstrip().endswith("</svg>")
    texts = [html.unescape(t) for t in re.findall(r"<text[^>]*>([^<]*)</text>", svg)]
    titles = document.get("title", [])
    for title in titles if isinstance(titles, list) else [titles]:
        assert title["text"] in texts


@pytest.fixture(scope="module")
def demo_reports(gallery, echarts) -> dict[str, dict[str, Any]]:
    texts = {c.name: (gallery.out / f"{c.name}.json").read_text(encoding="utf-8") for c in demo.CHARTS}
    return echarts.render(texts)


@pytest.mark.parametrize("name", [c.name for c in demo.CHARTS])
def test_demo_document_renders_cleanly(name, gallery, demo_reports):
    text = (gallery.out / f"{name}.json").read_text(encoding="utf-8")
    _check_rendered(name, text, demo_reports[name])


@pytest.fixture(scope="module")
def direct_documents() -> dict[str, str]:
    documents = {**_ecdf_documents(), **_activity_documents()}
    assert tuple(documents) == DIRECT_DOCUMENTS
    return documents


@pytest.fixture(scope="module")
def direct_reports(direct_documents, echarts) -> dict[str, dict[str, Any]]:
    return echarts.render(direct_documents)


DIRECT_DOCUMENTS = ("ecdf_one_solid_line", "ecdf_dashes_and_hostile_texts", "ecdf_without_series",
                    "bar_with_empty_value_and_negative_count", "heatmap_view_with_empty_cell",
                    "comparison_with_missing_counts")


@pytest.mark.parametrize("name", DIRECT_DOCUMENTS)
def test_module_document_renders_cleanly(name, direct_documents, direct_reports):
    _check_rendered(name, direct_documents[name], direct_reports[name])


def test_echarts_reads_the_heatmap_maximum_and_empty_cells(direct_reports):
    # The transposed view's logical cells: row 0 is 1.5, nan, 12.345; row 1 is 4.0, 0.25, 3.0.
    report = direct_reports["heatmap_view_with_empty_cell"]
    assert report["series"][0]["count"] == 5
    assert report["series"][0]["values"] == [1.5, 12.35, 4.0, 0.25, 3.0]
    assert report["visualMap"] == [{"min": 0, "max": 12.345}]


def test_echarts_reads_an_empty_bar_value_as_missing(direct_reports):
    values = direct_reports["bar_with_empty_value_and_negative_count"]["series"][0]["values"]
    assert values[0] == 12.35 and values[1] is None and values[2] is not None


@pytest.mark.parametrize("name, option, expect", [
    # ECharts' development build warns about the pre-4.0 "normal" level of styles.
    ("deprecated_style", {"xAxis": {}, "yAxis": {},
                          "series": [{"type": "line", "data": [[1, 2]], "itemStyle": {"normal": {"color": "red"}}}]},
     "messages"),
    # A cartesian series without axes cannot be laid out.
    ("series_without_axes", {"series": [{"type": "line", "data": [[1, 2]]}]}, "error"),
])
def test_runner_reports_what_echarts_objects_to(echarts, name, option, expect):
    # The clean results above mean something only if a complaint is caught.
    report = echarts.render({name: json.dumps(option)})[name]
    if expect == "messages":
        assert any("[ECharts]" in m["text"] for m in report["messages"]), report
    else:
        assert report["error"] is not None, report
