"""Corpora: tarvik reading PGN files of hundreds of megabytes, on one thread and on two, against
rust-pgn-reader-python-binding at equal threads and, on a slice, python-chess, esca and bulletchess; the
same file compressed with zstd, beside `zstd -d`; and the peak memory of every reading.

The inputs are the real PGN files beside the repository (shared/realworld-data/*.pgn) concatenated, smallest
first, over and over, in a temporary folder: the big file until it holds at least `Sizes.big_bytes`, the slice
every file once. The same files give the same inputs on every machine.

Every reading runs once in a fresh process (bench/corpus_reader.py), the readings taking turns round after
round; a reading's time is its fastest round's, its memory the child's largest peak resident set (its VmHWM:
not the child's ru_maxrss, into which Linux carries the parent's own peak over fork and exec). A row whose
feature this build of tarvik lacks says "not available"; a peer that crashes or hangs is reported as such
and the run goes on.

    python bench/corpora.py [--quick]    these tables alone (bench/bench.py runs them with the others)
"""

import codecs
import importlib.metadata
import importlib.util
import itertools
import json
import math
import shutil
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

import tarvik

import tables
from pgn import crash_description

HERE = Path(__file__).resolve().parent
REAL_FILES = HERE.parent.parent / "shared" / "realworld-data"
BINDING = "rust-pgn-reader"  # rust-pgn-reader-python-binding, by the name the tables give it
SLOW_PEERS = ("python-chess", "esca", "bulletchess")
MEMORY_LIMIT_MB = 200  # peak resident set, in 10**6 bytes
# Ways of reading of bench/corpus_reader.py.
READ_PGN, READ_PGN_MOVES, GAMES_TABLE, POSITIONS_TABLE = "read_pgn", "read_pgn-moves", "table-games", "table-positions"
LABELS_OF_TARVIK = {READ_PGN: "read_pgn(path), games iterated", READ_PGN_MOVES: "read_pgn(path), moves listed",
                    GAMES_TABLE: 'pgn_table(path, rows="games")', POSITIONS_TABLE: 'pgn_table(path, rows="positions")'}
LABELS = {**LABELS_OF_TARVIK, "binding": f"{BINDING} parse_games_from_strings", **{peer: peer for peer in SLOW_PEERS}}


@dataclass
class Sizes:
    big_bytes: int  # the file of the speed and memory rows
    slice_bytes: int | None  # the slow peers' file; None: every real file once
    rounds: int
    timeout: float  # seconds one reading may take before it is reported as hung


FULL = Sizes(big_bytes=500 * 10**6, slice_bytes=None, rounds=2, timeout=1800)
QUICK = Sizes(big_bytes=10**6, slice_bytes=100_000, rounds=1, timeout=120)


# ---------------------------------------------------------------- inputs


def real_files():
    """The real PGN files in the order they are concatenated: smallest first (then by name), so that even a
    small input holds many of them."""
    return sorted(REAL_FILES.glob("*.pgn"), key=lambda path: (path.stat().st_size, path.name))


def concatenation(files, size, path):
    """`path` written with `files` one after another, over and over, until it holds at least `size` bytes
    (every file once when `size` is None); a blank line after each, so that no game runs into the next file.
    A byte-order mark opens a file, not a stretch of one: each file's is left out (esca 0.4.0 dies on one)."""
    contents, written = [file.read_bytes().removeprefix(codecs.BOM_UTF8) for file in files], 0
    with open(path, "wb") as handle:
        for number, data in enumerate(itertools.cycle(contents), 1):
            handle.write(data + b"\n\n")
            written += len(data) + 2
            if (size is None and number == len(contents)) or (size is not None and written >= size):
                return path


def compressed(path):
    """`path` compressed by the zstd command at its default level, beside it as .zst."""
    target = path.with_name(path.name + ".zst")
    subprocess.run(["zstd", "-q", "-f", str(path), "-o", str(target)], check=True)
    return target


# ---------------------------------------------------------------- what this build has


