"""Table: the Python API's inner-loop calls (legal_moves, apply+pop, checks, Board(fen)) against python-chess,
per position, with its summary and goals."""

import chess

import tarvik

from tables import BenchFailure, chart, geometric_mean, per_call, print_table, ratio
from timing import repeat_apply_pop, repeat_call, side_by_side


OPERATIONS = ("legal_moves", "apply+pop", "is_check", "is_checkmate", "Board(fen)")
GOALS = {"legal_moves": 30.0, "apply+pop": 10.0, "is_check": 20.0}


def check_same_moves(position, ours, theirs):
    our_ucis = [move.uci() for move in ours.legal_moves()]
    their_ucis = [move.uci() for move in theirs.legal_moves]
    if sorted(our_ucis) != sorted(their_ucis):
        raise BenchFailure(
            f"legal moves differ in {position.name} ({position.fen}):\n"
            f"  only tarvik: {sorted(set(our_ucis) - set(their_ucis))}\n"
            f"  only python-chess: {sorted(set(their_ucis) - set(our_ucis))}"
        )


def python_api(positions, target, repeat):
    """Per position and operation: (our seconds per call, theirs)."""
    results = {}
    for position in positions:
        ours, theirs = tarvik.Board(position.fen), chess.Board(position.fen)
        check_same_moves(position, ours, theirs)
        our_moves, their_moves = ours.legal_moves(), list(theirs.legal_moves)
        fen = position.fen
        loops = {
            "legal_moves": (repeat_call(ours.legal_moves), repeat_call(lambda: list(theirs.legal_moves))),
            "apply+pop": (
                repeat_apply_pop(ours.apply_move, ours.pop, our_moves),
                repeat_apply_pop(theirs.push, theirs.pop, their_moves),
            ),
            "is_check": (repeat_call(ours.is_check), repeat_call(theirs.is_check)),
            "is_checkmate": (repeat_call(ours.is_checkmate), repeat_call(theirs.is_checkmate)),
            "Board(fen)": (repeat_call(lambda: tarvik.Board(fen)), repeat_call(lambda: chess.Board(fen))),
        }
        for operation, (our_loop, their_loop) in loops.items():
            ours_s, theirs_s = side_by_side(our_loop, their_loop, target, repeat)
            if operation == "apply+pop":  # one loop iteration plays every legal move
                ours_s, theirs_s = ours_s / len(our_moves), theirs_s / len(their_moves)
            results[position.name, operation] = (ours_s, theirs_s)
    return results


def report_python_api(positions, results, repeat):
    rows = []
    for position in positions:
        cells = [position.name, len(tarvik.Board(position.fen).legal_moves())]
        for operation in OPERATIONS:
            ours_s, theirs_s = results[position.name, operation]
            cells.append(ratio(theirs_s / ours_s))
        rows.append(cells)
    rows.append([])
    summary = []
    groups = [
        ("geomean, perft suite", [p for p in positions if not p.name.startswith("random")]),
        ("geomean, random play", [p for p in positions if p.name.startswith("random")]),
        ("geomean, all", positions),
    ]
    for label, group in groups:
        if group:
            rows.append([label, ""] + [ratio(geometric_mean(
                [results[p.name, op][1] / results[p.name, op][0] for p in group])) for op in OPERATIONS])
    print_table(
        f"Python API: python-chess time / tarvik time per call (higher is better; best of {repeat})",
        ["position", "moves", *OPERATIONS],
        rows,
    )

    for operation in OPERATIONS:
        ratios = [results[p.name, operation][1] / results[p.name, operation][0] for p in positions]
        ours = geometric_mean([results[p.name, operation][0] for p in positions])
        theirs = geometric_mean([results[p.name, operation][1] for p in positions])
        goal = GOALS.get(operation)
        summary.append([
            operation,
            per_call(ours),
            per_call(theirs),
            ratio(geometric_mean(ratios)),
            f"{ratio(min(ratios))} .. {ratio(max(ratios))}",
            f">= {goal:.0f}x" if goal else "-",
            ("met" if geometric_mean(ratios) >= goal else "MISSED") if goal else "",
        ])
    print_table(
        f"Python API summary over {len(positions)} positions (per-call times are geometric means)",
        ["operation", "tarvik/call", "python-chess/call", "ratio", "range", "goal", ""],
        summary,
        notes=["Per-call times include the loop and call overhead of the interpreter, the same for both.",
               "Board(fen) on the start position: python-chess skips parsing for its standard FEN."],
    )
    summary = {op: geometric_mean([results[p.name, op][1] / results[p.name, op][0] for p in positions])
               for op in OPERATIONS}
    for operation, value in summary.items():
        chart(operation, "python-chess", value)
    return summary
