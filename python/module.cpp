// The Python module `vendrel`: the flight model of the window and of vendrel-flight,
// for scripts and notebooks, with numpy arrays in and out.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "flight/parameters.h"
#include "python/ball.h"
#include "python/dispersion.h"
#include "python/fit.h"
#include "python/history.h"
#include "python/flights.h"
#include "python/parameter_text.h"
#include "python/parameters.h"

namespace py = pybind11;
using namespace vendrel;
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
    dispersion(...)  flights with launch values drawn around the given ones, and
                     what their landings come to
    history(path)    the shots a range kept, as vendrel-flight history exports them

Give fly or dispersion a dask array and they return dask arrays, flown block by
block wherever dask runs them, with the same bits.

Units: degrees, m/s, rpm, grams, m/s^2, seconds; distances in metres.
)";

// The docstrings are templates: @...@ is filled in from the parameter table when the
// module loads (python/parameter_text.h).
constexpr const char* kFlyDoc = R"(@SIGNATURE@

Fly a golf ball from the tee until it comes down, and report where it landed.

Parameters (each flight parameter is a number or a numpy array of numbers):
@FLIGHT_PARAMETERS@    max_ticks  give up after this many ticks if the ball is still in the air
    threads    threads for arrays of flights; None uses every core
    progress   None, or a function called as progress(done, total) with the
               flights flown so far and all of them: at most four times a second
               while arrays fly, and once at the end; what it raises stops the
               flights and comes out of fly()
    model      "form" (the window's model, the default) or "ball": a real ball in
               real air. Its keywords, each defaulting
               to the ball model's own value (k and k_prime are the form's only;
               spin is total_spin and spin_axis, or back_spin and side_spin):
@BALL_PARAMETERS@    surface    the ground's constants (bounce_e0 ... roll_resistance) as a named
               set (default: the ball model's own, the fairway's), one of
               @SURFACES@;
               a constant also given as a keyword keeps that value.
               The result then has the keys above (its carry is its distance)
               and landing_angle (degrees below the horizontal), flight_time (s)
               and lateral (m, right of the target line), then where the ball
               came to rest after its bounces and roll: total (tee to rest, m),
               roll (total - carry, m; negative when it came back), rest
               {"x": downrange, "y": lateral} (m), bounces and time_to_rest (s).
               Given arrays, one shot per element as the form's (each checked
               before any flies, with the single shot's bits; max_ticks is the
               form's only), the same keys as arrays, rest as rest_x and rest_y.

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

constexpr const char* kTrajectoryDoc = R"(@SIGNATURE@

Every tick of one flight, like `vendrel-flight --trajectory`.

Takes the flight parameters of fly() as single numbers. Returns a numpy structured
array with one row for the launch and one per tick (a ball still in the air after
10,000,000 ticks, the default max_ticks, raises ValueError: every row is kept in
memory), and the columns
    tick  0 for the launch, then the tick number
    t     time since launch, s (tick * dt)
    x, y, z     position at the end of the tick's step, m (downrange, lateral, height)
    vx, vy, vz  velocity there, m/s
With model="ball" the rows go on after the landing (row `ticks`) through the
bounces and the roll to the rest point, and a last column says where each is:
    phase       "flight", "bounce" or "roll" (sliding or rolling on the ground)

Example:
    >>> tr = vendrel.trajectory(angle=20)
    >>> tr["z"].max()          # the apex
)";

constexpr const char* kFitDoc = R"(@SIGNATURE@

Find the parameter values that make the model fly like measured shots.

shots is a mapping of columns, such as a dict of numpy arrays (or a pandas
DataFrame), with the names vendrel-flight's sweep writes:
    @FLIGHT_KEYS@
              how each shot was launched; a column left out takes the default,
              and a single number counts for every shot
    distance, apex, lateral
              what was measured, in metres (at least distance or apex;
              lateral needs distance)
    name      optional names of the shots
A sweep's ticks, end and carry columns may be there too; they are ignored.

With model="ball" the launch columns are the ball model's keywords of fly()
(speed, angle, direction, total_spin and spin_axis or back_spin and side_spin,
and any other), and the measured columns carry (or distance), apex,
landing_angle (degrees below the horizontal), lateral (needs carry) and total;
any of them. Its fit defaults to ("cd0", "cl1"), and any of its parameters may
be named, such as ("cd0", "cd1", "cd2", "cl0", "cl1", "cl2", "spin_decay").

