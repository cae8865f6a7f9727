"""Shared helpers: the golden flights, and the command line the module must agree with."""
import csv
import io
import json
import math
import os
import subprocess

import pytest

FIELDS = ["angle", "speed", "side_spin", "back_spin", "k", "k_prime", "mass", "gravity", "dt"]


def cli(*args):
    """Runs vendrel-flight and returns its standard output."""
    done = subprocess.run([os.environ["VENDREL_FLIGHT_EXE"], *map(str, args)],
                          capture_output=True, text=True, check=False, timeout=120)
    assert done.returncode in (0, 3), done.stderr
    return done.stdout


def cli_options(params):
    """{"side_spin": 1500} -> ["--side-spin", "1500"]; floats keep every bit (repr)."""
    out = []
    for name, value in params.items():
        out += ["--" + name.replace("_", "-"), repr(float(value))]
    return out


def cli_csv(text):
    return list(csv.DictReader(io.StringIO(text)))


def same(a, b):
    """Equal to the last bit; NaN equals NaN."""
    if isinstance(a, float) and isinstance(b, float) and math.isnan(a) and math.isnan(b):
        return True
    return a == b and math.copysign(1.0, a) == math.copysign(1.0, b) if isinstance(a, float) else a == b


@pytest.fixture(scope="session")
def golden():
    with open(os.path.join(os.environ["VENDREL_TEST_DATA"], "flight.json"), encoding="utf-8") as f:
        return json.load(f)


def hexval(entry):
    return float.fromhex(entry["hex"])
