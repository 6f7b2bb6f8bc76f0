"""The type stubs of tessel_vis._core against the built module (mypy's
stubtest) and in use (mypy --strict on callers)."""
from __future__ import annotations

import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

import tessel_vis
from tessel_vis import _core

PACKAGE = Path(tessel_vis.__file__).resolve().parent

try:
    import mypy.stubtest  # noqa: F401
except ImportError:
    pytest.skip("mypy is not installed for this interpreter (Debian package python3-mypy; ./dev test "
                "installs it into its toolchain)", allow_module_level=True)


def run_mypy(tool: str, *args: str, cwd: Path,
             package_root: Path = PACKAGE.parent) -> subprocess.CompletedProcess[str]:
    # mypy finds the stubs through MYPYPATH; stubtest imports the module through PYTHONPATH.
    # Both keep their caches in the working directory, a temporary one.
    env = dict(os.environ, MYPYPATH=str(package_root), PYTHONPATH=str(package_root))
    return subprocess.run([sys.executable, "-m", tool, *args], capture_output=True, text=True, env=env,
                          cwd=cwd, timeout=300)


def test_the_package_is_marked_typed_and_has_its_stubs():
    assert (PACKAGE / "py.typed").is_file()
    assert (PACKAGE / "_core.pyi").is_file()
    assert Path(_core.__file__).parent == PACKAGE


def test_stubtest_finds_stubs_and_module_in_agreement(tmp_path):
    run = run_mypy("mypy.stubtest", "tessel_vis._core", cwd=tmp_path)
    assert run.returncode == 0, run.stdout + run.stderr
    assert "Success: no issues found in 1 module" in run.stdout


def test_stubtest_catches_stubs_that_drift(tmp_path):
    # The same module with stubs that misname a parameter and lose a default:
    # the agreement above means something only if these are caught.
    copy = tmp_path / "root" / "tessel_vis"
    shutil.copytree(PACKAGE, copy, ignore=shutil.ignore_patterns("__pycache__", "demo.py"))
    stub = (copy / "_core.pyi").read_text()
    drifted = stub.replace("cdf_cutoff: float = 1.0", "cutoff: float = 1.0").replace(
        "update_visual_max: bool | np.bool_ = False", "update_visual_max: bool | np.bool_")
    assert drifted.count("cutoff: float = 1.0") == 1 and drifted != stub
    (copy / "_core.pyi").write_text(drifted)
    run = run_mypy("mypy.stubtest", "tessel_vis._core", cwd=tmp_path, package_root=copy.parent)
    assert run.returncode != 0
    assert "tessel_vis._core.compute_ecdf" in run.stdout
    assert "tessel_vis._core.finalize_activity_heatmap_option_json" in run.stdout


CALLER = '''
import numpy as np
from tessel_vis import _core

labels: list[str] = _core.activity_time_bin_labels(24)
points: list[list[float]] = _core.compute_ecdf(np.array([1.0, 2.0]), cdf_cutoff=0.5)
text: str = _core.build_ecdf_option_json(
    [("A", points, "#1f77b4", [6, 4]), ("B", points, "#ff7f0e", None)],
    "T", "x", "km", "X (km)", "#fff", "#333", "#ddd", "sans-serif", "serif", "monospace")
svg: str = _core.render_option_svg(text, 640, 480)
heat: str = _core.finalize_activity_heatmap_option_json("{}", np.zeros((2, 3)), update_visual_max=np.True_)
comparison: str = _core.finalize_activity_comparison_option_json(
    "{}", np.zeros((1, 2)), [[1, None]], ["#111", "#222"], [0.5])

wrong_array = _core.compute_ecdf([1.0, 2.0])  # line 15
wrong_result: int = _core.render_option_svg(text, 640, 480)  # line 16
wrong_counts = _core.finalize_activity_bar_option_json("{}", np.zeros(1), [1.5], ["#111"])  # line 17
'''


def test_stubs_check_callers(tmp_path):
    # The demo is a real caller and must pass --strict; the last three lines of
    # CALLER misuse the functions and must each be reported.
    caller = tmp_path / "caller.py"
    caller.write_text(CALLER)
    run = run_mypy("mypy", "--strict", "--no-error-summary", str(caller), str(PACKAGE / "demo.py"),
                   cwd=tmp_path)
    reported = sorted({line.split(":")[1] for line in run.stdout.splitlines() if ": error:" in line})
    assert reported == ["15", "16", "17"], run.stdout + run.stderr
    assert "demo.py" not in run.stdout
