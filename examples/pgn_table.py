"""A table of the games in PGN files, read on many cores: a process pool, or a Dask cluster.

    python examples/pgn_table.py [--dask [--scheduler ADDRESS]] [--workers N] [--out FILE.parquet]
                                 [--piece-size BYTES] FILE...

Every file is cut into pieces of about --piece-size bytes; tarvik.pgn_table(path, start=, stop=)
reads the games whose first byte lies in a piece into an Arrow table (pyarrow), so every game is
read exactly once, however the cuts fall, without a Python object per game. A local process pool reads the pieces by default (with --workers 1, this process
reads them alone); with --dask, a Dask distributed cluster does: the one at ADDRESS, whose
workers must see the files at the same paths, or a local cluster started for the run.

--out writes one row per game, in file and offset order, to a Parquet file:

    file, offset       the file as named on the command line; the game's first byte in it
    Event ... Result   the seven-tag roster, as the tags say (null where a tag is missing)
    WhiteElo, BlackElo the ratings as integers (null where missing or not a number)
    ECO, TimeControl   as the tags say (null where missing)
    plies              half-moves in the mainline
    result             the game's result: the movetext's marker, else the Result tag, else "*"
    termination        how the game ended: "checkmate", "stalemate", "insufficient material",
                       "seventy-five moves" or "fivefold repetition" when the final position says
                       so; else the Termination tag's value in lower case ("normal", "time
                       forfeit", ...); else "unfinished" for the result "*", "declared" for any
                       other result (resigned, agreed or adjudicated: the file does not say);
                       "broken position" when the rules cannot judge the final position (a FEN
                       tag without a king, say)
    final_fen          the position after the mainline
    errors             how many moves (or FEN and Variant tags) could not be read; a game whose
                       mainline stopped at an error ends, in plies, termination and final_fen,
                       where reading stopped
    first_move         White's first move in SAN, for games from the standard start (else null)

A progress bar goes to stderr while the pieces are read; a summary goes to stdout at the end:
games, plies, errors, and the score of each first move.
"""

# Annotations stay text: Dask pickles a function of __main__ by value, annotations
# included, and tarvik's classes cannot travel as objects (pickle finds them by
# name in "builtins", where they are not).
from __future__ import annotations

import argparse
import functools
import re
import sys
import time
from collections import Counter
from collections.abc import Callable, Sequence
from typing import Any

import corpus_pieces
import tarvik
from corpus_pieces import Piece, readable

ROSTER = ("Event", "Site", "Date", "Round", "White", "Black", "Result")
STRING_TAGS = (*ROSTER, "ECO", "TimeControl")
RATINGS = ("WhiteElo", "BlackElo")
# The columns a piece's reader returns, in the table's order after "file".
GAME_COLUMNS = ("offset", *ROSTER, *RATINGS, "ECO", "TimeControl", "plies", "result", "termination",
                "final_fen", "errors", "first_move")
COLUMNS = ("file", *GAME_COLUMNS)
STANDARD_START = tarvik.Board().to_fen()
RATING = re.compile(r"[0-9]{1,9}")  # ASCII digits that fit a 32-bit integer
# The endings the rules decide on the board, as the table names them.
ENDED_BY = {tarvik.Termination.CHECKMATE: "checkmate", tarvik.Termination.STALEMATE: "stalemate",
            tarvik.Termination.INSUFFICIENT_MATERIAL: "insufficient material",
            tarvik.Termination.SEVENTYFIVE_MOVES: "seventy-five moves"}
Columns = dict[str, list[Any]]


# ---------------------------------------------------------------- one game, one piece


def rating(value: str | None) -> int | None:
    return int(value) if value is not None and RATING.fullmatch(value.strip()) else None


def is_panic(error: BaseException) -> bool:
    # PanicException is not an attribute of tarvik; it derives from BaseException.
    return type(error).__name__ == "PanicException"


def termination(final_fen: str, termination_tag: str | None, result: str, replay: Callable[[], tarvik.Board]) -> str:
    """How the game ended (see the table's columns above). A final position repeated five times needs its
    history, which only the moves have: `replay` rebuilds the board from them, asked only when sixteen plies
    or more without a capture or pawn move lead to the position, as five repetitions must."""
    board = tarvik.Board(final_fen)
    try:
        outcome = board.outcome()
        if outcome is not None:
            name = ENDED_BY[outcome.termination]
            # outcome() asks for insufficient material before stalemate; this table, the other way round.
            return "stalemate" if name == "insufficient material" and board.is_stalemate() else name
        if int(final_fen.split()[4]) >= 16 and replay().is_fivefold_repetition():
            return "fivefold repetition"
    except BaseException as error:
        if not (is_panic(error) or isinstance(error, ValueError)):
            raise
        return "broken position"
    if termination_tag is not None:
        return termination_tag.lower()
    return "unfinished" if result == "*" else "declared"


