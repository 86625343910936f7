"""The benchmarks in their smallest form: every table runs, the perft totals agree, and tarvik and
python-chess read the same games and moves from the PGN corpora (the run fails otherwise)."""

import os
import subprocess
import sys
from pathlib import Path

import pytest
from conftest import load_script

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
    assert "Corpus goals" in result.stdout or "Corpora: not available" in result.stdout
    assert chart.read_bytes().startswith(b"\x89PNG")


CRASHING_FILE = REPO.parent / "shared" / "realworld-data" / "pgnextractgo-cancer0707.pgn"


@pytest.mark.skipif(not CRASHING_FILE.exists(), reason="the real PGN files beside the repository are absent")
def test_pgn_bench_reports_a_peer_that_crashes(monkeypatch):
    """bulletchess 0.4.0 dies on this real file: the PGN bench reports the crash and reads on."""
    monkeypatch.syspath_prepend(str(REPO / "bench"))  # its sibling modules, as when it runs as a script
    pgn = load_script(REPO / "bench" / "pgn.py", "pgn_bench")
    readings = pgn.race(["bulletchess", "tarvik"], CRASHING_FILE, pgn.QUICK)
    assert readings["bulletchess"].failure.startswith("crashed ("), readings["bulletchess"]
    assert readings["tarvik"].failure is None and readings["tarvik"].games > 0
