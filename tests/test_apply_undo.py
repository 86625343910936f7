"""apply_move, the half-move clock rule, pop and _restore."""

import pytest

import tarvik
from conftest import PanicException, bitboard, move, names, observable, played, ucis

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


def assert_stacks_empty(board):
    before = observable(board)
    with pytest.raises(PanicException, match="unwrap"):
        board.pop()
    assert observable(board) == before


@pytest.mark.parametrize("fen, uci, placement", [
    ("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", "4k3/8/8/3P4/8/8/8/4K3"),
    ("k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", "k3Q3/8/8/8/8/8/8/4K3"),
    ("q3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8q", "Q3k3/8/8/8/8/8/8/4K3"),  # onto a piece of the same type
    ("q3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8n", "N3k3/8/8/8/8/8/8/4K3"),
    ("4k3/8/8/8/8/8/1p6/R3K3 b - - 0 1", "b2a1r", "4k3/8/8/8/8/8/8/r3K3"),
    ("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "4k3/8/3P4/8/8/8/8/4K3"),
    ("4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4e3", "4k3/8/8/8/8/4p3/8/4K3"),
    ("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", "e5d6", "4k3/8/3P4/3p4/8/8/8/4K3"),  # no en-passant square
    ("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1"),
    ("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8", "r4rk1/8/8/8/8/8/8/R3K2R"),
    ("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1f1", "r3k2r/8/8/8/8/8/8/R4K1R"),
    ("r3k2r/8/8/8/8/8/8/R3K2R w kq - 0 1", "e1g1", "r3k2r/8/8/8/8/8/8/R5KR"),  # White holds no right
    ("r3k2r/8/8/8/8/8/8/R3K2R w Q - 0 1", "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1"),  # any right of the mover
])
def test_apply_move_then_pop(fen, uci, placement):
    board = tarvik.Board(fen)
    before = observable(board), ucis(board.legal_moves())
    board.apply_move(move(uci))
    expected = tarvik.Board(f"{placement} {'w' if board.turn else 'b'} - - 0 1")
    assert observable(board) == observable(expected)
    popped = board.pop()
    assert (popped.uci(), popped.promotion) == (uci, uci[4:] or None)
    assert (observable(board), ucis(board.legal_moves())) == before
    assert_stacks_empty(board)


@pytest.mark.parametrize("fen, moves, reply", [
    ("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", "e2e4", "d4d3 d4e3"),
    ("4k3/4p3/8/3P4/8/8/8/4K3 b - - 0 1", "e7e5", "d5d6 d5e6"),
    ("4k3/8/4p3/3P4/8/8/8/4K3 b - - 0 1", "e6e5", "d5d6"),  # a single push sets none
    ("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", "e2e4 e8e7 e1d1", "d4d3"),  # the square lasts one reply
])
def test_en_passant_square_after_a_move(fen, moves, reply):
    assert ucis(played(fen, moves.split()).pawn_moves()) == reply.split()


@pytest.mark.parametrize("fen, uci", [
    ("5k2/8/8/8/8/8/8/R3K3 b kq - 0 1", "f8h8"),  # the rook square would be 64: no rook moves
    ("6r1/8/8/8/8/8/8/2K1k3 w KQ - 0 1", "c1a1"),  # ... or below 0
    ("4k3/8/8/8/8/8/4P3/K7 w - e1 0 1", "e2e1"),  # the pawn taken would stand below rank 1
    ("7k/4p3/8/8/8/8/8/4K3 b - e8 0 1", "e7e8"),  # ... or above rank 8
])
def test_nothing_happens_off_the_board(fen, uci):
    board = tarvik.Board(fen)
    elsewhere = ~bitboard(uci[:2], uci[2:4])
    before = [board.get_pieces(letter) & elsewhere for letter in "prnbqkwa"]
    board.apply_move(move(uci))
    assert [board.get_pieces(letter) & elsewhere for letter in "prnbqkwa"] == before


def test_mover_colour_is_not_checked():
    board = played(START, ["e7e5"])
    assert names(board.get_pieces("p")) == names(tarvik.Board().get_pieces("p") ^ bitboard("e7", "e5"))
    assert names(board.get_pieces("w")) == names(tarvik.Board().get_pieces("w") | bitboard("e7", "e5"))
    assert names(board.get_pieces("a")) == names(tarvik.Board().get_pieces("a") | bitboard("e5"))


FAILING = "r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1"


@pytest.mark.parametrize("args, message", [
    ((12, 70), "index out of bounds: the len is 64 but the index is 70"),
    ((64, 70), "index out of bounds: the len is 64 but the index is 64"),
    ((16, 24), "Could not find the piece to move for a3a4"),
    ((16, 24, "Q"), "Could not find the piece to move for a3a4Q"),
    ((49, 57, "Q"), "Panic in the disco!!! (promotion issue) for b7b8Q"),
    ((4, 12, "x"), "Panic in the disco!!! (promotion issue) for e1e2x"),
])
def test_failed_apply_move_changes_no_position_field(args, message):
    board = tarvik.Board(FAILING)
    before = observable(board), ucis(board.legal_moves())
    with pytest.raises(PanicException) as failure:
        board.apply_move(tarvik.Move(*args))
    assert failure.value.args == (message,)
    assert (observable(board), ucis(board.legal_moves())) == before
    assert board.pop().uci() == tarvik.Move(*args).uci()  # both stacks grew all the same
    assert (observable(board), ucis(board.legal_moves())) == before
    assert_stacks_empty(board)


def test_pop_restores_whole_snapshots_newest_first():
    board, seen = tarvik.Board(), []
    for uci in ("e2e4", "e7e5"):
        seen.append(observable(board))
        board.apply_move(move(uci))
    board.set_pieces_or("Q", bitboard("e5"))  # undone with the rest of the position
    assert [(board.pop().uci(), observable(board)) for _ in "12"] == [("e7e5", seen[1]), ("e2e4", seen[0])]
    assert_stacks_empty(board)


def test_argument_errors_change_nothing():
    board = played(START, ["e2e4"])
    before = observable(board)
    with pytest.raises(TypeError, match="^argument 'mov': 'int' object cannot be converted to 'Move'$"):
        board.apply_move(5)
    with pytest.raises(TypeError, match="^argument 'board_state': 'NoneType' object cannot be converted to"):
        board._restore(None)
    with pytest.raises(TypeError, match=r"^Board._restore\(\) missing 1 required positional argument: 'board_state'$"):
        board._restore()
    assert observable(board) == before
    assert type(board.pop()) is tarvik.Move and not hasattr(tarvik, "BoardState")  # snapshots stay inside
    assert_stacks_empty(board)


@pytest.mark.parametrize("turn, from_names, to_names, resets", [
    ("w", ["e2"], [], True),
    ("w", [], ["e7"], True),
    ("w", ["b1", "g1"], ["c3", "f3"], False),  # masks may hold several squares
    ("b", ["e2"], [], False),
])
def test_reset_half_move_clock(turn, from_names, to_names, resets):
    board = tarvik.Board(START.replace(" w ", f" {turn} "))
    before = observable(board)
    assert board._reset_half_move_clock(bitboard(*from_names), to_mask=bitboard(*to_names)) is resets
    assert observable(board) == before
