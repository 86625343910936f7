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
    # At least the calls asked for: a call's own callbacks may make a few more.
    calls = re.search(r"(\d+) calls", result.stdout)
    assert calls and int(calls.group(1)) >= 20000, result.stdout
