"""Benchmarks of tarvik against python-chess, Stockfish and the native peers, printed as tables.

The native peers (bench/peers.py) are chess libraries written in C or C++ from the
package index: bulletchess, chessmg and nchess; the PGN tables (bench/pgn.py) read
PGN with bulletchess and esca too, and the corpus tables (bench/corpora.py) read
the real PGN files, concatenated to hundreds of megabytes, against
rust-pgn-reader-python-binding as well.

Every comparison runs both sides in this process (or, for the native tools,
in this run), alternating between them, and reports their ratio; per-call
times are shown only beside it. Each figure is the best of several runs.

    python bench/bench.py            full run (about two minutes)
    python bench/bench.py --quick    tiny sizes, a smoke run

The native section needs tarvik-perft (--perft, or $TARVIK_NATIVE_DIR/tools)
and stockfish (--stockfish, or on PATH, or /usr/games). The run fails when
any perft total differs between the programs, or tarvik's legal moves differ
from python-chess's; a native peer whose legal moves differ is noted under its
table and timed as it is.
"""

import argparse
import gc
import math
import os
import pickle
import platform
import random
import re
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

import chess
import chess.polyglot

import tarvik

import books_pictures
import corpora
import pgn
from board_api import board_api
from peers import PEERS
from tables import CHART, BenchFailure, chart, fastest_peer, geometric_mean, per_call, print_table, rate, ratio
from timing import repeat_apply_pop, repeat_call, side_by_side

HERE = Path(__file__).resolve().parent
REPO = HERE.parent
DEFAULT_CHART = REPO / "docs" / "performance.png"
SQUARES = [f"{file}{rank}" for rank in "12345678" for file in "abcdefgh"]


# ---------------------------------------------------------------- positions


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


# ---------------------------------------------------------------- Python API


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


# ---------------------------------------------------------------- Python API against the native peers


PEER_OPERATIONS = ("legal_moves", "apply+pop")
NOTHING = (0).bit_length  # a C method without arguments that does no work: the floor's stand-in


def peer_disagreement(position, ours, peer, board):
    """None when the peer lists the same legal moves as tarvik (which python-chess has
    confirmed above), else a note of the difference. Such a peer is still timed as it is."""
    our_ucis = {move.uci() for move in ours.legal_moves()}
    their_ucis = {peer.uci(move) for move in getattr(board, peer.legal_moves)()}
    if our_ucis == their_ucis:
        return None
    return (f"{peer.name} lists {len(their_ucis)} legal moves in {position.name} ({position.fen}) where tarvik "
            f"and python-chess list {len(our_ucis)}; missing: {sorted(our_ucis - their_ucis)}, "
            f"extra: {sorted(their_ucis - our_ucis)}")


def peer_api(positions, target, repeat):
    """Per position, peer and operation: (our seconds per call, theirs), and the notes of
    positions where a peer's legal moves differ. Both sides call bound methods of their
    boards; apply+pop is per move played."""
    results, disagreements = {}, []
    for position in positions:
        ours = tarvik.Board(position.fen)
        our_moves = ours.legal_moves()
        for peer in PEERS:
            board = peer.board(position.fen)
            if note := peer_disagreement(position, ours, peer, board):
                disagreements.append(note)
            their_legal_moves = getattr(board, peer.legal_moves)
            loops = {"legal_moves": (repeat_call(ours.legal_moves), repeat_call(their_legal_moves))}
            if peer.push:
                loops["apply+pop"] = (
                    repeat_apply_pop(ours.apply_move, ours.pop, our_moves),
                    repeat_apply_pop(getattr(board, peer.push), getattr(board, peer.pop), their_legal_moves()),
                )
            for operation, (our_loop, their_loop) in loops.items():
                ours_s, theirs_s = side_by_side(our_loop, their_loop, target, repeat)
                if operation == "apply+pop":
                    ours_s, theirs_s = ours_s / len(our_moves), theirs_s / len(their_legal_moves())
                results[position.name, peer.name, operation] = (ours_s, theirs_s)
        # The interpreter's share: the same loop with C calls that do nothing.
        floor_s, _ = side_by_side(repeat_apply_pop(id, NOTHING, our_moves),
                                  repeat_apply_pop(ours.apply_move, ours.pop, our_moves), target, repeat)
        results[position.name, "floor", "apply+pop"] = floor_s / len(our_moves)
    return results, disagreements