PROMOTIONS = (None, "n", "b", "r", "q")


def decoded(code: int) -> tarvik.Move:
    """A move of the table's code: from | to << 6 | promotion << 12."""
    return tarvik.Move(code & 63, code >> 6 & 63, PROMOTIONS[code >> 12])


def replayed(fen: str | None, codes: list[int]) -> tarvik.Board:
    board = tarvik.Board(fen or STANDARD_START)
    for code in codes:
        board.apply_move(decoded(code))
    return board


@functools.cache
def first_san(code: int) -> str:
    return tarvik.Board().san(decoded(code))


def from_standard_start(fen: str | None) -> bool:
    return fen is None or fen == STANDARD_START or tarvik.Board(fen).to_fen() == STANDARD_START


def read_piece(path: str, start: int, stop: int | None) -> Columns:
    """The table's columns (but "file") for the games whose first byte lies in [start, stop): one Arrow table
    from tarvik.pgn_table, and Python only where the columns need the rules (termination, first_move)."""
    import pyarrow as pa
    import pyarrow.compute as pc

    games = pa.table(tarvik.pgn_table(path, tags=[*STRING_TAGS, *RATINGS, "Termination", "FEN"], start=start,
                                      stop=stop, threads=1))
    columns: Columns = {name: games[name].to_pylist() for name in ("offset", *STRING_TAGS, "plies", "result",
                                                                   "final_fen")}
    for tag in RATINGS:
        columns[tag] = [rating(value) for value in games[tag].to_pylist()]
    columns["errors"] = pc.list_value_length(games["errors"]).to_pylist()
    moves = games["moves"]
    fens = games["FEN"].to_pylist()
    columns["termination"] = [
        termination(final_fen, tag, result, lambda i=i: replayed(fens[i], moves[i].as_py()))
        for i, (final_fen, tag, result) in enumerate(zip(columns["final_fen"], games["Termination"].to_pylist(),
                                                         columns["result"]))]
    first_moves = pc.list_slice(moves, 0, 1).to_pylist()
    columns["first_move"] = [first_san(first[0]) if first and from_standard_start(fen) else None
                             for first, fen in zip(first_moves, fens)]
    return {name: columns[name] for name in GAME_COLUMNS}


def joined(pieces: Sequence[Piece], results: Sequence[Columns]) -> Columns:
    """The pieces' columns end to end, with the file column added: the table in file and offset order."""
    table: Columns = {name: [] for name in COLUMNS}
    for piece, columns in zip(pieces, results, strict=True):
        table["file"] += [piece.name] * len(columns["offset"])
        for name in GAME_COLUMNS:
            table[name] += columns[name]
    return table


# ---------------------------------------------------------------- what is written and printed


def write_parquet(table: Columns, out: str) -> None:
    import pyarrow as pa
    import pyarrow.parquet as pq

    types = {"offset": pa.int64(), "WhiteElo": pa.int32(), "BlackElo": pa.int32(), "plies": pa.int32(),
             "errors": pa.int32()}
    schema = pa.schema([(name, types.get(name, pa.string())) for name in COLUMNS])
    pq.write_table(pa.table(table, schema=schema), out)


def summary(table: Columns) -> list[str]:
    """Games, plies, errors, and White's score after each first move, most played first."""
    games, errors = len(table["offset"]), table["errors"]
    lines = [f"Games: {games:,} ({sum(map(bool, errors)):,} with errors, {sum(errors):,} errors in all)",
             f"Plies: {sum(table['plies']):,}"]
    played: Counter[str] = Counter()
    results: dict[str, Counter[str]] = {}
    for move, result in zip(table["first_move"], table["result"]):
        if move is not None:
            played[move] += 1
            results.setdefault(move, Counter())[result] += 1
    if played:
        lines.append("First moves from the standard start (White's score over the games with a result):")
    for move, count in sorted(played.items(), key=lambda item: (-item[1], item[0])):
        wins, losses, draws = (results[move][result] for result in ("1-0", "0-1", "1/2-1/2"))
        decided = wins + losses + draws
        score = f"White {(wins + draws / 2) / decided:.1%}" if decided else "no result"
        lines.append(f"  {move}: {count:,} game{'s' * (count != 1)}, {score}")
    return lines


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", help="the Parquet file to write the table to (default: none)")
    corpus_pieces.add_arguments(parser)
    options = parser.parse_args()
    corpus_pieces.check_arguments(parser, options)

    pieces, run = corpus_pieces.pieces_and_runner(options, read_piece)
    began = time.perf_counter()
    table = joined(pieces, run(pieces))
    print(f"{readable(sum(piece.stop - piece.start for piece in pieces))} in {len(pieces)} pieces read in "
          f"{time.perf_counter() - began:.2f} s", file=sys.stderr)
    if options.out:
        write_parquet(table, options.out)
    print("\n".join(summary(table)))
    return 0

if __name__ == "__main__":
    sys.exit(main())
