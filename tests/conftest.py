"""Helpers shared by the test files."""

import ctypes
import ctypes.util
import importlib.machinery
import pathlib
import sys
import types

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
