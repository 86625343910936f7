"""The PGN table example: the table a process pool and a local Dask cluster write, from files cut into
many small pieces, equals one process's reading of the whole files; and the rows and summary say what
the games hold."""

import pathlib
import subprocess
import sys

import pytest

import tarvik
from conftest import load_script

pq = pytest.importorskip("pyarrow.parquet")

EXAMPLE = pathlib.Path(__file__).resolve().parents[1] / "examples" / "pgn_table.py"
REAL_FILE = pathlib.Path(__file__).resolve().parents[2] / "shared" / "realworld-data" / "fschesspgn-chess-informant-sample.pgn"
# Each game with what its row says: termination, plies, WhiteElo, BlackElo, errors, first_move.
GAMES = [
    ('[White "Anna"]\n[WhiteElo "2100"]\n[BlackElo "?"]\n\n1. f3 e5 2. g4 Qh4# 0-1',
     ("checkmate", 4, 2100, None, 0, "f3")),
    ('[FEN "k7/8/8/2Q5/8/8/8/7K w - - 0 1"]\n[SetUp "1"]\n\n1. Qc7 { stalemate,\n\nthe comment goes on } 1/2-1/2',
     ("stalemate", 1, None, None, 0, None)),
    ('[Termination "Time forfeit"]\n[WhiteElo "2400?"]\n\n1. e4 e5 1-0', ("time forfeit", 2, None, None, 0, "e4")),
    ("1. e4 c5 2. Ke3 Nc6 *", ("unfinished", 2, None, None, 1, "e4")),
    ("1. e4 e6 (1... c5 2. Nf3) 2. d4 1/2-1/2", ("declared", 3, None, None, 0, "e4")),
    ('[FEN "8/8/8/8/8/8/8/8 w - - 0 1"]\n\n*', ("broken position", 0, None, None, 0, None)),
    ('[BlackElo " 1850 "]\n\n1. d4 d5 0-1', ("declared", 2, None, 1850, 0, "d4")),
]
SUMMARY = ["Games: 7 (1 with errors, 1 errors in all)", "Plies: 14",
           "First moves from the standard start (White's score over the games with a result):",
           "  e4: 3 games, White 75.0%", "  d4: 1 game, White 0.0%", "  f3: 1 game, White 0.0%"]


example = load_script(EXAMPLE, "pgn_table")


@pytest.fixture(scope="module")
def files(tmp_path_factory):
    built = tmp_path_factory.mktemp("pgn") / "games.pgn"
    built.write_text("\n\n".join(pgn for pgn, _ in GAMES) + "\n")
    return [str(built)] + ([str(REAL_FILE)] if REAL_FILE.exists() else [])


def single_process_table(names):
    pieces = [example.Piece(name, name, 0, pathlib.Path(name).stat().st_size) for name in names]
    return example.joined(pieces, [example.read_piece(name, 0, None) for name in names])


def test_rows_and_summary_say_what_the_games_hold(files):
    table = single_process_table(files[:1])
    rows = zip(*(table[name] for name in ("termination", "plies", "WhiteElo", "BlackElo", "errors", "first_move")))
    assert list(rows) == [row for _, row in GAMES]
    assert table["White"][0] == "Anna" and table["Event"][0] is None
    assert example.summary(table) == SUMMARY
    # The rules cannot judge a position without kings; the row says so rather than failing.
    assert example.termination("8/8/8/8/8/8/8/8 w - - 0 1", None, "*", tarvik.Board) == "broken position"


@pytest.mark.parametrize("options", [["--workers", "2"], ["--dask", "--workers", "2"]])
def test_a_parallel_table_equals_one_process(options, files, tmp_path):
    out = tmp_path / "games.parquet"
    result = subprocess.run([sys.executable, str(EXAMPLE), *options, "--piece-size", "333", "--out", str(out),
                             *files], capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stderr
    expected = single_process_table(files)
    assert pq.read_table(out).to_pydict() == expected
    assert result.stdout.splitlines() == example.summary(expected)
    assert "100%" in result.stderr  # the progress bar ran to the end