fit names the parameters to find (default K and K'). Each starts from its
column's value when that is one number for every shot, else from the default,
and stays within the model's range. The fit minimises the sum of squared relative
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
    converged    False when the evaluations ran out before the fit settled
                 (a RuntimeWarning says so; the values are the best found)
    shots        per shot: name, index, and {"measured", "modelled"} for each
                 measured column (the ball model's distance is "carry")

Example:
    >>> shots = {"angle": [10.5, 12.0], "speed": [74.0, 70.0],
    ...          "back_spin": [2700, 4400], "distance": [254.0, 230.0]}
    >>> vendrel.fit(shots)["fitted"]
)";

// The default object of form keyword i. Each is an object of its own, so a keyword left
// out is told from one given (even with the same value) by identity: the ball model
// then takes its own default.
const py::object& FormDefault(std::size_t i) {
  // Never destroyed: the interpreter may be gone by the time statics are.
  static const auto* defaults = [] {
    auto* d = new std::vector<py::object>;
    for (const Parameter& p : ParametersOf(Model::Form)) d->push_back(py::float_(p.Default(Model::Form)));
    return d;
  }();
  return (*defaults)[i];
}

// The ball model's shots, or nothing for the form's (whose keywords are then checked).
std::optional<BallGrid> BallShotsOf(const FlightArgs& flight, const py::object& model, const BallOnlyArgs& ballOnly,
                                    const py::object& surface) {
  if (ReadModel(model) == Model::Form) {
    RefuseBallKeywords(ballOnly);
    if (!surface.is_none()) throw py::value_error("surface: only with model='ball'");
    return std::nullopt;
  }
  return ReadBallGrid(flight, [&flight](std::size_t i) { return !flight[i].is(FormDefault(i)); }, ballOnly,
                      surface);
}

py::dict Fly(const FlightArgs& flight, py::object maxTicks, py::object threads, py::object progressArg,
             const py::object& model, const BallOnlyArgs& ballOnly, const py::object& surface) {
  const auto shots = BallShotsOf(flight, model, ballOnly, surface);
  if (shots && shots->grid.scalar) return FlyBallShot(OneBallShot(*shots));
  const unsigned workers = ReadThreads(threads);
  Progress progress(progressArg);
  py::dict out;
  std::int64_t count = 0;
  if (shots) {
    // The ball's flights end by their own bound: max_ticks is the form's.
    out = FlyBallMany(*shots, workers, progress);
    count = shots->grid.count;
  } else {
    const FlightGrid grid = ReadFlightGrid(flight);
    const std::int64_t ticks = ReadMaxTicks(maxTicks);
    out = grid.scalar ? FlyOne(grid, ticks) : FlyMany(grid, ticks, workers, progress);
    count = grid.count;
  }
  progress.Finish(count, count);
  return out;
}

py::array TrajectoryOf(const FlightArgs& flight, py::object maxTicks, const py::object& model,
                       const BallOnlyArgs& ballOnly, const py::object& surface) {
  constexpr const char* kOne = "trajectory flies one flight: give single numbers, not arrays";
  if (const auto shots = BallShotsOf(flight, model, ballOnly, surface)) {
    if (!shots->grid.scalar) throw py::type_error(kOne);
    return BallTrajectory(OneBallShot(*shots));
  }
  const FlightGrid grid = ReadFlightGrid(flight);
  const std::int64_t ticks = ReadMaxTicks(maxTicks);
  if (!grid.scalar) throw py::type_error(kOne);
  return Trajectory(grid, ticks);
}

// fit's default: an object of its own, so that a fit left out is told from one given
// (the ball model then fits its own default parameters).
const py::object& DefaultFit() {
  static const auto* fit = new py::object(py::make_tuple("k", "k_prime"));  // never destroyed, as FormDefault's
  return *fit;
}

py::dict Fit(py::object shots, py::object fit, py::object maxTicks, py::object threads, py::object progress,
             py::object model) {
  return FitShotsTo(shots, fit, maxTicks, threads, progress, model, DefaultFit());
}

// The keyword of flight parameter i, with its default. Names and docstrings must outlive
// the module's definition, so they live here.
py::arg_v FlightKeyword(std::size_t i) {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k;
    for (const Parameter& p : ParametersOf(Model::Form)) k.emplace_back(p.key);
    return k;
  }();
  return py::arg(keys[i].c_str()) = FormDefault(i);
}

