"""A position index of PGN files: every position of every mainline in Parquet, looked up by its hash.

    python examples/position_index.py build OUT_DIR FILE... [--dask [--scheduler ADDRESS]] [--workers N]
                                                             [--piece-size BYTES]
    python examples/position_index.py query OUT_DIR FEN [--games N]

build cuts the files into pieces and reads them on a process pool or a Dask cluster, as pgn_table.py does
(see corpus_pieces.py), each piece with tarvik.pgn_table. The worker that reads a piece writes its rows to
Parquet itself, so no row crosses between processes; a progress bar goes to stderr, and a summary to stdout.
OUT_DIR, new or empty, receives:

    files.parquet              file (a number), name (the file as the command line gave it)
    games/F-START.parquet      file, offset (the game's first byte in it), White, Black, WhiteElo, BlackElo
                               (integers, null where missing or not a number), result (Game.result)
    positions/F-START.parquet  file, offset (the game's), ply, zobrist (Board.zobrist_hash() of the position,
                               unsigned), move (played from the position: from | to << 6 | promotion << 12,
                               null at the mainline's end); sorted by zobrist

A part sorted by zobrist, in row groups of ROW_GROUP_ROWS rows, lets DuckDB skip, by the row groups'
min/max statistics, all but the row group that can hold a hash: a lookup reads a little of every part.

query hashes the FEN's position and asks DuckDB (needs duckdb) for the games that reach it, in file and
offset order, and for an opening explorer's table of the moves played from it, most played first: games
(a game that plays the same move from the position twice counts once), White wins, draws, Black wins, and
the average rating of the players where their games say. query prints both; --games bounds the games listed.
"""

# Annotations stay text: Dask pickles a function of __main__ by value, annotations
# included, and tarvik's classes cannot travel as objects.
from __future__ import annotations

import argparse
import os
import sys
import time
from functools import partial
from typing import Any, NamedTuple

import corpus_pieces
import tarvik

PLAYER_TAGS = ("White", "Black", "WhiteElo", "BlackElo")
POSITION_COLUMNS = ("offset", "ply", "zobrist", "move")
ROW_GROUP_ROWS = 1 << 14
PROMOTIONS = ("", "n", "b", "r", "q")  # by a move code's promotion number
SQUARE_NAMES = [f"{file}{rank}" for rank in "12345678" for file in "abcdefgh"]


class GameRow(NamedTuple):
    file: str
    offset: int
    white: str | None
    black: str | None
    result: str


class MoveRow(NamedTuple):
    san: str
    games: int
    white_wins: int
    draws: int
    black_wins: int
    average_elo: float | None


# ---------------------------------------------------------------- building


def ratings(column: Any) -> Any:
    """A tag column's ratings as integers: null where the tag is missing or not a number ("?", "2400?")."""
    import pyarrow as pa
    import pyarrow.compute as pc

    text = pc.utf8_trim_whitespace(column)
    number = pc.match_substring_regex(text, "^[0-9]{1,9}$")  # fits a 32-bit integer
    return pc.if_else(number, text, pa.scalar(None, pa.string())).cast(pa.int32())


def index_piece(out_dir: str, file_numbers: dict[str, int], path: str, start: int, stop: int) -> tuple[int, int]:
    """Writes the parts of the games whose first byte lies in [start, stop); returns their games and positions."""
    import pyarrow as pa
    import pyarrow.parquet as pq

    file = file_numbers[path]
    part = f"{file}-{start}.parquet"
    # Worker processes already use the cores: one thread each.
    games = pa.table(tarvik.pgn_table(path, tags=list(PLAYER_TAGS), start=start, stop=stop, threads=1))
    files = pa.array([file] * games.num_rows, pa.int32())
    games = pa.table({"file": files, "offset": games["offset"], "White": games["White"], "Black": games["Black"],
                      "WhiteElo": ratings(games["WhiteElo"]), "BlackElo": ratings(games["BlackElo"]),
                      "result": games["result"]})
    pq.write_table(games, os.path.join(out_dir, "games", part))

    positions = pa.table(tarvik.pgn_table(path, rows="positions", start=start, stop=stop, threads=1))
    positions = positions.select(list(POSITION_COLUMNS)).sort_by("zobrist")
    positions = positions.add_column(0, "file", pa.array([file] * positions.num_rows, pa.int32()))
    pq.write_table(positions, os.path.join(out_dir, "positions", part), row_group_size=ROW_GROUP_ROWS)
    return games.num_rows, positions.num_rows


def build(out_dir: str, options: argparse.Namespace) -> tuple[int, int]:
    """The index of options.files in out_dir, read as the options say. Returns its games and positions."""
    import pyarrow as pa
    import pyarrow.parquet as pq

    file_numbers = {os.path.abspath(name): number for number, name in enumerate(options.files)}
    for folder in ("games", "positions"):
        os.makedirs(os.path.join(out_dir, folder))
    pq.write_table(pa.table({"file": pa.array(range(len(options.files)), pa.int32()), "name": options.files}),
                   os.path.join(out_dir, "files.parquet"))
    pieces, run = corpus_pieces.pieces_and_runner(options, partial(index_piece, out_dir, file_numbers))
    counts = run(pieces)
    return sum(games for games, _ in counts), sum(positions for _, positions in counts)


# ---------------------------------------------------------------- querying


