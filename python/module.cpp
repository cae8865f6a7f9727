// The Python module `vendrel`: the flight model of the window and of vendrel-flight,
// for scripts and notebooks, with numpy arrays in and out.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>

#include "python/fit.h"
#include "python/flights.h"
#include "python/parameters.h"

namespace py = pybind11;
using namespace vendrel::python;

namespace {

constexpr const char* kModuleDoc = R"(The Vendrel golf-ball flight model.

The same model as the Vendrel window and the vendrel-flight command line, bit for bit:
gravity, air drag and spin lift, one fourth-order Runge-Kutta step per tick, until the
ball comes down below zero height.

    >>> import vendrel
    >>> vendrel.fly()["carry"]
    183.0

Functions:
    fly(...)         one flight, or one flight per element of numpy arrays
    trajectory(...)  every tick of one flight as a numpy structured array
    fit(shots, ...)  K and K' (or any parameters) fitted to measured shots

Units: degrees, m/s, rpm, grams, m/s^2, seconds; distances in metres.
)";

constexpr const char* kFlyDoc = R"(fly(angle=15, speed=60, side_spin=0, back_spin=2000, k=0.01, k_prime=0.02,
    mass=46, gravity=9.8, dt=0.01, max_ticks=10_000_000, threads=None, progress=None) -> dict

Fly a golf ball from the tee until it comes down, and report where it landed.

Parameters (each flight parameter is a number or a numpy array of numbers):
    angle      launch angle above the horizontal, degrees, 0 to 90
    speed      launch speed, m/s, 0 to 100
    side_spin  side spin, rpm, -100000 to 100000 (positive bends toward +y)
    back_spin  back spin, rpm, -100000 to 100000 (positive lifts the ball)
    k          lift coefficient K of the spin forces, 0 to 10
    k_prime    drag coefficient K', 0 to 10
    mass       ball mass, grams, 0 to 10000
    gravity    gravitational acceleration, m/s^2, 0 to 10000
    dt         time step of one tick, seconds, 0.00001 to 0.1
    max_ticks  give up after this many ticks if the ball is still in the air
    threads    threads for arrays of flights; None uses every core
    progress   None, or a function called as progress(done, total) with the
               flights flown so far and all of them: at most four times a second
               while arrays fly, and once at the end; what it raises stops the
               flights and comes out of fly()

With single numbers the result is a dict like `vendrel-flight --format json`:
    ticks     the tick on which the flight ended
    end       "ground" (came down), "nan" (the height became not a number)
              or "max-ticks" (still flying after max_ticks ticks)
    landed    True unless the flight reached max_ticks
    carry     the carry the window shows: whole metres, or None when the window
              would leave its carry unchanged (a distance of zero, for instance)
    distance  horizontal distance of the landing point from the tee, m
    landing   {"x": downrange, "y": lateral, "z": height} of the landing point, m
    apex      the highest height reached, m

With arrays, the arguments broadcast against each other as numpy arrays do, one
flight per element, flown on all cores; the result is a dict of arrays of the
broadcast shape: ticks, end, landed, carry (NaN where the carry stays unchanged),
distance, x, y, z (the landing point) and apex.

Values the window would refuse raise ValueError; what is not a number raises
TypeError. Nothing is flown then.

Examples:
    >>> vendrel.fly(angle=30, speed=70)["carry"]
    401.0
    >>> import numpy as np
    >>> r = vendrel.fly(angle=np.arange(5, 46, 5), back_spin=[[1000], [3000]])
    >>> r["carry"].shape
    (2, 9)
)";

constexpr const char* kTrajectoryDoc = R"(trajectory(angle=15, speed=60, side_spin=0, back_spin=2000, k=0.01, k_prime=0.02,
    mass=46, gravity=9.8, dt=0.01, max_ticks=10_000_000) -> numpy.ndarray

Every tick of one flight, like `vendrel-flight --trajectory`.

Takes the flight parameters of fly() as single numbers. Returns a numpy structured
array with one row for the launch and one per tick, and the columns
    tick  0 for the launch, then the tick number
    t     time since launch, s (tick * dt)
    x, y, z     position at the end of the tick's step, m (downrange, lateral, height)
    vx, vy, vz  velocity there, m/s

Example:
    >>> tr = vendrel.trajectory(angle=20)
    >>> tr["z"].max()          # the apex
)";

constexpr const char* kFitDoc = R"(fit(shots, fit=("k", "k_prime"), max_ticks=10_000_000, threads=None, progress=None) -> dict

Find the parameter values that make the model fly like measured shots.

