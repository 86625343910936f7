"""The parallel perft example: the same divide as the engine's, from a process pool, a local Dask
cluster and a Dask cluster started beforehand."""

import pathlib
import subprocess
import sys

import pytest

import tarvik

EXAMPLE = pathlib.Path(__file__).resolve().parents[1] / "examples" / "parallel_perft.py"
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
DEPTH = 3


def expected_divide():
    board = tarvik.Board(KIWIPETE)
    lines = []
    for move in board.legal_moves():
        child = board.copy()
        child.apply_move(move)
        lines.append(f"{move.uci()}: {child.perft(DEPTH - 1)}")
    return lines + [f"Nodes searched: {board.perft(DEPTH)}"]


def run_example(*options):
    result = subprocess.run([sys.executable, str(EXAMPLE), *options, KIWIPETE, str(DEPTH)],
                            capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stderr
    return result.stdout.splitlines()


@pytest.mark.parametrize("options", [["--workers", "2"], ["--dask", "--workers", "2"]])
def test_parallel_perft_prints_the_divide(options):
    assert run_example(*options) == expected_divide()


def test_parallel_perft_on_a_running_dask_cluster():
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=1, threads_per_worker=1, dashboard_address=None) as cluster:
        assert run_example("--dask", "--scheduler", cluster.scheduler_address) == expected_divide()
