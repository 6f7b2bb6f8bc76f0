"""The demo's page in a real browser: headless Chromium loads index.html with
the pinned ECharts beside it, every chart is drawn, the console stays clean,
and a screenshot is taken."""
from __future__ import annotations

import re
import shutil
import subprocess
from pathlib import Path

import pytest

from echarts_support import run_demo
from tessel_vis import demo

# What works here as root, without a display, a GPU or a network.
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", "--hide-scrollbars"]
WINDOW = (2040, 2900)

# Chromium logs every console call of the page as "...:CONSOLE..." on stderr.
CONSOLE_LINE = re.compile(r":CONSOLE[:(]")


@pytest.fixture(scope="module")
def chromium() -> str:
    found = shutil.which("chromium")
    if found is None:
        pytest.skip("Chromium ('chromium') is not on PATH: ./dev test installs the Debian package chromium "
                    "into its toolchain; elsewhere install it to run the browser check")
    return found


@pytest.fixture(scope="module")
def page(tmp_path_factory, echarts_js) -> Path:
    out = tmp_path_factory.mktemp("page")
    run_demo(out, "--echarts-js", str(echarts_js))
    return out / "index.html"


def run_chromium(chromium: str, profile: Path, *args: str) -> subprocess.CompletedProcess[str]:
    # A new, empty profile each time; Chromium refuses to share one.
    profile.mkdir()
    return subprocess.run([chromium, *CHROMIUM_FLAGS, f"--user-data-dir={profile}", "--enable-logging=stderr",
                           "--v=0", f"--window-size={WINDOW[0]},{WINDOW[1]}", *args],
                          capture_output=True, text=True, timeout=180)


def console_lines(run: subprocess.CompletedProcess[str]) -> list[str]:
    return [line for line in run.stderr.splitlines() if CONSOLE_LINE.search(line)]


def test_page_draws_every_chart_with_a_clean_console(chromium, page, tmp_path):
    run = run_chromium(chromium, tmp_path / "profile", "--dump-dom", page.as_uri())
    assert run.returncode == 0, run.stderr[-3000:]
    assert console_lines(run) == []
    dom = run.stdout
    status = re.search(r'<p id="status"[^>]*>(.*?)</p>', dom, re.S)
    assert status is not None
    assert status.group(1) == f"ECharts 6.1.0: {len(demo.CHARTS)} charts drawn live."
    # Each live chart holds the SVG that ECharts drew into it.
    for chart in demo.CHARTS:
        live = re.search(rf'<div class="live" id="chart-{chart.name}"[^>]*>(.*?)</figure>', dom, re.S)
        assert live is not None and "<svg" in live.group(1) and "<path" in live.group(1), chart.name


def test_page_screenshot(chromium, page, tmp_path):
    shot = tmp_path / "page.png"
    run = run_chromium(chromium, tmp_path / "profile", f"--screenshot={shot}", page.as_uri())
    assert run.returncode == 0, run.stderr[-3000:]
    assert console_lines(run) == []
    png = shot.read_bytes()
    assert png[:8] == b"\x89PNG\r\n\x1a\n"
    assert (int.from_bytes(png[16:20], "big"), int.from_bytes(png[20:24], "big")) == WINDOW
    assert len(png) > 50_000  # four charts and four pictures, not a blank page


@pytest.mark.parametrize("breakage, expected", [
    ("script_error", "deliberate"),
    ("echarts_missing", "could not load"),
])
def test_page_problems_reach_the_console_and_the_status(chromium, page, tmp_path, breakage, expected):
    # The clean console above means something only if these are caught.
    broken = tmp_path / "site" / "index.html"
    broken.parent.mkdir()
    text = page.read_text(encoding="utf-8")
    if breakage == "script_error":
        text = text.replace("var drawn = 0;", "console.error('deliberate'); var drawn = 0;")
        shutil.copyfile(page.with_name("echarts.js"), broken.with_name("echarts.js"))
    broken.write_text(text, encoding="utf-8")  # without echarts.js beside it in the second case
    run = run_chromium(chromium, tmp_path / "profile", "--dump-dom", broken.as_uri())
    assert any(expected in line for line in console_lines(run)), run.stderr[-3000:]
    if breakage == "echarts_missing":
        assert '<p id="status" class="problem"' in run.stdout and "ECharts is not loaded" in run.stdout
