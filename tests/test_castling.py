"""Castling rights: reading, removing, their upkeep by apply_move, and the castling moves."""

import contextlib
import re

import pytest

import tarvik
from conftest import PanicException, played, ucis

HOME = "r3k2r/8/8/8/8/8/8/R3K2R"  # kings and rooks at home, nothing between them
UNWRAP = "called `Option::unwrap()` on a `None` value"


def rights(make):
    """Which of K, Q, k, q the castling field holds (None: absent); each probe deletes, so it gets a fresh board."""
    try:
        make()._remove_castling_rights("k")
    except PanicException:
        return None
    held = ""
    for letter in "KQkq":
        board = make()
        board.turn = letter.isupper()
        board._remove_castling_rights("q" if letter in "Kk" else "k")  # keep only this letter's wing
        held += letter * board._check_castling_rights()
    return held


@pytest.mark.parametrize("field, turn, ident, left, error", [
    ("KQkq", "w", "k", "Qkq", None),
    ("KQkq", "b", "q", "KQk", None),
    ("KK", "w", "k", "", None),  # emptied but present
    ("KQkq", "b", "a", None, None),
    ("-", "w", "a", None, None),
    ("-", "b", "q", None, UNWRAP),
    ("KQkq", "w", "K", "KQkq", "Invalid castling rights"),
    ("-", "w", "x", None, "Invalid castling rights"),  # the id is examined before the field
])
def test_remove_castling_rights(field, turn, ident, left, error):
    def make():
        board = tarvik.Board(f"{HOME} {turn} {field} - 0 1")
        with pytest.raises(PanicException, match=re.escape(error)) if error else contextlib.nullcontext():
            board._remove_castling_rights(ident)
        return board
    assert rights(make) == left


def test_removal_keeps_the_order_of_the_other_letters():
    board = tarvik.Board(f"{HOME} w qKk - 0 1")
    board._remove_castling_rights("k")
    board.turn = False
    assert ucis(board._castling_moves()) == ["e8c8", "e8g8"]


@pytest.mark.parametrize("fen, move, left", [
    (f"{HOME} w KQkq - 0 1", "e1e2", "kq"),  # Black keeps its rights after White's king moved
    (f"{HOME} b KQkq - 0 1", "e8d8", "KQ"),
    (f"{HOME} w kq - 0 1", "e1f1", "kq"),
    (f"{HOME} w KQ - 0 1", "e1d1", ""),  # emptied, not made absent
    ("4k3/8/8/8/8/8/8/4K3 w - - 0 1", "e1e2", None),
    (f"{HOME} w KQkq - 0 1", "a1b1", "Kkq"),
    (f"{HOME} b KQkq - 0 1", "h8g8", "KQq"),
    ("r3k2r/8/8/8/R7/8/8/4K2R w KQkq - 0 1", "a4a5", "KQkq"),  # not a home corner
    ("4k3/8/8/8/8/8/8/N3K3 w KQkq - 0 1", "a1b3", "KQkq"),  # not a rook
    (f"{HOME} w KQkq - 0 1", "a1a8", "Kk"),  # the captured rook takes its right along
    (f"{HOME} b KQkq - 0 1", "h8h1", "Qq"),
    ("4k3/8/8/8/8/8/1B6/4K3 w KQkq - 0 1", "b2h8", "KQq"),  # whatever moves onto the corner
    ("R3k3/8/8/8/8/8/8/4K3 w q - 0 1", "a8a7", "q"),  # leaving the other side's corner takes nothing
])
def test_apply_move_keeps_rights_by_the_rules(fen, move, left):
    assert rights(lambda: played(fen, [move])) == left


def test_king_move_keeps_the_other_characters_in_place():
    # 'x' is a lower-case letter, so it asks Black's queen side.
    board = played(f"{HOME} w qxKk - 0 1", ["e1e2"])
    assert ucis(board._castling_moves()) == ["e8c8", "e8c8", "e8g8"]


@pytest.mark.parametrize("fen, moves", [
    (f"{HOME} w KQkq - 0 1", "e1g1 e1c1"),
    (f"{HOME} w KXQK - 0 1", "e1g1 e1c1 e1c1 e1g1"),  # in text order; any other letter asks the queen side
    (f"{HOME} b KQkq - 0 1", "e8g8 e8c8"),
    (f"{HOME} b KQ - 0 1", ""),
    (f"{HOME} w - - 0 1", ""),
    ("r3k2r/8/8/8/4r3/8/8/R3K2R w KQ - 0 1", ""),  # in check
    ("1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1 e1c1"),  # b1 is not on the king's path
    # Pawns attack diagonally, whether or not they could capture there.
    ("4k3/8/8/8/8/8/7p/R3K2R w KQ - 0 1", "e1c1"),
    ("4k3/8/8/8/8/8/4p3/R3K2R w KQ - 0 1", ""),
    ("r3k2r/1P6/8/8/8/8/8/4K3 b kq - 0 1", "e8g8"),
    # The letters alone are not enough: king and rook must stand at home.
    ("4k3/8/8/8/8/8/8/R3K2n w KQ - 0 1", "e1c1"),
    ("4k3/8/8/8/8/8/8/R2K3R w KQ - 0 1", ""),
    ("8/8/8/8/8/8/8/RN2K1NR w KQ - 0 1", ""),  # no attack test runs, so the missing king is not noticed
    ("8/8/8/8/8/8/8/R3K3 w K - 0 1", ""),
])
def test_castling_moves(fen, moves):
    assert ucis(tarvik.Board(fen)._castling_moves()) == moves.split()


@pytest.mark.parametrize("fen, index", [
    ("8/8/8/8/8/8/8/R3K2R w KQ - 0 1", 2**64 - 1),  # Black has no king
    ("4k3/8/8/8/8/8/8/R3K2R w KQ a9 0 1", 64),
])
def test_castling_moves_fail_like_the_attack_test(fen, index):
    board = tarvik.Board(fen)
    with pytest.raises(PanicException, match=f"^index out of bounds: the len is 64 but the index is {index}$"):
        board._castling_moves()
    assert board.turn is True
