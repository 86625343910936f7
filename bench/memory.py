"""Table: memory, the bytes an applied move keeps on the stacks (bench/stack_memory.py in a fresh process per
library) and the peak memory of the native perft programs."""

import subprocess
import sys
from pathlib import Path

from tables import BenchFailure, print_table

HERE = Path(__file__).resolve().parent


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
