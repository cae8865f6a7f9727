# fly() and dispersion() over dask arrays: lazy graphs of blocks, each flown by the
# compiled module on whichever worker holds it. Every flight's bits depend only on its
# own values (and, in a dispersion, on the seed and its index), so any chunking, any
# cluster and the numpy call give the same results.
import re
import warnings

import dask.array as da
import numpy as np

from . import _dispersion, _vendrel


def _fly_dtype(model):
    """The row of one flight as fly() gives the model's arrays: its keys and types."""
    flown = _vendrel.fly(speed=np.array([50.0]), model=model)
    return np.dtype([(name, flown[name].dtype) for name in flown])


FLY_DTYPES = {model: _fly_dtype(model) for model in ("form", "ball")}
# Flights in a dispersion's block when `chunks` is not given: some 100 MB of rows, a
# few seconds of flying on a core.
DEFAULT_FLIGHT_CHUNK = 1_000_000
ELEMENT = re.compile(r"(\w+)\[([0-9, ]+)\]")


def _globalised(error, names, block_info):
    """The refusal a block raised, naming the element as the whole call would: the
    block's index plus where the block starts in that argument."""
    message = str(error)
    found = ELEMENT.match(message)
    if found and found.group(1) in names and block_info:
        location = block_info[names.index(found.group(1))]["array-location"]
        index = [int(i) + location[d][0] for d, i in enumerate(found.group(2).split(","))]
        message = f"{found.group(1)}[{', '.join(map(str, index))}]" + message[found.end():]
    return type(error)(message)


def _as_array(value):
    """A dask array for a dask array or anything numpy reads as an array of one
    dimension or more; None for a single value (it goes to every block as it is)."""
    if _dispersion.is_dask(value):
        return da.asarray(value)
    try:
        a = np.asarray(value)
    except (ValueError, TypeError):
        return None  # each block refuses it as the numpy call would
    return da.from_array(a, chunks=-1) if a.ndim > 0 else None


def _aligned(arrays):
    """The arrays with their chunks made to meet along each axis (from the right, as they
    broadcast), and the broadcast result's chunks: map_blocks would take an axis of
    length 1 in its first array for the result's."""
    ndim = max(a.ndim for a in arrays)
    pairs = []
    for a in arrays:
        pairs += [a, tuple(range(ndim - a.ndim, ndim))]
    with warnings.catch_warnings():  # splitting a small array given whole is intended
        warnings.simplefilter("ignore", da.PerformanceWarning)
        _, aligned = da.core.unify_chunks(*pairs)
    return list(aligned), da.core.broadcast_chunks(*[a.chunks for a in aligned])


def _no_progress(progress):
    if progress is not None:
        raise TypeError("progress: dask reports its own progress (its dashboard, dask.diagnostics); "
                        "give no progress with dask arrays")


def _fly_block(*blocks, names, kwargs, row_dtype, block_info=None):
    call = dict(kwargs)
    one = all(np.ndim(b) == 0 for b in blocks)
    call.update((name, np.reshape(b, (1,)) if one else b) for name, b in zip(names, blocks))
    try:
        flown = _vendrel.fly(**call)
    except ValueError as e:
        raise _globalised(e, names, block_info) from None
    out = np.empty(np.shape(flown["ticks"]), row_dtype)
    for name in row_dtype.names:
        out[name] = flown[name]
    return out.reshape(()) if one else out


def _field(rows, name):
    return rows[name].copy()  # contiguous, and of any shape (0-d included)


