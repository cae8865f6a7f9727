"""The Vendrel golf-ball flight model (type hints for the compiled module)."""
from typing import Callable, Literal, Mapping, Optional, Sequence, TypedDict, Union, overload

import numpy as np
import numpy.typing as npt

__version__: str

Number = Union[int, float, np.integer, np.floating]
Numbers = Union[Number, npt.ArrayLike]
# Called with (done, total).
Progress = Callable[[int, int], object]

class Landing(TypedDict):
    x: Optional[float]
    y: Optional[float]
    z: Optional[float]

class Flight(TypedDict):
    """One flight, as `vendrel-flight --format json` reports it (None where JSON has null)."""
    ticks: int
    end: Literal["ground", "nan", "max-ticks"]
    landed: bool
    carry: Optional[float]
    distance: Optional[float]
    landing: Landing
    apex: Optional[float]

class Flights(TypedDict):
    """Many flights: arrays of the broadcast shape."""
    ticks: npt.NDArray[np.int64]
    end: npt.NDArray[np.str_]
    landed: npt.NDArray[np.bool_]
    carry: npt.NDArray[np.float64]
    distance: npt.NDArray[np.float64]
    x: npt.NDArray[np.float64]
    y: npt.NDArray[np.float64]
    z: npt.NDArray[np.float64]
    apex: npt.NDArray[np.float64]

@overload
def fly(angle: Number = 15, speed: Number = 60, side_spin: Number = 0, back_spin: Number = 2000,
        k: Number = 0.01, k_prime: Number = 0.02, mass: Number = 46, gravity: Number = 9.8,
        dt: Number = 0.01, max_ticks: int = 10_000_000, threads: Optional[int] = None,
        progress: Optional[Progress] = None) -> Flight: ...
@overload
def fly(angle: Numbers = 15, speed: Numbers = 60, side_spin: Numbers = 0, back_spin: Numbers = 2000,
        k: Numbers = 0.01, k_prime: Numbers = 0.02, mass: Numbers = 46, gravity: Numbers = 9.8,
        dt: Numbers = 0.01, max_ticks: int = 10_000_000, threads: Optional[int] = None,
        progress: Optional[Progress] = None) -> Flights: ...

def trajectory(angle: Number = 15, speed: Number = 60, side_spin: Number = 0, back_spin: Number = 2000,
               k: Number = 0.01, k_prime: Number = 0.02, mass: Number = 46, gravity: Number = 9.8,
               dt: Number = 0.01, max_ticks: int = 10_000_000) -> np.ndarray:
    """Columns: tick (int64), t, x, y, z, vx, vy, vz (float64)."""
    ...

class Measured(TypedDict):
    measured: float
    modelled: Optional[float]

class FitResult(TypedDict):
    """What `vendrel-flight fit --format json` prints; each shot has its name, its index
    and a Measured entry for each measured column (distance, apex, lateral)."""
    fitted: dict[str, float]
    rms: Optional[float]
    evaluations: int
    shots: list[dict[str, Union[str, int, Measured]]]

def fit(shots: Mapping[str, Union[Numbers, Sequence[str]]],
        fit: Union[str, Sequence[str]] = ("k", "k_prime"),
        max_ticks: int = 10_000_000, threads: Optional[int] = None,
        progress: Optional[Progress] = None) -> FitResult: ...
