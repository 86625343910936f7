"""Corners of the everyday methods that random play does not reach: repetitions that hinge on an en-passant
square or on castling text beyond KQkq, pickled states that must be refused whole, and notation on boards that
list a move twice or hold an en-passant square no push made."""

import pickle
import random

import chess
import pytest

from conftest import observable, ucis
from tarvik import Board, Move


def played(fen, moves):
    board = Board(fen)
    for move in moves:
        board.push_san(move)
    return board


def test_an_en_passant_capture_that_is_only_pseudo_legal_does_not_make_a_position_new():
    # Taking d6 would bare the white king on the fifth rank, so the first position repeats after four king moves.
    fen, moves = "4k3/8/8/r2pP2K/8/8/8/8 w - d6 0 1", ["Kh6", "Ke7", "Kh5", "Ke8"]
    theirs = chess.Board(fen)
    for move in moves:
        theirs.push_san(move)
    assert played(fen, moves).is_repetition(2) is theirs.is_repetition(2) is True


def test_losing_castling_rights_ends_the_search_also_for_letters_play_cannot_delete():
    # X is a right of White's that no move deletes; the king's step still gives it up while it stands away.
    board = played("4k3/8/8/8/8/8/8/R3K3 w X - 0 1", ["Kf1", "Kd8", "Ke1", "Ke8"])
    assert board.to_fen() == "4k3/8/8/8/8/8/8/R3K3 w X - 4 3"
    assert not board.is_repetition(2)


@pytest.mark.parametrize("fen, moves, castling", [
    ("r3k2r/8/8/8/8/8/8/R3K2R w KXkq - 0 1", [], "KXkq"),
    ("r3k2r/8/8/8/8/8/8/R3K2R w KXkq - 0 1", ["Rg1"], "Xkq"),
])
def test_to_fen_keeps_castling_characters_beyond_kqkq(fen, moves, castling):
    assert played(fen, moves).to_fen().split()[2] == castling


def test_a_move_a_broken_board_lists_twice_is_not_ambiguous():
    board = Board("4k3/8/8/8/8/8/8/R3K3 w - - 0 1")
    board.set_pieces_or("Q", 1)  # a1 is a rook and a queen: both list a1a2
    assert ucis(board.legal_moves()).count("a1a2") == 2
    assert board.parse_san("Ra2").uci() == "a1a2"


def test_a_straight_push_onto_the_en_passant_square_is_no_capture():
    fen = "4k3/8/8/3P4/8/8/8/4K3 w - d6 0 1"  # d6 set, though no black pawn pushed past it
    assert Board(fen).san(Move(35, 43)) == "d6" == chess.Board(fen).san(chess.Move.from_uci("d5d6"))


# ---------------------------------------------------------------- pickled states

POSITION_AT = 5  # after the version byte and the move count
TURN_AT = POSITION_AT + 64 + 8 + 2
CASTLING_LETTERS_AT = TURN_AT + 2


def state_of(fen, moves):
    return played(fen, moves).__reduce__()[2]


def whole_state(board):
    copy = board.copy()
    popped = []
    while copy.move_stack:
        popped.append(copy.pop().uci())
    return observable(board), board.to_fen(), popped, copy.to_fen()


def refused(board, state):
    before = whole_state(board)
    with pytest.raises(ValueError, match="^invalid Board state$"):
        board.__setstate__(state)
    assert whole_state(board) == before


@pytest.mark.parametrize("change", [
    lambda s: s[:TURN_AT] + b"\x02" + s[TURN_AT + 1:],                                # a turn byte above 1
    lambda s: s[:CASTLING_LETTERS_AT] + b"\x10" + s[CASTLING_LETTERS_AT + 1:],        # an unknown castling letter
    lambda s: s[:1] + (2**32 - 1).to_bytes(4, "little") + s[5:],                      # four billion moves claimed
    lambda s: s[:1] + (3).to_bytes(4, "little") + s[5:],                              # one move more than given
])
def test_setstate_refuses_a_bad_field_and_changes_nothing(change):
    state = state_of("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", ["O-O", "Kd8"])
    target = played(chess.STARTING_FEN, ["e4", "e5"])  # another board: nothing of the state may reach it
    refused(target, change(state))


def test_setstate_fuzzed_with_truncated_and_flipped_states():
    rng = random.Random(11)
    states = [state_of(fen, moves) for fen, moves in [
        (chess.STARTING_FEN, ["e4", "d5", "exd5", "Qxd5"]), ("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", ["O-O-O"]),
        ("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", [])]]
    target = played(chess.STARTING_FEN, ["Nf3"])
    for state in states:
        for cut in range(len(state)):
            refused(target, state[:cut])
        for _ in range(300):
            at, bit = rng.randrange(len(state)), 1 << rng.randrange(8)
            flipped = state[:at] + bytes([state[at] ^ bit]) + state[at + 1:]
            before = whole_state(target)
            try:
                target.__setstate__(flipped)
            except ValueError:
                assert whole_state(target) == before
            else:
                # Accepted (a flip in a piece set, or in a field its flag says is unused): the board pickles whole.
                assert whole_state(pickle.loads(pickle.dumps(target))) == whole_state(target)
                target = played(chess.STARTING_FEN, ["Nf3"])
