"""Reads one PGN file with one library, in a process of its own, and prints what it read and how fast.

    python pgn_reader.py LIBRARY PATH SECONDS [--headers-only]

LIBRARY is tarvik, python-chess, bulletchess, esca, or byte-search (the floor: the file's bytes
searched for `[Event `, no PGN read). The file is read again and again until SECONDS have passed
(at least once); the last line printed is JSON: games, mainline moves and games with errors of one
pass, the fastest pass in seconds, and the process's resident memory after the imports and at its
peak (KiB). A library that crashes takes only this process down: the caller reports the crash.

Every library does the same work: read each game, with every move checked, and its mainline's
moves as a list; with --headers-only, each game's tags without its moves.
"""

import importlib
import json
import sys
import time


def read_tarvik(path, headers_only):
    import tarvik

    games = moves = errors = 0
    if headers_only:
        for game in tarvik.read_pgn(path, headers_only=True):
            games += 1
            game.header("WhiteElo")  # a filter reads a tag or two
        return games, None, 0
    for game in tarvik.read_pgn(path):
        games += 1
        moves += len(game.moves)
        errors += bool(game.errors)
    return games, moves, errors


def read_python_chess(path, headers_only):
    import logging

    import chess.pgn

    logging.getLogger("chess.pgn").setLevel(logging.CRITICAL)  # it logs every illegal move
    games = moves = errors = 0
    with open(path, encoding="utf-8", errors="replace") as handle:
        if headers_only:
            while (headers := chess.pgn.read_headers(handle)) is not None:
                games += 1
                headers.get("WhiteElo")
            return games, None, 0
        while (game := chess.pgn.read_game(handle)) is not None:
            games += 1
            moves += len(list(game.mainline_moves()))
            errors += bool(game.errors)
    return games, moves, errors


def read_bulletchess(path, headers_only):
    import bulletchess.pgn

    games = moves = errors = 0
    pgn = bulletchess.pgn.PGNFile.open(path)
    try:
        while True:
            try:
                game = pgn.next_game()
            except ValueError:  # a game it cannot read; it goes on after the error
                errors += 1
                continue
            if game is None:
                return games, moves, errors
            games += 1
            moves += len(game.moves)
    finally:
        pgn.close()


def read_esca(path, headers_only):
    import esca.pgn

    games = moves = errors = 0
    reader = esca.pgn.read(path)
    while True:
        try:
            game = next(reader)
        except StopIteration:
            return games, moves, errors
        except ValueError:  # a game with an error is raised, and the stream goes on
            errors += 1
            continue
        games += 1
        moves += len(game.mainline())


def search_bytes(path, headers_only, needle=b"[Event ", chunk=1 << 20):
    """The floor: occurrences of `needle`, the file read in chunks (the chunks overlap so that
    none is missed across a boundary)."""
    count, tail = 0, b""
    with open(path, "rb", buffering=0) as handle:
        while block := handle.read(chunk):
            block = tail + block
            count += block.count(needle)
            tail = block[-(len(needle) - 1):]
    return count, None, 0


# Each library: the module it reads with (imported before the clock starts) and its reading loop.
READERS = {"tarvik": ("tarvik", read_tarvik), "python-chess": ("chess.pgn", read_python_chess),
           "bulletchess": ("bulletchess.pgn", read_bulletchess), "esca": ("esca.pgn", read_esca),
           "byte-search": (None, search_bytes)}


def memory_kib():
    """(resident KiB now, peak resident KiB) of this process."""
    fields = {}
    with open("/proc/self/status") as status:
        for line in status:
            name, _, value = line.partition(":")
            fields[name] = value
    return int(fields["VmRSS"].split()[0]), int(fields["VmHWM"].split()[0])


def main():
    library, path, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
    headers_only = "--headers-only" in sys.argv[4:]
    module, read = READERS[library]
    if module:
        importlib.import_module(module)
    base_kib, _ = memory_kib()
    best, passes, began = float("inf"), 0, time.perf_counter()
    while passes == 0 or time.perf_counter() - began < seconds:
        start = time.perf_counter()
        games, moves, errors = read(path, headers_only)
        best = min(best, time.perf_counter() - start)
        passes += 1
    _, peak_kib = memory_kib()
    print(json.dumps({"games": games, "moves": moves, "errors": errors, "seconds": best,
                      "base_kib": base_kib, "peak_kib": peak_kib}))


if __name__ == "__main__":
    main()
