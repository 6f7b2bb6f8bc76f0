# The README's examples, run as doctests against the built module, so the
# documented signatures, results and errors stay true.
from __future__ import annotations

import doctest
import inspect
import json
import re
from pathlib import Path

import numpy as np
import pytest

from tessel_vis import _core

README = Path(__file__).resolve().parents[2] / "README.md"


def function_sections() -> dict[str, str]:
    # The text of each "### `name(...`" section of the README's Functions part.
    text = README.read_text(encoding="utf-8")
    functions = text.split("\n## Functions\n", 1)[1]
    sections = re.split(r"\n### `(\w+)\(", functions)
    return {name: text.split("\n### ", 1)[0] for name, text in zip(sections[1::2], sections[2::2])}


def test_every_function_is_documented_with_its_signature():
    sections = function_sections()
    assert sorted(sections) == sorted(_core.__all__)
    for name, section in sections.items():
        # The heading carries the signature that the function itself reports.
        documented = "(" + section.split(")", 1)[0] + ")"
        assert documented == str(inspect.signature(getattr(_core, name))), name


@pytest.mark.parametrize("name", sorted(_core.__all__))
def test_readme_examples(name):
    section = function_sections()[name]
    globs = {"json": json, "np": np, **{f: getattr(_core, f) for f in _core.__all__}}
    test = doctest.DocTestParser().get_doctest(section, globs, name, str(README), 0)
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    report: list[str] = []
    runner.run(test, out=report.append)
    assert runner.failures == 0, "".join(report)
    assert runner.tries > 0
