"""Table: legal_moves and apply+pop against the native peers (bench/peers.py), per position, with the
fastest peer's summary."""

import tarvik

from peers import PEERS
from tables import chart, fastest_peer, geometric_mean, per_call, print_table, ratio
from timing import NOTHING, repeat_apply_pop, repeat_call, side_by_side


PEER_OPERATIONS = ("legal_moves", "apply+pop")


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
