"""Every Board method beyond the core holds its board the way its documentation says. Python code can run in the
middle of a call only while an argument converts (an integer's __index__, a flag's __bool__, an iterator), so an
argument that reads or writes the same board shows the access kind: a shared hold lets the read through and
refuses the write, an exclusive hold refuses the read."""

import inspect
import re

import pytest

from tarvik import Board
from test_module import BOARD_METHODS

BEYOND_THE_CORE = [name for name, value in vars(Board).items()
                   if type(value).__name__ in ("method_descriptor", "classmethod_descriptor")
                   and name not in BOARD_METHODS]
CLASS_METHODS = {"from_fen", "from_epd"}  # no board to hold


def stated_access(name):
    found = set(re.findall(r"[Aa]ccess\s+(shared|exclusive)", getattr(Board, name).__doc__ or ""))
    assert len(found) == 1, f"Board.{name} states no single access kind: {found}"
    return found.pop()


class Index:
    def __init__(self, value, touch):
        self.value, self.touch = value, touch

    def __index__(self):
        self.touch()
        return self.value


def numpy_bool(value, touch):
    """What the color argument takes besides bool: numpy's boolean, read through its truth value."""
    return type("bool_", (), {"__module__": "numpy", "__bool__": lambda self: touch() or value})()


def truth(value, touch):
    return type("Flag", (), {"__bool__": lambda self: touch() or value})()


def moves(touch):
    touch()
    yield from ()


# Parameters whose conversion runs Python code, and a value of each that does so.
HOOKS = {
    "square": lambda touch: Index(4, touch), "count": lambda touch: Index(2, touch),
    "depth": lambda touch: Index(1, touch), "color": lambda touch: numpy_bool(True, touch),
    "claim_draw": lambda touch: truth(False, touch), "moves": moves,
    "shredder": lambda touch: truth(False, touch), "promoted": lambda touch: truth(False, touch),
    "from_square": lambda touch: Index(12, touch), "to_square": lambda touch: Index(28, touch),
    "pieces": lambda touch: {Index(4, touch): "K"},
}
PLAIN = {"piece": "Q", "memo": {}, "promotion": None, "en_passant": "legal", "operations": None}


def call_with_hooks(board, name, touch):
    """Calls the method with every hookable argument touching the board; None when no argument can."""
    parameters = inspect.signature(getattr(board, name)).parameters.values()
    if not any(p.name in HOOKS for p in parameters):
        return None
    kwargs = {p.name: HOOKS[p.name](touch) if p.name in HOOKS else PLAIN[p.name] for p in parameters}
    try:
        getattr(board, name)(**kwargs)
        return "done"
    except ValueError:
        return "done"  # the engine's answer to the arguments: the hold let the call through
    except RuntimeError as error:
        return str(error)


@pytest.mark.parametrize("name", BEYOND_THE_CORE)
def test_the_stated_access_kind_is_the_one_taken(name):
    kind = stated_access(name) if name not in CLASS_METHODS else None
    board = Board()
    board.push_san("e4")

    def read():
        return board.turn and None

    def write():
        board.turn = board.turn

    read_result = call_with_hooks(board, name, read)
    if read_result is None or kind is None:
        return
    if kind == "shared":
        assert read_result == "done", name
        assert call_with_hooks(board, name, write) == "Already borrowed", name
    else:
        assert read_result == "Already mutably borrowed", name
    assert board.turn is False  # the hold ended with the call


def test_the_hooks_reach_the_methods_they_should():
    hooked = [name for name in BEYOND_THE_CORE if call_with_hooks(Board(), name, lambda: None) is not None]
    assert {"is_repetition", "perft", "piece_at", "king", "attackers", "outcome", "variation_san",
            "set_piece_at", "remove_piece_at", "find_move", "set_piece_map", "epd"} <= set(hooked)