py::arg_v BallKeyword(std::size_t i) { return py::arg(BallOnlyRow(i).key.data()) = py::none(); }

const char* Doc(const char* text, std::string_view name, std::vector<std::string> params, std::string_view returns) {
  static std::vector<std::unique_ptr<std::string>> docs;
  docs.push_back(std::make_unique<std::string>(Expand(text, {
      {"@SIGNATURE@", SignatureLine(name, params, returns)},
      {"@FLIGHT_PARAMETERS@", FlightHelpLines()},
      {"@BALL_PARAMETERS@", BallHelpLines()},
      {"@SURFACES@", SurfaceList(15)},
      {"@FLIGHT_KEYS@", KeyNames(Model::Form)},
  })));
  return docs.back()->c_str();
}

std::vector<std::string> With(std::vector<std::string> params, std::initializer_list<std::string> more) {
  params.insert(params.end(), more);
  return params;
}

template <std::size_t>
using Object = py::object;

// fly and trajectory take one keyword per flight parameter of the table, in its order;
// their count is the table's, known when this compiles.
template <std::size_t... I, std::size_t... J>
void DefineFlights(py::module_& m, std::index_sequence<I...>, std::index_sequence<J...>) {
  const py::object defaultTicks = py::int_(kDefaultMaxTicks);
  const std::string maxTicksDefault = "max_ticks=" + PythonLiteral(static_cast<double>(kDefaultMaxTicks));
  std::vector<std::string> flyParams = With(FlightDefaults(), {maxTicksDefault, "threads=None", "progress=None"});
  std::vector<std::string> trajectoryParams = With(FlightDefaults(), {maxTicksDefault});
  for (const std::string& k : BallKeywords()) {
    flyParams.push_back(k);
    trajectoryParams.push_back(k);
  }
  m.def(
      "fly",
      [](Object<I>... flight, py::object maxTicks, py::object threads, py::object progress, py::object model,
         Object<J>... ballOnly, py::object surface) {
        return Fly(FlightArgs{std::move(flight)...}, std::move(maxTicks), std::move(threads), std::move(progress),
                   model, BallOnlyArgs{std::move(ballOnly)...}, surface);
      },
      Doc(kFlyDoc, "fly", flyParams, "dict"), FlightKeyword(I)..., py::arg("max_ticks") = defaultTicks,
      py::arg("threads") = py::none(), py::arg("progress") = py::none(), py::arg("model") = "form",
      BallKeyword(J)..., py::arg("surface") = py::none());
  m.def(
      "trajectory",
      [](Object<I>... flight, py::object maxTicks, py::object model, Object<J>... ballOnly, py::object surface) {
        return TrajectoryOf(FlightArgs{std::move(flight)...}, std::move(maxTicks), model,
                            BallOnlyArgs{std::move(ballOnly)...}, surface);
      },
      Doc(kTrajectoryDoc, "trajectory", trajectoryParams, "numpy.ndarray"), FlightKeyword(I)...,
      py::arg("max_ticks") = defaultTicks, py::arg("model") = "form", BallKeyword(J)...,
      py::arg("surface") = py::none());
  m.def("fit", &Fit,
        Doc(kFitDoc, "fit",
            {"shots", "fit=(\"k\", \"k_prime\")", maxTicksDefault, "threads=None", "progress=None", "model=\"form\""},
            "dict"),
        py::arg("shots"), py::arg("fit") = DefaultFit(), py::arg("max_ticks") = defaultTicks,
        py::arg("threads") = py::none(), py::arg("progress") = py::none(), py::arg("model") = "form");
}

}  // namespace

// The compiled half of the package `vendrel` (python/vendrel/__init__.py).
PYBIND11_MODULE(_vendrel, m) {
  // The docstrings carry their own readable signature line.
  py::options options;
  options.disable_function_signatures();
  m.doc() = kModuleDoc;
  RegisterTypes();
  RegisterBallTypes();
  m.attr("__version__") = VENDREL_VERSION;
  DefineFlights(m, std::make_index_sequence<kFormParameterCount>(), std::make_index_sequence<kBallOnlyCount>());
  DefineDispersion(m);
  DefineHistory(m);
}
