# Option documents in real ECharts.
#
# Every document the demo writes, and a few made here straight from the
# module's functions, is rendered with ECharts' server-side SVG renderer under
# Node.js. A document passes when ECharts prints nothing (no error, no warning),
# throws nothing, draws its title, and reads back exactly the data items that
# the document holds: every item of every series, with its value.
from __future__ import annotations

import html
import json
import re

import numpy as np
import pytest

from tessel_vis import _core, demo

TEXTS = ("Distance", "km", "Distance (km)", "#ffffff", "#333333", "#dddddd", "sans-serif", "serif", "monospace")
SAMPLE = np.random.default_rng(3).gamma(2.0, 3.0, 500)
AXES = {"animation": False, "xAxis": {"type": "category", "data": ["a", "b", "c"]}, "yAxis": {"type": "value"}}


def module_documents() -> dict[str, str]:
    comparison = {**AXES, "_meta": {"chartType": "stvd_comparison"}, "legend": {},
                  "series": [{"type": "bar", "name": "P"}, {"type": "bar", "name": "Q"}]}
    heatmap = {**AXES, "yAxis": {"type": "category", "data": ["x", "y"]}, "visualMap": {"min": 0},
               "series": [{"type": "heatmap", "name": "Cells"}]}
    return {
        "ecdf_dashes_and_hostile_texts": _core.build_ecdf_option_json(
            [('Zoë "quick" <b>', _core.compute_ecdf(SAMPLE, 0.5), "#d62728", [6, 4]),
             ("back\\slash", _core.compute_ecdf(SAMPLE[:7]), "rgb(20, 120, 60)", None)],
            'Ünïcødé & "quotes" </script>', *TEXTS),
        "bar_with_empty_value_and_negative_count": _core.finalize_activity_bar_option_json(
            json.dumps({**AXES, "series": [{"type": "bar", "name": "Trips"}]}), np.array([12.345, np.nan, 87.655]), [3, -1, 7],
            ["#223344", "#aa6600", "#663399"]),
        # A transposed view with an empty cell and a cell above the others.
        "heatmap_view_with_empty_cell": _core.finalize_activity_heatmap_option_json(
            json.dumps(heatmap), np.array([[1.5, 4.0], [np.nan, 0.25], [12.345, 3.0]]).T, update_visual_max=True),
        "comparison_with_missing_counts": _core.finalize_activity_comparison_option_json(
            json.dumps(comparison), np.array([[50.0, 33.333333, 16.666667], [0.0, 100.0, 0.0]]),
            [[3, 2, 1], [None, 4, None]], ["#3d6b9e", "#d08a2e", "#c4473a"], [1.0, 0.5]),
    }


NAMES = [c.name for c in demo.CHARTS] + list(module_documents())


@pytest.fixture(scope="module")
def rendered(gallery, echarts) -> dict[str, tuple[str, dict]]:
    texts = {c.name: (gallery[0] / f"{c.name}.json").read_text(encoding="utf-8") for c in demo.CHARTS} | module_documents()
    return {name: (texts[name], report) for name, report in echarts(texts).items()}


def item_value(item):
    # The value of a line item [x, y], a heatmap item [column, row, value] or a bar item.
    return item[-1] if isinstance(item, list) else item["value"] if isinstance(item, dict) else item


@pytest.mark.parametrize("name", NAMES)
def test_document_renders_cleanly(name, rendered):
    text, report = rendered[name]
    assert report["error"] is None and report["messages"] == [], report
    document = json.loads(text)
    series = document.get("series", [])
    assert [(s["type"], s["name"]) for s in report["series"]] == [(s["type"], s.get("name")) for s in series]
    for mine, theirs in zip(series, report["series"]):
        assert theirs["values"] == [item_value(i) for i in mine.get("data", [])], mine.get("name")
    if "visualMap" in document:
        assert [v["max"] for v in report["visualMap"]] == [document["visualMap"]["max"]]
    texts = [html.unescape(t) for t in re.findall(r"<text[^>]*>([^<]*)</text>", report["svg"])]
    titles = document.get("title", [])
    assert report["svg"].startswith("<svg") and all(
        title["text"] in texts for title in (titles if isinstance(titles, list) else [titles]))


@pytest.mark.parametrize("option, complaint", [
    # ECharts' development build warns about the pre-4.0 "normal" level of styles.
    ({"xAxis": {}, "yAxis": {}, "series": [{"type": "line", "data": [[1, 2]], "itemStyle": {"normal": {}}}]},
     "messages"),
    # A cartesian series without axes cannot be laid out.
    ({"series": [{"type": "line", "data": [[1, 2]]}]}, "error"),
])
def test_runner_reports_what_echarts_objects_to(echarts, option, complaint):
    # The clean results above mean something only if a complaint is caught.
    assert echarts({"doc": json.dumps(option)})["doc"][complaint]


def legend_strokes(svg: str) -> dict[int, set[str]]:
    # {series index: the strokes of its legend icon}: the paths drawn where its legend item is.
    drawn = re.findall(r'<path [^>]*transform="([^"]+)"[^>]*stroke="([^"]+)" stroke-width="(?!0")', svg)
    items = re.findall(r'<path [^>]*transform="([^"]+)"[^>]*ecmeta_series_index="(\d+)"[^>]*ecmeta_ssr_type="legend"', svg)
    return {int(i): {stroke for at, stroke in drawn if at == place} for place, i in items}


@pytest.mark.parametrize("name", ["ecdf", "ecdf_dashes_and_hostile_texts"])
def test_ecdf_legend_icons_and_tooltip_markers_have_their_lines_colour(name, rendered):
    # Without an item colour ECharts draws them in its palette's colours, not the lines'.
    text, report = rendered[name]
    colours = [s["lineStyle"]["color"] for s in json.loads(text)["series"]]
    assert legend_strokes(report["svg"]) == {i: {c} for i, c in enumerate(colours)}
    assert [s["marker"] for s in report["series"]] == colours
