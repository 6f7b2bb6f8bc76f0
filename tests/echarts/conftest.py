"""Fixtures of the ECharts suite (helpers in echarts_support.py)."""
from __future__ import annotations

import shutil
from pathlib import Path

import pytest

from echarts_support import EchartsRunner, Gallery, fetch, run_demo


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
        if shutil.which("npm") is None:
            pytest.skip(f"echarts {fetch.pinned_version()} is not in the cache {fetch.cache_root()} and npm is "
                        "not on PATH to fetch it: ./dev test and ./dev demo fetch it first (tools/echarts/fetch.py)")
        pytest.fail(f"cannot install the pinned echarts ({e}); ./dev test and ./dev demo fetch it with the "
                    "host's npm, which is set up for this machine's network")


@pytest.fixture(scope="session")
def echarts_js(echarts_modules: Path) -> Path:
    return fetch.echarts_js(echarts_modules)


@pytest.fixture(scope="session")
def echarts(node: str, echarts_modules: Path, tmp_path_factory: pytest.TempPathFactory) -> EchartsRunner:
    return EchartsRunner(node, echarts_modules, tmp_path_factory.mktemp("echarts"))
