"""fly and dispersion over dask arrays on a local cluster of two worker processes: the
numpy call's bits whatever the chunking, a worker lost mid-run made good by dask's
own retry, and the numpy call's refusals when the graph is computed."""
import os
import signal
import subprocess
import sys
import time

import numpy as np
import pytest

import vendrel

da = pytest.importorskip("dask.array")
distributed = pytest.importorskip("distributed")


def same(a, b):
    a, b = np.asarray(a), np.asarray(b)
    return a.dtype == b.dtype and a.shape == b.shape and a.tobytes() == b.tobytes()


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                                  dashboard_address=None, worker_dashboard_address=None) as cluster:
        with distributed.Client(cluster) as c:
            yield c


ANGLE = np.linspace(0.0, 90.0, 41)
BACK_SPIN = np.array([[-3000.0], [0.0], [2500.0], [9000.0]])


@pytest.mark.parametrize("angle_chunks, spin_chunks, turned", [(1, 1, False), (7, 3, False), (41, 4, False),
                                                                (10, None, False), (5, 2, True)])
def test_fly_has_the_numpy_bits_whatever_the_chunking(client, angle_chunks, spin_chunks, turned):
    # Turned: the first argument has the axis of length 1 that the other one fills.
    angle, back_spin = (ANGLE[:, None], BACK_SPIN.T) if turned else (ANGLE, BACK_SPIN)
    want = vendrel.fly(angle=angle, back_spin=back_spin, speed=70, max_ticks=600)
    spin = back_spin if spin_chunks is None else da.from_array(back_spin, chunks=spin_chunks)
    got = vendrel.fly(angle=da.from_array(angle, chunks=angle_chunks), back_spin=spin, speed=70, max_ticks=600)
    assert all(isinstance(v, da.Array) for v in got.values())
    got = client.compute(got).result()
    assert set(got["end"].ravel()) == {"ground", "max-ticks"}  # both kinds of end went through
    for name, values in want.items():
        assert same(got[name], values), name


@pytest.mark.parametrize("chunks", [3, 37, 250])
def test_dispersion_has_the_numpy_bits_whatever_the_chunking(client, chunks):
    # The first array (speed) has the length-1 axis the spreads fill.
    clubs = da.from_array(np.array([[45.0], [60.0], [75.0]]), chunks=2)
    want = vendrel.dispersion(250, 11, angle_sd=2, side_spin_sd=[300.0, 900.0], speed=clubs.compute())
    got = vendrel.dispersion(250, 11, angle_sd=2, side_spin_sd=[300.0, 900.0], speed=clubs, chunks=chunks)
    got = client.compute(got).result()
    assert got["flights"]["carry"].shape == (3, 2, 250)
    for name, values in want["flights"].items():
        assert same(got["flights"][name], values), name
    for name in ("carry", "distance", "lateral", "ellipse"):
        for part, values in want[name].items():
            assert same(got[name][part], values), (name, part)


def test_the_ball_model_has_the_numpy_bits_too(client):
    speed = np.linspace(35.0, 75.0, 23)
    wind = np.array([[0.0], [8.0]])
    want = vendrel.fly(model="ball", speed=speed, wind_speed=wind, total_spin=4000)
    got = vendrel.fly(model="ball", speed=da.from_array(speed, chunks=5), wind_speed=wind, total_spin=4000)
    got = client.compute(got).result()
    assert set(got) == set(want)
    for name, values in want.items():
        assert same(got[name], values), name
    kwargs = dict(model="ball", speed_sd=1, spin_axis_sd=2, total_spin=4000, wind_speed=wind)
    want = vendrel.dispersion(120, 4, **kwargs)
    got = client.compute(vendrel.dispersion(120, 4, chunks=50, **kwargs)).result()
    for name, values in want["flights"].items():
        assert same(got["flights"][name], values), name
    assert same(got["ellipse"]["major"], want["ellipse"]["major"])


