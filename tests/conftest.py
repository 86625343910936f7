"""Helpers shared by the test files."""

import ctypes
import ctypes.util
import importlib.machinery
import pathlib
import random
import sys
import types

import chess
import pytest

import tarvik

SQUARE_NAMES = [f"{file}{rank}" for rank in "12345678" for file in "abcdefgh"]
PIECE_SET_LETTERS = "prnbqkwa"


def square(name):
    return SQUARE_NAMES.index(name)


def bitboard(*names):
    return sum(1 << square(name) for name in names)


def names(bitboard):
    return [SQUARE_NAMES[s] for s in range(64) if bitboard >> s & 1]


def ucis(moves):
    return [move.uci() for move in moves]


def move(uci):
    """The Move a UCI text names, built without a board."""
    return tarvik.Move(square(uci[:2]), square(uci[2:4]), uci[4:] or None)


def played(fen, uci_moves):
    """The board of `fen` after the moves, each applied with apply_move (no legality check of its own)."""
    board = tarvik.Board(fen)
    for uci in uci_moves:
        board.apply_move(move(uci))
    return board


def played_san(fen, sans):
    """The board of `fen` after the moves, each pushed as SAN."""
    board = tarvik.Board(fen)
    for san in sans:
        board.push_san(san)
    return board


def random_game(fen, seed, plies, choose, goes_on=lambda theirs: True):
    """(ours, python-chess's) after each ply of a seeded random game, both boards played alike.

    `choose(rng, theirs, moves)` picks each move from python-chess's legal moves; the game ends after `plies`
    plies, where no move is left, or where `goes_on(theirs)` is false.
    """
    rng = random.Random(seed)
    ours, theirs = tarvik.Board(fen), chess.Board(fen)
    yield ours, theirs
    for _ in range(plies):
        moves = list(theirs.legal_moves)
        if not moves or not goes_on(theirs):
            return
        chosen = choose(rng, theirs, moves)
        ours.push_uci(chosen.uci())
        theirs.push(chosen)
        yield ours, theirs


def load_script(path, name):
    """A script of the repository outside the package (a bench, an example, a tool), run as the module `name`;
    its folder goes on sys.path, as running the script would put it, for the modules beside it."""
    folder = str(pathlib.Path(path).parent)
    if folder not in sys.path:
        sys.path.append(folder)
    module = types.ModuleType(name)
    module.__file__ = str(path)
    importlib.machinery.SourceFileLoader(name, str(path)).exec_module(module)
    return module


def observable(board):
    """Everything a caller can read without changing the board."""
    return tuple(board.get_pieces(letter) for letter in PIECE_SET_LETTERS) + (board.turn, str(board))


def _panic_type():
    try:
        tarvik.Board().pop()
    except BaseException as error:  # noqa: BLE001 - the panic type is what we are after
        return type(error)
    raise AssertionError("pop() on a new board did not fail")


PanicException = _panic_type()


@pytest.fixture
def start():
    return tarvik.Board()


class MallInfo2(ctypes.Structure):
    _fields_ = [(name, ctypes.c_size_t) for name in
                "arena ordblks smblks hblks hblkhd usmblks fsmblks uordblks fordblks keepcost".split()]


def c_heap_bytes():
    """Bytes in use in the C allocator's heap, or None where it cannot tell (a sanitizer's allocator)."""
    libc = ctypes.CDLL(ctypes.util.find_library("c"))
    if not hasattr(libc, "mallinfo2"):
        return None
    libc.mallinfo2.restype = MallInfo2
    info = libc.mallinfo2()
    return info.uordblks + info.hblkhd or None
