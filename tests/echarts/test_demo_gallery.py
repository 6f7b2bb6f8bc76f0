# The demo's gallery: the files it writes, what it says, and whether its
# charts account for the sample log they were made from.
from __future__ import annotations

import csv
import json
import re
import shutil
from pathlib import Path

import numpy as np
import pytest

from conftest import run_demo
from tessel_vis import _core, demo

REFUSAL = "SVG rendering is not supported for chart type stvd_comparison"


def test_every_printed_path_was_written_and_every_file_printed(gallery):
    out, lines = gallery
    printed = {Path(line.rsplit(" -> ", 1)[1]) for line in lines if " -> " in line}
    assert all(p.is_file() for p in printed) and all(line.startswith("[demo] ") for line in lines)
    assert {p.name for p in printed} == {p.name for p in out.iterdir()}
    assert any("activity_comparison" in line and REFUSAL in line and "by design" in line for line in lines)


def test_files_per_chart(gallery):
    out, _ = gallery
    rsvg = shutil.which("rsvg-convert") is not None
    for chart in demo.CHARTS:
        refused = chart.name == "activity_comparison"
        assert (out / f"{chart.name}.svg").is_file() != refused
        assert (out / f"{chart.name}.png").is_file() == (rsvg and not refused)
    with pytest.raises(ValueError, match=REFUSAL):
        _core.render_option_svg((out / "activity_comparison.json").read_text(encoding="utf-8"), 960, 540)


def test_page_without_echarts_says_so_and_shows_the_fallbacks(gallery):
    page = (gallery[0] / "index.html").read_text(encoding="utf-8")
    assert "ECharts was not found" in page and REFUSAL in page
    assert 'class="live"' not in page and "drawn live by" not in page and "<script src" not in page
    assert all(f'src="{c.name}.svg"' in page for c in demo.CHARTS if c.name != "activity_comparison")


def test_same_seed_same_gallery_and_the_live_page_embeds_each_document(gallery, tmp_path):
    (tmp_path / "echarts.js").write_text("")
    again = tmp_path / "again"
    run_demo(again, "--echarts-js", str(tmp_path / "echarts.js"))
    for path in (p for p in gallery[0].iterdir() if p.suffix in (".json", ".svg", ".csv")):
        assert (again / path.name).read_bytes() == path.read_bytes(), path.name
    page = (again / "index.html").read_text(encoding="utf-8")
    for chart in demo.CHARTS:
        embedded = re.search(rf'<script type="application/json" id="option-{chart.name}">(.*?)</script>', page)
        assert embedded and json.loads(embedded.group(1)) == json.loads((again / f"{chart.name}.json").read_text())
    assert demo.make_activity_log(7).distance_km.tolist() != demo.make_activity_log(demo.DEFAULT_SEED).distance_km.tolist()


def test_every_chart_accounts_for_every_trip(gallery):
    out, _ = gallery
    log = demo.make_activity_log(demo.DEFAULT_SEED)
    with (out / "trips.csv").open(newline="") as f:
        assert len(list(csv.DictReader(f))) == len(log) > 1000
    doc = {c.name: json.loads((out / f"{c.name}.json").read_text(encoding="utf-8")) for c in demo.CHARTS}
    hours = log.start_minute // 60
    bars = doc["activity_bar"]["series"][0]["data"]
    assert [b["count"] for b in bars] == np.bincount(hours, minlength=24).tolist()
    cells = doc["activity_heatmap"]["series"][0]["data"]
    assert all(v == np.sum((log.weekday == r) & (hours == c)) > 0 for c, r, v in cells)
    assert sum(v for _, _, v in cells) == len(log) and doc["activity_heatmap"]["visualMap"]["max"] == max(
        v for _, _, v in cells)
    counts = [[item.get("count", 0) for item in s["data"]] for s in doc["activity_comparison"]["series"]]
    assert counts == [np.bincount(log.kind[log.person == p], minlength=4).tolist() for p in range(len(demo.PEOPLE))]
    for p, series in enumerate(doc["ecdf"]["series"]):
        xs = [x for x, _ in series["data"]]
        distances = log.distance_km[log.person == p]
        assert series["data"][-1][1] == demo.ECDF_CUTOFF and xs[0] == distances.min()
        assert np.mean(distances <= xs[-1]) >= demo.ECDF_CUTOFF > np.mean(distances < xs[-1])
    # The fallbacks draw every item: one line per person, one bar per hour, one rectangle per cell.
    svgs = {c: (out / f"{c}.svg").read_text(encoding="utf-8") for c in ("ecdf", "activity_bar", "activity_heatmap")}
    assert svgs["ecdf"].count("<polyline ") == len(demo.PEOPLE)
    assert (svgs["activity_bar"].count("<rect "), svgs["activity_heatmap"].count("<rect ")) == (25, 1 + len(cells))
