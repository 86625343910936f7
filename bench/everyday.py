"""Table: the everyday methods (FEN, SAN, hashes, copies, pickles, repetitions) against python-chess, per
position and on a 200-ply game, and Board.perft against python-chess's Python perft loop."""

import math
import pickle
import time

import chess
import chess.polyglot

import tarvik

from positions import PERFT_SUITE, seeded_game
from python_perft import perft
from tables import BenchFailure, chart, geometric_mean, per_call, print_table, ratio
from timing import repeat_call, side_by_side


EVERYDAY = ("to_fen", "san, all moves", "push_san+pop", "zobrist_hash", "copy", "pickle round trip")
GAME_OPERATIONS = ("is_repetition", "copy", "pickle round trip")
EVERYDAY_GOAL, PERFT_GOAL = 20.0, 500.0


def everyday_loops(ours, theirs):
    """Per operation a pair of loops (tarvik, python-chess), each doing the same work."""
    our_moves, their_moves = ours.legal_moves(), list(theirs.legal_moves)
    sans = [theirs.san(move) for move in their_moves]
    if [ours.san(move) for move in our_moves] != [theirs.san(chess.Move.from_uci(m.uci())) for m in our_moves]:
        raise BenchFailure(f"SAN differs in {theirs.fen()}")

    def push_san_pop(board):
        def loop():
            for san in sans:
                board.push_san(san)
                board.pop()
        return loop

    return {
        "to_fen": (ours.to_fen, lambda: theirs.fen(en_passant="fen")),
        "san, all moves": (lambda: [ours.san(m) for m in our_moves], lambda: [theirs.san(m) for m in their_moves]),
        "push_san+pop": (push_san_pop(ours), push_san_pop(theirs)),
        "zobrist_hash": (ours.zobrist_hash, lambda: chess.polyglot.zobrist_hash(theirs)),
        "copy": (ours.copy, theirs.copy),
        "pickle round trip": (lambda: pickle.loads(pickle.dumps(ours)), lambda: pickle.loads(pickle.dumps(theirs))),
        "is_repetition": (ours.is_repetition, theirs.is_repetition),
    }


def everyday(positions, target, repeat, perft_depth):
    """Ratios of the everyday methods, per position and on a 200-ply game, and native perft against the
    Python perft loop of python-chess."""
    ratios = {operation: [] for operation in EVERYDAY}
    per_call_times = {operation: ([], []) for operation in EVERYDAY}
    for position in positions:
        loops = everyday_loops(tarvik.Board(position.fen), chess.Board(position.fen))
        for operation in EVERYDAY:
            ours_s, theirs_s = side_by_side(*(repeat_call(loop) for loop in loops[operation]), target, repeat)
            ratios[operation].append(theirs_s / ours_s)
            per_call_times[operation][0].append(ours_s)
            per_call_times[operation][1].append(theirs_s)
    rows = [[operation, f"{len(positions)} positions", per_call(geometric_mean(per_call_times[operation][0])),
             per_call(geometric_mean(per_call_times[operation][1])), ratio(geometric_mean(ratios[operation]))]
            for operation in EVERYDAY]
    summary = {operation: geometric_mean(ratios[operation]) for operation in EVERYDAY}
    for operation, value in summary.items():
        chart(operation, "python-chess", value)

    theirs_game = seeded_game(200, seed=7)
    ours_game = tarvik.Board()
    for move in theirs_game.move_stack:
        ours_game.push_uci(move.uci())
    loops = everyday_loops(ours_game, theirs_game)
    for operation in GAME_OPERATIONS:
        ours_s, theirs_s = side_by_side(*(repeat_call(loop) for loop in loops[operation]), target, repeat)
        rows.append([operation, "200-ply game", per_call(ours_s), per_call(theirs_s), ratio(theirs_s / ours_s)])
        summary[f"{operation}, 200-ply game"] = theirs_s / ours_s
        chart(f"{operation}, 200-ply game", "python-chess", theirs_s / ours_s)

    start = PERFT_SUITE[0].fen
    ours, theirs = tarvik.Board(start), chess.Board(start)
    best_ours = best_theirs = math.inf
    for _ in range(repeat):
        began = time.perf_counter()
        our_nodes = ours.perft(perft_depth)
        best_ours = min(best_ours, time.perf_counter() - began)
        began = time.perf_counter()
        their_nodes = perft(perft_depth, lambda: list(theirs.legal_moves), theirs.push, theirs.pop)
        best_theirs = min(best_theirs, time.perf_counter() - began)
    if our_nodes != their_nodes:
        raise BenchFailure(f"perft({perft_depth}) differs: tarvik {our_nodes}, python-chess {their_nodes}")
    rows.append([f"perft({perft_depth})", f"start, {our_nodes} nodes", per_call(best_ours), per_call(best_theirs),
                 ratio(best_theirs / best_ours)])
    summary[f"perft({perft_depth})"] = best_theirs / best_ours
    chart(f"Board.perft({perft_depth}) vs a Python perft loop", "python-chess", best_theirs / best_ours)
    print_table(
        f"Everyday methods: python-chess time / tarvik time (higher is better; best of {repeat})",
        ["operation", "on", "tarvik/call", "python-chess/call", "ratio"], rows,
        notes=["Per-position rows are geometric means. python-chess: fen(en_passant='fen') (the same text),",
               "chess.polyglot.zobrist_hash, copy() with its stacks; perft is board.perft against python-chess's",
               "Python perft loop (legal moves, push, recurse, pop)."],
    )
    return summary
