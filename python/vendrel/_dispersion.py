# vendrel.dispersion: the keywords, their checks, and the flights of one block of cells
# (each cell a form to draw around) and flight indices. The numpy call is one such block;
# vendrel._dask makes many. Flight i of a cell depends only on the cell's values, the
# seed and i, and each cell's statistics are the command line's, so every way of
# cutting the run gives the same bits.
import operator

import numpy as np

from . import _vendrel

# The form's four spreads, then the ball model's own three.
SPREADS = ("angle_sd", "speed_sd", "side_spin_sd", "back_spin_sd", "direction_sd", "total_spin_sd", "spin_axis_sd")
FORM_SPREADS = 4
SUMMARY_DTYPE = np.dtype([(f"{name}_{part}", "i8" if part == "count" else "f8")
                          for name in ("carry", "distance", "lateral") for part in ("mean", "sd", "count")] +
                         [(f"ellipse_{part}", "f8") for part in ("x", "y", "major", "minor", "angle")])
# The ball's figures go on with where its shots came to rest.
BALL_SUMMARY_DTYPE = np.dtype(SUMMARY_DTYPE.descr +
                              [(f"total_{part}", "i8" if part == "count" else "f8") for part in ("mean", "sd", "count")] +
                              [(f"rest_ellipse_{part}", "f8") for part in ("x", "y", "major", "minor", "angle")])
SUMMARY_DTYPES = {"form": SUMMARY_DTYPE, "ball": BALL_SUMMARY_DTYPE}
# Each model's row of one flight, and the fields of it a result gives (all but the
# carry's flag, which its NaN carries).
FLIGHT_DTYPES = {model: _vendrel._dispersed_flights({}, (0.0,) * (FORM_SPREADS if model == "form" else len(SPREADS)),
                                                    0, 0, 0, 1, None, None, model).dtype
                 for model in ("form", "ball")}
FLIGHT_FIELDS = {model: tuple(name for name in dtype.names if name != "carry_changed")
                 for model, dtype in FLIGHT_DTYPES.items()}
ENDS = np.array(_vendrel._flight_ends)
MAX_INDEX = 2**63 - 1  # the command line's largest seed, and the last flight index

DISPERSION_DOC = """dispersion(n=1000, seed=1, *, start=0, angle_sd=0.0, speed_sd=0.0, side_spin_sd=0.0,
    back_spin_sd=0.0, direction_sd=0.0, total_spin_sd=0.0, spin_axis_sd=0.0,
    max_ticks=10_000_000, threads=None, progress=None, chunks=None, model="form",
    **flight) -> dict

Flights whose launch values are drawn from normal distributions around the given
ones, and where they land: `vendrel-flight dispersion --format json` with the same
seed, to the last bit, and every flight besides.

    n          the number of flights (the command line's --samples)
    seed       the seed of the draws, 0 to 2**63 - 1
    start      fly flights start to start + n - 1 of the run: blocks of one run,
               flown apart, are the run's flights
    angle_sd, speed_sd, side_spin_sd, back_spin_sd
               standard deviations of the launch values (0 or more, in degrees,
               m/s and rpm); each flight's values are clipped to the form's ranges
    direction_sd, total_spin_sd, spin_axis_sd
               the ball model's own: of the direction and the spin axis (degrees)
               and of the total spin (rpm)
    **flight   the values the draws centre on: fly()'s flight parameters (with
               model="ball", its keywords: wind, air and surface included)
    max_ticks, threads, progress, model   as for fly() (the ball's shots end by
               their own bound: max_ticks is the form's)
    chunks     flights per dask block along the flight axis (int); giving it, or
               any argument as a dask array, returns dask arrays

Any flight parameter or spread may be an array: they broadcast as numpy arrays do,
and each element (a club, a wind, ...) is a dispersion of its own, drawn from the
same seed. Returns the command line's figures, and the flights:
    samples, seed
    carry, distance, lateral   {"mean", "sd", "count"} (carry over flights whose
                               carry changes, the others over flights that came down)
    total      with model="ball": {"mean", "sd", "count"} of the totals (tee to rest)
    ellipse    {"x", "y", "major", "minor", "angle"}: the ellipse holding 95% of
               the landing points, its semi-axes and its angle from downrange (deg)
    rest_ellipse   with model="ball": the same of the rest points
    flights    arrays of shape (*broadcast shape, n): the drawn angle, speed,
               side_spin and back_spin, and fly()'s ticks, end, landed, carry,
               distance, x, y, z and apex; with model="ball" the drawn direction,
               total_spin and spin_axis too, and fly()'s keys of the ball model
The figures are numbers for single values, else arrays of the broadcast shape.
Over dask, each cell's flights are gathered on one worker for its figures (about
100 bytes a flight); the flights themselves fly block by block.

Example:
    >>> r = vendrel.dispersion(1000, seed=7, angle_sd=1, speed_sd=1.5, side_spin_sd=400)
    >>> r["carry"]["mean"], r["ellipse"]["major"]
"""


def is_dask(value):
    """A dask collection, told without importing dask."""
    return type(value).__module__.startswith("dask.") and hasattr(value, "__dask_graph__")


def whole(value, name, low, high):
    """A whole number from low to high, as the module reads max_ticks."""
    if isinstance(value, (bool, np.bool_)) or not hasattr(type(value), "__index__"):
        raise TypeError(f"{name}: expected a whole number, got {type(value).__name__}")
    v = operator.index(value)
    if not low <= v <= high:
        raise ValueError(f"{name}: '{v}' is not a whole number from {low} to {high}")
    return v