def missing_features():
    """{feature: why it cannot be measured} for what this build of tarvik, or the machine, lacks of
    threads, pgn_table, compressed input and the binding."""
    missing = {}
    try:
        tarvik.read_pgn(b"", threads=1)
    except TypeError:
        missing["threads"] = "read_pgn takes no threads"
    if not hasattr(tarvik, "pgn_table"):
        missing["pgn_table"] = "no tarvik.pgn_table"
    if shutil.which("zstd") is None:
        missing["zstd"] = "no zstd command"
    else:
        # Repeated, so that the text is not stored as it is in the compressed data.
        games = b"1. e4 e5 *\n\n" * 100
        packed = subprocess.run(["zstd", "-q", "-c"], input=games, capture_output=True, check=True).stdout
        if [len(read.moves) for read in tarvik.read_pgn(packed)] != [2] * 100:
            missing["zstd"] = "read_pgn reads no zstd"
    if importlib.util.find_spec("rust_pgn_reader_python_binding") is None:
        missing["binding"] = "rust-pgn-reader-python-binding is not installed"
    return missing


# ---------------------------------------------------------------- readings, one process each


@dataclass(frozen=True)
class Measure:
    way: str  # a way of reading of bench/corpus_reader.py
    file: str  # "big", "big.zst" or "slice"
    threads: int | None  # None: a reader without threads


@dataclass
class Reading:
    """What one way read from one file (rows: mainline moves, a table's rows, the binding's positions), its
    fastest round, the time the binding's fastest round spent splitting the file, the largest peak resident
    set; or why there are no figures."""

    games: int | None = None
    rows: int | None = None
    errors: int | None = None
    seconds: float = math.inf
    split_seconds: float = math.inf
    peak_kib: int = 0
    failure: str | None = None  # "not available (...)", "crashed (SIGSEGV)", ...

    @property
    def ok(self):
        return self.failure is None


def needs(measure):
    """The features a measure reads with."""
    wanted = set()
    if measure.way.startswith("table-"):
        wanted.add("pgn_table")
    if measure.way == "binding":
        wanted.add("binding")
    if measure.file.endswith(".zst"):
        wanted.add("zstd")
    if measure.way in (READ_PGN, READ_PGN_MOVES) and measure.threads and measure.threads > 1:
        wanted.add("threads")
    return wanted


def threads_argument(measure, missing):
    """corpus_reader.py's THREADS: "-" where tarvik's read_pgn takes none (its only path is one thread)."""
    if measure.threads is None or (measure.way in (READ_PGN, READ_PGN_MOVES) and "threads" in missing):
        return "-"
    return str(measure.threads)


def read_once(measure, path, missing, timeout):
    command = [sys.executable, str(HERE / "corpus_reader.py"), measure.way, str(path),
               threads_argument(measure, missing)]
    try:
        result = subprocess.run(command, capture_output=True, text=True, errors="replace", timeout=timeout)
    except subprocess.TimeoutExpired:
        return Reading(failure=f"hung (no answer in {timeout:.0f} s)")
    if result.returncode != 0:
        return Reading(failure=crash_description(result.returncode, result.stderr))
    return Reading(**json.loads(result.stdout.splitlines()[-1]))


def measure_all(measures, paths, missing, sizes):
    """Every measure, in turns, `sizes.rounds` times; a measure that fails has no further turns."""
    best = {}
    for measure in measures:
        if lacking := sorted(needs(measure) & missing.keys()):
            best[measure] = Reading(failure="not available (" + "; ".join(missing[name] for name in lacking) + ")")
        else:
            best[measure] = Reading()
    for _ in range(sizes.rounds):
        for measure in measures:
            if not best[measure].ok:
                continue
            reading = read_once(measure, paths[measure.file], missing, sizes.timeout)
            if not reading.ok:
                best[measure] = reading
                continue
            kept = best[measure]
            if reading.seconds < kept.seconds:
                kept.games, kept.rows, kept.errors, kept.seconds = (reading.games, reading.rows, reading.errors,
                                                                    reading.seconds)
            kept.split_seconds = min(kept.split_seconds, reading.split_seconds)
            kept.peak_kib = max(kept.peak_kib, reading.peak_kib)
    return best


