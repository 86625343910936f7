"""Per-piece generators and the pseudo-legal list: exact order and failures."""

import chess
import pytest

import tarvik
from conftest import PanicException, observable, ucis

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
START_BLACK = START.replace(" w ", " b ")
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
WHITE_PAWNS = "h2h3 g2g3 f2f3 e2e3 d2d3 c2c3 b2b3 a2a3 h2h4 g2g4 f2f4 e2e4 d2d4 c2c4 b2b4 a2a4"


def expected(text):
    """Moves written as UCI text; a trailing '=' stands for the four promotions q, r, n, b."""
    moves = []
    for move in text.split():
        moves += [move[:4] + letter for letter in "qrnb"] if move.endswith("=") else [move]
    return moves


@pytest.mark.parametrize("method, fen, moves", [
    ("pawn_moves", START, WHITE_PAWNS),
    ("pawn_moves", START_BLACK, " ".join(f"{f}7{f}{r}" for r in "65" for f in "hgfedcba")),
    ("pawn_moves", "4k3/8/8/8/6p1/1p6/1P4P1/4K3 w - - 0 1", "g2g3"),
    ("pawn_moves", "n1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8= b7c8= b7a8="),
    ("pawn_moves", "4k3/8/8/4p3/3P1P2/8/8/4K3 w - - 0 1", "f4f5 d4d5 d4e5 f4e5"),
    ("pawn_moves", "4k3/8/8/8/p7/1P6/7P/4K3 w - - 0 1", "b3b4 h2h3 h2h4 b3a4"),
    ("pawn_moves", "4k3/8/8/8/P6p/8/8/4K3 w - - 0 1", "a4a5"),
    ("pawn_moves", "4k3/8/8/8/8/8/1p6/R3K3 b - - 0 1", "b2b1= b2a1="),
    ("pawn_moves", "4k3/8/8/3p1p2/4P3/8/8/4K3 b - - 0 1", "f5f4 d5d4 f5e4 d5e4"),
    ("pawn_moves", "4k3/8/8/P6p/p7/8/7P/4K3 b - - 0 1", "h5h4 a4a3"),
    ("pawn_moves", "4k1p1/7P/8/8/8/8/8/4K3 b - - 0 1", "g8g7 g8h7"),
    ("pawn_moves", "4k3/8/8/2PpP3/8/8/8/4K3 w - d6 0 1", "e5e6 c5c6 e5d6 c5d6"),
    ("pawn_moves", "4k3/8/8/8/8/8/4P3/4K3 w - d3 0 1", "e2e3 e2e4"),
    # Black takes en passant too: rank-4 pawns onto a rank-3 square, after its other pawn moves.
    ("pawn_moves", "4k3/8/8/8/2pPp3/8/8/4K3 b - d3 0 1", "e4e3 c4c3 e4d3 c4d3"),
    ("pawn_moves", "4k3/8/8/8/1p6/7p/8/4K3 b - a3 0 1", "b4b3 h3h2 b4a3"),
    ("pawn_moves", "4k3/8/8/p7/6p1/8/8/4K3 b - h3 0 1", "a5a4 g4g3 g4h3"),
    ("pawn_moves", "4k3/4p3/8/8/8/8/8/4K3 b - d6 0 1", "e7e6 e7e5"),
    ("knight_moves", START, "g1h3 g1f3 b1c3 b1a3"),
    ("knight_moves", "4k3/8/8/8/7N/8/8/N3K3 w - - 0 1", "h4g6 h4f5 h4f3 h4g2 a1b3 a1c2"),
    ("king_moves", START, ""),
    ("king_moves", "4k3/8/8/8/8/8/3pP3/4K3 w - - 0 1", "e1f2 e1d2 e1f1 e1d1"),
    ("king_moves", "4K3/8/8/8/8/8/8/4K2k w - - 0 1", "e8f8 e8d8 e8f7 e8e7 e8d7"),
    ("rook_moves", "8/8/8/8/8/8/8/7R w - - 0 1",
     "h1h2 h1h3 h1h4 h1h5 h1h6 h1h7 h1h8 h1g1 h1f1 h1e1 h1d1 h1c1 h1b1 h1a1"),
    ("rook_moves", "8/8/8/8/p7/8/8/R1N5 w - - 0 1", "a1a2 a1a3 a1a4 a1b1"),
    ("rook_moves", "8/8/8/8/8/8/8/r5PR b - - 0 1",
     "a1a2 a1a3 a1a4 a1a5 a1a6 a1a7 a1a8 a1b1 a1c1 a1d1 a1e1 a1f1 a1g1"),
    ("bishop_moves", "8/8/8/8/8/8/8/2B2B2 w - - 0 1",
     "f1g2 f1h3 f1e2 f1d3 f1c4 f1b5 f1a6 c1d2 c1e3 c1f4 c1g5 c1h6 c1b2 c1a3"),
    ("queen_moves", "8/8/8/8/8/8/8/3Q4 w - - 0 1", "d1e2 d1f3 d1g4 d1h5 d1d2 d1d3 d1d4 d1d5 d1d6 "
     "d1d7 d1d8 d1c2 d1b3 d1a4 d1e1 d1f1 d1g1 d1h1 d1c1 d1b1 d1a1"),
    ("pseudo_legal_moves", START, WHITE_PAWNS + " g1h3 g1f3 b1c3 b1a3"),
    ("pseudo_legal_moves", "4k3/8/8/8/8/8/8/4KB2 w - - 0 1",
     "e1f2 e1e2 e1d2 e1d1 f1g2 f1h3 f1e2 f1d3 f1c4 f1b5 f1a6"),
])
def test_generation_order(method, fen, moves):
    board = tarvik.Board(fen)
    before = observable(board)
    assert ucis(getattr(board, method)()) == expected(moves)
    assert observable(board) == before


