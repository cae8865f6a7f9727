"""The reference flights, bit for bit: one by one, through arrays, and tick by tick."""
import json
import os

import numpy as np
import pytest

import vendrel
from conftest import FIELDS, hexval

with open(os.path.join(os.environ["VENDREL_TEST_DATA"], "flight.json"), encoding="utf-8") as _f:
    RUNS = json.load(_f)["whole_runs"]
IDS = [r["name"] for r in RUNS]


def bits(x):
    return np.float64(x).view(np.uint64)


@pytest.mark.parametrize("run", RUNS, ids=IDS)
def test_single_flight(run):
    out, want = vendrel.fly(**run["inputs"]), run["outputs"]
    assert out["ticks"] == want["ticks"]
    assert out["end"] == "ground" and out["landed"]
    assert bits(out["carry"]) == bits(hexval(want["carry"]))
    assert bits(out["distance"]) == bits(hexval(want["distance"]))
    landing = [out["landing"][axis] for axis in "xyz"]
    assert [bits(v) for v in landing] == [bits(hexval(e)) for e in want["landing_pos"]]
    assert bits(out["apex"]) == bits(hexval(want["apex_pos"]))


def test_all_runs_through_the_lanes():
    # The three runs as one array call, each repeated so every lane of a pack is used.
    inputs = {f: np.repeat([r["inputs"][f] for r in RUNS], 9) for f in FIELDS}
    out = vendrel.fly(**inputs, threads=2)
    for i, run in enumerate(np.repeat(RUNS, 9)):
        want = run["outputs"]
        assert out["ticks"][i] == want["ticks"]
        assert bits(out["carry"][i]) == bits(hexval(want["carry"]))
        assert bits(out["distance"][i]) == bits(hexval(want["distance"]))
        got = [out[axis][i] for axis in "xyz"]
        assert [bits(v) for v in got] == [bits(hexval(e)) for e in want["landing_pos"]]
        assert bits(out["apex"][i]) == bits(hexval(want["apex_pos"]))


@pytest.mark.parametrize("run", RUNS, ids=IDS)
def test_trajectory(run):
    tr, want = vendrel.trajectory(**run["inputs"]), run["outputs"]
    assert len(tr) == want["ticks"] + 1
    assert list(tr[0][["vx", "vy", "vz"]].item()) == [hexval(e) for e in want["launch_vel"]]
    # The last row is the end of the step that crossed the ground; the one before is
    # where that step started: the landing point.
    assert [tr[-1][a] for a in "xyz"] == [hexval(e) for e in want["landing_posnext"]]
    assert [tr[-2][a] for a in "xyz"] == [hexval(e) for e in want["landing_pos"]]
    assert tr["z"][:-1].max() == hexval(want["apex_pos"])
    assert np.array_equal(tr["tick"], np.arange(len(tr)))
