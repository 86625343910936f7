"""Perft spread over processes, or over a Dask cluster: one task per root move.

    python examples/parallel_perft.py [--workers N] [--dask [--scheduler ADDRESS]] FEN DEPTH

Each legal move of the position is played on a copy of the board, and the copy (a pickled
Board, its game included) goes to a worker, which counts the leaves below it with
Board.perft. A local process pool does the work by default; with --dask, a Dask distributed
cluster does: the one at ADDRESS, or a local cluster started for the run. Prints one
"move: count" line per root move, in the order of legal_moves(), and the total last.
"""

# Annotations stay text: Dask pickles a function of __main__ by value, annotations
# included, and tarvik's classes cannot travel as objects (pickle finds them by
# name in "builtins", where they are not). Boards themselves travel fine.
from __future__ import annotations

import argparse
import os
import sys
from collections.abc import Callable, Iterator
from concurrent.futures import ProcessPoolExecutor

import tarvik


def count_leaves(board: tarvik.Board, depth: int) -> int:
    return board.perft(depth)


def root_tasks(fen: str, depth: int) -> Iterator[tuple[str, tarvik.Board]]:
    """(root move in UCI, the board after it) for every legal move of the position."""
    board = tarvik.Board(fen)
    for move in board.legal_moves():
        child = board.copy()
        child.apply_move(move)
        yield move.uci(), child


def with_processes(workers: int) -> Callable[[list[tarvik.Board], int], list[int]]:
    def run(boards: list[tarvik.Board], depth: int) -> list[int]:
        with ProcessPoolExecutor(max_workers=workers) as pool:
            return list(pool.map(count_leaves, boards, [depth] * len(boards)))

    return run


def with_dask(workers: int, scheduler: str | None) -> Callable[[list[tarvik.Board], int], list[int]]:
    from dask.distributed import Client, LocalCluster

    def run(boards: list[tarvik.Board], depth: int) -> list[int]:
        if scheduler is not None:
            with Client(scheduler) as client:
                return client.gather(client.map(count_leaves, boards, depth=depth, pure=False))
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                          dashboard_address=None) as cluster, Client(cluster) as client:
            return client.gather(client.map(count_leaves, boards, depth=depth, pure=False))

    return run


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1, help="processes (default: one per CPU)")
    parser.add_argument("--dask", action="store_true", help="run the tasks on a Dask distributed cluster")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: start a local cluster)")
    parser.add_argument("fen", help="the position, as FEN text")
    parser.add_argument("depth", type=int, help="plies to count, 1 or more")
    options = parser.parse_args()
    if options.depth < 1:
        parser.error("depth must be 1 or more")
    if options.scheduler and not options.dask:
        parser.error("--scheduler needs --dask")

    tasks = list(root_tasks(options.fen, options.depth))
    run = with_dask(options.workers, options.scheduler) if options.dask else with_processes(options.workers)
    counts = run([board for _, board in tasks], options.depth - 1)
    for (uci, _), count in zip(tasks, counts):
        print(f"{uci}: {count}")
    print(f"Nodes searched: {sum(counts)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
