"""vendrel.history reads the range's shot history as `vendrel-flight history --format
json` exports it, while the range is still writing it."""
import json
import os
import pathlib
import re
import socket
import sqlite3
import subprocess
import time

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


def test_the_same_shots_as_the_export_while_the_range_runs(live_range):
    shots = vendrel.history(live_range)
    assert shots == exported(live_range)
    assert [s["shot_number"] for s in shots] == [1, 2, 3]
    assert list(shots[0]) == ["id", "time", "device", "shot_number", "club", "launch", "measured_carry", "result",
                              "conditions", "club_data", "message"]
    # Flown in the range's air, and kept with it.
    assert shots[0]["conditions"]["temperature"] == 30.0
    assert shots[0]["result"]["carry"] < shots[2]["result"]["carry"]
    assert vendrel.history(pathlib.Path(live_range)) == shots  # any path-like


def test_selects_by_club_and_time_as_the_command_does(live_range):
    assert [s["shot_number"] for s in vendrel.history(live_range, club="7 iron")] == [2]
    assert vendrel.history(live_range, club="7 iron") == exported(live_range, "--club", "7 iron")
    assert vendrel.history(live_range, since="2000-01-01") == exported(live_range)
    assert vendrel.history(live_range, since="2999-12-31T23:59Z") == []
    with pytest.raises(ValueError, match="since: 'yesterday' is not a time"):
        vendrel.history(live_range, since="yesterday")


def test_a_missing_or_foreign_file_is_refused_when_called(tmp_path):
    with pytest.raises(OSError, match="no such file"):
        vendrel.history(tmp_path / "none.sqlite")
    foreign = tmp_path / "other.sqlite"
    with sqlite3.connect(foreign) as db:
        db.execute("CREATE TABLE t (x)")
    with pytest.raises(OSError, match="not a shot history"):
        vendrel.history(foreign)
    assert not (tmp_path / "none.sqlite").exists()
