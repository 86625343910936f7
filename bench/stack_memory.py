"""Bytes that each applied move keeps on a board's undo stacks.

Run as its own process so that memory freed by earlier work cannot hide the
growth: python stack_memory.py {tarvik|chess} MOVES. Prints one number, the
growth of the resident set divided by MOVES.

The board shuffles the four knights out and back, always with the same four
move objects, and never pops, so what grows is the stacks alone.
"""

import ctypes
import gc
import os
import sys

SHUFFLE = ("g1f3", "g8f6", "f3g1", "f6g8")
SQUARES = [f"{file}{rank}" for rank in "12345678" for file in "abcdefgh"]


def resident_bytes(libc):
    # Give freed heap pages back first, so that the figure counts what is kept,
    # not what the allocator happens to hold on to.
    libc.malloc_trim(0)
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def board_and_moves(library):
    if library == "tarvik":
        import tarvik

        board = tarvik.Board()
        moves = [tarvik.Move(SQUARES.index(uci[:2]), SQUARES.index(uci[2:])) for uci in SHUFFLE]
        return board, board.apply_move, moves
    if library == "chess":
        import chess

        board = chess.Board()
        return board, board.push, [chess.Move.from_uci(uci) for uci in SHUFFLE]
    raise SystemExit(f"unknown library {library!r}")


def main():
    library, count = sys.argv[1], int(sys.argv[2])
    libc = ctypes.CDLL("libc.so.6")
    board, push, moves = board_and_moves(library)
    for move in moves:  # first use: anything created once is not counted
        push(move)
    for _ in moves:
        board.pop()
    gc.collect()
    gc.disable()
    before = resident_bytes(libc)
    for i in range(count):
        push(moves[i & 3])
    after = resident_bytes(libc)
    print(f"{(after - before) / count:.1f}")


if __name__ == "__main__":
    main()
