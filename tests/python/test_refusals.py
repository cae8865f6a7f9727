"""What the window would refuse, Python refuses before flying anything: ValueError with
the command line's reason, TypeError for what is not made of numbers."""
import json
import math

import numpy as np
import pytest

import vendrel
from conftest import cli, cli_options

VALUE_ERRORS = {
    "angle_above_range": ({"angle": 95}, "angle: '95' is out of range (allowed: 0 to 90)"),
    "speed_below_range": ({"speed": -1}, "speed: '-1' is out of range (allowed: 0 to 100)"),
    "dt_below_range": ({"dt": 0.000005}, "dt: '5e-06' is out of range (allowed: 0.00001 to 0.1)"),
    "spin_beyond_range": ({"back_spin": 100000.5}, "back_spin: '100000.5' is out of range (allowed: -100000 to 100000)"),
    "nan": ({"k": math.nan}, "k: 'nan' is not a number (allowed: 0 to 10)"),
    "infinity": ({"mass": math.inf}, "mass: 'inf' is out of range (allowed: 0 to 10000)"),
    "bad_array_element": ({"gravity": [9.8, 1e5]}, "gravity[1]: '100000' is out of range (allowed: 0 to 10000)"),
    "bad_element_2d": ({"k_prime": [[0.0, 0.1], [0.2, -0.1]]}, "k_prime[1, 1]: '-0.1' is out of range (allowed: 0 to 10)"),
    "huge_int": ({"angle": 10**400}, "angle: '10000000000000000000...' is out of range (allowed: 0 to 90)"),
    "not_broadcasting": ({"angle": [10, 20], "speed": [50, 60, 70]},
                         "angle of shape (2,) and speed of shape (3,) do not broadcast together"),
    "not_broadcasting_first_axis": ({"angle": [[10], [20]], "speed": [50, 60, 70], "k": np.zeros((3, 1))},
                                    "angle of shape (2, 1) and k of shape (3, 1) do not broadcast together"),
    "ragged_list": ({"side_spin": [[1, 2], [3]]}, "side_spin: setting an array element with a sequence"),
    "max_ticks_zero": ({"max_ticks": 0}, "max_ticks: '0' is not a whole number from 1 to 1000000000000"),
    "threads_too_many": ({"threads": 1025}, "threads: '1025' is not a whole number from 1 to 1024"),
}

TYPE_ERRORS = {
    "string": ({"angle": "15"}, "angle: expected a number or an array of numbers, got str"),
    "none": ({"speed": None}, "speed: expected a number or an array of numbers, got NoneType"),
    "bool": ({"k": True}, "k: expected a number or an array of numbers, got bool"),
    "complex": ({"dt": 0.01 + 0j}, "dt: expected a number or an array of numbers, got complex"),
    "bool_array": ({"mass": np.array([True])}, "mass: expected a number or an array of numbers, got an array of bool"),
    "string_list": ({"angle": ["15"]}, "angle: expected a number or an array of numbers, got a sequence of <U2"),
    "float_max_ticks": ({"max_ticks": 100.0}, "max_ticks: expected a whole number, got float"),
    "bool_threads": ({"threads": True}, "threads: expected a whole number, got bool"),
}


@pytest.mark.parametrize("args, message", VALUE_ERRORS.values(), ids=VALUE_ERRORS.keys())
def test_value_errors(args, message):
    with pytest.raises(ValueError) as refused:
        vendrel.fly(**args)
    assert str(refused.value).startswith(message)


@pytest.mark.parametrize("args, message", TYPE_ERRORS.values(), ids=TYPE_ERRORS.keys())
def test_type_errors(args, message):
    with pytest.raises(TypeError) as refused:
        vendrel.fly(**args)
    assert str(refused.value) == message


def test_trajectory_refuses_the_same_and_arrays():
    with pytest.raises(ValueError, match=r"^angle: '95' is out of range"):
        vendrel.trajectory(angle=95)
    with pytest.raises(TypeError, match="one flight"):
        vendrel.trajectory(angle=[10, 20])


def test_bounds_are_accepted():
    lows = {"angle": 0, "speed": 0, "side_spin": -100000, "back_spin": -100000, "k": 0, "k_prime": 0,
            "mass": 0, "gravity": 0, "dt": 0.00001}
    highs = {"angle": 90, "speed": 100, "side_spin": 100000, "back_spin": 100000, "k": 10, "k_prime": 10,
             "mass": 10000, "gravity": 10000, "dt": 0.1}
    for bounds in (lows, highs):
        # Accepted here as the command line accepts them, and flown the same.
        printed = json.loads(cli(*cli_options(bounds), "--max-ticks", 10, "--format", "json"))
        assert vendrel.fly(**bounds, max_ticks=10) == printed


def test_a_refused_element_stops_every_flight():
    # A million long flights would take seconds; the refusal comes before any of them.
    angles = np.full(1_000_000, 45.0)
    angles[-1] = -1
    with pytest.raises(ValueError, match=r"^angle\[999999\]: \'-1\' is out of range"):
        vendrel.fly(angle=angles, gravity=0.0, max_ticks=10**12)
