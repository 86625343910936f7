"""Everyday chess against python-chess along seeded random games from several starting positions.

At every ply: the FEN, the Polyglot key, the SAN of every legal move and its parsing back,
the draw predicates, and is_legal over the legal moves and pseudo-legal ones that are not.
"""

import chess
import chess.polyglot
import pytest

from conftest import random_game, ucis

STARTS = [
    chess.STARTING_FEN,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/1P4P1/8/2pP4/5pP1/8/1p4p1/R3K2R w KQkq c6 0 1",
    "4k3/1P6/8/8/8/8/6p1/4K3 b - - 0 1",
]
GAMES_PER_START = 16
PLIES = 80
DRAW_PREDICATES = ["is_fifty_moves", "is_seventyfive_moves", "is_fivefold_repetition", "is_insufficient_material"]


def choose_often_special(rng, theirs, moves):
    """Prefer moves that random play would rarely find but the notation must handle."""
    special = [m for m in moves if m.promotion or theirs.is_castling(m) or theirs.is_en_passant(m)]
    return rng.choice(special if special and rng.random() < 0.5 else moves)


def games(start_index):
    for game in range(GAMES_PER_START):
        yield random_game(STARTS[start_index], 1000 * start_index + game, PLIES, choose_often_special)


@pytest.mark.parametrize("start_index", range(len(STARTS)))
def test_everyday_chess_agrees_with_python_chess(start_index):
    for game in games(start_index):
        for ours, theirs in game:
            fen = theirs.fen(en_passant="fen")
            assert ours.to_fen() == fen
            assert ours.zobrist_hash() == chess.polyglot.zobrist_hash(theirs), fen
            assert [getattr(ours, name)() for name in DRAW_PREDICATES] == [
                getattr(theirs, name)() for name in DRAW_PREDICATES], fen
            assert [ours.is_repetition(count) for count in (1, 2, 3)] == [
                theirs.is_repetition(count) for count in (1, 2, 3)], fen

            legal = ours.legal_moves()
            sans = [ours.san(move) for move in legal]
            assert sans == [theirs.san(chess.Move.from_uci(move.uci())) for move in legal], fen
            assert [ours.parse_san(san).uci() for san in sans] == ucis(legal), fen
            assert all(ours.is_legal(move) for move in legal)
            legal_ucis = set(ucis(legal))
            assert not any(ours.is_legal(move) for move in ours.pseudo_legal_moves() if move.uci() not in legal_ucis)
            assert ours.to_fen() == fen  # nothing above changed the board


def test_the_games_reach_castling_en_passant_and_promotion():
    reached = {"castling": 0, "en passant": 0, "promotion": 0}
    for start_index in range(len(STARTS)):
        for game in games(start_index):
            for _, theirs in game:
                if theirs.move_stack:
                    last = theirs.pop()
                    reached["castling"] += theirs.is_castling(last)
                    reached["en passant"] += theirs.is_en_passant(last)
                    reached["promotion"] += last.promotion is not None
                    theirs.push(last)
    assert min(reached.values()) >= 8, reached
