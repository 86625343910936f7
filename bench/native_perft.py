"""Tables: native perft, tarvik-perft against Stockfish's 'go perft' (divides compared move by move), and
against every native program, each peer running its own perft."""

import math
import os
import re
import shutil
import subprocess
import time
from pathlib import Path

from peers import PEERS
from tables import BenchFailure, chart, fastest_peer, geometric_mean, print_table, rate, ratio

REPO = Path(__file__).resolve().parents[1]


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
