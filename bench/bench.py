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

Each table has a module of its own beside this one (positions.py holds the positions and sizes they share,
tables.py and timing.py their formatting and loops); this script runs them in order and prints the goals.
"""

import argparse
import os
import platform
import sys
from pathlib import Path

import chess

import tarvik

import books_pictures
import corpora
import pgn
from board_api import board_api
from everyday import EVERYDAY_GOAL, PERFT_GOAL, everyday
from memory import report_memory
from native_perft import HEADLINE_POSITIONS, find_perft, find_stockfish, native
from peer_api import peer_api, report_peer_api
from peers import PEERS
from positions import FULL, PERFT_SUITE, QUICK, random_middlegames
from python_api import python_api, report_python_api
from python_perft import peer_python_perft, python_perft
from tables import CHART, BenchFailure, print_table, ratio

REPO = Path(__file__).resolve().parents[1]
DEFAULT_CHART = REPO / "docs" / "performance.png"


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
