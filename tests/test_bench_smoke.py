"""The benchmarks in their smallest form: every table runs, the perft totals agree, and tarvik and
python-chess read the same games and moves from the PGN corpora (the run fails otherwise)."""

import os
import subprocess
import sys
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[1]


def test_quick_bench_runs_and_totals_agree(tmp_path):
    if "TARVIK_NATIVE_DIR" not in os.environ:
        pytest.skip("TARVIK_NATIVE_DIR is not set: the test command builds tarvik-perft and sets it")
    chart = tmp_path / "chart.png"
    result = subprocess.run(
        [sys.executable, str(REPO / "bench" / "bench.py"), "--quick", "--chart", str(chart)],
        capture_output=True, text=True, timeout=180,
    )
    assert result.returncode == 0, result.stdout + result.stderr
    assert "All perft totals agree" in result.stdout
    assert "Reading PGN" in result.stdout and "PGN goals" in result.stdout
    assert chart.read_bytes().startswith(b"\x89PNG")