def decompression_floor(path, rounds):
    """Seconds of the fastest `zstd -d` of `path` to /dev/null, process start included."""
    best = math.inf
    for _ in range(rounds):
        start = time.perf_counter()
        subprocess.run(["zstd", "-d", "-q", "-c", str(path)], stdout=subprocess.DEVNULL, check=True)
        best = min(best, time.perf_counter() - start)
    return best


def check_agreement(readings):
    """tarvik must read every file, and alike however it reads it (on any thread count, compressed or not, as
    games or as a table): the same games, mainline moves and positions."""
    for measure, reading in readings.items():
        if measure.way in LABELS_OF_TARVIK and not reading.ok and not reading.failure.startswith("not available"):
            raise tables.BenchFailure(f"{LABELS[measure.way]} of the {measure.file} file on "
                                      f"{threads_label(measure.threads)}: {reading.failure}")
    for file in ("big", "slice"):
        found = {"games": {}, "mainline moves": {}, "positions": {}}
        for measure, reading in readings.items():
            if not reading.ok or not measure.file.startswith(file) or measure.way not in LABELS_OF_TARVIK:
                continue
            name = f"{LABELS[measure.way]} of {measure.file}, {threads_label(measure.threads)}"
            if measure.way in (READ_PGN, READ_PGN_MOVES, GAMES_TABLE):
                found["games"][name] = count(reading, "games")
            if measure.way == READ_PGN_MOVES:
                found["mainline moves"][name] = reading.rows
            if measure.way == POSITIONS_TABLE:
                found["positions"][name] = reading.rows
        for what, counts in found.items():
            if len(set(counts.values())) > 1:
                raise tables.BenchFailure(f"tarvik reads different numbers of {what} from one file: {counts}")


# ---------------------------------------------------------------- tables


def megabytes(size):
    return f"{size / 1e6:.0f} MB" if size >= 10**7 else f"{size / 1e6:.2f} MB"


def threads_label(threads):
    return "-" if threads is None else f"{threads} thread" + ("s" if threads > 1 else "")


def count(reading, what):
    """The games a reading read, or its rows; None where it counts none."""
    return reading.rows if what == "rows" else reading.games


def per_second(reading, what="games"):
    return "" if count(reading, what) is None else f"{count(reading, what) / reading.seconds:,.0f}"


def blank_if_none(value):
    return "" if value is None else value


def ratio_of(ours, theirs):
    """Their time over ours, reading the same text (so the ratio of the MB/s), or None where either has no
    figures. Not of games/s: each reader counts the games it finds, and tarvik finds the most."""
    if not (ours.ok and theirs.ok):
        return None
    return theirs.seconds / ours.seconds


def failure_row(label, measure, reading, width, notes):
    """A row that says in a word why it has no figures; the reason goes to the notes."""
    on = "" if measure.threads is None else f", {threads_label(measure.threads)}"
    notes.append(f"{label}{on}: {reading.failure}.")
    return [label, threads_label(measure.threads), reading.failure.split(" (")[0], *[""] * (width - 3)]


