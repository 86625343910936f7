"""Legal moves in positions reached by play, checked against Stockfish over UCI."""

import os
import random
import re
import shutil
import subprocess

import pytest

import tarvik
from conftest import ucis
from test_perft import perft

POSITIONS = [
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    # Promotions for both sides, onto empty squares and by capture.
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    # En passant that would bare the king along the rank, or that takes the checking pawn.
    "8/8/8/K1pP3r/8/8/8/4k3 w - c6 0 2",
    "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1",
    "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1",
    "4k3/8/8/8/1p1p1p1p/8/PPPPPPPP/4K3 w - - 0 1",
    "4k3/pppppppp/8/P1P1P1P1/8/8/8/4K3 b - - 0 1",
    # Castling: pawns about to take a rook on its corner, a pawn covering only b1, a knight
    # covering both paths, sliders on the rooks and queens checking.
    "r3k2r/1P6/8/8/8/8/p5p1/R3K2R w KQkq - 0 1",
    "r3k2r/8/8/8/8/4n3/8/R3K2R b KQkq - 0 1",
    "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1",
    "r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1",
    "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
    # Mate and stalemate a move or a few away.
    "k7/8/1QK5/8/8/8/8/8 w - - 0 1",
]
SEEDS = range(8)
PLIES = 80
MOVE_LINE = re.compile(r"([a-h][1-8][a-h][1-8][nbrq]?): (\d+)$")


class Stockfish:
    """Just enough UCI to ask for a position's perft split and its checkers."""

    def __init__(self, path):
        self.process = subprocess.Popen(
            [path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.ask("uci", "uciok")

    def ask(self, command, last=None):
        """Sends a command and returns the output up to the line starting with `last`."""
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        lines = []
        while last is not None and not (lines and lines[-1].startswith(last)):
            line = self.process.stdout.readline()
            assert line, f"stockfish ended while answering {command!r}"
            lines.append(line.strip())
        return lines

    def perft(self, fen, moves, depth):
        """({move: nodes below it}, total, checkers) after playing `moves` from `fen`."""
        self.ask("isready", "readyok")
        self.ask(f"position fen {fen} moves {' '.join(moves)}")
        checkers = self.ask("d", "Checkers:")[-1].split()[1:]
        # Wait for the total: the search thread prints it after the move lines.
        lines = self.ask(f"go perft {depth}", "Nodes searched:")
        split = dict(match.groups() for match in map(MOVE_LINE.match, lines) if match)
        return {move: int(count) for move, count in split.items()}, int(lines[-1].split()[-1]), checkers

    def close(self):
        self.ask("quit")
        self.process.wait(timeout=10)


@pytest.fixture(scope="module")
def stockfish():
    path = shutil.which("stockfish") or "/usr/games/stockfish"
    if not os.access(path, os.X_OK):
        pytest.fail(f"stockfish is needed as the reference and was not found at {path}")
    engine = Stockfish(path)
    yield engine
    engine.close()


def is_rare(board, move):
    """Castling, en passant or promotion: moves that uniform random play seldom picks."""
    files = abs(move.to_square % 8 - move.from_square % 8)
    if board.get_pieces("k") >> move.from_square & 1:
        return files == 2
    pawn_to_empty = board.get_pieces("p") >> move.from_square & 1 and not board.get_pieces("a") >> move.to_square & 1
    return move.promotion is not None or bool(pawn_to_empty and files == 1)


def play(fen, seed, plies, stockfish=None):
    """Plays seeded random legal moves; with `stockfish`, checks every position on the way."""
    rng, board, played = random.Random(seed), tarvik.Board(fen), []
    for ply in range(plies + 1):
        moves = board.legal_moves()
        ours = ucis(moves)
        if stockfish is not None:
            theirs, _, checkers = stockfish.perft(fen, played, 1)
            where = f"position fen {fen} moves {' '.join(played)}"
            assert len(ours) == len(set(ours)), where
            assert set(ours) == set(theirs), where
            assert (board.is_check(), board.is_checkmate(), board.is_stalemate()) == (
                bool(checkers), not ours and bool(checkers), not ours and not checkers), where
        if not ours or ply == plies:
            return board, played
        rare = [move for move in moves if is_rare(board, move)]
        move = rng.choice(rare if rare and rng.random() < 0.5 else moves)
        board.apply_move(move)
        played.append(move.uci())


@pytest.mark.parametrize("seed", SEEDS)
@pytest.mark.parametrize("fen", POSITIONS)
def test_random_games_agree_with_stockfish_at_every_ply(stockfish, fen, seed):
    play(fen, seed, PLIES, stockfish)


@pytest.mark.parametrize("plies", [6, 15, 30])
@pytest.mark.parametrize("fen", POSITIONS)
def test_perft_from_reached_positions_agrees_with_stockfish(stockfish, fen, plies):
    board, played = play(fen, seed=plies, plies=plies)
    theirs, total, _ = stockfish.perft(fen, played, 3)
    ours = {}
    for move in board.legal_moves():
        board.apply_move(move)
        ours[move.uci()] = perft(board, 2)
        board.pop()
    assert (ours, sum(ours.values())) == (theirs, total), f"position fen {fen} moves {' '.join(played)}"
