"""The ball model from Python: the shared flights to the bit, its trajectory, its refusals."""
import json
import math
import os

import numpy as np
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
    ({"model": "ball", "spin_axis": 185}, ValueError, "spin_axis: '185' is out of range (allowed: -180 to 180)"),
    ({"model": "ball", "mass": 0}, ValueError, "mass: '0' is out of range (allowed: 1 to 1000)"),
    ({"model": "ball", "humidity": math.nan}, ValueError, "humidity: 'nan' is not a number"),
    ({"model": "ball", "speed": [50, 60], "angle": [1, 2, 3]}, ValueError,
     "angle of shape (3,) and speed of shape (2,) do not broadcast together"),
    ({"model": "ball", "speed": [50, 60], "spin_axis": [[0], [185]]}, ValueError, "spin_axis[1, 0]: '185' is out of range"),
    # Every shot is checked before any flies; a refusal that needs the whole shot names it.
    ({"model": "ball", "cd0": [0.1, -0.05], "speed": [[40], [50]]}, ValueError, "shot[0, 1]: cd0/cd1/cd2"),
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


def test_arrays_of_shots_are_the_single_shots_bit_for_bit():
    speed = np.array([30.0, 55.0, 75.0])
    wind = np.array([[0.0], [6.0]])
    many = vendrel.fly(model="ball", speed=speed, wind_speed=wind, wind_direction=90, total_spin=[2500.0, 6000.0, 9000.0],
                       surface="green", threads=2)
    assert many["total"].shape == many["bounces"].shape == (2, 3)
    for i, j in np.ndindex(2, 3):
        one = vendrel.fly(model="ball", speed=speed[j], wind_speed=wind[i, 0], wind_direction=90,
                          total_spin=[2500.0, 6000.0, 9000.0][j], surface="green")
        for key in ("ticks", "end", "landed", "carry", "distance", "apex", "landing_angle", "flight_time", "lateral",
                    "total", "roll", "bounces", "time_to_rest"):
            assert same(one[key], many[key][i, j].item()), key
        assert [one["landing"][c] for c in "xyz"] == [many[c][i, j] for c in "xyz"]
        assert [one["rest"][c] for c in "xy"] == [many["rest_x"][i, j], many["rest_y"][i, j]]
    # One keyword alone is one column: every shot its own.
    alone = vendrel.fly(model="ball", speed=speed)
    assert [same(alone["total"][j], vendrel.fly(model="ball", speed=speed[j])["total"]) for j in range(3)] == [True] * 3
    with pytest.raises(TypeError, match="trajectory flies one flight"):
        vendrel.trajectory(model="ball", speed=speed)
