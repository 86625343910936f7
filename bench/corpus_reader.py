"""Reads a corpus one way, once, in a process of its own, and prints what it read and how long it took.

    python corpus_reader.py WAY PATH THREADS

WAY is one of
  read_pgn          every game of tarvik.read_pgn(path), counted (its moves are checked as it is read)
  read_pgn-moves    the same, each game's mainline moves listed, as bench/pgn_reader.py reads it
  table-games       tarvik.pgn_table(path, rows="games"): the Arrow stream read batch by batch, rows counted
  table-positions   the same with rows="positions"
  binding           rust-pgn-reader-python-binding's parse_games_from_strings: the file read and split into
                    one string per game (timed apart), parsed a batch of games at a time
  python-chess, bulletchess, esca
                    bench/pgn_reader.py's loops (THREADS is ignored)
THREADS is a number, or "-" for a build of tarvik whose read_pgn takes no threads (its one path then).

The last line printed is JSON: games, rows (mainline moves, or the table's rows, or the binding's positions),
errors (games read with errors, or raised; null where not counted), seconds (the binding's without the split), split_seconds and
peak_kib, the peak resident set of this process (VmHWM).
"""

import importlib
import json
import re
import sys
import time

import pgn_reader

# Where the binding's input is cut: a blank line, then a tag pair. Games parted otherwise (no blank line
# between them, or no tags) stay in one string, of which the binding reads the first game.
GAME_BREAK = re.compile(r"\n[ \t\r]*\n(?=\[)")
BINDING_BATCH_BYTES = 32 << 20  # text per parse_games_from_strings call: large enough to keep its threads busy


def threads_argument(threads):
    return {} if threads is None else {"threads": threads}


def read_pgn(path, threads):
    import tarvik

    games = sum(1 for _ in tarvik.read_pgn(path, **threads_argument(threads)))
    return {"games": games, "rows": None, "errors": None}


def read_pgn_moves(path, threads):
    import tarvik

    games = moves = errors = 0
    for game in tarvik.read_pgn(path, **threads_argument(threads)):
        games += 1
        moves += len(game.moves)
        errors += bool(game.errors)
    return {"games": games, "rows": moves, "errors": errors}


def read_table(rows):
    def read(path, threads):
        import pyarrow
        import tarvik

        count = 0
        for batch in pyarrow.RecordBatchReader.from_stream(tarvik.pgn_table(path, rows=rows, threads=threads)):
            count += batch.num_rows
        return {"games": count if rows == "games" else None, "rows": count, "errors": None}

    return read


def game_batches(path, split_seconds):
    """Lists of game texts of about BINDING_BATCH_BYTES each; the time spent reading and splitting is added to
    split_seconds[0]."""
    with open(path, encoding="utf-8", errors="replace") as handle:
        tail = ""
        while True:
            start = time.perf_counter()
            block = handle.read(BINDING_BATCH_BYTES)
            games = GAME_BREAK.split(tail + block)
            tail = games.pop() if block else ""  # the last game may go on in the next block
            games = [game for game in games if game.strip()]
            split_seconds[0] += time.perf_counter() - start
            if games:
                yield games
            if not block:
                return


def read_binding(path, threads):
    import rust_pgn_reader_python_binding as binding

    games = positions = errors = 0
    split_seconds = [0.0]
    for batch in game_batches(path, split_seconds):
        parsed = binding.parse_games_from_strings(batch, num_threads=threads)
        games += parsed.num_games
        positions += parsed.num_positions
        errors += sum(int((~chunk.valid).sum()) for chunk in parsed.chunks)
        del parsed  # one batch's arrays alive at a time, as a program streaming a file would keep
    return {"games": games, "rows": positions, "errors": errors, "split_seconds": split_seconds[0]}


def read_as_pgn_reader(library):
    def read(path, threads):
        games, moves, errors = pgn_reader.READERS[library][1](path, headers_only=False)
        return {"games": games, "rows": moves, "errors": errors}

    return read


# Each way: the modules it reads with (imported before the clock starts) and its reading.
WAYS = {"read_pgn": (["tarvik"], read_pgn), "read_pgn-moves": (["tarvik"], read_pgn_moves),
        "table-games": (["tarvik", "pyarrow"], read_table("games")),
        "table-positions": (["tarvik", "pyarrow"], read_table("positions")),
        "binding": (["rust_pgn_reader_python_binding"], read_binding),
        **{library: ([pgn_reader.READERS[library][0]], read_as_pgn_reader(library))
           for library in ("python-chess", "bulletchess", "esca")}}


def main():
    way, path, threads = sys.argv[1], sys.argv[2], sys.argv[3]
    modules, read = WAYS[way]
    for module in modules:
        importlib.import_module(module)
    start = time.perf_counter()
    result = read(path, None if threads == "-" else int(threads))
    elapsed = time.perf_counter() - start
    result["seconds"] = elapsed - result.get("split_seconds", 0.0)
    _, result["peak_kib"] = pgn_reader.memory_kib()
    print(json.dumps(result))


if __name__ == "__main__":
    main()
