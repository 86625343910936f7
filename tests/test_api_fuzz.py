"""A short run of the API fuzzer: every call returns or raises a documented exception."""

import pathlib
import re
import subprocess
import sys

import pytest

FUZZER = pathlib.Path(__file__).parent / "fuzz" / "api_fuzz.py"


@pytest.mark.parametrize("seed", [1, 2])
def test_random_calls_raise_only_documented_exceptions(seed):
    result = subprocess.run([sys.executable, str(FUZZER), "--seed", str(seed), "--calls", "20000"],
                            capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stdout + result.stderr
    # A call on a game may make several at once, so the run ends at 20,000 or a few past.
    assert int(re.search(r"(\d+) calls", result.stdout).group(1)) >= 20000
