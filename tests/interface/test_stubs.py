# The type stubs of tessel_vis._core against the built module (mypy's
# stubtest), in use (mypy --strict on typing_cases.py and the demo) and in
# what they tell a reader (the docstrings).
from __future__ import annotations

import ast
import os
import re
import runpy
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
    pytest.skip("mypy is not installed here (./dev test adds python3-mypy to its toolchain)", allow_module_level=True)


@pytest.mark.parametrize("tool, args", [
    ("mypy.stubtest", ["tessel_vis._core"]),  # the stubs against the built module
    ("mypy", ["--strict", str(CASES), str(PACKAGE / "demo.py")]),  # the stubs in use
])
def test_mypy(tool, args, tmp_path):
    # mypy finds the stubs through MYPYPATH, stubtest imports the module through PYTHONPATH;
    # both keep their caches in the working directory, a temporary one.
    env = dict(os.environ, MYPYPATH=str(PACKAGE.parent), PYTHONPATH=str(PACKAGE.parent))
    run = subprocess.run([sys.executable, "-m", tool, *args], capture_output=True, text=True, env=env,
                         cwd=tmp_path, timeout=300)
    assert run.returncode == 0, run.stdout + run.stderr
    assert (PACKAGE / "py.typed").is_file() and Path(_core.__file__).parent == PACKAGE


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