def report_peer_api(positions, measured, repeat):
    results, disagreements = measured
    columns = [(peer, op) for op in PEER_OPERATIONS for peer in PEERS if op != "apply+pop" or peer.push]
    rows = []
    for position in positions:
        cells = [position.name, len(tarvik.Board(position.fen).legal_moves())]
        for peer, operation in columns:
            ours_s, theirs_s = results[position.name, peer.name, operation]
            cells.append(ratio(theirs_s / ours_s))
        rows.append(cells)
    rows.append([])
    geomeans = {}
    for peer, operation in columns:
        geomeans[peer.name, operation] = geometric_mean(
            [results[p.name, peer.name, operation][1] / results[p.name, peer.name, operation][0] for p in positions])
    rows.append(["geomean, all", ""] + [ratio(geomeans[peer.name, op]) for peer, op in columns])
    for (peer_name, operation), value in geomeans.items():
        chart(operation, peer_name, value)
    print_table(
        f"Python API: native peer time / tarvik time per call (higher is better; best of {repeat})",
        ["position", "moves", *(f"{op} vs {peer.name}" for peer, op in columns)],
        rows,
        notes=["chessmg has no way to take a move back: no apply+pop column.",
               "nchess plays moves with _makemove, its documented call for moves known to be legal.",
               *(f"Differs: {note}" for note in disagreements)],
    )
    summary, fastest = [], {}
    floor = geometric_mean([results[p.name, "floor", "apply+pop"] for p in positions])
    for operation in PEER_OPERATIONS:
        by_peer = {peer.name: geomeans[peer.name, operation] for peer, op in columns if op == operation}
        name, value = fastest_peer(by_peer)
        fastest[operation] = (name, value)
        ours = geometric_mean([results[p.name, name, operation][0] for p in positions])
        theirs = geometric_mean([results[p.name, name, operation][1] for p in positions])
        summary.append([operation, name, per_call(ours), per_call(theirs), ratio(value),
                        ", ".join(f"{peer} {ratio(r)}" for peer, r in by_peer.items())])
    print_table(
        f"Python API against the fastest native peer, over {len(positions)} positions (per-call times: geometric means)",
        ["operation", "fastest peer", "tarvik/call", "peer/call", "ratio", "ratio against each peer"],
        summary,
        notes=[f"The apply+pop loop with C calls that do nothing in place of the library's takes {per_call(floor)}",
               "per move: the interpreter's share, which no library can save."],
    )
    return fastest


# ---------------------------------------------------------------- Python perft


def perft(depth, legal_moves, push, pop):
    """Leaves of the legal move tree, every move played; the same loop for both libraries."""
    nodes = 0
    for move in legal_moves():
        push(move)
        nodes += perft(depth - 1, legal_moves, push, pop) if depth > 1 else 1
        pop()
    return nodes


def python_perft(positions, repeat, depth_override=None):
    rows, our_total, their_total, ratios = [], [0.0, 0], [0.0, 0], []
    for position in positions:
        depth = depth_override or position.python_depth
        ours, theirs = tarvik.Board(position.fen), chess.Board(position.fen)
        our_args = (depth, ours.legal_moves, ours.apply_move, ours.pop)
        their_args = (depth, lambda: list(theirs.legal_moves), theirs.push, theirs.pop)
        best = {"ours": (math.inf, 0), "theirs": (math.inf, 0)}
        gc.collect()
        gc.disable()
        try:
            for _ in range(repeat):
                for side, args in (("ours", our_args), ("theirs", their_args)):
                    start = time.perf_counter()
                    nodes = perft(*args)
                    best[side] = min(best[side], (time.perf_counter() - start, nodes))
        finally:
            gc.enable()
        (our_s, our_nodes), (their_s, their_nodes) = best["ours"], best["theirs"]
        if our_nodes != their_nodes:
            raise BenchFailure(
                f"Python perft totals differ in {position.name} at depth {depth}: "
                f"tarvik {our_nodes}, python-chess {their_nodes}")
        our_total[0] += our_s
        our_total[1] += our_nodes
        their_total[0] += their_s
        their_total[1] += their_nodes
        ratios.append(their_s / our_s)
        rows.append([position.name, depth, our_nodes, rate(our_nodes / our_s), rate(their_nodes / their_s),
                     ratio(their_s / our_s), per_call(our_s / our_nodes), per_call(their_s / their_nodes)])
    rows.append([])
    total_ratio = (our_total[1] / our_total[0]) / (their_total[1] / their_total[0])
    rows.append(["all (total nodes / total time)", "", our_total[1], rate(our_total[1] / our_total[0]),
                 rate(their_total[1] / their_total[0]), ratio(total_ratio), "", ""])
    rows.append(["geomean of ratios", "", "", "", "", ratio(geometric_mean(ratios)), "", ""])
    print_table(
        f"Python perft loop (legal moves, play, recurse, take back; no bulk counting; best of {repeat})",
        ["position", "depth", "nodes", "tarvik n/s", "python-chess n/s", "ratio", "tarvik/node", "python-chess/node"],
        rows,
    )
    chart("Python perft loop", "python-chess", geometric_mean(ratios))
    return geometric_mean(ratios), total_ratio


