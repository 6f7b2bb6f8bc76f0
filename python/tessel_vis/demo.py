"""The main job: a year of sample trips turned into a gallery of charts.

    python -m tessel_vis.demo --out DIR

Makes a seeded, realistic activity log (trips of a few people with their
distances, durations and start times over a year), then builds four charts
with the functions of ``tessel_vis._core``:

- an ECDF of trip distances per person (``compute_ecdf`` with a cutoff,
  ``build_ecdf_option_json`` with dash patterns);
- the share of trips by time of day (``activity_time_bin_labels``,
  ``finalize_activity_bar_option_json``);
- trips by weekday and hour (``finalize_activity_heatmap_option_json`` with
  ``update_visual_max``);
- what each person's trips are for (``finalize_activity_comparison_option_json``).

For each chart it writes the option JSON and the SVG fallback
(``render_option_svg``, which refuses the comparison chart by design), a PNG
of the SVG when ``rsvg-convert`` is on PATH, and an ``index.html`` that draws
every chart live with ECharts next to its SVG fallback (or, without ECharts,
shows the fallbacks and says so). The partial options given to the
finalizers are written here, as the package's Python side does.
"""
from __future__ import annotations

import argparse
import csv
import datetime as dt
import html
import json
import shutil
import subprocess
import sys
from dataclasses import dataclass, field
from pathlib import Path
from typing import Any

import numpy as np

from tessel_vis import _core

# Picture size of the SVG fallbacks and the live charts.
WIDTH, HEIGHT = 960, 540
YEAR = 2024
DEFAULT_SEED = 20240101

# House style, shared by every chart.
BG = "#fbfaf6"
INK = "#26292e"
GRID = "#dedad0"
FONT_SANS = "'DejaVu Sans', 'Helvetica Neue', Arial, sans-serif"
FONT_SERIF = "'DejaVu Serif', Georgia, serif"
FONT_MONO = "'DejaVu Sans Mono', Menlo, Consolas, monospace"

WEEKDAYS = ("Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday")
KINDS = ("Commute", "Errand", "Run", "Leisure")
KIND_COLORS = ("#3d6b9e", "#d08a2e", "#c4473a", "#4f8a5b")


@dataclass(frozen=True)
class Person:
    name: str
    color: str            # line colour in the ECDF chart
    dash: list[int] | None  # ECDF dash pattern; None draws a solid line
    opacity: float        # bar opacity in the comparison chart
    commute_km: float     # one way, home to work
    commute_kmh: float    # cycling or walking speed
    commute_days: float   # share of weekdays with a commute
    runs_per_week: float
    leisure_per_weekend: float
    errands_per_day: float


PEOPLE = (
    Person("Ana", "#2f5d8a", None, 1.0, 7.5, 19.0, 0.82, 0.4, 0.9, 0.45),
    Person("Ben", "#b5522f", [8, 4], 0.78, 2.2, 5.2, 0.9, 2.5, 0.5, 0.7),
    Person("Chiara", "#3f7f4d", [2, 3], 0.58, 14.0, 24.0, 0.6, 0.0, 1.4, 0.3),
    Person("Dmitri", "#6c4f8f", [10, 3, 2, 3], 0.4, 4.1, 16.0, 0.45, 1.2, 1.1, 0.9),
)


@dataclass
class ActivityLog:
    """One row per trip, as parallel arrays."""

    person: np.ndarray          # index into PEOPLE
    kind: np.ndarray            # index into KINDS
    start: list[dt.datetime]
    distance_km: np.ndarray
    duration_min: np.ndarray
    weekday: np.ndarray = field(init=False)       # 0 = Monday
    start_minute: np.ndarray = field(init=False)  # minute of the day, 0..1439

    def __post_init__(self) -> None:
        self.weekday = np.array([t.weekday() for t in self.start], dtype=np.int64)
        self.start_minute = np.array([t.hour * 60 + t.minute for t in self.start], dtype=np.int64)

    def __len__(self) -> int:
        return len(self.start)


