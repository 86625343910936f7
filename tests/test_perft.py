"""Perft through the Python API and from tarvik-perft against the published counts of the usual positions."""

import os
import pathlib
import subprocess

import pytest

import tarvik
from conftest import PanicException, observable, ucis


def perft(board, depth):
    """Number of move sequences of `depth` plies, counted with legal_moves, apply_move and pop."""
    moves = board.legal_moves()
    if depth == 1:
        return len(moves)
    total = 0
    for move in moves:
        board.apply_move(move)
        total += perft(board, depth - 1)
        board.pop()
    return total


# Counts for depth 1, 2, ...; cut where the whole file stays around ten seconds.
PUBLISHED = [
    ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", [20, 400, 8902, 197281, 4865609]),
    ("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", [48, 2039, 97862, 4085603, 193690690]),
    ("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", [14, 191, 2812, 43238, 674624, 11030083]),
    ("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", [6, 264, 9467, 422333, 15833292]),
    # The same position with the colours swapped: Black's en passant, promotions and castling.
    ("r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", [6, 264, 9467, 422333, 15833292]),
    ("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", [44, 1486, 62379, 2103487]),
    ("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", [46, 2079, 89890, 3894594]),
]


@pytest.mark.parametrize("fen, counts", PUBLISHED)
def test_perft_matches_published_counts_and_leaves_board_as_found(fen, counts):
    board = tarvik.Board(fen)
    before = observable(board), ucis(board.legal_moves())
    assert [perft(board, depth) for depth in range(1, len(counts) + 1)] == counts
    # Same pieces, turn, rights and en-passant square (seen through the move list), and empty stacks.
    assert (observable(board), ucis(board.legal_moves())) == before
    with pytest.raises(PanicException):
        board.pop()


def native_perft(fen, depth, *options):
    directory = os.environ.get("TARVIK_NATIVE_DIR")
    if not directory:
        pytest.skip("TARVIK_NATIVE_DIR is not set: the test command builds tarvik-perft and sets it")
    return subprocess.run([pathlib.Path(directory) / "tools" / "tarvik-perft", *options, fen, str(depth)],
                          capture_output=True, text=True, timeout=60)


@pytest.mark.parametrize("fen, counts", PUBLISHED)
def test_native_perft_counts_the_published_deepest_count(fen, counts):
    """tarvik-perft counts the last ply without listing it; the deepest count checks that path far down."""
    result = native_perft(fen, len(counts))
    assert result.returncode == 0, result.stderr
    assert f"Nodes searched: {counts[-1]}" in result.stdout


def test_native_perft_fails_rather_than_search_without_end():
    # Two bare kings play on for ever: the search stops at its depth bound, at once.
    result = native_perft("8/8/8/8/8/8/8/K6k w - - 0 1", 999)
    assert result.returncode == 1
    assert "tarvik-perft: perft cannot search deeper than 256 plies" in result.stderr
    # No line of moves goes on from stalemate, so any depth counts nothing.
    assert "Nodes searched: 0" in native_perft("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 999).stdout


def test_native_perft_refuses_options_it_does_not_know():
    result = native_perft(PUBLISHED[0][0], 1, "--bulk")
    assert (result.returncode, result.stdout, result.stderr) == (2, "", "usage: tarvik-perft [--stats] FEN DEPTH\n")
