"""vendrel.history reads the range's shot history as columns of the numbers `vendrel-flight
history --format json` exports, while the range is still writing it."""
import json
import os
import pathlib
import re
import socket
import sqlite3
import subprocess
import time

import numpy as np
import pytest

import vendrel
from conftest import cli


def shot(number, speed):
    return json.dumps({"DeviceID": "PY", "Units": "Yards", "ShotNumber": number, "APIversion": "1",
                       "BallData": {"Speed": speed, "SpinAxis": -3.0, "TotalSpin": 3000.0, "HLA": 1.0, "VLA": 14.0},
                       "ShotDataOptions": {"ContainsBallData": True, "ContainsClubData": False}})


@pytest.fixture(scope="module")
def live_range(tmp_path_factory):
    """A running range that has taken three shots (two objects in one segment), the
    second named "7 iron" by another writer of the file."""
    db = tmp_path_factory.mktemp("range") / "shots.sqlite"
    server = subprocess.Popen([os.environ["VENDREL_FLIGHT_EXE"], "range", "--port", "0", "--database", str(db),
                               "--temperature", "30"], stdout=subprocess.PIPE, text=True)
    try:
        port = int(re.search(r"port (\d+);", server.stdout.readline()).group(1))
        with socket.create_connection(("127.0.0.1", port), timeout=10) as conn:
            conn.sendall((shot(1, 120.0) + shot(2, 140.0) + "\n" + shot(3, 160.0)).encode())
            replies, deadline = "", time.monotonic() + 10
            while replies.count('"Code":200') < 3 and time.monotonic() < deadline:
                replies += conn.recv(4096).decode()
            assert replies.count('"Code":200') == 3, replies
        with sqlite3.connect(db, timeout=10) as other:
            other.execute("UPDATE shots SET club = '7 iron' WHERE shot_number = 2")
        yield str(db)
    finally:
        server.terminate()
        server.wait(timeout=30)


def exported(db, *options):
    return json.loads(cli("history", "--database", db, "--format", "json", *options))


def same_as(columns, shots):
    """The columns are the exported shots' values, bit for bit (NaN for a null number)."""
    assert all(len(c) == len(shots) for c in columns.values())
    for i, s in enumerate(shots):
        for key, value in s.items():
            for name, v in (value.items() if key in ("launch", "result") else [(key, value)]):
                got = columns[name][i]
                if name == "measured_carry" and v is None:
                    assert np.isnan(got)
                else:
                    assert got == v, (name, got, v)


def test_the_same_shots_as_the_export_while_the_range_runs(live_range):
    h = vendrel.history(live_range)
    shots = exported(live_range)
    same_as(h, shots)
    assert list(h["shot_number"]) == [1, 2, 3]
    assert h["carry"].dtype == np.float64 and h["id"].dtype == np.int64
    # Flown in the range's air, and kept with it.
    assert h["conditions"][0]["temperature"] == 30.0
    assert h["carry"][0] < h["carry"][2]
    assert np.isnan(h["measured_carry"]).all()
    same_as(vendrel.history(pathlib.Path(live_range)), shots)  # any path-like


def test_selects_by_club_and_time_as_the_command_does(live_range):
    assert list(vendrel.history(live_range, club="7 iron")["shot_number"]) == [2]
    same_as(vendrel.history(live_range, club="7 iron"), exported(live_range, "--club", "7 iron"))
    none = vendrel.history(live_range, since="2999-12-31T23:59Z")
    assert list(none) == list(vendrel.history(live_range)) and all(len(c) == 0 for c in none.values())
    with pytest.raises(ValueError, match="since: 'yesterday' is not a time"):
        vendrel.history(live_range, since="yesterday")
    try:
        import pandas  # noqa: F401
    except ImportError:
        with pytest.raises(ImportError, match="needs pandas"):
            vendrel.history(live_range, frame=True)
    else:
        assert list(vendrel.history(live_range, frame=True)["carry"]) == list(vendrel.history(live_range)["carry"])


def test_a_missing_or_foreign_file_is_refused_when_called(tmp_path):
    with pytest.raises(OSError, match="no such file"):
        vendrel.history(tmp_path / "none.sqlite")
    foreign = tmp_path / "other.sqlite"
    with sqlite3.connect(foreign) as db:
        db.execute("CREATE TABLE t (x)")
    with pytest.raises(OSError, match="not a shot history"):
        vendrel.history(foreign)
    assert not (tmp_path / "none.sqlite").exists()
