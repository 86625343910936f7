"""The engine's fast move logic against the literal algorithm, on many generated positions.

The native program tarvik-differential does the work: for each position it compares every
generator, the attack and check tests, castling, legal moves, the game-end tests, perft two
plies deep (counted against the legal lists) and the SAN resolution, failures and the board left
behind included; and,
once, every entry of the slider table against the literal ray walk. It is built by the test
command into TARVIK_NATIVE_DIR.
"""

import os
import pathlib
import re
import subprocess

import pytest

# The sanitizer run, ten times slower, checks fewer (TARVIK_DIFFERENTIAL_POSITIONS).
POSITIONS_PER_SEED = int(os.environ.get("TARVIK_DIFFERENTIAL_POSITIONS", "8000"))


def differential_program():
    directory = os.environ.get("TARVIK_NATIVE_DIR")
    assert directory, "TARVIK_NATIVE_DIR is not set: run the tests with scripts/test.sh"
    program = pathlib.Path(directory) / "tarvik-differential"
    assert program.is_file(), f"{program} is missing: build with -DTARVIK_BUILD_TESTS=ON"
    return program


@pytest.mark.parametrize("seed", [1, 2, 3])
def test_fast_paths_agree_with_the_literal_algorithm(seed):
    result = subprocess.run(
        [differential_program(), "--seed", str(seed), "--count", str(POSITIONS_PER_SEED)],
        capture_output=True,
        text=True,
        timeout=300,
    )
    assert result.returncode == 0, result.stdout + result.stderr
    summary = re.search(
        rf"{POSITIONS_PER_SEED} positions, (\d+) comparisons, all equal; "
        r"legal lists: (\d+) with moves, (\d+) failed; castling lists with moves: (\d+); "
        r"legality from pins and checks: (\d+) positions, (\d+) in check, (\d+) in double check, "
        r"(\d+) with pins, (\d+) with pinned pawns; SAN requests: (\d+) found, (\d+) ambiguous",
        result.stdout,
    )
    assert summary, result.stdout
    comparisons, with_moves, failed, castling, *fast_path, san_found, san_ambiguous = map(int, summary.groups())
    assert comparisons >= POSITIONS_PER_SEED * 256
    # Agreement on failures alone would prove little: most positions must produce moves.
    assert with_moves > 2 * failed
    assert castling > POSITIONS_PER_SEED // 50
    # The legal generation from pins and checks meets its harder cases often enough.
    orderly, in_check, double_check, with_pins, pinned_pawns = fast_path
    assert orderly > POSITIONS_PER_SEED // 4
    assert min(in_check, double_check, with_pins, pinned_pawns) > POSITIONS_PER_SEED // 100
    assert san_found > 10 * POSITIONS_PER_SEED and san_ambiguous > POSITIONS_PER_SEED // 10
