"""The module and vendrel-flight give the same flights: the JSON report, the
trajectory CSV and a sweep's rows."""
import json
import math

import numpy as np
import pytest

import vendrel
from conftest import FIELDS, cli, cli_csv, cli_options, same

# Flights that end in each way the run control knows, and carries the field keeps.
# The reference flights (the default among them) are test_golden's.
CASES = {
    "hook": {"side_spin": -1500, "back_spin": 3500, "angle": 12.5},
    "upright": {"angle": 90},
    "carry_zero": {"speed": 100, "angle": 0, "back_spin": -100000},
    "no_speed_carry_unchanged": {"speed": 0},
    "massless_nan": {"mass": 0},
    "no_gravity_max_ticks": {"gravity": 0, "max_ticks": 50},
    "decimal_inputs": {"angle": 17.3, "speed": 61.7, "k": 0.013, "dt": 0.0071},
}


def split(params):
    params = dict(params)
    ticks = params.pop("max_ticks", None)
    return params, ([] if ticks is None else ["--max-ticks", ticks]), ({} if ticks is None else {"max_ticks": ticks})


@pytest.mark.parametrize("params", CASES.values(), ids=CASES.keys())
def test_fly_is_the_json_report(params):
    form, cli_ticks, py_ticks = split(params)
    want = json.loads(cli(*cli_options(form), *cli_ticks, "--format", "json"))
    got = vendrel.fly(**form, **py_ticks)
    assert got == want
    assert list(got) == list(want)


@pytest.mark.parametrize("params", CASES.values(), ids=CASES.keys())
def test_trajectory_is_the_csv(params):
    form, cli_ticks, py_ticks = split(params)
    rows = cli_csv(cli(*cli_options(form), *cli_ticks, "--trajectory", "-"))
    tr = vendrel.trajectory(**form, **py_ticks)
    assert list(tr.dtype.names) == list(rows[0])
    assert len(tr) == len(rows)
    for got, want in zip(tr.tolist(), rows):
        assert got[0] == int(want["tick"])
        assert all(same(g, float(w)) for g, w in zip(got[1:], list(want.values())[1:]))


def test_sweep_rows_are_the_array_flights():
    angles, speeds, spins = np.arange(0, 91, 15), np.array([0, 35, 70]), np.array([-2500, 0, 2500])
    rows = cli_csv(cli("sweep", "--angle", "0:90:15", "--speed", "0:70:35", "--back-spin",
                       "-2500:2500:2500", "--no-progress", "--threads", 2))
    # The sweep nests its loops in parameter order, the last fastest: numpy's C order.
    out = vendrel.fly(angle=angles[:, None, None], speed=speeds[None, :, None], back_spin=spins)
    assert len(rows) == out["ticks"].size == 63
    flat = {key: value.ravel() for key, value in out.items()}
    grid = np.meshgrid(angles, speeds, spins, indexing="ij")
    for i, row in enumerate(rows):
        assert [float(row[f]) for f in ("angle", "speed", "back_spin")] == [g.ravel()[i] for g in grid]
        assert int(row["ticks"]) == flat["ticks"][i] and row["end"] == flat["end"][i]
        carry = float(row["carry"]) if row["carry"] else math.nan
        for got, want in [(carry, flat["carry"][i]), (float(row["distance"]), flat["distance"][i]),
                          (float(row["lateral"]), flat["y"][i]), (float(row["apex"]), flat["apex"][i])]:
            assert same(got, float(want))
