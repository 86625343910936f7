"""The positions every board table runs on, and the sizes of a full and a quick run: the perft suite, seeded
random middlegames and seeded random games."""

import random
from dataclasses import dataclass

import chess


@dataclass
class Position:
    name: str
    fen: str
    python_depth: int = 0  # depths of the Python perft loop
    native_depth: int = 0  # and of the native tools (full run)


PERFT_SUITE = [
    Position("start", chess.STARTING_FEN, 4, 5),
    Position("kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3, 5),
    Position("perft-3", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, 6),
    Position("perft-4", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 5),
    Position("perft-5", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 4),
    Position("perft-6", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 3, 4),
]


def random_middlegames(count, seed):
    """Positions after 20 to 50 plies of seeded random play that still have moves."""
    rng = random.Random(seed)
    positions = []
    while len(positions) < count:
        board = chess.Board()
        plies = rng.randrange(20, 51)
        for _ in range(plies):
            moves = list(board.legal_moves)
            if not moves:
                break
            board.push(rng.choice(moves))
        if board.is_game_over():
            continue
        positions.append(Position(f"random-{len(positions) + 1:02d} (ply {plies})", board.fen()))
    return positions


def seeded_game(plies, seed):
    """A python-chess board after `plies` plies of seeded random play (restarted until it lasts)."""
    rng = random.Random(seed)
    while True:
        board = chess.Board()
        for _ in range(plies):
            moves = list(board.legal_moves)
            if not moves:
                break
            board.push(rng.choice(moves))
        if len(board.move_stack) == plies:
            return board


@dataclass
class Sizes:
    random_positions: int
    call_target: float  # seconds one timed loop of a Python call should take
    repeat: int
    python_depth: int | None  # None: each position's own depth
    native_depth: int | None
    native_repeat: int  # perft runs of each native program per position
    stack_moves: int
    everyday_perft_depth: int
    book_walks: int  # walks through the opening book, each giving the positions of its probes


FULL = Sizes(random_positions=20, call_target=0.02, repeat=5, python_depth=None, native_depth=None, native_repeat=3,
             stack_moves=500_000, everyday_perft_depth=4, book_walks=40)
QUICK = Sizes(random_positions=2, call_target=2e-4, repeat=1, python_depth=2, native_depth=3, native_repeat=1,
              stack_moves=20_000, everyday_perft_depth=2, book_walks=3)
