"""Reading PGN: tarvik's read_pgn against python-chess's chess.pgn, bulletchess's PGNFile and esca's
pgn.read, on two corpora this module writes from a seed: games as online servers export them (some
twenty tags, an evaluation and a clock in a comment after every move, mainline only) and annotated
games (nested variations, comments, NAGs).

Every library reads in a process of its own (bench/pgn_reader.py), the libraries taking turns, so a
library that crashes on a file is reported as such and the run goes on. The tables give games per
second and tarvik's ratio over each library, a headers-only scan, tarvik's MB/s beside a plain byte
search of the same file (the floor no reader can pass), and, in the full run, tarvik's peak memory
reading a file of over 500 MB, which fails the run above MEMORY_LIMIT_MB.

    python bench/pgn.py [--quick]    these tables alone (bench/bench.py runs them with the others)
"""

import dataclasses
import json
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
from dataclasses import dataclass
from importlib import metadata
from pathlib import Path

import chess
import chess.pgn

import tables

HERE = Path(__file__).resolve().parent
CACHE = HERE.parent / "build" / "bench"
CORPUS_VERSION = 1  # part of the cached files' names: raise it when the writers below change
NATIVE_READERS = ("bulletchess", "esca")
LIBRARIES = ("python-chess", *NATIVE_READERS)
MEMORY_LIMIT_MB = 150  # peak resident set, in 10**6 bytes
BIG_FILE_BYTES = 500 * 10**6
GOALS = {"python-chess": 200.0, "fastest native peer": 10.0, "headers only": 20.0}


@dataclass
class Sizes:
    server_games: int
    annotated_games: int
    rounds: int  # turns of every library; the fastest pass counts
    seconds: float  # each turn reads its file again until this long has passed
    timeout: float  # seconds one turn may take before it is reported as hung
    big_file: bool  # the memory row


FULL = Sizes(server_games=1000, annotated_games=300, rounds=3, seconds=0.5, timeout=600, big_file=True)
QUICK = Sizes(server_games=40, annotated_games=15, rounds=1, seconds=0.0, timeout=120, big_file=False)


# ---------------------------------------------------------------- corpora


def random_move(board, rng):
    """The cheap policy: a capture half the time when there is one, else any legal move."""
    moves = list(board.legal_moves)
    if not moves:
        return None
    captures = [move for move in moves if board.is_capture(move)]
    return rng.choice(captures if captures and rng.random() < 0.5 else moves)


def result_of(board, rng):
    """The board's result where the game has ended by the rules, else a resignation, a draw
    agreed, or a flag fallen."""
    if outcome := board.outcome():
        return outcome.result(), "Normal"
    return rng.choice(["1-0", "0-1", "1-0", "0-1", "1/2-1/2"]), rng.choice(["Normal", "Normal", "Time forfeit"])


def player(rng):
    return rng.choice(["Blue", "Rook", "Pawn", "Gambit", "Fianchetto", "Zug", "Tempo", "Knight", "Endgame"]) + \
        rng.choice(["Storm", "Master", "Lover", "Hunter", "_", "Fox", "Walker"]) + str(rng.randrange(1, 10000))


TIME_CONTROLS = [("Bullet", 60, 0), ("Bullet", 120, 1), ("Blitz", 180, 0), ("Blitz", 180, 2), ("Blitz", 300, 3),
                 ("Rapid", 600, 0), ("Rapid", 900, 10)]
OPENINGS = [("B00", "Owen Defense"), ("C50", "Italian Game"), ("A45", "Indian Defense"),
            ("B20", "Sicilian Defense"), ("C00", "French Defense: Knight Variation"),
            ("D02", "Queen's Pawn Game: London System"), ("A40", "Englund Gambit"),
            ("C41", "Philidor Defense #3"), ("B01", "Scandinavian Defense: Mieses-Kotroc Variation")]


