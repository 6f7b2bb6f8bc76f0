import inspect
import subprocess
import sys

import pytest

from tessel_vis import _core

NAMES = [
    "compute_ecdf",
    "build_ecdf_option_json",
    "finalize_activity_bar_option_json",
    "finalize_activity_comparison_option_json",
    "finalize_activity_heatmap_option_json",
    "activity_time_bin_labels",
    "render_option_svg",
]


def test_all_lists_the_functions_in_table_order():
    assert _core.__all__ == NAMES
    assert _core.__doc__ == ""


@pytest.mark.parametrize("name", NAMES)
def test_function_metadata(name):
    f = getattr(_core, name)
    assert f.__module__ == _core.__name__ == "tessel_vis._core"
    assert f.__name__ == name
    assert f.__doc__ is None
    assert f.__text_signature__.startswith("(")


@pytest.mark.parametrize(
    "name, text",
    [
        ("compute_ecdf", "(values, cdf_cutoff=1.0)"),
        ("finalize_activity_heatmap_option_json", "(option_json, matrix, update_visual_max=False)"),
        ("activity_time_bin_labels", "(n_bins)"),
        ("render_option_svg", "(option_json, width, height)"),
    ],
)
def test_signatures(name, text):
    assert str(inspect.signature(getattr(_core, name))) == text


def test_import_does_not_import_numpy():
    code = "import sys, tessel_vis._core; print('numpy' in sys.modules)"
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True)
    assert out.stdout.strip() == "False"


def test_internal_failure_type_escapes_except_exception():
    # A document without "series" breaks an assumption of the bar finalizer.
    import numpy as np

    caught = None
    try:
        try:
            _core.render_option_svg("{}", -1, 1)  # conversion error first: an ordinary exception
        except OverflowError:
            pass
        _core.finalize_activity_heatmap_option_json("{}", np.zeros((0, 0)))
    except Exception:  # noqa: BLE001 - must not catch it
        pytest.fail("internal failure was caught by `except Exception`")
    except BaseException as exc:  # noqa: BLE001
        caught = exc
    assert caught is not None
    t = type(caught)
    assert t is _core.InternalFailure and t.__bases__ == (BaseException,)
    assert "InternalFailure" not in _core.__all__
    assert str(caught) == "cannot access index 0 of JSON null"