def report_big(readings, size, floor_seconds, sizes):
    rows, notes = [], []

    def row(label, measure):
        reading = readings[measure]
        if not reading.ok:
            return failure_row(label, measure, reading, 8, notes)
        return [label, threads_label(measure.threads), blank_if_none(reading.games), blank_if_none(reading.rows),
                f"{size / 1e6 / reading.seconds:.1f}", per_second(reading), per_second(reading, "rows"),
                megabytes(reading.peak_kib * 1024)]

    for way in (READ_PGN, GAMES_TABLE, POSITIONS_TABLE, "binding"):
        rows += [row(LABELS[way], Measure(way, "big", threads)) for threads in (1, 2)]
    binding = {threads: readings[Measure("binding", "big", threads)] for threads in (1, 2)}
    if binding[1].ok:
        rows.append(["  its input: the file read and split", "-", binding[1].games, "",
                     f"{size / 1e6 / binding[1].split_seconds:.1f}", "", "", ""])
    rows.append([])
    rows += [row("read_pgn(path.pgn.zst)", Measure(READ_PGN, "big.zst", threads)) for threads in (1, 2)]
    floor = "not available" if floor_seconds is None else f"{size / 1e6 / floor_seconds:.0f}"
    rows.append(["zstd -d to /dev/null", "-", "", "", floor, "", "", ""])
    version = importlib.metadata.version("rust-pgn-reader-python-binding") if binding[1].ok else "(absent)"
    notes = [f"{BINDING}: rust-pgn-reader-python-binding {version}, given one string per game, 32 MB of text per",
             "call; its rows are the positions it records (a board, castling rights, en passant file and clocks for",
             "each). Its times EXCLUDE reading and splitting the file (re.split at a blank line before a tag pair, in",
             "Python), which is timed apart on the row below it; tarvik's times include reading the file.",
             *(f"With the split counted, the binding on {threads_label(threads)} reads "
               f"{reading.games / (reading.seconds + reading.split_seconds):,.0f} games/s."
               for threads, reading in binding.items() if reading.ok),
             "MB/s: of the plain file (the .zst's decompressed text). Peak RSS: the child process's VmHWM,",
             "interpreter and imports included. Games: tarvik counts a game wherever the standard says one begins,",
             "the binding one per string it was given. read_pgn iterates the games, every move checked as it reads",
             "them; listing their moves as Python objects is the slice table's work.", *notes]
    tables.print_table(
        f"Corpora: the real PGN files concatenated to a {megabytes(size)} file, each reading a fresh process "
        f"(best of {sizes.rounds})",
        ["reading", "threads", "games", "rows", "MB/s", "games/s", "rows/s", "peak RSS"], rows, notes=notes)


def report_slice(readings, size, sizes):
    ours = {(way, threads): readings[Measure(way, "slice", threads)]
            for way in (READ_PGN_MOVES, GAMES_TABLE) for threads in (1, 2)}
    against = [(READ_PGN_MOVES, 1), (READ_PGN_MOVES, 2), (GAMES_TABLE, 1)]
    rows, notes = [], []
    for (way, threads), reading in ours.items():
        if not reading.ok:
            rows.append(failure_row(LABELS[way], Measure(way, "slice", threads), reading, 8, notes))
        else:
            rows.append([LABELS[way], threads_label(threads), reading.games, blank_if_none(reading.errors),
                         per_second(reading), "", "", ""])
    rows.append([])
    for peer in SLOW_PEERS:
        measure = Measure(peer, "slice", None)
        reading = readings[measure]
        if not reading.ok:
            rows.append(failure_row(peer, measure, reading, 8, notes))
            continue
        ratios = [ratio_of(ours[key], reading) for key in against]
        rows.append([peer, "-", reading.games, reading.errors, per_second(reading),
                     *("-" if value is None else tables.ratio(value) for value in ratios)])
    tables.print_table(
        f"Corpora: the slow readers on a {megabytes(size)} slice (every real file once; best of {sizes.rounds})",
        ["reading", "threads", "games", "errors", "games/s",
         *(f"{'read_pgn' if way == READ_PGN_MOVES else 'games table'} {threads_label(threads)} / this"
           for way, threads in against)], rows,
        notes=["Ratios: the library's time over tarvik's, reading the same slice. Games: what each counts (the",
               "peers skip games they cannot read and count them as errors; tarvik's errors are games read with",
               "errors).", *notes])


def goals(readings):
    """(figure, ratio or None, goal) for each speed goal of the corpus rows."""
    def at(way, threads, file="big"):
        return readings[Measure(way, file, threads)]

    rows = [("read_pgn, 2 threads / 1 thread", ratio_of(at(READ_PGN, 2), at(READ_PGN, 1)), 1.8)]
    rows += [(f"read_pgn vs {BINDING}, {threads_label(threads)} each",
              ratio_of(at(READ_PGN, threads), at("binding", threads)), 1.5) for threads in (1, 2)]
    rows += [(f"positions table vs {BINDING}, {threads_label(threads)} each",
              ratio_of(at(POSITIONS_TABLE, threads), at("binding", threads)), 2.0) for threads in (1, 2)]
    rows += [(f"games table, 1 thread, vs {peer}, on the slice",
              ratio_of(at(GAMES_TABLE, 1, "slice"), at(peer, None, "slice")), goal)
             for peer, goal in (("python-chess", 200.0), ("esca", 10.0))]
    rows.append(("read_pgn of the .pgn.zst / of the plain file, 2 threads",
                 ratio_of(at(READ_PGN, 2, "big.zst"), at(READ_PGN, 2)), 0.85))
    return rows


