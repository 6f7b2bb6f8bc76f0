# The demo's page in a real browser, 1,400 pixels wide: headless Chromium
# loads index.html with the pinned ECharts beside it, every chart is drawn with
# a clean console, the page's words agree with what is drawn, and a screenshot
# is taken.
from __future__ import annotations

import html
import json
import re
import shutil
import subprocess
from pathlib import Path

import pytest

from tessel_vis import demo

# What works here as root, without a display, a GPU or a network.
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", "--hide-scrollbars", "--enable-logging=stderr", "--v=0"]
WINDOW = (1400, 2400)

# Run after the page's own script: where each figure stands, and the dashes drawn in each.
PROBE = """<script>
var seen = {};
document.querySelectorAll('section').forEach(function (s) {
  var f = Array.prototype.map.call(s.querySelectorAll('figure'), function (e) { return e.getBoundingClientRect(); });
  seen[s.id] = {sideBySide: f[1].left >= f[0].right && f[1].top === f[0].top, width: f[0].width,
                liveDashes: s.querySelectorAll('.live path[stroke-dasharray]').length, text: s.innerText};
});
var pre = document.body.appendChild(document.createElement('pre'));
pre.id = 'seen', pre.textContent = JSON.stringify(seen);
</script></body>"""


@pytest.fixture(scope="module")
def chromium() -> str:
    found = shutil.which("chromium")
    if found is None:
        pytest.skip("Chromium ('chromium') is not on PATH (./dev test adds it to its toolchain)")
    return found


def run_chromium(chromium: str, profile: Path, *args: str) -> tuple[str, list[str]]:
    # What Chromium printed, and the page's console lines (which it logs as ":CONSOLE").
    run = subprocess.run([chromium, *CHROMIUM_FLAGS, f"--user-data-dir={profile}",
                          f"--window-size={WINDOW[0]},{WINDOW[1]}", *args], capture_output=True, text=True, timeout=180)
    assert run.returncode == 0, run.stderr[-3000:]
    return run.stdout, [line for line in run.stderr.splitlines() if re.search(r":CONSOLE[:(]", line)]


def test_page_draws_every_chart_as_its_words_say_and_a_screenshot_is_taken(chromium, page, tmp_path):
    probe = page.with_name("probe.html")
    probe.write_text(page.read_text(encoding="utf-8").replace("</body>", PROBE), encoding="utf-8")
    dom, console = run_chromium(chromium, tmp_path / "profile", "--dump-dom", probe.as_uri())
    assert console == []
    assert re.search(r'<p id="status">(.*?)</p>', dom).group(1) == f"ECharts 6.1.0: {len(demo.CHARTS)} charts drawn live."
    seen = json.loads(html.unescape(re.search(r'<pre id="seen">(.*?)</pre>', dom, re.S).group(1)))
    intro = re.search(r"<h1>.*?</h1>\s*<p>(.*?)</p>", dom, re.S).group(1)
    dashed = sum(p.dash is not None for p in demo.PEOPLE)
    for name, chart in seen.items():
        assert chart["width"] > 600, name  # a chart drawn, at half the window
        # "(left) next to ... (right)", and "from about 1,200 pixels": side by side here.
        assert "(left)" in intro and "(right)" in intro and "1,200 pixels" in intro and chart["sideBySide"], name
    # The live chart has the dashes its text promises; the fallback's caption says it has none, and it has none.
    assert "line dash" in seen["ecdf"]["text"] and seen["ecdf"]["liveDashes"] >= dashed
    assert "without dashes" in seen["ecdf"]["text"] and "stroke-dasharray" not in page.with_name("ecdf.svg").read_text()
    _, console = run_chromium(chromium, tmp_path / "shot", f"--screenshot={tmp_path / 'page.png'}", page.as_uri())
    png = (tmp_path / "page.png").read_bytes()
    assert console == [] and png[:8] == b"\x89PNG\r\n\x1a\n" and len(png) > 50_000  # not a blank page
    assert (int.from_bytes(png[16:20], "big"), int.from_bytes(png[20:24], "big")) == WINDOW


@pytest.mark.parametrize("breakage, expected", [("script_error", "deliberate"), ("echarts_missing", "could not load")])
def test_page_problems_reach_the_console_and_the_status(chromium, page, tmp_path, breakage, expected):
    # The clean console above means something only if these are caught.
    broken = tmp_path / "site" / "index.html"
    broken.parent.mkdir()
    text = page.read_text(encoding="utf-8")
    if breakage == "script_error":
        text = text.replace("var charts = [];", "console.error('deliberate'); var charts = [];")
        shutil.copyfile(page.with_name("echarts.js"), broken.with_name("echarts.js"))
    broken.write_text(text, encoding="utf-8")  # without echarts.js beside it in the second case
    dom, console = run_chromium(chromium, tmp_path / "profile", "--dump-dom", broken.as_uri())
    assert any(expected in line for line in console)
    assert breakage != "echarts_missing" or ('<p id="status" class="problem"' in dom and "ECharts is not loaded" in dom)
