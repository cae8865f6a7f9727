# The package `vendrel`: the compiled flight model (vendrel._vendrel) and the Python
# around it. fly() and dispersion() hand dask arrays to vendrel._dask, which is imported
# only then, so the package needs neither dask nor distributed otherwise.
from . import _vendrel
from ._vendrel import *  # noqa: F401,F403  (fly, trajectory, fit, and whatever the module defines)
from ._vendrel import __version__  # noqa: F401
from ._dispersion import DISPERSION_DOC as _DISPERSION_DOC, dispersion as _disperse, is_dask as _is_dask
from ._history import history  # noqa: F401

__doc__ = _vendrel.__doc__


def fly(*args, **kwargs):
    if any(map(_is_dask, args)) or any(map(_is_dask, kwargs.values())):
        from . import _dask
        return _dask.fly(args, kwargs)
    return _vendrel.fly(*args, **kwargs)


def dispersion(n=1000, seed=1, *, start=0, angle_sd=0.0, speed_sd=0.0, side_spin_sd=0.0, back_spin_sd=0.0,
               direction_sd=0.0, total_spin_sd=0.0, spin_axis_sd=0.0, max_ticks=10_000_000, threads=None,
               progress=None, chunks=None, model="form", **flight):
    spread = (angle_sd, speed_sd, side_spin_sd, back_spin_sd, direction_sd, total_spin_sd, spin_axis_sd)
    return _disperse(n, seed, start, spread, flight, max_ticks, threads, progress, chunks, model)


fly.__doc__ = _vendrel.fly.__doc__ + """
With any flight parameter a dask array, the result is a dict of dask arrays of the
broadcast shape, flown block by block where dask runs them (import dask only then),
with the bits the numpy call gives; refusals come when the graph is computed, with
the numpy call's message. progress is for numpy calls (dask has its own).
"""
dispersion.__doc__ = _DISPERSION_DOC
