"""The type stubs of tessel_vis._core against the built module (mypy's
stubtest), in use (mypy --strict on typing_cases.py and the demo) and in
what they tell a reader (the docstrings)."""
from __future__ import annotations

import ast
import os
import re
import runpy
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

import tessel_vis
from tessel_vis import _core
from test_readme_examples import function_sections

PACKAGE = Path(tessel_vis.__file__).resolve().parent
CASES = Path(__file__).with_name("typing_cases.py")

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


def test_stubtest_finds_stubs_and_module_in_agreement(tmp_path):
    assert (PACKAGE / "py.typed").is_file() and Path(_core.__file__).parent == PACKAGE
    run = run_mypy("mypy.stubtest", "tessel_vis._core", cwd=tmp_path)
    assert run.returncode == 0, run.stdout + run.stderr
    assert "Success: no issues found in 1 module" in run.stdout


def test_stubtest_catches_stubs_that_drift(tmp_path):
    # The same module with stubs that misname a parameter and lose a default:
    # the agreement above means something only if these are caught.
    copy = tmp_path / "root" / "tessel_vis"
    shutil.copytree(PACKAGE, copy, ignore=shutil.ignore_patterns("__pycache__", "demo.py"))
    stub = (copy / "_core.pyi").read_text()
    drifted = stub.replace("cdf_cutoff: _Float = 1.0", "cutoff: _Float = 1.0").replace(
        "update_visual_max: bool | np.bool_ = False", "update_visual_max: bool | np.bool_")
    assert "cutoff: _Float = 1.0" in drifted and "np.bool_ = False" not in drifted
    (copy / "_core.pyi").write_text(drifted)
    run = run_mypy("mypy.stubtest", "tessel_vis._core", cwd=tmp_path, package_root=copy.parent)
    assert "tessel_vis._core.compute_ecdf" in run.stdout
    assert "tessel_vis._core.finalize_activity_heatmap_option_json" in run.stdout


def test_typing_cases_and_the_demo_pass_mypy_strict(tmp_path):
    run = run_mypy("mypy", "--strict", str(CASES), str(PACKAGE / "demo.py"), cwd=tmp_path)
    assert run.returncode == 0, run.stdout + run.stderr


def test_typing_cases_hold_at_run_time():
    for call in runpy.run_path(str(CASES))["REJECTED"]:
        with pytest.raises(TypeError):
            call()


def test_stub_docstrings_name_the_exceptions_of_the_readme():
    stub = ast.parse((PACKAGE / "_core.pyi").read_text())
    docs = {f.name: ast.get_docstring(f) or "" for f in stub.body if isinstance(f, ast.FunctionDef)}
    raised = re.compile(r"\b[A-Z]\w*(?:Error|Failure)\b")
    assert sorted(docs) == sorted(function_sections())
    for name, section in function_sections().items():
        assert set(raised.findall(docs[name])) == set(raised.findall(section)), name