def make_activity_log(seed: int) -> ActivityLog:
    """A year of trips: weekday commutes, errands, evening runs and weekend
    outings, with fewer outings in winter. Equal seeds give equal logs."""
    rng = np.random.default_rng(seed)
    rows: list[tuple[int, int, dt.datetime, float, float]] = []
    first = dt.date(YEAR, 1, 1)
    n_days = (dt.date(YEAR + 1, 1, 1) - first).days

    def at(day: dt.date, minute: float) -> dt.datetime:
        minute = int(np.clip(round(minute), 0, 1439))
        return dt.datetime(day.year, day.month, day.day, minute // 60, minute % 60)

    for p, person in enumerate(PEOPLE):
        for d in range(n_days):
            day = first + dt.timedelta(days=d)
            weekend = day.weekday() >= 5
            # 1 in midsummer, 0.45 in midwinter.
            summer = 0.725 + 0.275 * np.cos(2 * np.pi * (d - 182) / n_days)
            if not weekend and rng.random() < person.commute_days:
                for mean_minute, spread in ((8 * 60, 25), (17 * 60 + 30, 45)):
                    km = person.commute_km * rng.uniform(0.97, 1.08)
                    if rng.random() < 0.12:  # a detour on the way
                        km += rng.gamma(2.0, 1.5)
                    rows.append((p, 0, at(day, rng.normal(mean_minute, spread)), km,
                                 km / person.commute_kmh * 60 * rng.uniform(0.9, 1.25)))
            for _ in range(rng.poisson(person.errands_per_day * (1.4 if weekend else 1.0))):
                km = rng.lognormal(np.log(2.0), 0.6)
                rows.append((p, 1, at(day, rng.uniform(9 * 60, 20 * 60)), km,
                             km / rng.uniform(4.5, 16.0) * 60))
            if not weekend and rng.random() < person.runs_per_week / 5 * summer:
                km = max(2.0, rng.normal(8.0, 2.5))
                rows.append((p, 2, at(day, rng.normal(19 * 60, 50)), km,
                             km / rng.normal(10.5, 1.0) * 60))
            if weekend and rng.random() < person.leisure_per_weekend / 2 * summer:
                km = rng.lognormal(np.log(22.0), 0.55)
                rows.append((p, 3, at(day, rng.normal(10 * 60 + 30, 90)), km,
                             km / rng.uniform(12.0, 22.0) * 60 + rng.uniform(10, 60)))
    rows.sort(key=lambda r: (r[2], r[0]))
    return ActivityLog(
        person=np.array([r[0] for r in rows], dtype=np.int64),
        kind=np.array([r[1] for r in rows], dtype=np.int64),
        start=[r[2] for r in rows],
        distance_km=np.round(np.array([r[3] for r in rows]), 2),
        duration_min=np.round(np.array([r[4] for r in rows]), 1),
    )


def write_log_csv(log: ActivityLog, path: Path) -> None:
    with path.open("w", newline="") as f:
        out = csv.writer(f)
        out.writerow(["person", "kind", "start", "distance_km", "duration_min"])
        for i in range(len(log)):
            out.writerow([PEOPLE[log.person[i]].name, KINDS[log.kind[i]],
                          log.start[i].isoformat(timespec="minutes"),
                          f"{log.distance_km[i]:.2f}", f"{log.duration_min[i]:.1f}"])


# ---------------------------------------------------------------------------
# The charts. Each returns the finished option JSON text.

ECDF_CUTOFF = 0.95


def ecdf_chart(log: ActivityLog) -> str:
    series = []
    for p, person in enumerate(PEOPLE):
        distances = np.ascontiguousarray(log.distance_km[log.person == p], dtype=np.float64)
        # The cutoff keeps the few very long outings from squeezing the curves.
        points = _core.compute_ecdf(distances, cdf_cutoff=ECDF_CUTOFF)
        series.append((person.name, points, person.color, person.dash))
    return _core.build_ecdf_option_json(
        series, "Trip distance per person", "Distance (km), up to the 95th percentile",
        "km", "Trip distance", BG, INK, GRID, FONT_SANS, FONT_SERIF, FONT_MONO)


def _frame(title: str, subtitle: str, chart_type: str) -> dict[str, Any]:
    """The members every activity chart shares."""
    return {
        "title": {"text": title, "subtext": subtitle, "left": 0, "top": 0,
                  "textStyle": {"fontFamily": FONT_SERIF, "fontSize": 26, "fontWeight": 500, "color": INK},
                  "subtextStyle": {"fontFamily": FONT_SANS, "fontSize": 14, "color": INK}},
        "animation": False,
        "backgroundColor": BG,
        "textStyle": {"fontFamily": FONT_SANS, "color": INK},
        "_meta": {"chartType": chart_type},
    }


def _category_axis(labels: list[str], name: str, **extra: Any) -> dict[str, Any]:
    axis: dict[str, Any] = {"type": "category", "data": labels}
    if name:
        axis.update({"name": name, "nameLocation": "middle", "nameGap": 36,
                     "nameTextStyle": {"fontFamily": FONT_MONO, "fontSize": 13}})
    axis.update({"axisLabel": {"fontFamily": FONT_MONO, "color": INK},
                 "axisLine": {"lineStyle": {"color": INK, "width": 1.5}}})
    axis.update(extra)
    return axis


def _value_axis(name: str, **extra: Any) -> dict[str, Any]:
    axis: dict[str, Any] = {"type": "value", "name": name, "nameLocation": "middle", "nameGap": 48,
            "nameTextStyle": {"fontFamily": FONT_MONO, "fontSize": 13},
            "axisLabel": {"fontFamily": FONT_MONO, "color": INK},
            "splitLine": {"lineStyle": {"color": GRID, "type": [2, 5]}}}
    axis.update(extra)
    return axis


TIME_BINS = 24


def _period_color(minute: int) -> str:
    """Night, morning, afternoon and evening each get their own colour."""
    return ("#34405e", "#d9a03f", "#c8603a", "#6d4c8e")[minute // 360]


def bar_chart(log: ActivityLog) -> str:
    labels = _core.activity_time_bin_labels(TIME_BINS)
    bin_minutes = 1440 // TIME_BINS
    counts = np.bincount(log.start_minute // bin_minutes, minlength=TIME_BINS)
    percentages = counts / counts.sum() * 100.0
    colors = [_period_color(i * bin_minutes) for i in range(TIME_BINS)]
    option = _frame("When trips start", f"share of all {len(log)} trips by hour of day", "activity_bar")
    option.update({
        "tooltip": {"trigger": "axis", "axisPointer": {"type": "shadow"}},
        "grid": {"left": 72, "right": 28, "top": 88, "bottom": 58},
        "xAxis": _category_axis(labels, "Start time", axisLabel={"fontFamily": FONT_MONO, "color": INK,
                                                                  "interval": 2}),
        "yAxis": _value_axis("% of trips"),
        "series": [{"type": "bar", "name": "Trips", "barWidth": "72%"}],
    })
    return _core.finalize_activity_bar_option_json(
        json.dumps(option), percentages, [int(c) for c in counts], colors)


def heatmap_chart(log: ActivityLog) -> str:
    labels = _core.activity_time_bin_labels(TIME_BINS)
    matrix = np.zeros((len(WEEKDAYS), TIME_BINS))
    np.add.at(matrix, (log.weekday, log.start_minute // (1440 // TIME_BINS)), 1.0)
    matrix[matrix == 0] = np.nan  # an hour without any trip stays an empty cell
    option = _frame("Trips by weekday and hour", "number of trips started in each hour over the year",
                    "activity_heatmap")
    option.update({
        "tooltip": {"position": "top"},
        "grid": {"left": 110, "right": 96, "top": 88, "bottom": 58},
        "xAxis": _category_axis(labels, "Start time",
                                axisLabel={"fontFamily": FONT_MONO, "color": INK, "interval": 2}),
        # Monday on top, as in the SVG fallback.
        "yAxis": _category_axis(list(WEEKDAYS), "", inverse=True),
        "visualMap": {"type": "continuous", "min": 0, "calculable": True, "orient": "vertical",
                      "right": 8, "top": "middle", "itemWidth": 14, "itemHeight": 260,
                      "textStyle": {"fontFamily": FONT_MONO, "color": INK},
                      "inRange": {"color": ["#eef1f5", "#9bb5d4", "#37649f"]}},
        "series": [{"type": "heatmap", "name": "Trips", "label": {"show": False},
                    "emphasis": {"itemStyle": {"borderColor": INK, "borderWidth": 1}}}],
    })
    # The visual map's upper end follows the busiest hour.
    return _core.finalize_activity_heatmap_option_json(json.dumps(option), matrix, update_visual_max=True)


def comparison_chart(log: ActivityLog) -> str:
    counts = np.zeros((len(PEOPLE), len(KINDS)), dtype=np.int64)
    np.add.at(counts, (log.person, log.kind), 1)
    percentages = counts / counts.sum(axis=1, keepdims=True) * 100.0
    # A kind of trip a person never makes has no count, only its 0 %.
    count_table = [[int(c) if c else None for c in row] for row in counts]
    option = _frame("What each person's trips are for", "share of each person's trips by purpose",
                    "stvd_comparison")
    option.update({
        "tooltip": {"trigger": "axis", "axisPointer": {"type": "shadow"}},
        # People are told apart by opacity; the legend shows it on a neutral grey.
        "legend": {"top": 10, "right": 0, "textStyle": {"fontFamily": FONT_SANS, "color": INK}},
        "grid": {"left": 72, "right": 28, "top": 88, "bottom": 58},
        "xAxis": _category_axis(list(KINDS), "Purpose"),
        "yAxis": _value_axis("% of the person's trips", max=100),
        "series": [{"type": "bar", "name": person.name, "barGap": "10%",
                    "itemStyle": {"color": "#5a5f66", "opacity": person.opacity}}
                   for person in PEOPLE],
    })
    return _core.finalize_activity_comparison_option_json(
        json.dumps(option), percentages, count_table, list(KIND_COLORS),
        [person.opacity for person in PEOPLE])


@dataclass(frozen=True)
class Chart:
    name: str       # file stem
    title: str      # heading on the page
    about: str      # one line on the page
    live: str       # what only the live chart shows, said when ECharts is there
    fallback: str   # the SVG fallback's caption: what it draws and leaves out
    build: Any      # ActivityLog -> option JSON text
    functions: str  # what the step prints


CHARTS = (
    Chart("ecdf", "Trip distance per person",
          f"ECDF of each person's trip distances, cut off at {ECDF_CUTOFF:.0%} of the trips.",
          "In the live chart each person has a line dash, in the legend too, which tells them apart "
          "without colour.",
          "SVG fallback: solid lines in the people's colours, without dashes, legend or axis labels",
          ecdf_chart, f"compute_ecdf x{len(PEOPLE)} (cutoff {ECDF_CUTOFF}), build_ecdf_option_json"),
    Chart("activity_bar", "When trips start",
          f"Share of all trips by start time, in {TIME_BINS} bins of the day, coloured by part of the day.",
          "The live chart's tooltips give each hour's trips.",
          "SVG fallback: the bars, without axis labels",
          bar_chart, "activity_time_bin_labels, finalize_activity_bar_option_json"),
    Chart("activity_heatmap", "Trips by weekday and hour",
          "Trips started in each hour of each weekday; the colour scale ends at the busiest hour.",
          "The live chart shows the colour scale beside the cells.",
          "SVG fallback: the cells, without day and hour labels or colour scale",
          heatmap_chart, "finalize_activity_heatmap_option_json (update_visual_max=True)"),
    Chart("activity_comparison", "What each person's trips are for",
          "Share of each person's trips by purpose; colour is the purpose, opacity the person.",
          "", "SVG fallback",
          comparison_chart, "finalize_activity_comparison_option_json"),
)


# ---------------------------------------------------------------------------
# Outputs


@dataclass
class ChartFiles:
    chart: Chart
    option_json: str
    svg: Path | None = None
    png: Path | None = None
    refusal: str | None = None  # why there is no SVG fallback


def render_fallback(files: ChartFiles, out: Path, rsvg: str | None, say: Any) -> None:
    name = files.chart.name
    try:
        svg = _core.render_option_svg(files.option_json, WIDTH, HEIGHT)
    except ValueError as e:
        # The comparison chart has no static form: the renderer refuses it.
        files.refusal = str(e)
        say(f"{name}: no SVG fallback, refused by design: {e}")
        return
    files.svg = out / f"{name}.svg"
    files.svg.write_text(svg, encoding="utf-8")
    say(f"{name}: SVG fallback (render_option_svg {WIDTH}x{HEIGHT}) -> {files.svg}")
    if rsvg is None:
        return
    files.png = out / f"{name}.png"
    run = subprocess.run([rsvg, "-w", str(WIDTH), "-h", str(HEIGHT), "-o", str(files.png), str(files.svg)],
                         capture_output=True, text=True)
    if run.returncode != 0:
        raise RuntimeError(f"rsvg-convert failed on {files.svg}: {run.stderr.strip()}")
    say(f"{name}: PNG (rsvg-convert) -> {files.png}")


PAGE_STYLE = """
body { margin: 24px; background: #f1efe9; color: #26292e;
       font-family: 'DejaVu Sans', 'Helvetica Neue', Arial, sans-serif; }
h1 { font-family: 'DejaVu Serif', Georgia, serif; font-weight: 500; margin: 0 0 4px; }
h2 { font-family: 'DejaVu Serif', Georgia, serif; font-weight: 500; margin: 32px 0 4px; }
p { margin: 4px 0 12px; max-width: 70em; }
.pair { display: grid; grid-template-columns: minmax(0, 960px); gap: 16px; align-items: start; }
/* Side by side from about 1,200 pixels, as the page's words say. */
@media (min-width: 1200px) { .pair { grid-template-columns: repeat(2, minmax(0, 960px)); } }
figure { margin: 0; }
figcaption { font-size: 13px; margin: 0 0 4px; color: #5a5f66; }
.live, .fallback img, .refused { display: block; width: 100%; height: auto; aspect-ratio: 16 / 9;
                                 box-sizing: border-box; background: #fbfaf6; border: 1px solid #dedad0; }
/* A live chart is laid out at the size of the SVG fallback and scaled with
   it, so that both show the same design (a narrower layout would crowd the
   title and the legend). */
.live { position: relative; overflow: hidden; }
.live .chart { position: absolute; left: 0; top: 0; transform-origin: 0 0; }
.refused { display: flex; align-items: center; justify-content: center; text-align: center;
           box-sizing: border-box; padding: 48px; color: #5a5f66; }
#status { font-family: 'DejaVu Sans Mono', Menlo, monospace; font-size: 13px; }
#status.problem { color: #b3261e; }
code { font-family: 'DejaVu Sans Mono', Menlo, monospace; }
"""

# Runs first, in the head: any script error and any file that fails to load
# (echarts.js above all) is kept for the status line and said on the console.
HEAD_SCRIPT = """
window.pageProblems = [];
window.addEventListener('error', function (e) {
  var text = e.target && e.target !== window ? 'could not load ' + (e.target.src || e.target.href)
                                             : 'page error: ' + e.message;
  window.pageProblems.push(text);
  console.error(text);
}, true);
"""

# Draws every chart whose option is embedded in the page, then says in the
# status line what happened, so a broken chart is visible without a console.
PAGE_SCRIPT = """
(function () {
  var status = document.getElementById('status');
  function report(drawn) {
    if (window.pageProblems.length) {
      status.className = 'problem';
      status.textContent = window.pageProblems.join(' | ');
    } else {
      status.textContent = 'ECharts ' + echarts.version + ': ' + drawn + ' charts drawn live.';
    }
  }
  if (typeof echarts === 'undefined') {
    window.pageProblems.push('ECharts is not loaded: put echarts.js beside this page (./dev demo does) '
                             + 'to see the live charts; the SVG fallbacks are still shown.');
    report(0);
    return;
  }
  // The data items carry the trip counts; the tooltips show them.
  function withCount(params) {
    var items = Array.isArray(params) ? params : [params];
    return items.map(function (p) {
      var count = p.data && p.data.count !== undefined ? p.data.count : 0;
      return p.marker + (items.length > 1 ? p.seriesName : p.name) + ': '
        + p.value + ' % (' + count + ' trips)';
    }).join('<br>');
  }
  var charts = [];
  document.querySelectorAll('.live .chart').forEach(function (el) {
    var option = JSON.parse(document.getElementById(el.dataset.option).textContent);
    var type = option._meta && option._meta.chartType;
    if (type === 'activity_bar' || type === 'stvd_comparison') option.tooltip.formatter = withCount;
    var chart = echarts.init(el, null, {renderer: 'svg'});
    chart.setOption(option);
    charts.push(chart);
  });
  // Each chart is scaled to the width of its column, which follows the window.
  function fit() {
    document.querySelectorAll('.live .chart').forEach(function (el) {
      el.style.transform = 'scale(' + el.parentNode.clientWidth / el.offsetWidth + ')';
    });
  }
  fit();
  window.addEventListener('resize', fit);
  report(charts.length);
})();
"""


def _embedded_json(text: str) -> str:
    # "</" would end the script element early; "<\\/" is the same JSON string.
    return text.replace("</", "<\\/")


FALLBACK_DRAWS = ("The fallback draws the background, the title, the two axis lines and the data, "
                  "and leaves out legends, axis labels, tooltips, colour scales and line dashes.")


def write_page(charts: list[ChartFiles], path: Path, log_summary: str, echarts_src: str | None) -> None:
    live = echarts_src is not None
    if live:
        intro = ("Each chart is drawn live by ECharts from its option document (left) next to the static "
                 "SVG fallback of <code>render_option_svg</code> (right); in a window narrower than about "
                 "1,200 pixels the fallback stands below the live chart.")
        status = '<p id="status">Loading ECharts&hellip;</p>'
    else:
        intro = ("ECharts was not found when this page was written, so no chart is drawn live here: each "
                 "shows the static SVG fallback of <code>render_option_svg</code>. <code>./dev demo</code> "
                 "fetches ECharts, and <code>--echarts-js FILE</code> puts one beside the page.")
        status = '<p id="status" class="problem">ECharts was not found: SVG fallbacks only.</p>'
    parts = [
        "<!DOCTYPE html>",
        '<html lang="en"><head><meta charset="utf-8">',
        '<meta name="viewport" content="width=device-width, initial-scale=1">',
        "<title>tessel_vis gallery</title>",
        f"<style>{PAGE_STYLE}</style>",
        f"<script>{HEAD_SCRIPT}</script>",
        "</head><body>",
        "<h1>tessel_vis gallery</h1>",
        f"<p>{html.escape(log_summary)}. {intro} {html.escape(FALLBACK_DRAWS)}</p>",
        status,
    ]
    for files in charts:
        c = files.chart
        about = f"{c.about} {c.live}" if live and c.live else c.about
        parts += [
            f'<section id="{c.name}">',
            f"<h2>{html.escape(c.title)}</h2>",
            f"<p>{html.escape(about)} Option document: "
            f'<a href="{c.name}.json"><code>{c.name}.json</code></a>.</p>',
            '<div class="pair">',
        ]
        if live:
            parts.append(f'<figure><figcaption>ECharts, live</figcaption><div class="live"><div class="chart" '
                         f'id="chart-{c.name}" data-option="option-{c.name}" '
                         f'style="width: {WIDTH}px; height: {HEIGHT}px"></div></div></figure>')
        if files.svg is not None:
            parts.append(f'<figure class="fallback"><figcaption>{html.escape(c.fallback)}</figcaption>'
                         f'<img src="{files.svg.name}" width="{WIDTH}" height="{HEIGHT}" '
                         f'alt="{html.escape(c.title)}, static picture"></figure>')
        else:
            parts.append(f'<figure><figcaption>SVG fallback</figcaption><div class="refused">'
                         f"<p>No SVG fallback for this chart, by design: "
                         f"<code>render_option_svg</code> says &ldquo;{html.escape(files.refusal or '')}"
                         f"&rdquo;. It needs a browser with ECharts.</p></div></figure>")
        parts.append("</div>")
        if live:
            parts.append(f'<script type="application/json" id="option-{c.name}">'
                         f"{_embedded_json(files.option_json)}</script>")
        parts.append("</section>")
    if live:
        parts += [f'<script src="{html.escape(echarts_src or "")}"></script>', f"<script>{PAGE_SCRIPT}</script>"]
    parts += ["</body></html>", ""]
    path.write_text("\n".join(parts), encoding="utf-8")


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(prog="python -m tessel_vis.demo", description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", type=Path, default=Path("out"), help="output directory (default: out)")
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED, help="seed of the sample log")
    parser.add_argument("--echarts-js", type=Path, default=None,
                        help="an ECharts browser build to copy beside index.html for the live charts")
    args = parser.parse_args(argv)

    def say(line: str) -> None:
        print(f"[demo] {line}", flush=True)

    out: Path = args.out
    out.mkdir(parents=True, exist_ok=True)

    log = make_activity_log(args.seed)
    summary = (f"{len(log)} trips of {len(PEOPLE)} people ({', '.join(p.name for p in PEOPLE)}) "
               f"over {YEAR}, seed {args.seed}")
    log_path = out / "trips.csv"
    write_log_csv(log, log_path)
    say(f"sample log: {summary} -> {log_path}")

    rsvg = shutil.which("rsvg-convert")
    if rsvg is None:
        say("rsvg-convert is not on PATH: no PNG pictures")
    written: list[ChartFiles] = []
    for chart in CHARTS:
        files = ChartFiles(chart, chart.build(log))
        json_path = out / f"{chart.name}.json"
        json_path.write_text(files.option_json, encoding="utf-8")
        say(f"{chart.name}: option ({chart.functions}) -> {json_path}")
        render_fallback(files, out, rsvg, say)
        written.append(files)

    echarts_src: str | None = None
    if args.echarts_js is not None:
        shutil.copyfile(args.echarts_js, out / "echarts.js")
        echarts_src = "echarts.js"
        say(f"ECharts for the page: {args.echarts_js} -> {out / 'echarts.js'}")
    elif (out / "echarts.js").is_file():
        echarts_src = "echarts.js"
        say(f"ECharts for the page: kept {out / 'echarts.js'}")
    else:
        say("no ECharts given (--echarts-js): the page shows the SVG fallbacks only")
    page = out / "index.html"
    write_page(written, page, summary, echarts_src)
    if echarts_src is None:
        say(f"page: the SVG fallbacks, no live charts -> {page}")
    else:
        say(f"page: every chart live with ECharts next to its SVG fallback -> {page}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
