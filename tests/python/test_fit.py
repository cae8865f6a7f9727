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


# The ball model: launch-monitor columns, its own targets and parameters.
BALL_LAUNCH = {"speed": [74.7, 65.0, 58.0, 53.6, 45.6], "angle": [10.9, 12.0, 15.0, 16.3, 24.2],
               "total_spin": [2686.0, 4400, 6000, 7097, 9304], "spin_axis": [3.0, -2, 0, 4, -5]}


def ball_shots_flown_with(**truth):
    shots = {k: np.array(v) for k, v in BALL_LAUNCH.items()}
    flown = [vendrel.fly(model="ball", **{k: float(v[i]) for k, v in shots.items()}, **truth) for i in range(5)]
    shots.update({"carry": np.array([f["distance"] for f in flown]), "apex": np.array([f["apex"] for f in flown]),
                  "landing_angle": np.array([f["landing_angle"] for f in flown]),
                  "lateral": np.array([f["lateral"] for f in flown])})
    return shots


def test_ball_recovers_its_coefficients_and_matches_the_fit_command(tmp_path):
    shots = ball_shots_flown_with(cd0=0.17, cl1=1.15)
    out = vendrel.fit(shots, model="ball")  # cd0 and cl1 by default
    assert list(out["fitted"]) == ["cd0", "cl1"]
    assert out["fitted"]["cd0"] == pytest.approx(0.17, rel=1e-6)
    assert out["fitted"]["cl1"] == pytest.approx(1.15, rel=1e-6)
    assert out["converged"] and out["rms"] < 1e-7
    assert set(out["shots"][0]) == {"name", "index", "carry", "apex", "landing_angle", "lateral"}

    # The command line fits the same file to the same bits.
    columns = list(shots)
    path = tmp_path / "ball.csv"
    rows = [",".join(columns)] + [",".join(repr(float(shots[c][i])) for c in columns) for i in range(5)]
    path.write_text("\n".join(rows) + "\n")
    exe = os.environ["VENDREL_FLIGHT_EXE"]
    done = subprocess.run([exe, "fit", "--model", "ball", "--shots", str(path), "--fit", "cd0,cl1,spin-decay",
                           "--format", "json"], capture_output=True, text=True, check=False)
    assert done.returncode == 0, done.stderr
    want, got = json.loads(done.stdout), vendrel.fit(shots, fit=["cd0", "cl1", "spin_decay"], model="ball")
    for shot in want["shots"]:
        del shot["line"]
    for shot in got["shots"]:
        del shot["index"]
    assert got == want


BALL_REFUSALS = {
    "carry_twice": ({"carry": [200.0], "distance": [200.0]}, "shots: column 'distance': the same measurement as column 'carry'"),
    "both_spins": ({"carry": [200.0], "total_spin": [3000.0], "back_spin": [3000.0]}, "shots: back_spin/side_spin: give the spin"),
    "landing_angle": ({"landing_angle": [95.0]}, "landing_angle[0]: '95' is out of range"),
    "negative_drag": ({"carry": [200.0, 150.0], "cd0": 0.05, "cd1": -1.0},
                      "shots[0]: cd0/cd1/cd2: the drag coefficient must not fall below 0"),
    "form_parameter": ({"carry": [200.0, 150.0]}, "fit: unknown parameter 'k'"),
}


@pytest.mark.parametrize("shots, message", BALL_REFUSALS.values(), ids=BALL_REFUSALS.keys())
def test_ball_refusals(shots, message):
    fit = ["k"] if message.startswith("fit:") else ["cd0"]
    with pytest.raises(ValueError) as refused:
        vendrel.fit(shots, fit=fit, model="ball")
    assert str(refused.value).startswith(message)
