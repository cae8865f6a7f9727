"""Arrays of flights: numpy's broadcasting, and each element the flight a single call gives."""
import numpy as np
import pytest

import vendrel
from conftest import same

KEYS = ["ticks", "end", "landed", "carry", "distance", "x", "y", "z", "apex"]

SHAPES = {
    "one_array": ({"angle": [10, 20, 30]}, (3,)),
    "row_and_column": ({"angle": [[10], [20]], "back_spin": [0, 1000, 3000]}, (2, 3)),
    "three_axes": ({"speed": np.full((2, 1, 1), 50.0), "k": [[0.0], [0.01]], "dt": [0.01, 0.02]}, (2, 2, 2)),
    "length_one_axes": ({"angle": [[15]], "mass": [40, 46]}, (1, 2)),
    "zero_d_with_array": ({"angle": np.array(20.0), "speed": [40, 60]}, (2,)),
    "empty": ({"angle": np.zeros((0, 3))}, (0, 3)),
}


@pytest.mark.parametrize("args, shape", SHAPES.values(), ids=SHAPES.keys())
def test_result_has_the_broadcast_shape(args, shape):
    out = vendrel.fly(**args)
    assert list(out) == KEYS
    assert all(out[key].shape == shape for key in KEYS)
    assert out["ticks"].dtype == np.int64 and out["landed"].dtype == bool


def scalar_row(params):
    r = vendrel.fly(**params)
    carry = np.nan if r["carry"] is None else r["carry"]
    nan = lambda v: np.nan if v is None else v  # noqa: E731 - JSON's null is NaN in arrays
    return [r["ticks"], r["end"], r["landed"], carry, nan(r["distance"]),
            *(nan(r["landing"][a]) for a in "xyz"), nan(r["apex"])]


# Long and short flights side by side, and the ends a run can have, so lanes refill.
MIXED = {
    "angle": np.array([[0, 15, 45, 90, 30, 5, 60, 15]]),
    "speed": np.array([[60], [0], [100]]),
    "mass": np.array([46, 46, 0, 46, 10, 46, 46, 10000]),
    "side_spin": np.array([0, -3000, 0, 500, 0, 0, 100000, 0]),
    "gravity": np.array([9.8, 9.8, 9.8, 9.8, 0, 9.8, 9.8, 9.8]),
}


@pytest.mark.parametrize("threads", [1, 2, 7], ids=["one_thread", "two_threads", "seven_threads"])
def test_each_element_is_the_single_flight(threads):
    out = vendrel.fly(**MIXED, max_ticks=2000, threads=threads)
    full = np.broadcast_arrays(*MIXED.values())
    for index in np.ndindex(out["ticks"].shape):
        params = {name: float(a[index]) for name, a in zip(MIXED, full)}
        want = scalar_row({**params, "max_ticks": 2000})
        got = [out[key][index].item() for key in KEYS]
        assert all(same(g, w) for g, w in zip(got, want)), (params, got, want)
    assert set(out["end"].ravel()) == {"ground", "nan", "max-ticks"}


def test_integer_and_float32_arrays_are_read_as_doubles():
    ints = vendrel.fly(angle=np.array([15, 30], dtype=np.int16), speed=np.array([60, 70], dtype=np.uint8))
    assert ints["carry"].tolist() == [vendrel.fly(angle=15)["carry"], vendrel.fly(angle=30, speed=70)["carry"]]
    singles = vendrel.fly(angle=np.array([17.3], dtype=np.float32))
    assert singles["distance"][0] == vendrel.fly(angle=float(np.float32(17.3)))["distance"]


def test_strided_views_read_the_right_elements():
    angles = np.arange(0.0, 90.0, 5.0).reshape(3, 6)[:, ::-2].T  # neither C nor F contiguous
    out = vendrel.fly(angle=angles)
    assert out["distance"].tolist() == vendrel.fly(angle=angles.copy())["distance"].tolist()
    assert out["distance"][1, 2] == vendrel.fly(angle=float(angles[1, 2]))["distance"]


def test_ctrl_c_stops_a_long_call():
    # A notebook's interrupt must end the call, not wait for its flights. Two billion
    # ticks (two million flights that never come down, a thousand ticks each) on one
    # thread take some twenty seconds even in AVX-512 lanes, however many cores there are;
    # the call looks for the interrupt between batches, which take a fraction of that.
    import _thread
    import threading
    import time

    threading.Timer(0.3, _thread.interrupt_main).start()
    start = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        vendrel.fly(angle=np.full(2_000_000, 45.0), gravity=0.0, max_ticks=1000, threads=1)
    assert time.monotonic() - start < 10
    assert vendrel.fly(angle=[15.0])["carry"].tolist() == [183.0]


def test_runs_of_many_flights_keep_each_element_in_place():
    # 21,000 flights cross the runs numpy hands over (8192 at a time) inside a row.
    angle, speed = np.array([[5.0], [20.0], [40.0]]), np.linspace(30.0, 90.0, 7000)
    out = vendrel.fly(angle=angle, speed=speed, max_ticks=5)
    for row, col in [(0, 0), (1, 1191), (1, 1192), (1, 1193), (2, 2383), (2, 2384), (2, 6999)]:
        one = vendrel.fly(angle=float(angle[row, 0]), speed=float(speed[col]), max_ticks=5)
        assert out["apex"][row, col] == one["apex"] and out["x"][row, col] == one["landing"]["x"], (row, col)
