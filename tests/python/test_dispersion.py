"""vendrel.dispersion: the command line's figures to the last bit, the same flights
however a run is cut into blocks, and refusals before anything flies."""
import inspect
import json
import os
import subprocess
import sys

import numpy as np
import pytest

import vendrel
from conftest import FIELDS, cli


def same(a, b):
    """Same dtype, shape and bytes (NaN included)."""
    a, b = np.asarray(a), np.asarray(b)
    return a.dtype == b.dtype and a.shape == b.shape and a.tobytes() == b.tobytes()


def cli_args(samples, seed, spread, flight):
    args = ["dispersion", "--samples", samples, "--seed", seed, "--format", "json"]
    for name, value in {**spread, **flight}.items():
        args += ["--" + name.replace("_", "-"), repr(float(value))]
    return args


def cli_dispersion(samples, seed, spread, flight):
    return json.loads(cli(*cli_args(samples, seed, spread, flight)))


@pytest.mark.parametrize("seed, spread, flight", [
    (7, {"angle_sd": 1, "speed_sd": 1.5, "side_spin_sd": 400}, {}),
    # Spreads wide enough that draws are clipped to the ranges, and a base off the defaults.
    (123456789, {"angle_sd": 40, "speed_sd": 30, "back_spin_sd": 3000}, {"angle": 80, "speed": 90, "k_prime": 0.03}),
    (0, {}, {"side_spin": 1500}),
])
def test_the_command_lines_figures_and_any_cut_of_the_run(seed, spread, flight):
    whole = vendrel.dispersion(600, seed, **spread, **flight)
    flights = whole.pop("flights")
    assert whole == cli_dispersion(600, seed, spread, flight)
    assert flights["carry"].shape == (600,)
    # Blocks of the run flown apart are the run's flights.
    parts = [vendrel.dispersion(n, seed, start=start, **spread, **flight)["flights"]
             for start, n in [(0, 1), (1, 250), (251, 349)]]
    for name, values in flights.items():
        assert same(np.concatenate([p[name] for p in parts]), values), name
    # What was drawn is what was flown.
    flown = vendrel.fly(**{**flight, **{k: flights[k] for k in ("angle", "speed", "side_spin", "back_spin")}})
    for name in flown:
        assert same(flown[name], flights[name]), name


def test_the_ball_models_dispersion_is_the_command_lines():
    spread = {"speed_sd": 1.5, "spin_axis_sd": 3, "direction_sd": 1, "total_spin_sd": 250}
    flight = {"speed": 62, "angle": 13, "total_spin": 4500, "wind_speed": 5, "wind_direction": 45}
    whole = vendrel.dispersion(400, 21, model="ball", **spread, **flight)
    flights = whole.pop("flights")
    assert whole == json.loads(cli(*cli_args(400, 21, spread, flight), "--model", "ball"))
    flown = vendrel.fly(model="ball", **{**flight, **{k: flights[k] for k in ("angle", "speed", "direction",
                                                                              "total_spin", "spin_axis")}})
    for name in flown:
        assert same(flown[name], flights[name]), name
    with pytest.raises(ValueError, match="spin_axis_sd: only with model='ball'"):
        vendrel.dispersion(10, spin_axis_sd=1)
    # A spread of the spin form the shots do not fly would be drawn and never flown.
    with pytest.raises(ValueError, match="back_spin_sd: the shots fly total spin and spin axis"):
        vendrel.dispersion(10, model="ball", back_spin_sd=[0.0, 100.0])


def test_arrays_of_forms_and_spreads_are_dispersions_of_their_own():
    back_spin = np.array([1000.0, 3000.0])
    angle_sd = np.array([[0.5], [2.0], [0.0]])
    speed_sd = np.array([[1.0], [1.0], [0.0]])
    r = vendrel.dispersion(200, 9, angle_sd=angle_sd, speed_sd=speed_sd, back_spin=back_spin)
    assert r["carry"]["mean"].shape == (3, 2)
    assert r["flights"]["apex"].shape == (3, 2, 200)
    for i, j in np.ndindex(3, 2):
        one = vendrel.dispersion(200, 9, angle_sd=angle_sd[i, 0], speed_sd=speed_sd[i, 0], back_spin=back_spin[j])
        for name in ("carry", "distance", "lateral", "ellipse"):
            for part, value in one[name].items():
                assert r[name][part][i, j] == value, (name, part)
        for name, values in one["flights"].items():
            assert same(r["flights"][name][i, j], values), name
    # No spread: every flight is the single flight.
    assert np.all(r["flights"]["carry"][2] == r["flights"]["carry"][2, :, :1])


@pytest.mark.parametrize("kwargs, error, message", [
    ({"n": 0}, ValueError, "n: '0' is not a whole number from 1 to"),
    ({"n": 10, "seed": -1}, ValueError, "seed: '-1' is not a whole number"),
    ({"n": 10, "start": 2**63 - 5}, ValueError, "start: "),
    ({"n": 2.5}, TypeError, "n: expected a whole number, got float"),
    ({"angle_sd": [1.0, -0.5]}, ValueError, r"angle_sd\[1\]: '-0.5' is not a number of 0 or more"),
    ({"speed_sd": float("nan")}, ValueError, "speed_sd: 'nan' is not a number of 0 or more"),
    ({"side_spin_sd": "wide"}, TypeError, "side_spin_sd: expected a number"),
    ({"angle": [10.0, 95.0]}, ValueError, r"angle\[1\]: '95' is out of range"),
    ({"wind": 3.0}, TypeError, "unexpected keyword argument 'wind'"),
    ({"progress": 5}, TypeError, "progress: expected a callable"),
])
def test_refusals_before_anything_flies(kwargs, error, message):
    calls = []
    kwargs.setdefault("progress", lambda done, total: calls.append(done))
    with pytest.raises(error, match=message):
        vendrel.dispersion(**kwargs)
    assert calls == []


def test_progress_counts_every_flight_of_every_form():
    seen = []
    vendrel.dispersion(300, back_spin=[1000.0, 2000.0], angle_sd=1, progress=lambda d, t: seen.append((d, t)))
    assert seen[-1] == (600, 600)
    assert all(t == 600 and 0 < d <= 600 for d, t in seen)


def test_the_stub_and_the_signature_agree():
    import ast
    with open(os.environ["VENDREL_PYTHON_STUB"], encoding="utf-8") as f:
        stub = next(n for n in ast.parse(f.read()).body if isinstance(n, ast.FunctionDef) and n.name == "dispersion")
    args = stub.args
    named = [a.arg for a in args.args + args.kwonlyargs]
    signature = inspect.signature(vendrel.dispersion).parameters
    assert named == [p for p in signature if p != "flight"] + FIELDS + list(vendrel._vendrel._ball_keys) + ["surface"]
    defaults = dict(zip([a.arg for a in args.args[-len(args.defaults):]], args.defaults))
    defaults.update(zip([a.arg for a in args.kwonlyargs], args.kw_defaults))
    for name, p in signature.items():
        if name != "flight":
            assert ast.literal_eval(defaults[name]) == p.default, name
    assert vendrel.dispersion.__doc__.startswith("dispersion(n=1000, seed=1, *, start=0,")


def test_the_package_needs_no_dask():
    code = ("import sys; sys.modules['dask'] = None; sys.modules['distributed'] = None\n"
            "import vendrel\n"
            "assert vendrel.fly()['carry'] == 183.0\n"
            "assert vendrel.dispersion(50, angle_sd=1)['carry']['count'] == 50\n"
            "print('ok')")
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=60, check=False)
    assert done.stdout.strip() == "ok", done.stderr
