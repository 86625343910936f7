"""Timing loops side by side: each loop takes an iteration count and returns its elapsed seconds."""

import gc
import math
import time


def calibrate(loop, target):
    """How many iterations of `loop(n)` take about `target` seconds."""
    n = 1
    while True:
        elapsed = loop(n)
        if elapsed >= target / 5 or n >= 1 << 22:
            return max(1, round(n * target / max(elapsed, 1e-9)))
        n *= 8


def side_by_side(ours, theirs, target, repeat):
    """Seconds per iteration of two loops, calibrated apart and run in turns.

    Each loop takes an iteration count and returns its elapsed seconds. The
    garbage collector is off while they run, as timeit does.
    """
    n_ours, n_theirs = calibrate(ours, target), calibrate(theirs, target)
    best_ours = best_theirs = math.inf
    gc.collect()
    gc.disable()
    try:
        for _ in range(repeat):
            best_ours = min(best_ours, ours(n_ours) / n_ours)
            best_theirs = min(best_theirs, theirs(n_theirs) / n_theirs)
    finally:
        gc.enable()
    return best_ours, best_theirs


def repeat_call(function):
    def loop(n):
        start = time.perf_counter()
        for _ in range(n):
            function()
        return time.perf_counter() - start

    return loop


def repeat_apply_pop(push, pop, moves):
    def loop(n):
        start = time.perf_counter()
        for _ in range(n):
            for move in moves:
                push(move)
                pop()
        return time.perf_counter() - start

    return loop


NOTHING = (0).bit_length  # a C method without arguments that does no work: the interpreter's share's stand-in
