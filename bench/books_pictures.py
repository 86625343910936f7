"""Opening books and board pictures against python-chess: book probes (find_all, weighted_choice) on
positions the book holds, and drawing boards as SVG.

The book is the Polyglot book python-chess's own tests use (../shared/realworld-data/polyglot/performance.bin
beside the repository) when it is there, else one written from seeded random games. Its positions are those
reached by following it with python-chess's weighted choices. Each row times one loop over all positions
per library, side by side in this run, and fails the run when the two disagree.
"""

import random
import struct
import tempfile
import time
from pathlib import Path

import chess
import chess.polyglot
import chess.svg

import tarvik

import tables
import timing

REAL_BOOK = Path(__file__).resolve().parents[2] / "shared" / "realworld-data" / "polyglot" / "performance.bin"
GOAL = 20.0


def synthetic_book(directory, games=300, plies=14, seed=5):
    """A book of seeded random games: each position with the move played and up to three others."""
    rng = random.Random(seed)
    entries = set()
    for _ in range(games):
        board = chess.Board()
        for _ in range(plies):
            moves = list(board.legal_moves)
            if not moves:
                break
            played = rng.choice(moves)
            key = chess.polyglot.zobrist_hash(board)
            for move in {played, *rng.sample(moves, min(3, len(moves)))}:
                promotion = move.promotion - 1 if move.promotion else 0
                entries.add((key, promotion << 12 | move.from_square << 6 | move.to_square, rng.randrange(1, 100), 0))
            board.push(played)
    path = Path(directory) / "synthetic.bin"
    path.write_bytes(b"".join(struct.pack(">QHHI", *entry) for entry in sorted(entries)))
    return path


def positions_in_book(reader, walks):
    """FENs of the positions met while following the book, walk by walk, until it has no move."""
    fens = []
    for walk in range(walks):
        board, rng = chess.Board(), random.Random(walk)
        while reader.get(board) is not None:
            fens.append(board.fen())
            board.push(reader.weighted_choice(board, random=rng).move)
    return fens


def entry_fields(entries):
    return [(e.key, e.raw_move, e.weight, e.learn, e.move.uci()) for e in entries]


def over_all(function, items):
    """A loop for side_by_side: n passes of function(item) over every item."""
    def loop(n):
        start = time.perf_counter()
        for _ in range(n):
            for item in items:
                function(item)
        return time.perf_counter() - start

    return loop


def report(fens, target, repeat, walks):
    """Prints the table and returns {operation: ratio}."""
    with tempfile.TemporaryDirectory() as scratch:
        path = REAL_BOOK if REAL_BOOK.is_file() else synthetic_book(scratch)
        with tarvik.open_book(path) as ours, chess.polyglot.open_reader(path) as theirs:
            book_fens = positions_in_book(theirs, walks)
            our_boards, their_boards = [tarvik.Board(f) for f in book_fens], [chess.Board(f) for f in book_fens]
            for our_board, their_board in zip(our_boards, their_boards):
                if entry_fields(ours.find_all(our_board)) != entry_fields(theirs.find_all(their_board)):
                    raise tables.BenchFailure(f"book entries differ in {their_board.fen()}")
            our_rng, their_rng = random.Random(1), random.Random(1)
            loops = {
                "find_all": (over_all(ours.find_all, our_boards),
                             over_all(lambda board: list(theirs.find_all(board)), their_boards)),
                "weighted_choice": (over_all(lambda board: ours.weighted_choice(board, random=our_rng), our_boards),
                                    over_all(lambda board: theirs.weighted_choice(board, random=their_rng),
                                             their_boards)),
            }
            timed = {operation: timing.side_by_side(*pair, target, repeat) for operation, pair in loops.items()}

    our_pictures, their_pictures = [tarvik.Board(f) for f in fens], [chess.Board(f) for f in fens]
    for our_board, their_board in zip(our_pictures, their_pictures):
        if our_board.unicode() != their_board.unicode():
            raise tables.BenchFailure(f"unicode() differs in {their_board.fen()}")
    timed["svg"] = timing.side_by_side(over_all(lambda board: board.svg(), our_pictures),
                                       over_all(lambda board: chess.svg.board(board, size=390), their_pictures),
                                       target, repeat)
    timed["unicode"] = timing.side_by_side(over_all(lambda board: board.unicode(), our_pictures),
                                           over_all(lambda board: board.unicode(), their_pictures), target, repeat)

    counts = {"find_all": len(book_fens), "weighted_choice": len(book_fens), "svg": len(fens), "unicode": len(fens)}
    source = "performance.bin" if path == REAL_BOOK else "a book of random games"
    ratios, rows = {}, []
    for operation, (ours_s, theirs_s) in timed.items():
        ratios[operation] = theirs_s / ours_s
        figure = f"book {operation}" if operation in ("find_all", "weighted_choice") else f"Board.{operation}()"
        tables.chart(figure, "python-chess", ratios[operation])
        goal = GOAL if operation != "unicode" else None
        rows.append([operation, f"{counts[operation]} positions", tables.per_call(ours_s / counts[operation]),
                     tables.per_call(theirs_s / counts[operation]), tables.ratio(ratios[operation]),
                     f">= {goal:.0f}x" if goal else "", ("met" if ratios[operation] >= goal else "MISSED") if goal else ""])
    tables.print_table(
        f"Opening books and pictures: python-chess time / tarvik time (higher is better; best of {repeat})",
        ["operation", "on", "tarvik/call", "python-chess/call", "ratio", "goal", ""], rows,
        notes=[f"Book probes on the positions met following {source} ({len(book_fens)} positions, "
               "entries checked equal);",
               "python-chess: list(reader.find_all(board)), reader.weighted_choice(board, random=rng) with the same",
               "seed as ours; chess.svg.board(board, size=390) against board.svg(); Board.unicode() on both."])
    return ratios
