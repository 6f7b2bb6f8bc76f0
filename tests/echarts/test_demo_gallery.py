"""The demo's gallery: the files it writes, what it says, and whether its
charts tell the truth about the sample log they were made from."""
from __future__ import annotations

import csv
import json
import re
import shutil
from pathlib import Path

import numpy as np
import pytest

from echarts_support import run_demo
from tessel_vis import _core, demo

REFUSAL = "SVG rendering is not supported for chart type stvd_comparison"


@pytest.fixture(scope="module")
def log() -> demo.ActivityLog:
    return demo.make_activity_log(demo.DEFAULT_SEED)


@pytest.fixture(scope="module")
def documents(gallery) -> dict[str, dict]:
    return {c.name: json.loads((gallery.out / f"{c.name}.json").read_text(encoding="utf-8"))
            for c in demo.CHARTS}


def test_every_printed_path_was_written_and_every_file_printed(gallery):
    printed = {Path(line.rsplit(" -> ", 1)[1]) for line in gallery.lines if " -> " in line}
    assert printed and all(p.is_file() for p in printed)
    assert {p.name for p in printed} == {p.name for p in gallery.out.iterdir()}
    assert all(line.startswith("[demo] ") for line in gallery.lines)


def test_files_per_chart(gallery):
    rsvg = shutil.which("rsvg-convert") is not None
    for chart in demo.CHARTS:
        assert (gallery.out / f"{chart.name}.json").is_file()
        refused = chart.name == "activity_comparison"
        assert (gallery.out / f"{chart.name}.svg").is_file() != refused
        assert (gallery.out / f"{chart.name}.png").is_file() == (rsvg and not refused)
    if rsvg:
        png = (gallery.out / "ecdf.png").read_bytes()
        assert png[:8] == b"\x89PNG\r\n\x1a\n"
        assert int.from_bytes(png[16:20], "big") == demo.WIDTH and int.from_bytes(png[20:24], "big") == demo.HEIGHT


def test_the_comparison_refusal_is_said_and_shown(gallery):
    assert any("activity_comparison" in line and REFUSAL in line and "by design" in line for line in gallery.lines)
    assert REFUSAL in (gallery.out / "index.html").read_text(encoding="utf-8")
    with pytest.raises(ValueError, match=REFUSAL):
        _core.render_option_svg((gallery.out / "activity_comparison.json").read_text(encoding="utf-8"), 960, 540)


def test_page_embeds_each_document_and_its_fallback(gallery):
    page = (gallery.out / "index.html").read_text(encoding="utf-8")
    for chart in demo.CHARTS:
        embedded = re.search(rf'<script type="application/json" id="option-{chart.name}">(.*?)</script>', page, re.S)
        assert embedded is not None
        text = (gallery.out / f"{chart.name}.json").read_text(encoding="utf-8")
        assert json.loads(embedded.group(1)) == json.loads(text)
        assert f'data-option="option-{chart.name}"' in page
        assert (f'src="{chart.name}.svg"' in page) == (chart.name != "activity_comparison")
    # Without --echarts-js the page does not point at a missing script.
    assert "echarts.js" not in re.findall(r'<script src="([^"]*)"', page)


def test_same_seed_same_gallery_other_seed_other_log(gallery, tmp_path):
    again = tmp_path / "again"
    run_demo(again)
    for path in gallery.out.iterdir():
        if path.suffix in (".json", ".svg", ".csv", ".html"):
            assert (again / path.name).read_bytes() == path.read_bytes(), path.name
    assert demo.make_activity_log(7).distance_km.tolist() != demo.make_activity_log(demo.DEFAULT_SEED).distance_km.tolist()


def test_sample_log_is_a_plausible_year(gallery, log):
    with (gallery.out / "trips.csv").open(newline="") as f:
        rows = list(csv.DictReader(f))
    assert len(rows) == len(log) > 1000
    assert rows[0]["start"].startswith(f"{demo.YEAR}-01-") and rows[-1]["start"].startswith(f"{demo.YEAR}-12-")
    assert {r["person"] for r in rows} == {p.name for p in demo.PEOPLE}
    assert all(float(r["distance_km"]) > 0 and float(r["duration_min"]) > 0 for r in rows)
    # Commutes happen on weekdays only, outings at weekends only.
    assert set(log.weekday[log.kind == 0].tolist()) <= {0, 1, 2, 3, 4}
    assert set(log.weekday[log.kind == 3].tolist()) <= {5, 6}