def evaluation(rng, centipawns):
    """The next `[%eval ...]` of a random walk, now and then a mate."""
    if rng.random() < 0.03:
        return f"#{rng.choice([-1, 1]) * rng.randrange(1, 12)}", centipawns
    centipawns = max(-2500, min(2500, centipawns + round(rng.gauss(0, 40))))
    return f"{centipawns / 100:.2f}", centipawns


def clock(seconds):
    return f"{seconds // 3600}:{seconds // 60 % 60:02d}:{seconds % 60:02d}"


def server_game(rng, number):
    """One game as servers export it: tags, then the movetext on one line, an evaluation and a clock
    after every move."""
    board = chess.Board()
    speed, base, increment = rng.choice(TIME_CONTROLS)
    left, centipawns, movetext = [base, base], 0, []
    for ply in range(rng.randrange(20, 151)):
        move = random_move(board, rng)
        if move is None:
            break
        number_text = f"{ply // 2 + 1}." if ply % 2 == 0 else f"{ply // 2 + 1}..."
        san = board.san(move)
        board.push(move)
        score, centipawns = evaluation(rng, centipawns)
        side = ply % 2
        left[side] = max(0, left[side] - rng.randrange(0, max(2, base // 25)) + increment)
        movetext.append(f"{number_text} {san} {{ [%eval {score}] [%clk {clock(left[side])}] }}")
    result, termination = result_of(board, rng)
    eco, opening = rng.choice(OPENINGS)
    white_elo, black_elo = rng.randrange(600, 2900), rng.randrange(600, 2900)
    day = f"2024.{rng.randrange(1, 13):02d}.{rng.randrange(1, 29):02d}"
    game_id = "".join(rng.choice("abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789") for _ in range(8))
    tags = [("Event", f"Rated {speed} game"), ("Site", f"https://example.org/{game_id}"), ("Date", day),
            ("Round", "-"), ("White", player(rng)), ("Black", player(rng)), ("Result", result),
            ("UTCDate", day), ("UTCTime", f"{rng.randrange(24):02d}:{rng.randrange(60):02d}:{rng.randrange(60):02d}"),
            ("WhiteElo", str(white_elo)), ("BlackElo", str(black_elo)),
            ("WhiteRatingDiff", f"{rng.randrange(-12, 13):+d}"), ("BlackRatingDiff", f"{rng.randrange(-12, 13):+d}"),
            ("Variant", "Standard"), ("TimeControl", f"{base}+{increment}"), ("ECO", eco), ("Opening", opening),
            ("Termination", termination), ("Annotator", "example.org"),
            ("Link", f"https://example.org/{game_id}/{number}")]
    headers = "".join(f'[{name} "{value}"]\n' for name, value in tags)
    return f"{headers}\n{' '.join(movetext)} {result}\n\n\n"


ANNOTATIONS = ["White is better.", "The critical line.", "A typical manoeuvre in such positions.",
               "Threatening to win the exchange.", "With compensation for the pawn.", "Unclear.",
               "Black has nothing better.", "The only move.", "Played after a long think.",
               "This was the idea behind the previous move; the knight heads for the outpost on d5."]
NAGS = [1, 2, 3, 4, 5, 6, 10, 13, 14, 15, 16, 17, 18, 19, 22, 32, 36, 40, 132, 140, 146]
GLYPHS = {"1": "!", "2": "?", "3": "!!", "4": "??", "5": "!?", "6": "?!"}


def annotate(node, rng, chance):
    if rng.random() < chance:
        node.comment = rng.choice(ANNOTATIONS)
    if rng.random() < chance:
        node.nags.add(rng.choice(NAGS))


def add_line(node, board, rng, plies, depth):
    """Random moves after `node` (played on `board`), with comments, NAGs and now and then an
    alternative that starts a variation of its own, nested up to three deep."""
    for _ in range(plies):
        move = random_move(board, rng)
        if move is None:
            return
        child = node.add_variation(move)
        annotate(child, rng, 0.15 if depth == 0 else 0.08)
        others = [other for other in board.legal_moves if other != move]
        if others and depth < 3 and rng.random() < (0.12 if depth == 0 else 0.06):
            side_board = board.copy(stack=False)
            side_board.push(alternative := rng.choice(others))
            side = node.add_variation(alternative)
            if rng.random() < 0.2:
                side.starting_comment = rng.choice(ANNOTATIONS)
            add_line(side, side_board, rng, rng.randrange(1, 12), depth + 1)
        board.push(move)
        node = child


def annotated_game(rng, number):
    """An annotated game as published: a mainline with comments, NAGs (some written as !, ?, !?)
    and nested variations, exported in lines of 80 columns."""
    game = chess.pgn.Game()
    game.headers.update({"Event": "Candidates Tournament", "Site": "Anytown",
                         "Date": f"{rng.randrange(1950, 2024)}.??.??", "Round": str(number % 14 + 1),
                         "White": player(rng), "Black": player(rng), "WhiteElo": str(rng.randrange(2300, 2800)),
                         "BlackElo": str(rng.randrange(2300, 2800)), "ECO": rng.choice(OPENINGS)[0],
                         "Annotator": player(rng)})
    if rng.random() < 0.3:
        game.comment = rng.choice(ANNOTATIONS)
    board = chess.Board()
    add_line(game, board, rng, rng.randrange(40, 121), 0)
    game.headers["Result"] = result_of(game.end().board(), rng)[0]
    text = game.accept(chess.pgn.StringExporter(columns=80))
    # Half of the first six NAGs as the glyphs written right after a move.
    text = re.sub(r"(?<=[a-hNBRQKO1-8#+])\s\$([1-6])(?=\s)",
                  lambda match: GLYPHS[match[1]] if rng.random() < 0.5 else match[0], text)
    return text + "\n\n"


WRITERS = {"server-style": server_game, "annotated": annotated_game}


def corpus(kind, games, seed):
    """The corpus file, written once and cached under build/bench/ by kind, seed and size."""
    path = CACHE / f"pgn-{kind}-v{CORPUS_VERSION}-seed{seed}-{games}.pgn"
    if not path.exists():
        rng = random.Random(f"{kind} {seed}")
        CACHE.mkdir(parents=True, exist_ok=True)
        partial = path.with_name(f"{path.name}.{os.getpid()}.partial")  # runs at once write apart
        partial.write_text("".join(WRITERS[kind](rng, number) for number in range(games)), encoding="utf-8")
        partial.rename(path)
    return path


def repeated(path, size, directory):
    """A file of at least `size` bytes: `path`'s games over and over."""
    data = path.read_bytes()
    big = Path(directory) / f"repeated-{path.name}"
    with open(big, "wb") as handle:
        for _ in range(-(-size // len(data))):
            handle.write(data)
    return big


# ---------------------------------------------------------------- reading, one process per turn


@dataclass
class Reading:
    """One library's reading of one file: what it read in a pass (games, mainline moves, and errors:
    games read with errors for tarvik and python-chess, errors raised for the peers, which skip such
    games), its fastest pass, its resident memory in KiB; or why it has no figures."""

    games: int = 0
    moves: int | None = None
    errors: int = 0
    seconds: float = float("inf")
    base_kib: int = 0
    peak_kib: int = 0
    failure: str | None = None  # "crashed (SIGSEGV)", ...

    @property
    def rate(self):
        return self.games / self.seconds


def crash_description(returncode, stderr):
    """A child's end in a few words: the sanitizer's report (the sanitizer build runs the bench too),
    its signal and the C library's complaint, or its last error line."""
    lines = stderr.strip().splitlines()
    if report := re.search(r"ERROR: (\w+Sanitizer: [\w-]+)", stderr):
        return f"crashed ({report[1]})"
    if returncode < 0:
        try:
            name = signal.Signals(-returncode).name
        except ValueError:
            name = f"signal {-returncode}"
        complaint = next((line.strip() for line in lines if "free" in line or "corrupt" in line), None)
        return f"crashed ({name}: {complaint})" if complaint else f"crashed ({name})"
    return f"failed (exit {returncode}: {lines[-1] if lines else 'no message'})"


def read_in_child(library, path, sizes, headers_only=False):
    command = [sys.executable, str(HERE / "pgn_reader.py"), library, str(path), str(sizes.seconds)]
    if headers_only:
        command.append("--headers-only")
    try:
        result = subprocess.run(command, capture_output=True, text=True, errors="replace", timeout=sizes.timeout)
    except subprocess.TimeoutExpired:
        return Reading(failure=f"hung (no answer in {sizes.timeout:.0f} s)")
    if result.returncode != 0:
        return Reading(failure=crash_description(result.returncode, result.stderr))
    return Reading(**json.loads(result.stdout.splitlines()[-1]))


def race(libraries, path, sizes, headers_only=False):
    """Every library reads `path`, in turns, `sizes.rounds` times: the fastest pass of each. A library
    that fails has no further turns."""
    best = {library: Reading() for library in libraries}
    for _ in range(sizes.rounds):
        for library in libraries:
            if best[library].failure:
                continue
            reading = read_in_child(library, path, sizes, headers_only)
            if reading.failure or reading.seconds < best[library].seconds:
                best[library] = reading
    return best


def require(readings, what):
    """tarvik and python-chess must both read the file, the same games and moves, without errors (the
    corpora hold legal games only): else the figures would compare different work."""
    for name in ("tarvik", "python-chess"):
        if readings[name].failure:
            raise tables.BenchFailure(f"{name} {readings[name].failure} {what}")
    ours, theirs = readings["tarvik"], readings["python-chess"]
    if (ours.games, ours.moves, ours.errors, theirs.errors) != (theirs.games, theirs.moves, 0, 0):
        raise tables.BenchFailure(
            f"{what}: tarvik read {ours.games} games, {ours.moves} moves, {ours.errors} with errors; "
            f"python-chess {theirs.games} games, {theirs.moves} moves, {theirs.errors} with errors")


def disagreement(reading, ours):
    """(cell, note) saying why a peer's reading cannot be compared with tarvik's, or None when it can."""
    if reading.failure:
        return reading.failure.split(" (")[0], reading.failure
    if (reading.games, reading.moves) != (ours.games, ours.moves):
        return (f"read {reading.games} of {ours.games} games",
                f"read {reading.games} of {ours.games} games, {reading.moves} of {ours.moves} moves, "
                f"raising {reading.errors} errors")
    return None


# ---------------------------------------------------------------- tables


def megabytes(size):
    return f"{size / 1e6:.2f} MB"


def games_per_second(reading):
    return f"{reading.rate:,.0f}"


def report_reading(corpora, sizes):
    """Games per second reading each corpus, every move checked, and tarvik's ratio over each library.
    Returns {kind: {library: ratio}} for the libraries that read the corpus as tarvik did, and
    {kind: tarvik's reading}."""
    rows, notes, ratios, ours_by_kind = [], [], {}, {}
    for kind, path in corpora.items():
        readings = race(["tarvik", *LIBRARIES], path, sizes)
        require(readings, f"reading the {kind} corpus")
        ours = ours_by_kind[kind] = readings["tarvik"]
        cells, ratio_cells, ratios[kind] = [], [], {}
        for library in LIBRARIES:
            if problem := disagreement(readings[library], ours):
                cells.append(problem[0])
                ratio_cells.append("-")
                notes.append(f"{library} on the {kind} corpus: {problem[1]}.")
                continue
            value = ratios[kind][library] = ours.rate / readings[library].rate
            tables.chart(f"read PGN, {kind} games", library, value)
            cells.append(games_per_second(readings[library]))
            ratio_cells.append(tables.ratio(value))
        rows.append([kind, ours.games, megabytes(path.stat().st_size), games_per_second(ours), *cells, *ratio_cells])
    for kind, by_library in ratios.items():
        if native := {library: value for library, value in by_library.items() if library in NATIVE_READERS}:
            name, value = tables.fastest_peer(native)
            notes.append(f"The fastest native peer on the {kind} corpus: {name} (tarvik {tables.ratio(value)}).")
    tables.print_table(
        f"Reading PGN: games per second, every move checked, the mainline's moves listed "
        f"(each library in a process of its own, in turns; best of {sizes.rounds})",
        ["corpus", "games", "size", "tarvik", *LIBRARIES, *(f"vs {library}" for library in LIBRARIES)],
        rows,
        notes=["tarvik: len(game.moves) of each game of read_pgn(path); python-chess: chess.pgn.read_game, then",
               "mainline_moves(); bulletchess: PGNFile.next_game(), then moves; esca: pgn.read(path), then",
               "mainline(). A game a peer cannot read raises an error and is skipped. Versions: "
               + ", ".join(f"{library} {metadata.version(library)}" for library in NATIVE_READERS) + ".", *notes],
    )
    return ratios, ours_by_kind


def report_headers(corpora, sizes):
    """The headers-only scan against python-chess's read_headers. Returns {kind: ratio} and {kind:
    tarvik's scan}."""
    rows, ratios, ours_by_kind = [], {}, {}
    for kind, path in corpora.items():
        scans = race(["tarvik", "python-chess"], path, sizes, headers_only=True)
        require(scans, f"scanning the headers of the {kind} corpus")
        ours = ours_by_kind[kind] = scans["tarvik"]
        theirs = scans["python-chess"]
        ratios[kind] = ours.rate / theirs.rate
        tables.chart(f"PGN headers only, {kind} games", "python-chess", ratios[kind])
        rows.append([kind, ours.games, games_per_second(ours), games_per_second(theirs),
                     tables.ratio(ratios[kind])])
    tables.print_table(
        f"Scanning PGN headers: games per second (best of {sizes.rounds})",
        ["corpus", "games", "tarvik", "python-chess", "ratio"],
        rows,
        notes=["Each reads every game's WhiteElo tag, as a filter would. tarvik: read_pgn(path, headers_only=True) "
               "and game.header(name); python-chess: chess.pgn.read_headers(handle).get(name)."],
    )
    return ratios, ours_by_kind


def throughput_row(label, path, full, headers, sizes):
    """tarvik's MB/s reading whole games and headers only, beside a plain search of the same bytes."""
    floor = race(["byte-search"], path, sizes)["byte-search"]
    if floor.failure:
        raise tables.BenchFailure(f"the byte search {floor.failure} on {path}")
    if floor.games != full.games:
        raise tables.BenchFailure(f"{label}: {floor.games} '[Event ' tags but tarvik read {full.games} games")
    size = path.stat().st_size / 1e6
    return [label, megabytes(path.stat().st_size), f"{size / floor.seconds:.0f}", f"{size / full.seconds:.1f}",
            f"{size / headers.seconds:.1f}", f"{floor.seconds / full.seconds:.1%}",
            f"{floor.seconds / headers.seconds:.1%}"]


def report_throughput(rows):
    tables.print_table(
        "Reading PGN against the floor: MB/s of a plain byte search of the file and of tarvik",
        ["file", "size", "byte search", "tarvik", "headers only", "tarvik / search", "headers / search"],
        rows,
        notes=["byte search: the file read in 1 MiB chunks, bytes.count(b'[Event ') over each: the least any reader",
               "must do. Each figure from a process of its own, the file in the page cache."],
    )


def report_memory(path, sizes):
    """tarvik reads a file of over BIG_FILE_BYTES (the corpus at `path` repeated) in a process of its own,
    whole games and headers only. Returns the peak resident set in MB and the file's throughput row."""
    once = dataclasses.replace(sizes, rounds=1, seconds=0.0)
    with tempfile.TemporaryDirectory(prefix="tarvik-pgn-") as directory:
        big = repeated(path, BIG_FILE_BYTES, directory)
        size = big.stat().st_size
        readings = {"whole games": read_in_child("tarvik", big, once),
                    "headers only": read_in_child("tarvik", big, once, headers_only=True)}
        for reading in readings.values():
            if reading.failure:
                raise tables.BenchFailure(f"tarvik {reading.failure} reading a file of {size} bytes")
        row = throughput_row(f"{size / 1e6:.0f} MB file", big, readings["whole games"],
                             readings["headers only"], once)
    peak_mb = max(reading.peak_kib for reading in readings.values()) * 1024 / 1e6
    tables.print_table(
        f"Memory: tarvik reading a {size / 1e6:.0f} MB file (the server-style corpus over and over), "
        f"a process for each reading",
        ["read_pgn", "games", "resident after import", "peak", "growth", "time"],
        [[name, reading.games, megabytes(reading.base_kib * 1024), megabytes(reading.peak_kib * 1024),
          megabytes((reading.peak_kib - reading.base_kib) * 1024), f"{reading.seconds:.1f} s"]
         for name, reading in readings.items()],
        notes=[f"Peak: the process's peak resident set (VmHWM), interpreter included; the limit, {MEMORY_LIMIT_MB} "
               "MB, is " + ("met." if peak_mb <= MEMORY_LIMIT_MB else "EXCEEDED: the run fails.")],
    )
    return peak_mb, row


def report_goals(reading, headers, peak_mb):
    server = reading["server-style"]
    rows = []
    if "python-chess" in server:
        rows.append(["server-style games vs python-chess", tables.ratio(server["python-chess"]), ">= 200x",
                     server["python-chess"] >= GOALS["python-chess"]])
    if native := {library: value for library, value in server.items() if library in NATIVE_READERS}:
        name, value = tables.fastest_peer(native)
        rows.append([f"server-style games vs the fastest native peer ({name})", tables.ratio(value), ">= 10x",
                     value >= GOALS["fastest native peer"]])
    rows.append(["headers only vs read_headers, server-style games", tables.ratio(headers["server-style"]),
                 ">= 20x", headers["server-style"] >= GOALS["headers only"]])
    if peak_mb is not None:
        rows.append([f"peak memory reading {BIG_FILE_BYTES // 10**6} MB", f"{peak_mb:.0f} MB",
                     f"<= {MEMORY_LIMIT_MB} MB", peak_mb <= MEMORY_LIMIT_MB])
    tables.print_table("PGN goals", ["figure", "value", "goal", ""],
                       [row[:3] + ["met" if row[3] else "MISSED"] for row in rows])


def report(quick, seed):
    """Every PGN table, then the PGN goals. Raises tables.BenchFailure when tarvik and python-chess read
    differently or the memory limit is exceeded."""
    sizes = QUICK if quick else FULL
    corpora = {"server-style": corpus("server-style", sizes.server_games, seed),
               "annotated": corpus("annotated", sizes.annotated_games, seed)}
    reading, reads = report_reading(corpora, sizes)
    headers, scans = report_headers(corpora, sizes)
    rows = [throughput_row(f"{kind} corpus", path, reads[kind], scans[kind], sizes)
            for kind, path in corpora.items()]
    peak_mb = None
    if sizes.big_file:
        peak_mb, row = report_memory(corpora["server-style"], sizes)
        rows.append(row)
    report_throughput(rows)
    report_goals(reading, headers, peak_mb)
    if peak_mb is not None and peak_mb > MEMORY_LIMIT_MB:
        raise tables.BenchFailure(f"reading a large PGN file took {peak_mb:.0f} MB at its peak, over "
                                 f"{MEMORY_LIMIT_MB} MB")


def main():
    """The PGN tables alone: python bench/pgn.py [--quick] [--seed N] [--chart PATH]."""
    import argparse

    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true", help="tiny corpora, one turn each, no memory table")
    parser.add_argument("--seed", type=int, default=2024, help="seed of the corpora")
    parser.add_argument("--chart", type=Path, help="where to draw the chart of these tables' ratios")
    options = parser.parse_args()
    try:
        report(options.quick, options.seed)
    except tables.BenchFailure as failure:
        print(f"\nBENCH FAILED: {failure}", file=sys.stderr)
        return 1
    if options.chart:
        from chart import draw, finite  # matplotlib only where a chart is drawn

        print(f"Chart: {draw(finite(tables.CHART), options.chart, 'tarvik reading PGN against each library')}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