# ---------------------------------------------------------------- everyday methods


EVERYDAY = ("to_fen", "san, all moves", "push_san+pop", "zobrist_hash", "copy", "pickle round trip")
GAME_OPERATIONS = ("is_repetition", "copy", "pickle round trip")
EVERYDAY_GOAL, PERFT_GOAL = 20.0, 500.0


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


def peer_python_perft(positions, repeat, depth_override=None):
    """The same Python perft loop over each peer that can take moves back."""
    peers = [peer for peer in PEERS if peer.push]
    rows, ratios, bounds = [], {peer.name: [] for peer in peers}, {peer.name: [] for peer in peers}
    for position in positions:
        depth = depth_override or position.python_depth
        ours = tarvik.Board(position.fen)
        nodes = perft(depth, ours.legal_moves, ours.apply_move, ours.pop)
        # The interpreter's share: the loop over a tree of about the same shape (a fixed
        # list of the mean branching factor), C calls that do nothing as play and take back.
        branches = [None] * max(1, round(nodes ** (1 / depth)))
        sides = {"floor": (depth, branches.copy, id, NOTHING),
                 "tarvik": (depth, ours.legal_moves, ours.apply_move, ours.pop)}
        for peer in peers:
            board = peer.board(position.fen)
            sides[peer.name] = (depth, getattr(board, peer.legal_moves), getattr(board, peer.push),
                                getattr(board, peer.pop))
        best = {side: (math.inf, 0) for side in sides}
        gc.collect()
        gc.disable()
        try:
            for _ in range(repeat):
                for side, args in sides.items():
                    start = time.perf_counter()
                    nodes = perft(*args)
                    best[side] = min(best[side], (time.perf_counter() - start, nodes))
        finally:
            gc.enable()
        our_s, our_nodes = best["tarvik"]
        for peer in peers:
            their_s, their_nodes = best[peer.name]
            if their_nodes != our_nodes:
                raise BenchFailure(f"Python perft totals differ in {position.name} at depth {depth}: "
                                   f"tarvik {our_nodes}, {peer.name} {their_nodes}")
            ratios[peer.name].append(their_s / our_s)
        floor_s, floor_nodes = best["floor"]
        floor_per_node = floor_s / floor_nodes
        for peer in peers:
            bounds[peer.name].append(best[peer.name][0] / our_nodes / floor_per_node)
        rows.append([position.name, depth, our_nodes, rate(our_nodes / our_s)]
                    + [rate(our_nodes / best[peer.name][0]) for peer in peers]
                    + [rate(1 / floor_per_node)]
                    + [ratio(ratios[peer.name][-1]) for peer in peers]
                    + [ratio(bounds[peer.name][-1]) for peer in peers])
    rows.append([])
    geomeans = {name: geometric_mean(values) for name, values in ratios.items()}
    for name, value in geomeans.items():
        chart("Python perft loop", name, value)
    rows.append(["geomean of ratios", "", "", "", *([""] * (len(peers) + 1)),
                 *(ratio(geomeans[p.name]) for p in peers), *(ratio(geometric_mean(bounds[p.name])) for p in peers)])
    print_table(
        f"Python perft loop against the native peers (the loop above, each library's own calls; best of {repeat})",
        ["position", "depth", "nodes", "tarvik n/s", *(f"{p.name} n/s" for p in peers), "floor n/s",
         *(f"vs {p.name}" for p in peers), *(f"bound vs {p.name}" for p in peers)],
        rows,
        notes=["chessmg has no way to take a move back, so it has no Python perft loop.",
               "floor: the same loop over a fixed list with C calls that do nothing, the interpreter's share;",
               "bound: the peer's time per node over the floor's, the most any library could gain on that peer."],
    )
    return fastest_peer(geomeans)