def test_single_values_stay_single(client):
    got = client.compute(vendrel.fly(angle=da.asarray(30.0), speed=70)).result()
    assert got["carry"].shape == () and got["carry"] == vendrel.fly(angle=30.0, speed=70)["carry"]
    want = vendrel.dispersion(500, 3, angle_sd=1, speed_sd=2)
    got = client.compute(vendrel.dispersion(500, 3, angle_sd=1, speed_sd=2, chunks=64)).result()
    for name in ("carry", "distance", "lateral", "ellipse"):
        for part, value in want[name].items():
            assert got[name][part].shape == () and got[name][part] == value, (name, part)
    for name, values in want["flights"].items():
        assert same(got["flights"][name], values), name


def test_a_worker_killed_mid_run_is_replaced_and_the_result_is_the_same(client):
    want = vendrel.dispersion(60_000, 5, angle_sd=1, speed_sd=2, side_spin_sd=500, threads=1)["flights"]["distance"]
    before = client.run(os.getpid)
    future = client.compute(vendrel.dispersion(60_000, 5, angle_sd=1, speed_sd=2, side_spin_sd=500, threads=1,
                                               chunks=2_000)["flights"]["distance"])
    deadline = time.monotonic() + 30
    while not any(client.processing().values()) and time.monotonic() < deadline:
        time.sleep(0.05)
    time.sleep(0.3)
    assert not future.done(), "the run ended before a worker could be lost"
    victim = next(address for address, tasks in client.processing().items() if tasks)
    os.kill(before[victim], signal.SIGKILL)
    assert same(future.result(timeout=120), want)
    assert set(client.run(os.getpid).values()) != set(before.values())  # a new worker took over


@pytest.mark.parametrize("make", [
    lambda: {"angle": da.from_array(np.array([10.0, 20.0, 30.0, 95.0, 40.0]), chunks=2)},
    lambda: {"angle": da.from_array(np.array([[10.0, 20.0], [30.0, 40.0], [95.0, 50.0]]), chunks=1),
             "speed": np.array([60.0, 70.0])},
])
def test_a_refused_value_raises_the_numpy_calls_error_when_computed(client, make):
    args = make()
    with pytest.raises(ValueError) as numpy_error:
        vendrel.fly(**{k: np.asarray(v) for k, v in args.items()})
    lazy = vendrel.fly(**args)  # nothing is read yet
    with pytest.raises(ValueError) as dask_error:
        client.compute(lazy["carry"]).result()
    assert str(dask_error.value) == str(numpy_error.value)
    # Likewise a spread, in a dispersion.
    spreads = np.array([[1.0], [0.5], [-2.0]])
    with pytest.raises(ValueError) as numpy_error:
        vendrel.dispersion(10, angle_sd=spreads)
    lazy = vendrel.dispersion(10, angle_sd=da.from_array(spreads, chunks=1), chunks=4)
    with pytest.raises(ValueError) as dask_error:
        client.compute(lazy["flights"]["apex"]).result()
    assert str(dask_error.value) == str(numpy_error.value) == "angle_sd[2, 0]: '-2.0' is not a number of 0 or more"


def test_what_takes_no_dask_array_says_so():
    with pytest.raises(TypeError, match="progress: dask reports its own progress"):
        vendrel.fly(angle=da.from_array(ANGLE), progress=print)
    with pytest.raises(TypeError, match="max_ticks: expected a whole number, got a dask array"):
        vendrel.fly(angle=da.from_array(ANGLE), max_ticks=da.asarray(5))


def test_the_readmes_study_runs_as_written():
    # The README's example, with a thousand shots a club and wind for its million.
    top = os.path.dirname(os.path.dirname(os.path.abspath(os.environ["VENDREL_TEST_DATA"])))
    with open(os.path.join(top, "README.md"), encoding="utf-8") as f:
        blocks = f.read().split("```python\n")
    code = next(b.split("```")[0] for b in blocks if "LocalCluster(" in b and 'model="ball"' in b)
    assert "1_000_000," in code
    done = subprocess.run([sys.executable, "-c", code.replace("1_000_000,", "1_000,")], cwd=top, capture_output=True,
                          text=True, timeout=240, check=False)
    assert done.returncode == 0, done.stderr
    carry = [line for line in done.stdout.splitlines() if line.strip()]
    assert len(carry) == 20  # two tables of ten clubs by ten winds
