# vendrel.history: the range's shot history as columns, one element per shot, read by
# the store's own code (the compiled _history_shots) as the command line exports it.
import numpy as np

from . import _vendrel

# Records within a shot whose values become columns of their own: the launch values
# and the results, all numbers.
_SPREAD_OUT = ("launch", "result")

HISTORY_DOC = """history(path, club=None, since=None, *, frame=False) -> dict

The shots a range kept in its history file (vendrel-flight range --database), oldest
first, as columns: a dict of numpy arrays, one element per shot, or with frame=True
a pandas DataFrame of the same columns (pandas must be installed then).

    id, time, device           int64; text (UTC, ISO 8601); text
    shot_number, club          objects: an int or None; a name or None
    speed, vertical_angle, horizontal_angle, back_spin, side_spin, total_spin,
    spin_axis                  the launch as measured, float64 (m/s, degrees, rpm)
    measured_carry             float64, NaN where the monitor sent none (m)
    carry, apex, landing_angle, lateral, total, rest_x, rest_y, flight_time
                               what the ball model made of it, float64 (m, degrees, s)
    conditions, club_data, message
                               objects: the air, wind, surface and constants it was
                               flown with, the club data and the message as received

The numbers are those of `vendrel-flight history --format json`, bit for bit. The
file is only read, and may be read while the range writes it.

    club   only the shots of this club
    since  only shots from this time on, UTC: "YYYY-MM-DD[THH:MM[:SS[.fff]]][Z]"

A missing file or one that is no shot history raises OSError; a since that is no
time raises ValueError.

Example:
    >>> h = vendrel.history("shots.sqlite", club="7 iron")
    >>> h["carry"].mean(), h["carry"].std(ddof=1)
"""


def _column(key, values):
    if key == "id":
        return np.array(values, dtype=np.int64)
    if key in ("time", "device"):
        return np.array(values, dtype=np.str_)
    if key == "measured_carry":
        return np.array([np.nan if v is None else v for v in values], dtype=np.float64)
    out = np.empty(len(values), dtype=object)  # nullable or nested: kept as they came
    out[:] = values
    return out


def history(path, club=None, since=None, *, frame=False):
    shots = _vendrel._history_shots(path, club, since)
    columns = {}
    for key, value in _vendrel._history_template[0].items():
        if key in _SPREAD_OUT:
            for name in value:
                columns[name] = np.array([s[key][name] for s in shots], dtype=np.float64)
        else:
            columns[key] = _column(key, [s[key] for s in shots])
    if not frame:
        return columns
    try:
        import pandas
    except ImportError:
        raise ImportError("history(frame=True) needs pandas (python3-pandas); without it, "
                          "history() gives the same columns as numpy arrays") from None
    return pandas.DataFrame(columns)


history.__doc__ = HISTORY_DOC
