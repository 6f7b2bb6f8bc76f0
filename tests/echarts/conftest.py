"""Fixtures of the ECharts suite: the demo's gallery, the pinned ECharts from
npm (kept in a cache outside the repository) and a Node.js runner that
renders option documents with ECharts' server-side SVG renderer."""
from __future__ import annotations

import contextlib
import importlib.util
import io
import json
import os
import shutil
import subprocess
from dataclasses import dataclass
from pathlib import Path
from typing import Any

import pytest

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


@pytest.fixture(scope="session")
def gallery(tmp_path_factory: pytest.TempPathFactory) -> Gallery:
    from tessel_vis import demo

    out = tmp_path_factory.mktemp("gallery")
    return Gallery(out, run_demo(out), demo.DEFAULT_SEED)


@pytest.fixture(scope="session")
def node() -> str:
    found = shutil.which("node")
    if found is None:
        pytest.skip("Node.js ('node') is not on PATH, so ECharts cannot run: ./dev test installs the "
                    "Debian package nodejs into its toolchain; elsewhere install Node.js")
    return found


@pytest.fixture(scope="session")
def echarts_modules(node: str) -> Path:
    """The node_modules directory of the pinned echarts, installed on first use."""
    try:
        return fetch.ensure_installed()
    except fetch.EchartsUnavailable as e:
        if shutil.which("npm") is None and not fetch.install_dir().exists():
            pytest.skip(f"echarts {fetch.pinned_version()} is not in the cache {fetch.cache_root()} and "
                        f"npm is not on PATH to fetch it (./dev test fetches it first): {e}")
        pytest.fail(f"cannot install the pinned echarts: {e}")


@pytest.fixture(scope="session")
def echarts_js(echarts_modules: Path) -> Path:
    return fetch.echarts_js(echarts_modules)


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


@pytest.fixture(scope="session")
def echarts(node: str, echarts_modules: Path, tmp_path_factory: pytest.TempPathFactory) -> EchartsRunner:
    return EchartsRunner(node, echarts_modules, tmp_path_factory.mktemp("echarts"))
