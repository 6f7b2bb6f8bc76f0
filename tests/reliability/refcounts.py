# Growth of the interpreter's total reference count and of its allocated
# memory blocks over repeated calls (exact on a debug interpreter only).
import gc
import sys

ROUNDS, CALLS = 3, 100


def measure(call):
    # [reference growth per round], [block growth per round], after a first round that fills the interpreter's caches.
    refs, blocks = [], []
    for _ in range(ROUNDS + 1):
        gc.collect()
        r, b = sys.gettotalrefcount(), sys.getallocatedblocks()
        for _ in range(CALLS):
            try:
                call()
            except BaseException:  # noqa: BLE001 - the internal failure derives from BaseException
                pass
        gc.collect()
        refs.append(sys.gettotalrefcount() - r)
        blocks.append(sys.getallocatedblocks() - b)
    return refs[1:], blocks[1:]


def growth(call):
    # Per round: (reference growth, block growth) of CALLS calls, less the cost of measuring.
    base, got = measure(lambda: None), measure(call)
    return [[a - b for a, b in zip(g, z)] for g, z in zip(got, base)]


def leaks(deltas):
    # A leak grows the count in every round, by one per ten calls even on a
    # path taken once in ten; the interpreter's caches add a few while they settle.
    return all(d >= CALLS // 10 for d in deltas)