def report_goals(readings, size):
    rows = [[figure, "-" if value is None else tables.ratio(value), f">= {tables.ratio(goal)}",
             "not available" if value is None else "met" if value >= goal else "MISSED"]
            for figure, value, goal in goals(readings)]
    peaks = {f"{LABELS[measure.way]}, {threads_label(measure.threads)}": reading.peak_kib * 1024 / 1e6
             for measure, reading in readings.items()
             if reading.ok and measure.file == "big" and measure.way in LABELS_OF_TARVIK}
    if peaks:
        worst = max(peaks, key=peaks.get)
        rows.append([f"peak RSS, read_pgn and pgn_table, {megabytes(size)} file", f"{peaks[worst]:.0f} MB",
                     f"<= {MEMORY_LIMIT_MB} MB", "met" if peaks[worst] <= MEMORY_LIMIT_MB else f"MISSED ({worst})"])
    tables.print_table("Corpus goals (speed: the other reading's time over tarvik's, the same file, this run)",
                       ["figure", "value", "goal", ""], rows)


def chart_ratios(readings):
    for threads in (1, 2):
        binding = readings[Measure("binding", "big", threads)]
        for figure, ours in ((f"corpus read_pgn, {threads_label(threads)}", READ_PGN),
                             (f"corpus positions table, {threads_label(threads)}", POSITIONS_TABLE)):
            if (value := ratio_of(readings[Measure(ours, "big", threads)], binding)) is not None:
                tables.chart(figure, BINDING, value)
    for peer in SLOW_PEERS:
        value = ratio_of(readings[Measure(GAMES_TABLE, "slice", 1)], readings[Measure(peer, "slice", None)])
        if value is not None:
            tables.chart("corpus games table, 1 thread", peer, value)


def measures():
    big = [Measure(way, "big", threads) for way in (READ_PGN, GAMES_TABLE, POSITIONS_TABLE, "binding")
           for threads in (1, 2)]
    compressed_rows = [Measure(READ_PGN, "big.zst", threads) for threads in (1, 2)]
    on_slice = [Measure(way, "slice", threads) for way in (READ_PGN_MOVES, GAMES_TABLE) for threads in (1, 2)]
    return big + compressed_rows + on_slice + [Measure(peer, "slice", None) for peer in SLOW_PEERS]


def report(quick):
    """The corpus tables and their goals. Raises tables.BenchFailure when tarvik reads one file differently
    by the way it reads it; prints a line and returns when the real files are absent."""
    sizes = QUICK if quick else FULL
    files = real_files()
    if not files:
        print(f"Corpora: not available (no real PGN files in {REAL_FILES})\n")
        return
    missing = missing_features()
    with tempfile.TemporaryDirectory(prefix="tarvik-corpora-") as directory:
        big = concatenation(files, sizes.big_bytes, Path(directory) / "big.pgn")
        paths = {"big": big, "slice": concatenation(files, sizes.slice_bytes, Path(directory) / "slice.pgn")}
        floor_seconds = None
        if shutil.which("zstd"):
            paths["big.zst"] = compressed(big)
            floor_seconds = decompression_floor(paths["big.zst"], sizes.rounds)
        readings = measure_all(measures(), paths, missing, sizes)
        check_agreement(readings)
        report_big(readings, big.stat().st_size, floor_seconds, sizes)
        report_slice(readings, paths["slice"].stat().st_size, sizes)
        report_goals(readings, big.stat().st_size)
        chart_ratios(readings)


def main():
    import argparse

    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true", help="tiny inputs, one round")
    options = parser.parse_args()
    try:
        report(options.quick)
    except tables.BenchFailure as failure:
        print(f"\nBENCH FAILED: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