def test_ecdf_chart(documents, log):
    doc = documents["ecdf"]
    assert [s["name"] for s in doc["series"]] == [p.name for p in demo.PEOPLE]
    for p, (person, series) in enumerate(zip(demo.PEOPLE, doc["series"])):
        distances = np.sort(log.distance_km[log.person == p])
        xs = [pt[0] for pt in series["data"]]
        ys = [pt[1] for pt in series["data"]]
        assert xs == sorted(set(xs)) and xs[0] == distances[0]
        # The curve stops at the cutoff, at the distance where 95 % of the trips are reached.
        assert ys[-1] == demo.ECDF_CUTOFF
        assert np.mean(distances <= xs[-1]) >= demo.ECDF_CUTOFF > np.mean(distances < xs[-1])
        expected_type = "type" in series["lineStyle"]
        assert expected_type == (person.dash is not None)
        if person.dash is not None:
            assert series["lineStyle"]["type"] == person.dash


def test_bar_chart(documents, log):
    doc = documents["activity_bar"]
    assert doc["xAxis"]["data"] == _core.activity_time_bin_labels(demo.TIME_BINS)
    items = doc["series"][0]["data"]
    assert len(items) == demo.TIME_BINS
    assert sum(item["count"] for item in items) == len(log)
    assert sum(item["value"] for item in items) == pytest.approx(100.0, abs=0.005 * demo.TIME_BINS)
    hours = log.start_minute // 60
    for hour, item in enumerate(items):
        assert item["count"] == int(np.sum(hours == hour))
        assert item["itemStyle"]["color"] == demo._period_color(hour * 60)
    # Nobody sets off at 3 in the morning; the evening commute is the busiest hour.
    assert items[3]["count"] == 0
    assert max(range(24), key=lambda h: items[h]["count"]) in (17, 18)


def test_heatmap_chart(documents, log):
    doc = documents["activity_heatmap"]
    cells = doc["series"][0]["data"]
    assert sum(value for _, _, value in cells) == len(log)
    busiest = 0
    for column, row, value in cells:
        trips = int(np.sum((log.weekday == row) & (log.start_minute // 60 == column)))
        assert value == trips > 0
        busiest = max(busiest, trips)
    # Empty hours are left out, and the colour scale ends at the busiest hour.
    assert len(cells) < 7 * 24
    assert doc["visualMap"]["max"] == busiest


def test_comparison_chart(documents, log):
    doc = documents["activity_comparison"]
    assert doc["_meta"]["chartType"] == "stvd_comparison"
    for p, (person, series) in enumerate(zip(demo.PEOPLE, doc["series"])):
        assert series["name"] == person.name
        items = series["data"]
        assert [item["itemStyle"]["color"] for item in items] == list(demo.KIND_COLORS)
        assert {item["itemStyle"]["opacity"] for item in items} == {person.opacity}
        assert sum(item["value"] for item in items) == pytest.approx(100.0, abs=0.02)
        for k, item in enumerate(items):
            trips = int(np.sum((log.person == p) & (log.kind == k)))
            assert item.get("count") == (trips or None)
    # Chiara never runs: no count, only a share of 0.
    run = doc["series"][2]["data"][demo.KINDS.index("Run")]
    assert run == {"value": 0.0, "itemStyle": {"color": demo.KIND_COLORS[2], "opacity": demo.PEOPLE[2].opacity}}


def test_svg_fallbacks_draw_every_item(gallery, documents):
    ecdf = (gallery.out / "ecdf.svg").read_text(encoding="utf-8")
    assert ecdf.count("<polyline ") == len(demo.PEOPLE)
    bars = (gallery.out / "activity_bar.svg").read_text(encoding="utf-8")
    assert bars.count("<rect ") == 1 + demo.TIME_BINS  # the background, then one bar per bin
    heatmap = (gallery.out / "activity_heatmap.svg").read_text(encoding="utf-8")
    assert heatmap.count("<rect ") == 1 + len(documents["activity_heatmap"]["series"][0]["data"])
