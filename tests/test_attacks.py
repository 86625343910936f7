"""_is_attacked and is_check: a square counts when the other side has a pseudo-legal move onto it."""

import pytest

import tarvik
from conftest import PanicException, observable, square

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


# target None asks is_check.
@pytest.mark.parametrize("fen, target, answer", [
    (START, "e6", True),  # a black pawn can push there
    (START, "a6", True),
    (START, "e3", False),
    (START, "e7", False),  # Black's own piece stands there: no move lands on it
    (START, 64, False),
    (START, 255, False),
    (START, None, False),
    ("4k3/8/8/3p4/8/8/8/4K3 w - - 0 1", "c4", False),  # empty diagonal: the pawn cannot capture
    ("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4", True),
    ("4k3/8/8/4b3/8/8/8/4RK2 w - - 0 1", "c3", True),  # the pinned bishop still moves
    ("4k3/8/8/8/8/8/8/r3K3 w - - 0 1", "f1", False),  # the king blocks the rook's ray
    ("4k3/8/8/8/8/8/8/r3K3 w - - 0 1", None, True),
    ("k6k/8/8/8/8/8/8/4K3 w - - 0 1", "a7", False),  # only the highest black king moves
    ("k6k/8/8/8/8/8/8/4K3 w - - 0 1", "g7", True),
    ("4k3/8/8/8/3p4/8/8/4K3 w - e3 0 1", "e3", True),  # Black's en passant lands there
    ("4k3/8/8/3P4/8/8/8/4K3 b - e6 0 1", "e6", True),
    ("4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", None, True),
    ("4k3/8/8/8/8/8/4p3/4K3 w - - 0 1", None, False),  # a pawn does not capture straight ahead
    ("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1", None, True),
    ("r3k3/8/8/8/3K4/8/8/K7 w - - 0 1", None, False),  # only the highest white king counts
    ("3rk3/8/8/8/3K4/8/8/K7 w - - 0 1", None, True),
    ("4k3/8/8/8/8/8/8/r7 w - - 0 1", None, False),  # no white king to attack
])
def test_attacked_squares_and_check(fen, target, answer):
    board = tarvik.Board(fen)
    before = observable(board)
    if target is None:
        assert board.is_check() is answer
    else:
        assert board._is_attacked(square(target) if isinstance(target, str) else target) is answer
    assert observable(board) == before


@pytest.mark.parametrize("fen, index", [
    ("4k3/8/8/8/8/8/8/8 b - - 0 1", 18446744073709551615),  # White, the other side, has no king
    ("4k3/8/8/8/8/8/8/4K3 w - a9 0 1", 64),
    ("4k3/8/8/8/8/8/8/4K3 b - a9 0 1", 64),
])
def test_failures_leave_the_board_as_it_was(fen, index):
    board = tarvik.Board(fen)
    before = observable(board)
    for call in (lambda: board._is_attacked(0), lambda: board._is_attacked(64), board.is_check):
        with pytest.raises(PanicException) as failure:
            call()
        assert failure.value.args == (f"index out of bounds: the len is 64 but the index is {index}",)
        assert observable(board) == before
