"""Helpers of the ECharts suite: running the demo, the pinned ECharts from npm
(kept in a cache outside the repository, see tools/echarts/fetch.py) and a
Node.js runner that renders option documents with ECharts' server-side SVG
renderer. The fixtures built on them are in conftest.py."""

from __future__ import annotations

import contextlib
import importlib.util
import io
import json
import os
import subprocess
from dataclasses import dataclass
from pathlib import Path
from typing import Any


REPO = Path(__file__).resolve().parents[2]
RENDER_SCRIPT = Path(__file__).with_name("render_options.js")
WIDTH, HEIGHT = 960, 540



def _load_fetch() -> Any:
    spec = importlib.util.spec_from_file_location("echarts_fetch", REPO / "tools" / "echarts" / "fetch.py")
    assert spec is not None and spec.loader is not None
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


fetch = _load_fetch()


@dataclass
class Gallery:
    out: Path
    lines: list[str]   # what the demo printed
    seed: int


def run_demo(out: Path, *extra: str) -> list[str]:
    from tessel_vis import demo

    printed = io.StringIO()
    with contextlib.redirect_stdout(printed):
        assert demo.main(["--out", str(out), *extra]) == 0
    return printed.getvalue().splitlines()










class EchartsRunner:
    def __init__(self, node: str, modules: Path, work: Path) -> None:
        self.node, self.modules, self.work = node, modules, work

    def render(self, documents: dict[str, str]) -> dict[str, dict[str, Any]]:
        """Renders each named option JSON text; returns ECharts' report per name."""
        batch = self.work / f"batch{len(list(self.work.glob('batch*')))}"
        batch.mkdir()
        entries = []
        for name, text in documents.items():
            path = batch / f"{name}.json"
            path.write_text(text, encoding="utf-8")
            entries.append({"name": name, "path": str(path)})
        request = batch / "request.json"
        request.write_text(json.dumps({"width": WIDTH, "height": HEIGHT, "svg_dir": str(batch),
                                       "documents": entries}))
        env = dict(os.environ, NODE_PATH=str(self.modules))
        run = subprocess.run([self.node, str(RENDER_SCRIPT), str(request)], capture_output=True, text=True,
                             env=env, timeout=300)
        assert run.returncode == 0, f"the ECharts runner failed:\n{run.stderr}"
        report = json.loads(run.stdout)
        assert report["echarts"] == fetch.pinned_version()
        return {r["name"]: r for r in report["results"]}
