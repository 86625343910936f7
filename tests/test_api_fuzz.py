"""A short run of the API fuzzer: every call returns or raises a documented exception."""

import pathlib
import subprocess
import sys

import pytest

FUZZER = pathlib.Path(__file__).parent / "fuzz" / "api_fuzz.py"


@pytest.mark.parametrize("seed", [1, 2])
def test_random_calls_raise_only_documented_exceptions(seed):
    result = subprocess.run([sys.executable, str(FUZZER), "--seed", str(seed), "--calls", "20000"],
                            capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stdout + result.stderr
    assert "20000 calls" in result.stdout