shots is a mapping of columns, such as a dict of numpy arrays (or a pandas
DataFrame), with the names vendrel-flight's sweep writes:
    angle, speed, side_spin, back_spin, k, k_prime, mass, gravity, dt
              how each shot was launched; a column left out takes the default,
              and a single number counts for every shot
    distance, apex, lateral
              what was measured, in metres (at least distance or apex;
              lateral needs distance)
    name      optional names of the shots
A sweep's ticks, end and carry columns may be there too; they are ignored.

fit names the parameters to find (default K and K'). Each starts from its
column's value when that is one number for every shot, else from the default,
and stays within the form's range. The fit minimises the sum of squared relative
errors over every measured value of every shot (Nelder-Mead; every evaluation
flies every shot on all cores).

progress, when given, is called as progress(done, total) with the evaluations
made and the most the fit may make (it usually needs far fewer), at most four
times a second, and once at the end with the evaluations it took as both; what
it raises stops the fit and comes out of fit().

Returns what `vendrel-flight fit --format json` prints:
    fitted       {"k": ..., "k_prime": ...}
    rms          root mean square of the relative errors (0.01 is 1%), or None
                 when some shot does not come down even at the best values
    evaluations  how many times the shots were flown
    shots        per shot: name, index, and {"measured", "modelled"} for each
                 measured column

Example:
    >>> shots = {"angle": [10.5, 12.0], "speed": [74.0, 70.0],
    ...          "back_spin": [2700, 4400], "distance": [254.0, 230.0]}
    >>> vendrel.fit(shots)["fitted"]
)";

std::array<py::object, 9> FormArgs(py::object angle, py::object speed, py::object sideSpin, py::object backSpin,
                                   py::object k, py::object kPrime, py::object mass, py::object gravity,
                                   py::object dt) {
  return {angle, speed, sideSpin, backSpin, k, kPrime, mass, gravity, dt};
}

py::dict Fly(py::object angle, py::object speed, py::object sideSpin, py::object backSpin, py::object k,
             py::object kPrime, py::object mass, py::object gravity, py::object dt, py::object maxTicks,
             py::object threads, py::object progressArg) {
  const FlightGrid grid = ReadFlightGrid(FormArgs(angle, speed, sideSpin, backSpin, k, kPrime, mass, gravity, dt));
  const std::int64_t ticks = ReadMaxTicks(maxTicks);
  const unsigned workers = ReadThreads(threads);
  Progress progress(progressArg);
  py::dict out = grid.scalar ? FlyOne(grid, ticks) : FlyMany(grid, ticks, workers, progress);
  progress.Finish(grid.count, grid.count);
  return out;
}

py::array TrajectoryOf(py::object angle, py::object speed, py::object sideSpin, py::object backSpin, py::object k,
                       py::object kPrime, py::object mass, py::object gravity, py::object dt,
                       py::object maxTicks) {
  const FlightGrid grid = ReadFlightGrid(FormArgs(angle, speed, sideSpin, backSpin, k, kPrime, mass, gravity, dt));
  const std::int64_t ticks = ReadMaxTicks(maxTicks);
  if (!grid.scalar) {
    throw py::type_error("trajectory flies one flight: give single numbers, not arrays");
  }
  return Trajectory(grid, ticks);
}

py::dict Fit(py::object shots, py::object fit, py::object maxTicks, py::object threads, py::object progress) {
  return FitShotsTo(shots, fit, maxTicks, threads, progress);
}

}  // namespace

PYBIND11_MODULE(vendrel, m) {
  // The docstrings carry their own readable signature line.
  py::options options;
  options.disable_function_signatures();
  m.doc() = kModuleDoc;
  RegisterTypes();
  m.attr("__version__") = VENDREL_VERSION;

  m.def("fly", &Fly, kFlyDoc, py::arg("angle") = 15, py::arg("speed") = 60, py::arg("side_spin") = 0,
        py::arg("back_spin") = 2000, py::arg("k") = 0.01, py::arg("k_prime") = 0.02, py::arg("mass") = 46,
        py::arg("gravity") = 9.8, py::arg("dt") = 0.01, py::arg("max_ticks") = 10'000'000,
        py::arg("threads") = py::none(), py::arg("progress") = py::none());
  m.def("trajectory", &TrajectoryOf, kTrajectoryDoc, py::arg("angle") = 15, py::arg("speed") = 60,
        py::arg("side_spin") = 0, py::arg("back_spin") = 2000, py::arg("k") = 0.01, py::arg("k_prime") = 0.02,
        py::arg("mass") = 46, py::arg("gravity") = 9.8, py::arg("dt") = 0.01, py::arg("max_ticks") = 10'000'000);
  m.def("fit", &Fit, kFitDoc, py::arg("shots"), py::arg("fit") = py::make_tuple("k", "k_prime"),
        py::arg("max_ticks") = 10'000'000, py::arg("threads") = py::none(), py::arg("progress") = py::none());
}
