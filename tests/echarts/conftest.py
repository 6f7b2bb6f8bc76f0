# Fixtures of the ECharts suite: the demo's output, the pinned ECharts from
# npm (kept in a cache outside the repository, see tools/echarts/fetch.py), and
# option documents rendered with it under Node.js (render_options.js).
from __future__ import annotations

import contextlib
import io
import json
import os
import runpy
import shutil
import subprocess
import types
from pathlib import Path

import pytest

from tessel_vis import demo

fetch = types.SimpleNamespace(**runpy.run_path(str(Path(__file__).parents[2] / "tools/echarts/fetch.py")))


def run_demo(out: Path, *extra: str) -> list[str]:
    printed = io.StringIO()
    with contextlib.redirect_stdout(printed):
        assert demo.main(["--out", str(out), *extra]) == 0
    return printed.getvalue().splitlines()


@pytest.fixture(scope="session")
def gallery(tmp_path_factory: pytest.TempPathFactory) -> tuple[Path, list[str]]:
    # The demo's output folder, written without ECharts, and what the demo printed.
    out = tmp_path_factory.mktemp("gallery")
    return out, run_demo(out)


@pytest.fixture(scope="session")
def echarts_modules() -> Path:
    # The node_modules directory of the pinned echarts, installed on first use.
    if shutil.which("node") is None:
        pytest.skip("Node.js ('node') is not on PATH, so ECharts cannot run (./dev test adds it to its toolchain)")
    try:
        return fetch.ensure_installed()
    except fetch.EchartsUnavailable as e:
        if shutil.which("npm") is None:
            pytest.skip(f"echarts {fetch.pinned_version()} is not in {fetch.cache_root()} and npm is not on PATH")
        pytest.fail(f"cannot install the pinned echarts ({e}); ./dev test fetches it with the host's npm first")


@pytest.fixture(scope="session")
def echarts(echarts_modules: Path):
    # Renders {name: option JSON text} with ECharts; returns its report per name.
    def render(documents: dict[str, str]) -> dict[str, dict]:
        request = json.dumps({"width": demo.WIDTH, "height": demo.HEIGHT, "documents": documents})
        run = subprocess.run(["node", str(Path(__file__).with_name("render_options.js"))], input=request, text=True,
                             capture_output=True, env=dict(os.environ, NODE_PATH=str(echarts_modules)), timeout=300)
        assert run.returncode == 0, f"the ECharts runner failed:\n{run.stderr}"
        report = json.loads(run.stdout)
        assert report["echarts"] == fetch.pinned_version()
        return report["results"]
    return render


@pytest.fixture(scope="session")
def page(tmp_path_factory: pytest.TempPathFactory, echarts_modules: Path) -> Path:
    # The demo's page with the pinned ECharts beside it.
    out = tmp_path_factory.mktemp("page")
    run_demo(out, "--echarts-js", str(fetch.echarts_js(echarts_modules)))
    return out / "index.html"