def fly(args, kwargs):
    positional = _vendrel._flight_keys
    keys = positional + _vendrel._ball_keys
    if len(args) > len(positional):
        raise TypeError("fly() takes the flight parameters by position; give max_ticks and threads by name")
    call = dict(zip(positional, args))
    for name, value in kwargs.items():
        if name in call:
            raise TypeError(f"fly() got multiple values for argument '{name}'")
        call[name] = value
    _no_progress(call.pop("progress", None))
    names, arrays = [], []
    for name in keys:
        a = _as_array(call[name]) if name in call else None
        if a is not None:
            names.append(name)
            arrays.append(a)
            del call[name]
    for name, value in call.items():
        if _dispersion.is_dask(value):
            wanted = "a whole number" if name in ("max_ticks", "threads") else "a single value"
            raise TypeError(f"{name}: expected {wanted}, got a dask array (only the flight parameters "
                            f"{', '.join(keys)} may be)")
    model = call.get("model", "form")
    if model not in FLY_DTYPES:
        raise ValueError(f"model: {model!r} is not one of 'form' or 'ball'")
    dtype = FLY_DTYPES[model]
    arrays, chunks = _aligned(arrays)
    rows = da.map_blocks(_fly_block, *arrays, names=names, kwargs=call, row_dtype=dtype, dtype=dtype, chunks=chunks,
                         meta=np.empty((0,) * max(a.ndim for a in arrays), dtype))
    return {name: rows.map_blocks(_field, name, dtype=dtype[name]) for name in dtype.names}


def _dispersion_block(*blocks, names, flight, spread, seed, max_ticks, threads, model, surface, block_info=None):
    *cells, index = blocks
    flight, spread = dict(flight), list(spread)
    for name, b in zip(names, cells):
        b = b[..., 0]
        if name in _dispersion.SPREADS:
            spread[_dispersion.SPREADS.index(name)] = b
        else:
            flight[name] = b
    try:
        return _dispersion.flights_block(flight, spread, int(index[0]), len(index), seed, max_ticks, threads,
                                         model=model, surface=surface)
    except ValueError as e:
        raise _globalised(e, names, block_info) from None


def _cells_per_block(arrays):
    """The most cells (forms) a block of the broadcast arrays can hold."""
    ndim = max([a.ndim for a in arrays] + [1]) - 1
    widest = [1] * ndim
    for a in arrays:
        for d, sizes in enumerate(a.chunks[:-1]):
            at = ndim - (a.ndim - 1) + d
            widest[at] = max(widest[at], max(sizes))
    return int(np.prod(widest, dtype=np.int64))


def dispersion(n, seed, start, spread, flight, max_ticks, threads, progress, chunks, model, surface):
    _no_progress(progress)
    given = dict(flight)
    given.update(zip(_dispersion.SPREADS, spread))
    names, arrays = [], []
    for name, value in given.items():
        a = _as_array(value)
        if a is not None:
            names.append(name)
            arrays.append(a[..., None])
    if chunks is None:
        chunks = max(1, min(n, DEFAULT_FLIGHT_CHUNK // _cells_per_block(arrays)))
    _dispersion.whole(chunks, "chunks", 1, n)
    singles = {name: v for name, v in given.items() if name not in names}
    index = da.arange(start, start + n, chunks=chunks, dtype=np.int64)
    ndim = max([a.ndim for a in arrays] + [1])
    aligned, out_chunks = _aligned(arrays + [index])
    rows = da.map_blocks(
        _dispersion_block, *aligned, names=names,
        flight={k: v for k, v in singles.items() if k not in _dispersion.SPREADS},
        spread=[singles.get(name, 0.0) for name in _dispersion.SPREADS],
        seed=seed, max_ticks=max_ticks, threads=threads, model=model, surface=surface,
        chunks=out_chunks,
        dtype=_dispersion.FLIGHT_DTYPES[model], meta=np.empty((0,) * ndim, _dispersion.FLIGHT_DTYPES[model]))
    # Each cell's figures come from all its flights in order, as the command line's do:
    # one cell to a block, its flights gathered on one worker.
    whole = {d: 1 for d in range(ndim - 1)}
    whole[ndim - 1] = -1
    summary_dtype = _dispersion.SUMMARY_DTYPES[model]
    summary = rows.rechunk(whole).map_blocks(
        _dispersion.summary_block, drop_axis=ndim - 1, dtype=summary_dtype,
        meta=np.empty((0,) * (ndim - 1), summary_dtype))

    def field(array, get, name):
        kind = _dispersion.FLIGHT_DTYPES[model] if array is rows else summary_dtype
        dtype = _dispersion.ENDS.dtype if name == "end" else kind[name] if name != "carry" else np.float64
        return array.map_blocks(get, name, dtype=dtype)

    return _dispersion.result(n, seed, rows, summary, field, False, model)
