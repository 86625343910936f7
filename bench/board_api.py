"""The python-chess-style Board API against python-chess: the methods a program calls in its inner loops, side by
side on the benchmark positions. Each pair of loops does the same work through each library's own method of
that name (python-chess's attackers() returns a SquareSet, tarvik's an int; both are what a caller gets).

Called from bench.py, where the table's geometric means join the goals. Run alone, it prints its table with the
full run's positions and sizes:

    python bench/board_api.py [--quick]
"""

import time

import chess

import tarvik

import tables
import timing

OPERATIONS = ("from_fen", "piece_map", "attackers", "gives_check, all moves", "outcome", "status")


def repeat(function, *args):
    """A loop of `function(*args)` that returns its elapsed seconds."""
    def loop(n):
        start = time.perf_counter()
        for _ in range(n):
            function(*args)
        return time.perf_counter() - start

    return loop


def for_each_move(gives_check, moves):
    def run():
        for move in moves:
            gives_check(move)
    return run


def differences(ours, theirs):
    """What the two boards answer differently, of what the table times."""
    if sorted(move.uci() for move in ours.legal_moves()) != sorted(move.uci() for move in theirs.legal_moves):
        return "legal moves"
    answers = [
        ("piece_map", ours.piece_map(), {square: piece.symbol() for square, piece in theirs.piece_map().items()}),
        ("status", ours.status(), theirs.status()),
        ("outcome", ours.outcome() and ours.outcome().result(), theirs.outcome() and theirs.outcome().result()),
        ("gives_check", [ours.gives_check(move) for move in ours.legal_moves()],
         [theirs.gives_check(chess.Move.from_uci(move.uci())) for move in ours.legal_moves()]),
    ]
    return ", ".join(name for name, mine, python_chess in answers if mine != python_chess)


def loops(ours, theirs, fen):
    """Per operation a pair of loops (tarvik, python-chess) over one position."""
    ours_moves, theirs_moves = ours.legal_moves(), list(theirs.legal_moves)
    # Who attacks the side to move's king: the question a search asks most.
    king = theirs.king(theirs.turn)
    return {
        "from_fen": (repeat(tarvik.Board.from_fen, fen), repeat(chess.Board, fen)),
        "piece_map": (repeat(ours.piece_map), repeat(theirs.piece_map)),
        "attackers": (repeat(ours.attackers, not ours.turn, king), repeat(theirs.attackers, not theirs.turn, king)),
        "gives_check, all moves": (repeat(for_each_move(ours.gives_check, ours_moves)),
                                   repeat(for_each_move(theirs.gives_check, theirs_moves))),
        "outcome": (repeat(ours.outcome), repeat(theirs.outcome)),
        "status": (repeat(ours.status), repeat(theirs.status)),
    }


def board_api(positions, target, repeat_count):
    """Ratios of each operation over the positions; returns {operation: geometric mean ratio}."""
    ratios = {operation: [] for operation in OPERATIONS}
    times = {operation: ([], []) for operation in OPERATIONS}
    for position in positions:
        ours, theirs = tarvik.Board.from_fen(position.fen), chess.Board(position.fen)
        if differing := differences(ours, theirs):
            raise tables.BenchFailure(f"{differing} differ in {position.fen}")
        pairs = loops(ours, theirs, position.fen)
        for operation in OPERATIONS:
            ours_s, theirs_s = timing.side_by_side(*pairs[operation], target, repeat_count)
            ratios[operation].append(theirs_s / ours_s)
            times[operation][0].append(ours_s)
            times[operation][1].append(theirs_s)
    summary = {operation: tables.geometric_mean(ratios[operation]) for operation in OPERATIONS}
    rows = [[operation, f"{len(positions)} positions", tables.per_call(tables.geometric_mean(times[operation][0])),
             tables.per_call(tables.geometric_mean(times[operation][1])), tables.ratio(summary[operation])]
            for operation in OPERATIONS]
    for operation, value in summary.items():
        tables.chart(operation, "python-chess", value)
    tables.print_table(
        f"python-chess's Board API: python-chess time / tarvik time (higher is better; best of {repeat_count})",
        ["operation", "on", "tarvik/call", "python-chess/call", "ratio"], rows,
        notes=["Geometric means over the positions. from_fen is chess.Board(fen); attackers asks who attacks the",
               "side to move's king (python-chess returns a SquareSet); gives_check runs over every legal move."],
    )
    return summary


if __name__ == "__main__":
    import sys

    import positions

    sizes = positions.QUICK if "--quick" in sys.argv else positions.FULL
    table = positions.PERFT_SUITE + positions.random_middlegames(sizes.random_positions, seed=2024)
    ratios = board_api(table, sizes.call_target, sizes.repeat)
    print(", ".join(f"{operation} {tables.ratio(value)}" for operation, value in ratios.items()))
