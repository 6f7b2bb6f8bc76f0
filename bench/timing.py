"""Small helpers shared by the benchmarks: one CPU, best-of timing and a result table."""
import os
import time


def pin_to_one_cpu():
    """Keeps this process, and the programs it starts, on one CPU.

    On shared virtual machines one CPU can run markedly slower than the other
    for minutes at a time; ours and the anchors must not be timed on different
    ones. Only for single-threaded calls: a call that starts threads of its
    own would lose them. Returns the CPU, or None where affinity cannot be set."""
    try:
        cpu = min(os.sched_getaffinity(0))
        os.sched_setaffinity(0, {cpu})
    except (AttributeError, OSError):
        return None
    return cpu


def best_time(fn, repeat=5, min_time=0.2):
    """Best wall time of one call, over `repeat` rounds of enough calls to take `min_time`."""
    fn()
    calls = 1
    while True:
        t0 = time.perf_counter()
        for _ in range(calls):
            fn()
        elapsed = time.perf_counter() - t0
        if elapsed >= min_time / repeat or calls >= 1 << 20:
            break
        calls *= 2
    best = elapsed / calls
    for _ in range(repeat - 1):
        t0 = time.perf_counter()
        for _ in range(calls):
            fn()
        best = min(best, (time.perf_counter() - t0) / calls)
    return best


def fmt_time(seconds):
    if seconds < 1e-5:
        return f"{seconds * 1e6:9.2f} us"
    if seconds < 1e-3:
        return f"{seconds * 1e6:9.1f} us"
    return f"{seconds * 1e3:9.2f} ms"


def print_table(title, rows, anchors):
    """rows: (case, ours, {anchor: time}); prints times and ratio anchor/ours."""
    print(f"\n{title}")
    widths = {a: max(13, len(a) + 2) for a in anchors}
    head = f"{'case':<34}{'ours':>13}"
    for a in anchors:
        head += f"{a:>{widths[a]}}{a + '/ours':>{widths[a] + 6}}"
    print(head)
    print("-" * len(head))
    for case, ours, others in rows:
        line = f"{case:<34}{fmt_time(ours):>13}"
        for a in anchors:
            t = others.get(a)
            if t is None:
                line += f"{'-':>{widths[a]}}{'-':>{widths[a] + 6}}"
            else:
                line += f"{fmt_time(t):>{widths[a]}}{t / ours:>{widths[a] + 5}.2f}x"
        print(line)
