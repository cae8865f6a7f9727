"""progress=: reports while long calls run, the last one at the end, and a way to stop them."""
import _thread
import signal
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import vendrel

ANGLES = np.array([10.0, 14, 18, 22, 12])
SPEEDS = np.array([70.0, 65, 60, 55, 75])
SPINS = np.array([2500.0, 3000, 4000, 5000, 2000])


def shots(dt=0.01):
    r = vendrel.fly(angle=ANGLES, speed=SPEEDS, back_spin=SPINS, k=0.013, k_prime=0.025, dt=dt)
    return {"angle": ANGLES, "speed": SPEEDS, "back_spin": SPINS, "dt": dt, "distance": r["distance"],
            "apex": r["apex"]}


def test_reports_end_with_the_whole_and_change_no_result():
    calls = []
    report = lambda done, total: calls.append((done, total))  # noqa: E731
    assert vendrel.fly(angle=30, progress=report) == vendrel.fly(angle=30)
    assert calls == [(1, 1)]

    calls.clear()
    many = vendrel.fly(angle=[[10, 20, 30]], speed=[[50], [60]], progress=report)
    plain = vendrel.fly(angle=[[10, 20, 30]], speed=[[50], [60]])
    assert all(np.array_equal(many[k], plain[k], equal_nan=k != "end") for k in plain)
    assert calls == [(6, 6)]

    calls.clear()
    start = time.monotonic()
    fitted = vendrel.fit(shots(), progress=report)
    seconds = time.monotonic() - start
    assert fitted == vendrel.fit(shots())
    evaluations = fitted["evaluations"]
    assert calls[-1] == (evaluations, evaluations)
    assert len(calls) <= 4 * seconds + 2 < evaluations  # a few a second, not one per evaluation
    assert all(0 < done <= total for done, total in calls)
    assert [done for done, _ in calls] == sorted({done for done, _ in calls})  # rising, each once


class Enough(Exception):
    pass


def stop_at_first_report(calls):
    def report(done, total):
        calls.append((done, total))
        raise Enough
    return report


# Minutes of work each, were they not stopped.
LONG_CALLS = {
    "fly": lambda progress: vendrel.fly(angle=np.full(2_000_000, 45.0), gravity=0.0, max_ticks=300,
                                        progress=progress),
    "fit": lambda progress: vendrel.fit(shots(dt=0.0001), progress=progress),
    "ball_fit": lambda progress: vendrel.fit({"speed": np.linspace(40.0, 80.0, 20_000),
                                              "carry": np.linspace(100.0, 250.0, 20_000)},
                                             fit=["cd0", "cd1", "cd2", "cl0", "cl1", "cl2", "spin_decay"],
                                             model="ball", progress=progress),
}


@pytest.mark.parametrize("call", LONG_CALLS.values(), ids=LONG_CALLS.keys())
def test_what_the_callback_raises_stops_the_work(call):
    calls = []
    start = time.monotonic()
    with pytest.raises(Enough):
        call(stop_at_first_report(calls))
    assert time.monotonic() - start < 60
    assert len(calls) == 1 and 0 < calls[0][0] < calls[0][1]


@pytest.mark.parametrize("model", ["fit", "ball_fit"])
def test_ctrl_c_stops_a_long_fit(model):
    threading.Timer(0.3, _thread.interrupt_main).start()
    start = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        LONG_CALLS[model](None)
    assert time.monotonic() - start < 60


@pytest.mark.parametrize("call", [lambda p: vendrel.fly(progress=p), lambda p: vendrel.fit(shots(), progress=p)],
                         ids=["fly", "fit"])
def test_progress_is_a_callable_or_none(call):
    with pytest.raises(TypeError, match=r"^progress: expected a callable taking \(done, total\), got int$"):
        call(5)



# Flights that never come down: no gravity, and a bound of a trillion ticks (hours).
ENDLESS = {
    "one flight": "vendrel.fly(angle=45.0, gravity=0.0, max_ticks=10**12)",
    "arrays on one thread": "vendrel.fly(angle=np.full(2, 45.0), gravity=0.0, max_ticks=10**12, threads=1)",
    "arrays on every core": "vendrel.fly(angle=np.full(100, 45.0), gravity=0.0, max_ticks=10**12)",
    "a dispersion": "vendrel.dispersion(4, angle_sd=1, gravity=0.0, max_ticks=10**12)",
}

# Flies the call, then (stopped) a flight that lands, whose bits say nothing was left
# flying on.
CHILD = """
import sys
import numpy as np
import vendrel
print("flying", flush=True)
try:
    {call}
except KeyboardInterrupt:
    print("stopped", vendrel.fly(angle=[30.0, 45.0])["distance"].tolist(), flush=True)
"""


@pytest.mark.parametrize("call", ENDLESS.values(), ids=ENDLESS.keys())
def test_ctrl_c_stops_flights_that_never_end(call):
    child = subprocess.Popen([sys.executable, "-c", CHILD.format(call=call)], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline() == "flying\n"
        time.sleep(0.2)  # a trajectory's rows pile up as it flies: stopped soon
        child.send_signal(signal.SIGINT)
        start = time.monotonic()
        out, err = child.communicate(timeout=10)
    finally:
        child.kill()
    assert time.monotonic() - start < 5
    assert child.returncode == 0, err
    assert out == f"stopped {[vendrel.fly(angle=a)['distance'] for a in (30.0, 45.0)]}\n"


def test_a_trajectory_that_never_ends_stops_at_a_bound_of_rows():
    # Kept in memory row by row, it would take every byte the machine has.
    with pytest.raises(ValueError, match="still in the air after 10000000 ticks"):
        vendrel.trajectory(angle=45.0, gravity=0.0, max_ticks=10**12)
    assert len(vendrel.trajectory(angle=45.0, gravity=0.0, max_ticks=1000)) == 1001
