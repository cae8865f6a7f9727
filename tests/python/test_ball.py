"""The ball model from Python: the shared flights to the bit, its trajectory, its refusals."""
import json
import math
import os

import pytest

import vendrel

from conftest import cli, cli_options, cli_csv, same

with open(os.path.join(os.environ["VENDREL_TEST_DATA"], "ball_flight.json"), encoding="utf-8") as f:
    SHOTS = json.load(f)["shots"]


@pytest.mark.parametrize("shot", SHOTS, ids=[s["name"] for s in SHOTS])
def test_the_shared_ball_flights_to_the_bit(shot):
    got = vendrel.fly(model="ball", **shot["params"])
    want = shot["outputs"]
    assert got["ticks"] == want["ticks"]
    for key in ("distance", "apex", "landing_angle", "flight_time", "lateral", "total", "roll", "time_to_rest"):
        assert same(got[key], float.fromhex(want[key])), key
    assert same(got["carry"], got["distance"])
    assert [got["landing"][c] for c in "xyz"] == [float.fromhex(h) for h in want["landing"]]
    assert [got["rest"][c] for c in "xy"] == [float.fromhex(h) for h in want["rest"]]
    assert got["bounces"] == want["bounces"]


def test_the_trajectory_is_the_command_lines():
    params = SHOTS[0]["params"]
    rows = vendrel.trajectory(model="ball", **params)
    text = cli("--model", "ball", "--trajectory", "-", *cli_options(params))
    want = cli_csv(text)
    ticks = SHOTS[0]["outputs"]["ticks"]
    assert len(rows) == len(want) > ticks + 1  # on through the bounces and the roll
    for got, line in zip(rows[[0, 1, ticks, -1]], [want[0], want[1], want[ticks], want[-1]]):
        assert int(got["tick"]) == int(line["tick"])
        for column in ("t", "x", "y", "z", "vx", "vy", "vz"):
            assert same(float(got[column]), float(line[column])), column
    assert rows[ticks]["z"] == 0.0
    assert rows[ticks]["t"] == float.fromhex(SHOTS[0]["outputs"]["flight_time"])
    # The phase is text, row for row the command line's; the last row is the rest point.
    assert rows.dtype.names[-1] == "phase" and rows["phase"].dtype.kind == "U"
    assert list(rows["phase"]) == [line["phase"] for line in want]
    assert rows["phase"][ticks] == "flight" and rows["phase"][ticks + 1] == "bounce"
    assert rows["phase"][-1] == "roll"
    assert rows["x"][-1] == float.fromhex(SHOTS[0]["outputs"]["rest"][0])
    assert "phase" not in vendrel.trajectory().dtype.names  # the form's rows stay as they are


def test_the_form_keywords_left_out_take_the_balls_defaults():
    # A shared keyword given with the form's default value is given: the ball flies it.
    assert vendrel.fly(model="ball")["ticks"] == SHOTS[2]["outputs"]["ticks"]
    assert vendrel.fly(model="ball", angle=15)["apex"] > vendrel.fly(model="ball")["apex"]
    # The form's model is untouched by the new keywords.
    assert vendrel.fly() == vendrel.fly(model="form")


@pytest.mark.parametrize("kwargs, error, message", [
    ({"model": "ball", "k": 0.1}, ValueError, "k: only with model='form'"),
    ({"total_spin": 3000}, ValueError, "total_spin: only with model='ball'"),
    ({"model": "ball", "spin_axis": 5, "side_spin": 300}, ValueError, "give the spin either as total spin"),
    ({"model": "ball", "spin_axis": 95}, ValueError, "spin_axis: '95' is out of range (allowed: -90 to 90)"),
    ({"model": "ball", "mass": 0}, ValueError, "mass: '0' is out of range (allowed: 1 to 1000)"),
    ({"model": "ball", "humidity": math.nan}, ValueError, "humidity: 'nan' is not a number"),
    ({"model": "ball", "speed": [50, 130]}, ValueError, "speed[1]: '130' is out of range (allowed: 0 to 120)"),
    ({"model": "ball", "cd0": [0.161, -0.01]}, ValueError, "the drag coefficient must not fall below 0"),
    ({"model": "ball", "wind_speed": "calm"}, TypeError, "wind_speed"),
    ({"model": "ball", "cd0": -0.01}, ValueError, "cd0/cd1/cd2: the drag coefficient must not fall below 0"),
    ({"model": "round"}, ValueError, "model: 'round' is not one of 'form' or 'ball'"),
])
def test_refusals(kwargs, error, message):
    with pytest.raises(error) as raised:
        vendrel.fly(**kwargs)
    assert message in str(raised.value)


def test_a_surface_is_the_command_lines_and_keeps_the_constants_given():
    for surface, more in (("green", {}), ("fairway-soft", {"crater": 30.0})):
        got = vendrel.fly(model="ball", surface=surface, **more)
        want = json.loads(cli("--model", "ball", "--format", "json", "--surface", surface, *cli_options(more)))
        for key in ("total", "roll", "time_to_rest", "bounces"):
            assert same(got[key], want[key]), (surface, key)
        assert got["rest"] == want["rest"]
    assert vendrel.fly(model="ball", surface="fairway") == vendrel.fly(model="ball")
    rows = vendrel.trajectory(model="ball", surface="rough")
    assert rows["x"][-1] == vendrel.fly(model="ball", surface="rough")["rest"]["x"]


@pytest.mark.parametrize("kwargs, error, message", [
    ({"model": "ball", "surface": "ice"}, ValueError, "surface: 'ice' is not one of \"fairway\", \"rough\""),
    ({"surface": "green"}, ValueError, "surface: only with model='ball'"),
    ({"model": "ball", "surface": 1}, TypeError, "surface: expected a name"),
])
def test_surface_refusals(kwargs, error, message):
    with pytest.raises(error) as raised:
        vendrel.fly(**kwargs)
    assert message in str(raised.value)


def test_arrays_fly_a_shot_per_element_with_the_single_shots_bits():
    speeds, axes = [50.0, 60.0, 70.0], [[-4.0], [0.0], [6.0]]
    many = vendrel.fly(model="ball", speed=speeds, spin_axis=axes, wind_speed=3.0, threads=2)
    assert many["carry"].shape == (3, 3)
    for i, axis in enumerate(axes):
        for j, speed in enumerate(speeds):
            one = vendrel.fly(model="ball", speed=speed, spin_axis=axis[0], wind_speed=3.0)
            for key in ("ticks", "distance", "apex", "landing_angle", "flight_time", "lateral"):
                assert same(float(many[key][i, j]), float(one[key])), key
            assert many["end"][i, j] == one["end"]
    assert (many["total"] > many["carry"]).all()
