"""legal_moves and game end, checked against an outside move generator; failures leave the board as it was."""

import chess
import pytest

import tarvik
from conftest import PanicException, bitboard, observable, played, ucis

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"


@pytest.mark.parametrize("fen, moves, wanted, unwanted", [
    (START, "", "g1f3", ""),
    (KIWIPETE, "", "e1c1", ""),
    (KIWIPETE, "a2a3", "e8g8", ""),
    ("4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", "", "", "e2d3"),  # pinned
    ("4k3/8/8/8/8/8/3r4/4K3 w - - 0 1", "", "e1d2", "e1d1"),
    ("4k3/8/8/8/8/8/8/4K2r w KQ - 0 1", "", "e1e2", "e1f1"),  # in check
    ("8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", "", "", "b5c6"),  # en passant would expose the king
    # Black may castle after White's king moved.
    (START, "e2e4 e7e5 e1e2 g8f6 d2d3 f8e7 c1d2", "e8g8", ""),
    # A rook taken on its corner takes its right along, even when another rook comes back.
    ("4k1rr/8/6N1/8/8/8/8/4K3 w k - 0 1", "g6h8 g8h8 e1d1", "", "e8g8"),
    (START, "a2a3 e7e5 a3a4 e5e4 d2d4", "e4d3", ""),  # Black takes en passant
    ("4k3/8/8/8/8/8/7p/R3K2R w KQ - 0 1", "", "e1c1", "e1g1"),  # g1 is attacked by a pawn
])
def test_legal_moves_follow_the_rules(fen, moves, wanted, unwanted):
    board = played(fen, moves.split())
    reference = chess.Board(fen)
    for uci in moves.split():
        reference.push_uci(uci)
    oracle = {m.uci() for m in reference.legal_moves}
    castles = ucis(board._castling_moves())
    order = castles + [uci for uci in ucis(board.pseudo_legal_moves()) if uci in oracle]
    before = observable(board)
    legal = ucis(board.legal_moves())
    assert legal == order and set(legal) == oracle
    assert set(wanted.split()) <= oracle and not set(unwanted.split()) & oracle
    assert ucis(board.legal_moves()) == legal
    assert observable(board) == before
    if moves:
        assert board.pop().uci() == moves.split()[-1]


NO_KING = 2**64 - 1  # the index in the message when a side without a king is asked for its moves


# Each board has played a move (so that both stacks hold an entry) where it can.
@pytest.mark.parametrize("fen, uci, taken, methods, index", [
    ("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "a8b8", "e8",  # Black's king is then taken off
     "_is_attacked is_check _castling_moves legal_moves is_checkmate is_game_over", NO_KING),
    ("3k4/8/8/8/8/8/8/4R1K1 b - - 0 1", "d8e8", "", "legal_moves is_stalemate is_game_over", NO_KING),
    ("Rk6/8/8/8/8/8/7r/4K3 b - - 0 1", "h2h1", "", "is_checkmate", NO_KING),  # in check, may take the king
    ("4k3/8/8/8/8/8/8/8 w - - 0 1", "", "", "legal_moves is_stalemate is_game_over", NO_KING),
    ("8/8/8/8/8/8/8/4K3 w - - 0 1", "", "", "legal_moves", NO_KING),
    ("4k3/8/8/8/8/8/8/4K3 w - a9 0 1", "", "", "legal_moves", 64),
])
def test_failures_leave_turn_position_and_stacks(fen, uci, taken, methods, index):
    for name in methods.split():
        board = played(fen, uci.split())
        board.set_pieces_xor("k", bitboard(*taken.split()))
        before = observable(board) + (board._check_castling_rights(),)
        with pytest.raises(PanicException) as failure:
            getattr(board, name)(*((4,) if name == "_is_attacked" else ()))
        assert failure.value.args == (f"index out of bounds: the len is 64 but the index is {index}",)
        assert observable(board) + (board._check_castling_rights(),) == before
        if uci:
            assert board.pop().uci() == uci
            assert observable(board) == observable(tarvik.Board(fen))
        with pytest.raises(PanicException, match="unwrap"):
            board.pop()


@pytest.mark.parametrize("fen, moves, mate, stalemate", [
    (START, "", False, False),
    (START, "f2f3 e7e5 g2g4 d8h4", True, False),
    ("k7/2Q5/1K6/8/8/8/8/8 b - - 0 1", "", False, True),
    ("4k3/8/8/8/8/8/8/4K2r w - - 0 1", "", False, False),  # in check with replies
    ("4k3/8/8/8/8/8/8/4K3 w - - 150 80", "", False, False),  # the half-move clock plays no part
])
def test_game_end(fen, moves, mate, stalemate):
    board = played(fen, moves.split())
    before = observable(board)
    assert (board.is_checkmate(), board.is_stalemate(), board.is_game_over()) == (mate, stalemate, mate or stalemate)
    assert observable(board) == before


def test_no_king_to_move_is_no_checkmate():
    assert tarvik.Board("4k3/8/8/8/8/8/8/8 w - - 0 1").is_checkmate() is False