@pytest.mark.parametrize("fen, moves", [
    ("4k3/8/8/8/p7/8/8/4K3 b - h2 0 1", "a4a3"),
    ("4k3/8/8/8/7p/8/8/4K3 b - a4 0 1", "h4h3"),
    ("4k3/8/8/7P/8/8/8/4K3 w - a7 0 1", "h5h6"),
    ("4k3/8/8/P7/8/8/8/4K3 w - h5 0 1", "a5a6"),
])
def test_en_passant_never_wraps_round_the_edge(fen, moves):
    board = tarvik.Board(fen)
    assert ucis(board.pawn_moves()) == [moves]
    board.turn = not board.turn
    assert not board._is_attacked(chess.parse_square(fen.split()[3]))


@pytest.mark.parametrize("fen", [KIWIPETE, KIWIPETE.replace(" w ", " b "),
                                 "r3k2r/1P4P1/8/2PpP3/1pPp4/8/p5p1/R3K2R w KQkq d6 0 1",
                                 "r3k2r/1P4P1/8/2P1P3/1pPpP3/8/p5p1/R3K2R b KQkq e3 0 1"])
def test_pseudo_legal_list_joins_the_six_generators(fen):
    board = tarvik.Board(fen)
    parts = ("pawn_moves", "knight_moves", "king_moves", "bishop_moves", "rook_moves", "queen_moves")
    joined = [uci for part in parts for uci in ucis(getattr(board, part)())]
    assert ucis(board.pseudo_legal_moves()) == joined
    reference = chess.Board(fen)
    assert set(joined) == {m.uci() for m in reference.pseudo_legal_moves if not reference.is_castling(m)}


@pytest.mark.parametrize("fen, methods, index", [
    ("4k3/8/8/8/8/8/8/4K3 w - a9 0 1", "pawn_moves pseudo_legal_moves", 64),
    ("4k3/8/8/8/8/8/8/4K3 b - a9 0 1", "pawn_moves pseudo_legal_moves", 64),
    ("4k3/8/8/8/8/8/8/8 w - a9 0 1", "pseudo_legal_moves", 64),  # the pawn generator runs first
    ("4k3/8/8/8/8/8/8/8 w - - 0 1", "king_moves pseudo_legal_moves", 18446744073709551615),
])
def test_generation_failures(fen, methods, index):
    board = tarvik.Board(fen)
    before = observable(board)
    for method in methods.split():
        with pytest.raises(PanicException) as failure:
            getattr(board, method)()
        assert failure.value.args == (f"index out of bounds: the len is 64 but the index is {index}",)
        assert observable(board) == before