# ---------------------------------------------------------------- native


MOVE_COUNT = re.compile(r"^([a-h][1-8][a-h][1-8][a-z]?): (\d+)$")


def parse_divide(lines, program):
    counts, total = {}, None
    for line in lines:
        line = line.strip()
        if match := MOVE_COUNT.match(line):
            counts[match[1]] = int(match[2])
        elif line.startswith("Nodes searched:"):
            total = int(line.split(":")[1])
    if total is None:
        raise BenchFailure(f"{program} printed no 'Nodes searched' line")
    return counts, total


class Stockfish:
    """A UCI engine process, kept for the whole run; its start-up is not timed."""

    def __init__(self, path):
        self.process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.name = next((line[8:] for line in self.read_until("uciok") if line.startswith("id name ")), path)

    def send(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def read_until(self, prefix):
        lines = []
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise BenchFailure(f"stockfish ended while we waited for {prefix!r}")
            lines.append(line.rstrip("\n"))
            if line.startswith(prefix):
                return lines

    def perft(self, fen, depth):
        """(root-move counts, total, seconds from 'go perft' to its total)."""
        self.send(f"position fen {fen}")
        self.send("isready")
        self.read_until("readyok")
        start = time.perf_counter()
        self.send(f"go perft {depth}")
        lines = self.read_until("Nodes searched")
        seconds = time.perf_counter() - start
        counts, total = parse_divide(lines, "stockfish")
        return counts, total, seconds

    def peak_memory_kib(self):
        with open(f"/proc/{self.process.pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return 0

    def close(self):
        self.send("quit")
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def tarvik_perft(path, fen, depth):
    """(root-move counts, total, search seconds, peak KiB, stack record sizes) from one run."""
    result = subprocess.run([path, "--stats", fen, str(depth)], capture_output=True, text=True)
    if result.returncode != 0:
        raise BenchFailure(f"tarvik-perft failed on {fen} at depth {depth}: {result.stderr.strip()}")
    counts, total = parse_divide(result.stdout.splitlines(), "tarvik-perft")
    stats = dict(line.split(": ", 1) for line in result.stderr.splitlines() if ": " in line)
    return counts, total, float(stats["Time (s)"]), int(stats["Peak memory (KiB)"]), stats["Stack records (bytes)"]


def compare_divides(position, depth, ours, theirs):
    our_counts, our_total = ours
    their_counts, their_total = theirs
    if our_total == their_total and our_counts == their_counts:
        return
    differing = sorted(
        f"{move}: tarvik {our_counts.get(move)}, stockfish {their_counts.get(move)}"
        for move in set(our_counts) | set(their_counts)
        if our_counts.get(move) != their_counts.get(move)
    )
    raise BenchFailure(
        f"perft of {position.name} ({position.fen}) at depth {depth} differs: "
        f"tarvik {our_total}, stockfish {their_total}" + "".join(f"\n  {line}" for line in differing))


def peer_native_perft(peer, board, depth):
    """(leaves, seconds) of the peer's own perft; the board is built before the clock starts."""
    start = time.perf_counter()
    nodes = peer.perft(board, depth)
    return nodes, time.perf_counter() - start


# The positions of the headline figure: tarvik-perft against the fastest native program.
HEADLINE_POSITIONS = ("start", "kiwipete")


def native(positions, perft_path, stockfish_path, repeat, depth_override=None):
    engine = Stockfish(stockfish_path)
    rows, ratios, peaks = [], [], []
    sums = {"ours": [0.0, 0], "theirs": [0.0, 0]}
    record_sizes = ""
    rivals = ["stockfish", *(peer.name for peer in PEERS)]
    rates = {}  # (position name, program) -> nodes per second
    try:
        # One untimed run each first: the first search of a session runs on a cold
        # machine (caches, clock speed) and would handicap whichever goes first.
        warm_up = positions[0]
        tarvik_perft(perft_path, warm_up.fen, depth_override or warm_up.native_depth)
        engine.perft(warm_up.fen, depth_override or warm_up.native_depth)
        for position in positions:
            depth = depth_override or position.native_depth
            best_ours = best_theirs = math.inf
            peer_boards = {peer.name: peer.board(position.fen) for peer in PEERS}
            best_peers = {peer.name: math.inf for peer in PEERS}
            for _ in range(repeat):
                counts, total, seconds, peak, record_sizes = tarvik_perft(perft_path, position.fen, depth)
                best_ours = min(best_ours, seconds)
                peaks.append(peak)
                sf_counts, sf_total, sf_seconds = engine.perft(position.fen, depth)
                best_theirs = min(best_theirs, sf_seconds)
                compare_divides(position, depth, (counts, total), (sf_counts, sf_total))
                for peer in PEERS:
                    peer_total, peer_seconds = peer_native_perft(peer, peer_boards[peer.name], depth)
                    if peer_total != total:
                        raise BenchFailure(f"perft of {position.name} at depth {depth} differs: "
                                           f"tarvik {total}, {peer.name} {peer_total}")
                    best_peers[peer.name] = min(best_peers[peer.name], peer_seconds)
            ours_nps, theirs_nps = total / best_ours, total / best_theirs
            rates[position.name, "tarvik"] = ours_nps
            rates[position.name, "stockfish"] = theirs_nps
            for name, seconds in best_peers.items():
                rates[position.name, name] = total / seconds
            ratios.append(ours_nps / theirs_nps)
            sums["ours"][0] += best_ours
            sums["ours"][1] += total
            sums["theirs"][0] += best_theirs
            sums["theirs"][1] += total
            rows.append([position.name, depth, total, rate(ours_nps), rate(theirs_nps), ratio(ours_nps / theirs_nps),
                         "yes"])
        stockfish_peak = engine.peak_memory_kib()
    finally:
        engine.close()
    total_ratio = (sums["ours"][1] / sums["ours"][0]) / (sums["theirs"][1] / sums["theirs"][0])
    rows.append([])
    rows.append(["all (total nodes / total time)", "", sums["ours"][1], rate(sums["ours"][1] / sums["ours"][0]),
                 rate(sums["theirs"][1] / sums["theirs"][0]), ratio(total_ratio), ""])
    rows.append(["geomean of ratios", "", "", "", "", ratio(geometric_mean(ratios)), ""])
    print_table(
        f"Native perft, bulk counting at the last ply: tarvik-perft vs {engine.name} 'go perft' (best of {repeat})",
        ["position", "depth", "nodes", "tarvik n/s", "stockfish n/s", "tarvik/stockfish", "totals agree"],
        rows,
        notes=["tarvik-perft: its own clock around the search, process start-up excluded; stockfish: from",
               "'go perft' sent to 'Nodes searched' read, engine already running. Root-move counts compared too."],
    )
    headline = report_native_rivals(positions, rates, rivals, repeat, depth_override)
    return geometric_mean(ratios), total_ratio, max(peaks), stockfish_peak, record_sizes, headline


def report_native_rivals(positions, rates, rivals, repeat, depth_override):
    """tarvik-perft against every native program; returns (fastest rival, ratio) over the headline positions."""
    rows = []
    for position in positions:
        fastest = max(rivals, key=lambda rival: rates[position.name, rival])
        rows.append([position.name, depth_override or position.native_depth, rate(rates[position.name, "tarvik"]),
                     *(rate(rates[position.name, rival]) for rival in rivals),
                     ratio(rates[position.name, "tarvik"] / rates[position.name, fastest]), fastest])
    rows.append([])

    def ratios_over(group):
        return {rival: geometric_mean([rates[p.name, "tarvik"] / rates[p.name, rival] for p in group])
                for rival in rivals}

    groups = [(" + ".join(HEADLINE_POSITIONS), [p for p in positions if p.name in HEADLINE_POSITIONS]),
              ("the whole suite", positions)]
    for rival, value in ratios_over(positions).items():
        chart("native perft (tarvik-perft)", rival, value)
    results = {}
    for label, group in groups:
        by_rival = ratios_over(group)
        results[label] = fastest_peer(by_rival)
        rows.append([f"geomean, {label}", "", "", *(ratio(by_rival[rival]) for rival in rivals),
                     ratio(results[label][1]), results[label][0]])
    print_table(
        f"Native perft against every native program, nodes per second (best of {repeat}; all totals equal)",
        ["position", "depth", "tarvik", *rivals, "tarvik/fastest", "fastest"],
        rows,
        notes=["Peers run their own perft through one Python call each, their board built before the clock.",
               "Geomean rows: tarvik's speed over each program's; the last two columns name the program",
               "against which tarvik's geometric mean is lowest."],
    )
    return results[groups[0][0]], results[groups[1][0]]


# ---------------------------------------------------------------- memory


def stack_bytes_per_move(library, moves):
    result = subprocess.run([sys.executable, str(HERE / "stack_memory.py"), library, str(moves)],
                            capture_output=True, text=True)
    if result.returncode != 0:
        raise BenchFailure(f"stack memory probe for {library} failed: {result.stderr.strip()}")
    return float(result.stdout)


def report_memory(moves, record_sizes, perft_peak_kib, stockfish_peak_kib):
    ours, theirs = stack_bytes_per_move("tarvik", moves), stack_bytes_per_move("chess", moves)
    sizes = dict(part.split() for part in record_sizes.split(", "))
    record_total = sum(int(size) for size in sizes.values())
    rows = [
        ["bytes per applied move, tarvik", f"{ours:.1f}",
         f"sizeof Move {sizes['Move']} + BoardState {sizes['BoardState']} = {record_total}; goal <= 128: "
         + ("met" if ours <= 128 else "MISSED")],
        ["bytes per applied move, python-chess", f"{theirs:.1f}", f"tarvik keeps {theirs / ours:.1f}x less"],
        ["peak memory, tarvik-perft (bulk)", f"{perft_peak_kib} KiB", "VmHWM, largest over the native runs"],
        ["peak memory, stockfish", f"{stockfish_peak_kib} KiB", "VmHWM; holds its hash table and network"],
    ]
    print_table(
        f"Memory (stacks: resident-set growth after {moves} moves applied without popping, freed heap trimmed)",
        ["measure", "value", "note"],
        rows,
    )
    return ours


# ---------------------------------------------------------------- main


def find_stockfish(explicit):
    if explicit:
        return explicit
    found = shutil.which("stockfish") or (Path("/usr/games/stockfish").exists() and "/usr/games/stockfish")
    if not found:
        raise BenchFailure("stockfish not found: install Debian's stockfish or pass --stockfish")
    return found


def find_perft(explicit):
    if explicit:
        candidates = [Path(explicit)]
    else:
        native_dir = Path(os.environ.get("TARVIK_NATIVE_DIR", REPO / "build" / "native"))
        candidates = [native_dir / "tools" / "tarvik-perft", native_dir / "tarvik-perft"]
    for path in candidates:
        if path.is_file():
            return str(path)
    raise BenchFailure(f"{candidates[0]} not found: build the native tools (build_native in scripts/setup.sh)")


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


def report_goals(api, python_perft_ratio, native_ratio, stack_bytes, peers, everyday_ratios):
    """Goals against python-chess and Stockfish, then against the fastest native program, then the everyday
    methods against python-chess."""
    (api_legal, api_apply), peer_perft, (native_headline, native_suite) = peers
    rows = [
        ["legal_moves() vs list(board.legal_moves)", ratio(api["legal_moves"]), ">= 30x", api["legal_moves"] >= 30],
        ["apply_move + pop vs push + pop", ratio(api["apply+pop"]), ">= 10x", api["apply+pop"] >= 10],
        ["is_check()", ratio(api["is_check"]), ">= 20x", api["is_check"] >= 20],
        ["Python perft loop, nodes/s", ratio(python_perft_ratio), ">= 10x", python_perft_ratio >= 10],
        ["tarvik-perft vs stockfish, nodes/s", ratio(native_ratio), ">= 0.33x", native_ratio >= 1 / 3],
        ["bytes per applied move on the stacks", f"{stack_bytes:.0f} B", "<= 128 B", stack_bytes <= 128],
        [],
        [f"tarvik-perft vs fastest native perft ({native_headline[0]}), {' + '.join(HEADLINE_POSITIONS)}",
         ratio(native_headline[1]), ">= 1.0x", native_headline[1] >= 1.0],
        [f"tarvik-perft vs fastest native perft ({native_suite[0]}), whole suite",
         ratio(native_suite[1]), ">= 1.0x", native_suite[1] >= 1.0],
        [f"legal_moves() vs fastest native peer ({api_legal[0]})", ratio(api_legal[1]), ">= 2.0x",
         api_legal[1] >= 2.0],
        [f"apply_move + pop vs fastest native peer ({api_apply[0]})", ratio(api_apply[1]), ">= 1.1x",
         api_apply[1] >= 1.1],
        [f"Python perft loop vs fastest native peer ({peer_perft[0]})", ratio(peer_perft[1]), ">= 1.5x",
         peer_perft[1] >= 1.5],
        [],
    ] + [[operation, ratio(value), f">= {goal:.0f}x", value >= goal]
         for operation, value in everyday_ratios.items()
         for goal in [PERFT_GOAL if operation.startswith("perft") else EVERYDAY_GOAL]]
    print_table("Goals (ratios are geometric means over the positions)", ["figure", "value", "goal", ""],
                [row[:3] + ["met" if row[3] else "MISSED"] if row else row for row in rows])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true", help="tiny sizes: a smoke run of every table")
    parser.add_argument("--perft", help="path of tarvik-perft")
    parser.add_argument("--stockfish", help="path of stockfish")
    parser.add_argument("--seed", type=int, default=2024, help="seed of the random middlegames and the PGN corpora")
    parser.add_argument("--chart", type=Path, help="where to draw the chart of the ratios "
                        f"(default: {DEFAULT_CHART.relative_to(REPO)} for a full run, none for --quick)")
    options = parser.parse_args()
    sizes = QUICK if options.quick else FULL

    try:
        perft_path = find_perft(options.perft)
        stockfish_path = find_stockfish(options.stockfish)
        positions = PERFT_SUITE + random_middlegames(sizes.random_positions, options.seed)
        print(f"tarvik {Path(tarvik.__file__).name}, python-chess {chess.__version__}, "
              + "".join(f"{peer.name} {peer.version}, " for peer in PEERS) +
              f"Python {platform.python_version()} ({sys.executable}), {platform.machine()}, {os.cpu_count()} CPUs")
        print(f"{len(PERFT_SUITE)} perft positions + {sizes.random_positions} random middlegames "
              f"(seed {options.seed})")
        if options.quick:
            print("QUICK run: tiny sizes, the figures are not meaningful")
        print()

        api = report_python_api(positions, python_api(positions, sizes.call_target, sizes.repeat), sizes.repeat)
        python_perft_ratio, _ = python_perft(PERFT_SUITE, sizes.repeat, sizes.python_depth)
        everyday_ratios = everyday(positions, sizes.call_target, sizes.repeat, sizes.everyday_perft_depth)
        everyday_ratios.update(board_api(positions, sizes.call_target, sizes.repeat))
        books_pictures.report([position.fen for position in positions], sizes.call_target,
                              sizes.repeat, sizes.book_walks)
        peer_results = report_peer_api(positions, peer_api(positions, sizes.call_target, sizes.repeat), sizes.repeat)
        peer_perft = peer_python_perft(PERFT_SUITE, sizes.repeat, sizes.python_depth)
        native_ratio, _, perft_peak, stockfish_peak, record_sizes, native_headline = native(
            PERFT_SUITE, perft_path, stockfish_path, sizes.native_repeat, sizes.native_depth)
        stack_bytes = report_memory(sizes.stack_moves, record_sizes, perft_peak, stockfish_peak)
        pgn.report(options.quick, options.seed)
        corpora.report(options.quick)
    except BenchFailure as failure:
        print(f"\nBENCH FAILED: {failure}", file=sys.stderr)
        return 1

    report_goals(api, python_perft_ratio, native_ratio, stack_bytes,
                 ((peer_results["legal_moves"], peer_results["apply+pop"]), peer_perft, native_headline),
                 everyday_ratios)
    print("All perft totals agree (tarvik-perft = stockfish = the peers' perft; "
          "Python loop: tarvik = python-chess = the peers).")
    chart_path = options.chart or (None if options.quick else DEFAULT_CHART)
    if chart_path:
        from chart import draw, finite  # matplotlib only where a chart is drawn

        print(f"Chart: {draw(finite(CHART), chart_path, f'tarvik against each library, {platform.machine()}')}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
