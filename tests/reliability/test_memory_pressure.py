"""Memory pressure: in a child process whose address space is capped just
above what it already uses, calls whose buffers cannot be allocated raise
MemoryError, and the process goes on working: the same functions then give
their normal results for small inputs. Nothing may abort or crash."""
import json
import os
import subprocess
import sys
import textwrap

import pytest


def _sanitized():
    # AddressSanitizer reserves terabytes of address space for its shadow
    # memory, so an address-space cap cannot be applied under it.
    try:
        with open("/proc/self/maps") as maps:
            return any("libasan" in line or "libclang_rt.asan" in line for line in maps)
    except OSError:
        return False


pytestmark = [
    pytest.mark.skipif(not sys.platform.startswith("linux"), reason="needs Linux address-space limits"),
    pytest.mark.skipif(_sanitized(), reason="AddressSanitizer reserves huge address space; RLIMIT_AS cannot apply"),
]

CHILD = textwrap.dedent(
    r"""
    import json, resource, sys
    import numpy as np
    from tessel_vis import _core

    MB = 1 << 20

    def vm_size():
        with open("/proc/self/status") as status:
            for line in status:
                if line.startswith("VmSize:"):
                    return int(line.split()[1]) * 1024
        raise RuntimeError("no VmSize")

    def cap(extra):
        # Whatever is mapped now, plus `extra` bytes.
        limit = vm_size() + extra
        resource.setrlimit(resource.RLIMIT_AS, (limit, resource.RLIM_INFINITY))

    def uncap():
        resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))

    option = json.dumps({"series": [{"type": "line", "data": [[0, 0], [10, 5]]}], "visualMap": {}})
    small_calls = {
        "compute_ecdf": lambda: _core.compute_ecdf(np.array([3.0, 1.0, 2.0])),
        "build_ecdf_option_json": lambda: _core.build_ecdf_option_json(
            [("A", [[1.0, 0.5], [2.0, 1.0]], "#1f77b4", [6, 4])], "T", "x", "km", "x (km)",
            "#fff", "#333", "#ddd", "sans-serif", "serif", "monospace"),
        "finalize_activity_bar_option_json": lambda: _core.finalize_activity_bar_option_json(
            option, np.array([1.0, 2.0]), [1, 2], ["#a", "#b"]),
        "finalize_activity_comparison_option_json": lambda: _core.finalize_activity_comparison_option_json(
            option, np.array([[1.0, 2.0]]), [[1, None]], ["#a", "#b"], [0.5]),
        "finalize_activity_heatmap_option_json": lambda: _core.finalize_activity_heatmap_option_json(
            option, np.array([[1.0, 2.0]]), True),
        "activity_time_bin_labels": lambda: _core.activity_time_bin_labels(96),
        "render_option_svg": lambda: _core.render_option_svg(option, 640, 480),
    }
    expected = {name: call() for name, call in small_calls.items()}

    # The inputs are made before the cap; each case then needs far more
    # than the cap leaves.
    n = 8 << 20
    many = np.arange(n, dtype=np.float64) * 0.5  # 64 MB of distinct values
    distinct = np.arange(2_000_000, dtype=np.float64)  # its result list needs ~200 MB
    points = [[float(i), 0.5] for i in range(300_000)]
    # Points read one list at a time (the first is not all floats), with
    # three numbers each so that the buffer grows while a list is read.
    triples = [[1, 0.5, 0.0]] + [[float(i), 0.5, 0.25] for i in range(300_000)]
    big_document = '{"series":[{"data":[' + ",".join(["[1,2]"] * 3_000_000) + ']}]}'
    wide_matrix = np.ones((2000, 2000))
    comparison_option = json.dumps({"series": [{}] * 2000})
    comparison_counts = [[1] * 2000] * 2000
    colours = ["#abcdef"] * 2000
    opacities = [0.5] * 2000

    cases = [
        ("compute_ecdf copy of 64 MB", 32 * MB, lambda: _core.compute_ecdf(many)),
        ("compute_ecdf result of 2M points", 48 * MB, lambda: _core.compute_ecdf(distinct)),
        ("build_ecdf_option_json 300k points", 8 * MB,
         lambda: _core.build_ecdf_option_json([("A", points, "#000", None)] * 4, "T", "x", "u", "l",
                                              "#fff", "#333", "#ddd", "a", "b", "c")),
        ("build_ecdf_option_json 300k three-number points", 4 * MB,
         lambda: _core.build_ecdf_option_json([("A", triples, "#000", None)] * 8, "T", "x", "u", "l",
                                              "#fff", "#333", "#ddd", "a", "b", "c")),
        ("render_option_svg 18 MB document", 16 * MB, lambda: _core.render_option_svg(big_document, 640, 480)),
        ("finalize_activity_bar_option_json 18 MB document", 8 * MB,
         lambda: _core.finalize_activity_bar_option_json(big_document, np.array([1.0]), [1], ["#a"])),
        ("finalize_activity_heatmap_option_json 4M cells", 32 * MB,
         lambda: _core.finalize_activity_heatmap_option_json(option, wide_matrix, True)),
        ("finalize_activity_comparison_option_json 4M cells", 32 * MB,
         lambda: _core.finalize_activity_comparison_option_json(
             comparison_option, wide_matrix, comparison_counts, colours, opacities)),
    ]

    report = []
    for name, headroom, call in cases:
        cap(headroom)
        try:
            call()
            outcome = "no error"
        except MemoryError:
            outcome = "MemoryError"
        except BaseException as e:
            outcome = f"{type(e).__name__}: {e}"[:300]
        # Still under the cap: every function works on small inputs.
        recovered = all(small() == expected[fname] for fname, small in small_calls.items())
        uncap()
        report.append({"case": name, "outcome": outcome, "recovered": recovered})
    # The lists read when memory ran out are usable again (none stayed locked).
    reread = _core.build_ecdf_option_json([("A", triples[:3], "#000", None)], "T", "x", "u", "l",
                                          "#fff", "#333", "#ddd", "a", "b", "c")
    # The footprint bound: besides its (here one-point) result, compute_ecdf
    # on n values needs at most about 2 x 8n bytes.
    cap(2 * 8 * n + 16 * MB)
    try:
        fits = _core.compute_ecdf(many, 1e-300) == [[0.0, 1e-300]]
    except MemoryError:
        fits = False
    uncap()
    report = {"pressed": report, "reread": bool(reread), "ecdf_fits_in_2x8n": fits}
    print(json.dumps(report))
    """
)


def test_calls_that_cannot_allocate_raise_memory_error_and_the_process_goes_on(capsys):
    # A fixed mmap threshold: the C allocator then maps every large buffer on
    # its own and unmaps it when freed, so the child's mapped size (which the
    # cap is computed from) does not keep freed memory that later calls could
    # reuse below the cap.
    env = dict(os.environ, MALLOC_MMAP_THRESHOLD_="65536", MALLOC_TRIM_THRESHOLD_="65536", MALLOC_TOP_PAD_="0")
    done = subprocess.run([sys.executable, "-c", CHILD], capture_output=True, text=True, env=env, timeout=600)
    assert done.returncode == 0, done.stderr[-4000:]
    report = json.loads(done.stdout.strip().splitlines()[-1])
    pressed = report["pressed"]
    with capsys.disabled():
        print(f"\n[memory pressure] {len(pressed)} cases: " + "; ".join(f"{r['case']}: {r['outcome']}" for r in pressed))
    assert len(pressed) == 8
    for row in pressed:
        assert row["outcome"] == "MemoryError", row
        assert row["recovered"], row
    assert report["reread"]
    assert report["ecdf_fits_in_2x8n"]