def element(name, shape, flat):
    """"angle_sd" for a number, "angle_sd[1, 2]" for an element of an array."""
    if not shape:
        return name
    return f"{name}[{', '.join(map(str, np.unravel_index(flat, shape)))}]"


def check_spread(name, value):
    """A spread as float64: numbers of 0 or more, as the command line takes them."""
    if isinstance(value, (bool, np.bool_)):
        raise TypeError(f"{name}: expected a number or an array of numbers, got {type(value).__name__}")
    a = np.asarray(value)
    if a.dtype.kind not in "iuf":
        raise TypeError(f"{name}: expected a number or an array of numbers, got {a.dtype}")
    a = a.astype(np.float64)
    bad = np.flatnonzero(~(a >= 0))
    if bad.size:
        raise ValueError(f"{element(name, a.shape, bad[0])}: '{a.flat[bad[0]]!r}' is not a number of 0 or more")
    return a


def check_model(model, spread):
    """The model's name, refusing the ball's spreads with the form's model."""
    if model not in ("form", "ball"):
        raise ValueError(f"model: {model!r} is not one of 'form' or 'ball'")
    if model == "form":
        for name, value in zip(SPREADS[FORM_SPREADS:], spread[FORM_SPREADS:]):
            if is_dask(value) or np.any(np.asarray(value) != 0):
                raise ValueError(f"{name}: only with model='ball'")
    return model


def flights_block(flight, spread, first, count, seed, max_ticks, threads, progress=None, model="form",
                  surface=None):
    """Flights first to first + count - 1 of every cell: a structured array of shape
    (*cells, count) with the rows of _vendrel._dispersed_flights."""
    spread = [check_spread(name, s) for name, s in zip(SPREADS, spread)]
    if model == "form":
        spread = spread[:FORM_SPREADS]
        _vendrel._check_flights(flight, model, surface)
    else:
        _vendrel._check_flights(flight, model, surface, [float(s.max()) if s.size else 0.0 for s in spread])
    keys = list(flight)
    values = np.broadcast_arrays(*[np.asarray(flight[k], dtype=np.float64) for k in keys], *spread)
    cells = values[0].shape if values else ()
    out = np.empty(cells + (count,), FLIGHT_DTYPES[model])
    total = int(np.prod(cells, dtype=np.int64)) * count
    for done, cell in enumerate(np.ndindex(*cells)):
        form = {k: float(v[cell]) for k, v in zip(keys, values[:len(keys)])}
        sd = tuple(float(s[cell]) for s in values[len(keys):])
        report = None if progress is None else (lambda d, _, base=done * count: progress(base + d, total))
        out[cell] = _vendrel._dispersed_flights(form, sd, count, seed, first, max_ticks, threads, report, model,
                                                surface)
    return out


def summary_block(flights):
    """The command line's figures of each cell's flights (the last axis)."""
    ball = "total" in flights.dtype.names
    out = np.empty(flights.shape[:-1], SUMMARY_DTYPES["ball" if ball else "form"])
    for cell in np.ndindex(*out.shape):
        figures = _vendrel._dispersion_summary(np.ascontiguousarray(flights[cell]))
        out[cell] = tuple(v for figure in figures for v in figure)
    return out


def flight_field(flights, name):
    """One of FLIGHT_FIELDS from the rows, as fly() gives it."""
    if name == "end":
        return ENDS[flights["end"]]
    if name == "carry":
        return np.where(flights["carry_changed"], flights["carry"], np.nan)
    return flights[name].copy()  # contiguous, and of any shape (0-d included)


def summary_field(summary, name):
    return summary[name].copy()


def result(n, seed, flights, summary, field, scalar, model="form"):
    """The command line's JSON object and the flights, from the rows and the figures;
    `field(array, getter, name)` takes one field out (at once, or lazily)."""
    def figure(name):
        v = field(summary, summary_field, name)
        return v[()].item() if scalar else v
    out = {"samples": n, "seed": seed}
    for name in ("carry", "distance", "lateral"):
        out[name] = {part: figure(f"{name}_{part}") for part in ("mean", "sd", "count")}
    out["ellipse"] = {part: figure(f"ellipse_{part}") for part in ("x", "y", "major", "minor", "angle")}
    if model == "ball":
        out["total"] = {part: figure(f"total_{part}") for part in ("mean", "sd", "count")}
        out["rest_ellipse"] = {part: figure(f"rest_ellipse_{part}") for part in ("x", "y", "major", "minor", "angle")}
    out["flights"] = {name: field(flights, flight_field, name) for name in FLIGHT_FIELDS[model]}
    return out


def dispersion(n, seed, start, spread, flight, max_ticks, threads, progress, chunks, model="form"):
    model = check_model(model, spread)
    flight = dict(flight)
    surface = flight.pop("surface", None)  # a name, not a number: it goes to every block as it is
    n = whole(n, "n", 1, MAX_INDEX)
    seed = whole(seed, "seed", 0, MAX_INDEX)
    start = whole(start, "start", 0, MAX_INDEX - n + 1)
    if progress is not None and not callable(progress):
        raise TypeError(f"progress: expected a callable taking (done, total), got {type(progress).__name__}")
    if chunks is not None or any(map(is_dask, spread)) or any(map(is_dask, flight.values())):
        from . import _dask
        return _dask.dispersion(n, seed, start, spread, flight, max_ticks, threads, progress, chunks, model,
                                surface)
    flights = flights_block(flight, spread, start, n, seed, max_ticks, threads, progress, model, surface)
    summary = summary_block(flights)
    return result(n, seed, flights, summary, lambda a, get, name: get(a, name), summary.ndim == 0, model)