def connect(out_dir: str) -> Any:
    """A DuckDB connection with the views files, games and positions over out_dir's index."""
    import duckdb

    index = duckdb.connect()
    for view, where in (("files", "files.parquet"), ("games", "games/*.parquet"),
                        ("positions", "positions/*.parquet")):
        source = os.path.join(out_dir, where).replace("'", "''")
        index.execute(f"CREATE VIEW {view} AS SELECT * FROM read_parquet('{source}')")
    return index


def position_key(fen: str) -> int:
    """The FEN's position as the index holds it. Raises ValueError for a FEN that is not one."""
    return tarvik.Board.from_fen(fen).zobrist_hash()


def san(board: tarvik.Board, code: int) -> str:
    uci = SQUARE_NAMES[code & 63] + SQUARE_NAMES[code >> 6 & 63] + PROMOTIONS[code >> 12]
    return board.san(tarvik.Move.from_uci(uci))


def lookup(index: Any, fen: str) -> tuple[list[GameRow], list[MoveRow]]:
    """The games whose mainline reaches the position, in file and offset order, and the moves played from it,
    most played first (then by SAN)."""
    # One pass over the positions and the games; both answers come from the few rows found.
    index.execute("""
        CREATE OR REPLACE TEMP TABLE reached AS
        SELECT file, "offset", move, White, Black, WhiteElo, BlackElo, result
        FROM (SELECT DISTINCT file, "offset", move FROM positions WHERE zobrist = $key::UBIGINT)
        JOIN games USING (file, "offset")
    """, {"key": position_key(fen)})
    games = index.execute("""
        SELECT name, "offset", White, Black, result
        FROM (SELECT DISTINCT file, "offset", White, Black, result FROM reached) JOIN files USING (file)
        ORDER BY file, "offset"
    """).fetchall()
    moves = index.execute("""
        SELECT move, count(*),
               count(*) FILTER (WHERE result = '1-0'),
               count(*) FILTER (WHERE result = '1/2-1/2'),
               count(*) FILTER (WHERE result = '0-1'),
               (coalesce(sum(WhiteElo), 0) + coalesce(sum(BlackElo), 0))
                   / nullif(count(WhiteElo) + count(BlackElo), 0)
        FROM reached WHERE move IS NOT NULL
        GROUP BY move
    """).fetchall()
    board = tarvik.Board.from_fen(fen)
    explorer = [MoveRow(san(board, move), *counts) for move, *counts in moves]
    return [GameRow(*row) for row in games], sorted(explorer, key=lambda row: (-row.games, row.san))


def table(header: tuple[str, ...], rows: list[tuple[Any, ...]]) -> list[str]:
    """Plain columns: text to the left, numbers to the right, null as "-"."""
    def text(value: Any) -> str:
        if value is None:
            return "-"
        if isinstance(value, float):
            return f"{value:,.0f}"
        return f"{value:,}" if isinstance(value, int) else str(value)

    cells = [header, *[tuple(map(text, row)) for row in rows]]
    widths = [max(len(row[column]) for row in cells) for column in range(len(header))]
    numeric = [any(isinstance(row[column], (int, float)) for row in rows) for column in range(len(header))]
    return ["  " + "  ".join(cell.rjust(width) if right else cell.ljust(width)
                             for cell, width, right in zip(row, widths, numeric, strict=True)).rstrip()
            for row in cells]


def answer(index: Any, fen: str, shown_games: int) -> list[str]:
    games, moves = lookup(index, fen)
    lines = [f"{len(games):,} game{'s' * (len(games) != 1)} reach the position"]
    if games:
        lines[0] += ":"
        lines += table(("file", "offset", "White", "Black", "result"), [tuple(game) for game in games[:shown_games]])
        if len(games) > shown_games:
            lines.append(f"  ... and {len(games) - shown_games:,} more")
    if moves:
        lines.append("Moves played from it:")
        lines += table(("move", "games", "White wins", "draws", "Black wins", "average Elo"),
                       [tuple(move) for move in moves])
    return lines


# ---------------------------------------------------------------- the command line


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    building = commands.add_parser("build", help="index the positions of PGN files")
    building.add_argument("out_dir", metavar="OUT_DIR", help="the index's folder (new or empty)")
    corpus_pieces.add_arguments(building)
    asking = commands.add_parser("query", help="the games that reach a position, and the moves played from it")
    asking.add_argument("out_dir", metavar="OUT_DIR", help="the index's folder")
    asking.add_argument("fen", metavar="FEN", help="the position")
    asking.add_argument("--games", type=int, default=20, help="games listed at most (default: 20)")
    options = parser.parse_args()

    if options.command == "build":
        corpus_pieces.check_arguments(building, options)
        if os.path.exists(options.out_dir) and os.listdir(options.out_dir):
            building.error(f"{options.out_dir}: not empty")
        if len(set(map(os.path.abspath, options.files))) != len(options.files):
            building.error("a file is named twice")
        began = time.perf_counter()
        games, positions = build(options.out_dir, options)
        seconds = time.perf_counter() - began
        print(f"{positions:,} positions of {games:,} games from {len(options.files)} file"
              f"{'s' * (len(options.files) != 1)} indexed in {seconds:.2f} s: {positions / seconds:,.0f} positions/s")
        return 0

    if not os.path.isfile(os.path.join(options.out_dir, "files.parquet")):
        asking.error(f"{options.out_dir}: no index (build one first)")
    try:
        position_key(options.fen)
    except ValueError as error:
        asking.error(f"{options.fen}: {error}")
    began = time.perf_counter()
    with connect(options.out_dir) as index:
        lines = answer(index, options.fen, options.games)
    print("\n".join(lines))
    print(f"answered in {time.perf_counter() - began:.3f} s", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
