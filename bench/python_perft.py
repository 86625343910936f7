"""Tables: the Python perft loop (legal moves, play, recurse, take back), the same loop for every library,
against python-chess and against the native peers that can take moves back."""

import gc
import math
import time

import chess

import tarvik

from peers import PEERS
from tables import BenchFailure, chart, fastest_peer, geometric_mean, per_call, print_table, rate, ratio
from timing import NOTHING


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
