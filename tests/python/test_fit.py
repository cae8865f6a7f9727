"""vendrel.fit: parameters recovered from shots the model flew, and shots refused as the
fit command refuses its CSV."""
import json
import os
import subprocess

import numpy as np
import pytest

import vendrel
from conftest import FIELDS

ANGLES = np.array([10.0, 14, 18, 22, 12])
SPEEDS = np.array([70.0, 65, 60, 55, 75])
SPINS = np.array([2500.0, 3000, 4000, 5000, 2000])


def shots_flown_with(**truth):
    r = vendrel.fly(angle=ANGLES, speed=SPEEDS, back_spin=SPINS, **truth)
    return {"angle": ANGLES, "speed": SPEEDS, "back_spin": SPINS,
            "distance": r["distance"], "apex": r["apex"]}


RECOVERIES = {
    "k_and_k_prime": ({"k": 0.013, "k_prime": 0.025}, ("k", "k_prime")),
    "k_alone": ({"k": 0.008}, "k"),
    "drag_and_mass": ({"k_prime": 0.03, "mass": 45.0}, ["k_prime", "mass"]),
}


@pytest.mark.parametrize("truth, fit", RECOVERIES.values(), ids=RECOVERIES.keys())
def test_recovers_what_the_shots_were_flown_with(truth, fit):
    out = vendrel.fit(shots_flown_with(**truth), fit=fit)
    assert list(out["fitted"]) == list(truth)
    for name, value in truth.items():
        assert out["fitted"][name] == pytest.approx(value, rel=1e-6)
    assert out["rms"] < 1e-6
    assert [s["index"] for s in out["shots"]] == list(range(5))
    first = out["shots"][0]
    assert first["name"] == "shot 1" and first["distance"]["modelled"] == pytest.approx(first["distance"]["measured"])


def test_names_a_sweeps_columns_and_numbers_for_every_shot():
    shots = shots_flown_with(k=0.011)
    shots.update(name=[f"club {i}" for i in range(5)], ticks=np.zeros(5), end=["ground"] * 5, carry=np.zeros(5),
                 mass=46.0, k=0.02)  # k as one number: where the fit starts
    out = vendrel.fit(shots, fit=["k"])
    assert out["fitted"]["k"] == pytest.approx(0.011, rel=1e-6)
    assert [s["name"] for s in out["shots"]] == [f"club {i}" for i in range(5)]


REFUSALS = {
    "unknown_column": ({"distance": [200.0], "spin": [1]}, ValueError, "shots: unknown column 'spin'"),
    "no_targets": ({"angle": [10.0, 20.0]}, ValueError, "shots: no target columns"),
    "lateral_alone": ({"apex": [20.0], "lateral": [1.0]}, ValueError, "shots: column 'lateral' needs a distance"),
    "distance_zero": ({"distance": [200.0, 0.0]}, ValueError, "distance[1]: '0' is out of range (a measured distance is greater than zero)"),
    "apex_nan": ({"apex": [np.nan]}, ValueError, "apex[0]: 'nan' is not a number"),
    "input_out_of_range": ({"distance": [200.0], "angle": [95.0]}, ValueError, "angle[0]: '95' is out of range"),
    "lengths_differ": ({"distance": [200.0, 210.0], "angle": [10.0, 12.0, 14.0]}, ValueError, "shots: the columns do not have one length"),
    "too_few_targets": ({"distance": [200.0]}, ValueError, "fit: the shots give 1 target for 2 fitted parameters"),
    "string_targets": ({"distance": ["200"]}, TypeError, "distance: expected a number or an array of numbers"),
    "not_a_mapping": ([200.0, 210.0], TypeError, "shots: expected a mapping of columns"),
}


@pytest.mark.parametrize("shots, error, message", REFUSALS.values(), ids=REFUSALS.keys())
def test_refusals(shots, error, message):
    with pytest.raises(error) as refused:
        vendrel.fit(shots)
    assert str(refused.value).startswith(message)


@pytest.mark.parametrize("fit, message", [("g", "fit: unknown parameter 'g'"), (["k", "k"], "fit: 'k' is named twice"),
                                          ([], "fit: there is nothing to fit")], ids=["unknown", "twice", "none"])
def test_refused_fit_names(fit, message):
    with pytest.raises(ValueError, match="^" + message):
        vendrel.fit(shots_flown_with(), fit=fit)


def test_the_same_as_the_fit_command(tmp_path):
    exe = os.environ["VENDREL_FLIGHT_EXE"]
    shots = shots_flown_with(k=0.012, k_prime=0.018)
    path = tmp_path / "shots.csv"
    columns = ["angle", "speed", "back_spin", "distance", "apex"]
    rows = [",".join(columns)] + [",".join(repr(float(shots[c][i])) for c in columns) for i in range(5)]
    path.write_text("\n".join(rows) + "\n")
    done = subprocess.run([exe, "fit", "--shots", str(path), "--format", "json"], capture_output=True, text=True,
                          check=False)
    assert done.returncode == 0, done.stderr
    want, got = json.loads(done.stdout), vendrel.fit(shots)
    for shot in want["shots"]:
        del shot["line"]
    for shot in got["shots"]:
        del shot["index"]
    assert got == want
    assert set(FIELDS) >= set(got["fitted"])
