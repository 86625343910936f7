"""PGN files read in pieces on many cores, for the examples that turn a corpus into tables.

Every file is cut into byte ranges; `tarvik.read_pgn(path, start=, stop=)` and `tarvik.pgn_table` read the
games whose first byte lies in a range, so every game is read exactly once, however the cuts fall. A
caller's function reads one piece, `read(path, start, stop)`, and returns what it likes; a runner calls it
for every piece, in this process, on a local process pool, or on a Dask distributed cluster (the one at an
address, whose workers must see the files at the same paths, or a local cluster started for the run), with
a progress bar on stderr, and returns the results in the pieces' order.

The read function travels to Dask's workers pickled by value when it belongs to the script being run
(`__main__`): a remote worker needs neither this module nor the script, only tarvik.
"""

from __future__ import annotations

import argparse
import contextlib
import os
import sys
import time
from collections.abc import Callable, Sequence
from concurrent.futures import ProcessPoolExecutor, as_completed
from typing import Any, NamedTuple

Read = Callable[[str, int, int], Any]
Runner = Callable[[list["Piece"]], list[Any]]


class Piece(NamedTuple):
    """Bytes [start, stop) of a file: name is how the command line gave it, path where to read it."""

    name: str
    path: str
    start: int
    stop: int


def cut(names: Sequence[str], piece_size: int) -> list[Piece]:
    """Every file cut into pieces of piece_size bytes (the last one of a file shorter)."""
    pieces = []
    for name in names:
        path, size = os.path.abspath(name), os.path.getsize(name)
        starts = range(0, max(size, 1), piece_size)
        pieces += [Piece(name, path, start, min(start + piece_size, size)) for start in starts]
    return pieces


def default_piece_size(total: int, workers: int) -> int:
    # Eight pieces per worker even out unequal pieces; the bounds keep tiny pieces from costing more to
    # hand out than to read, and huge ones from holding one worker's memory.
    return min(max(total // (8 * workers), 1 << 16), 1 << 24)


# ---------------------------------------------------------------- where the pieces are read


def readable(size: int) -> str:
    return f"{size / 1e6:.1f} MB" if size >= 1e6 else f"{size / 1e3:.1f} kB"


class ProgressBar:
    """A one-line bar on stderr counting the bytes of the pieces read, redrawn ten times a second."""

    def __init__(self, pieces: Sequence[Piece], width: int = 40) -> None:
        self.total = sum(piece.stop - piece.start for piece in pieces)
        self.done = 0
        self.width = width
        self.began = self.drawn = time.perf_counter()
        self.draw()

    def advance(self, piece: Piece) -> None:
        self.done += piece.stop - piece.start
        if time.perf_counter() - self.drawn >= 0.1:
            self.draw()

    def draw(self) -> None:
        self.drawn = time.perf_counter()
        part = self.done / self.total if self.total else 1.0
        bar = "#" * int(self.width * part)
        sys.stderr.write(f"\r[{bar:<{self.width}}] {part:4.0%} of {readable(self.total)}, "
                         f"{self.drawn - self.began:.1f} s")
        sys.stderr.flush()

    def close(self) -> None:
        self.draw()
        sys.stderr.write("\n")


def in_this_process(read: Read) -> Runner:
    def run(pieces: list[Piece]) -> list[Any]:
        bar = ProgressBar(pieces)
        results = []
        for piece in pieces:
            results.append(read(piece.path, piece.start, piece.stop))
            bar.advance(piece)
        bar.close()
        return results

    return run


def with_processes(read: Read, workers: int) -> Runner:
    def run(pieces: list[Piece]) -> list[Any]:
        bar = ProgressBar(pieces)
        with ProcessPoolExecutor(max_workers=workers) as pool:
            futures = {pool.submit(read, piece.path, piece.start, piece.stop): piece for piece in pieces}
            for future in as_completed(futures):
                bar.advance(futures[future])
            bar.close()
            return [future.result() for future in futures]  # a dict keeps the pieces' order

    return run


def with_dask(read: Read, workers: int, scheduler: str | None) -> Runner:
    from dask.distributed import Client, LocalCluster, progress

    def run(pieces: list[Piece]) -> list[Any]:
        with contextlib.ExitStack() as stack:
            if scheduler is None:
                cluster = stack.enter_context(LocalCluster(n_workers=workers, threads_per_worker=1,
                                                           processes=True, dashboard_address=None))
                client = stack.enter_context(Client(cluster))
            else:
                client = stack.enter_context(Client(scheduler))
            futures = client.map(read, [piece.path for piece in pieces], [piece.start for piece in pieces],
                                 [piece.stop for piece in pieces], pure=False)
            with contextlib.redirect_stdout(sys.stderr):  # Dask draws its bar on stdout
                progress(futures)
            return client.gather(futures)

    return run


# ---------------------------------------------------------------- the command line's share


def add_arguments(parser: argparse.ArgumentParser) -> None:
    """The options that say where the pieces are read, and the files."""
    parser.add_argument("--dask", action="store_true", help="read the pieces on a Dask distributed cluster")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: start a local cluster)")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1, help="processes (default: one per CPU)")
    parser.add_argument("--piece-size", type=int,
                        help="bytes per piece (default: the files' size over 8 pieces per worker, 64 KiB to 16 MiB)")
    parser.add_argument("files", nargs="+", metavar="FILE", help="PGN files")


def check_arguments(parser: argparse.ArgumentParser, options: argparse.Namespace) -> None:
    if options.scheduler and not options.dask:
        parser.error("--scheduler needs --dask")
    if options.workers < 1:
        parser.error("--workers must be 1 or more")
    if options.piece_size is not None and options.piece_size < 1:
        parser.error("--piece-size must be 1 or more")
    for name in options.files:
        if not os.path.isfile(name):
            parser.error(f"{name}: no such file")


def pieces_and_runner(options: argparse.Namespace, read: Read) -> tuple[list[Piece], Runner]:
    """The files cut as the options say, and the runner they choose."""
    total = sum(os.path.getsize(name) for name in options.files)
    pieces = cut(options.files, options.piece_size or default_piece_size(total, options.workers))
    if options.dask:
        return pieces, with_dask(read, options.workers, options.scheduler)
    if options.workers > 1:
        return pieces, with_processes(read, options.workers)
    return pieces, in_this_process(read)
