"""Small helpers shared by the benchmarks: best-of timing and a result table."""
import time


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
