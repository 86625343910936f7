"""The native chess libraries from the package index that the benchmarks compare tarvik with.

Each peer is described by the same few operations, taken from its own documented API:
build a board from FEN, list the legal moves, play a move and take it back, and count
perft natively (inside the library, without Python in the loop). An operation a
library does not offer is None, and the tables say so instead of showing a row.

    bulletchess  Board.from_fen, Board.legal_moves(), apply(move) / undo(), utils.perft(board, depth)
    chessmg      ChessMoveGenerator(fen), legal_moves(), perft(depth); no way to take a move back
    nchess       Board(fen), generate_legal_moves(), _makemove(move) / undo(), perft(depth)

nchess also offers step(move), which tests legality first; _makemove is its documented
way to play a move already known to be legal, which is what apply_move does here.
"""

from collections.abc import Callable
from dataclasses import dataclass
from importlib import metadata
from typing import Any

import bulletchess
import bulletchess.utils
import chessmg
import nchess


@dataclass(frozen=True)
class Peer:
    """A library's operations. The method names are looked up on its board, so that
    the timed loops call bound methods directly, as they do for tarvik."""

    name: str
    board: Callable[[str], Any]  # FEN -> board
    legal_moves: str  # board method -> list of moves
    push: str | None  # board method playing a move
    pop: str | None  # board method taking the newest move back
    uci: Callable[[Any], str]  # move -> UCI text
    perft: Callable[[Any, int], int]  # board, depth -> leaves, counted natively

    @property
    def version(self):
        return metadata.version(self.name)


def _nchess_uci(move):
    return str(move)[len('Move("'):-len('")')]  # Move("e2e4")


PEERS = [
    Peer("bulletchess", bulletchess.Board.from_fen, "legal_moves", "apply", "undo", lambda move: move.uci(),
         bulletchess.utils.perft),
    Peer("chessmg", chessmg.ChessMoveGenerator, "legal_moves", None, None, lambda move: move.uci,
         lambda board, depth: board.perft(depth)),
    Peer("nchess", nchess.Board, "generate_legal_moves", "_makemove", "undo", _nchess_uci,
         lambda board, depth: board.perft(depth, no_print=True)),
]
