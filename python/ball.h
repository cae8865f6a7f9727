#pragma once
// The ball model for Python: one shot's keywords read against the ball model's rows of
// the parameter table, its flight as the command line's JSON report, its trajectory.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cstddef>
#include <functional>

#include "flight/ball_params.h"
#include "python/parameters.h"
#include "python/progress.h"

namespace vendrel::python {

/// How many rows only the ball model has: its keywords after the form's.
constexpr std::size_t BallOnlyCount() {
  std::size_t n = 0;
  for (const Parameter& p : kParameterTable) n += p.AppliesTo(Model::Ball) && !p.AppliesTo(Model::Form) ? 1 : 0;
  return n;
}
inline constexpr std::size_t kBallOnlyCount = BallOnlyCount();
using BallOnlyArgs = std::array<py::object, kBallOnlyCount>;

/// The row of ball-only keyword i, in the table's order.
const Parameter& BallOnlyRow(std::size_t i);

/// Reads `model`: "form" or "ball" (ValueError for anything else).
Model ReadModel(const py::object& model);

/// With the form's model: a ball-only keyword given is refused (ValueError).
void RefuseBallKeywords(const BallOnlyArgs& ballOnly);

/// With the ball's model: the shots of the keywords given, over the shape their arrays
/// broadcast to. `given(i)` says whether the form's keyword i was given (else the ball
/// model's default holds); a form-only keyword given, spin in both forms, or a value out
/// of the ball's range is refused (ValueError). `surface`, unless None, names the
/// ground's constants of `base`; keywords given override it.
struct BallGrid {
  FlightGrid grid;    ///< the columns of the keywords given
  BallParams base;    ///< the defaults, and the spin's form
};
BallGrid ReadBallGrid(const FlightArgs& flight, const std::function<bool(std::size_t)>& given,
                      const BallOnlyArgs& ballOnly, const py::object& surface);

/// The one shot of a grid of single numbers, refused as the command line refuses it.
BallParams OneBallShot(const BallGrid& shots);

/// Every shot of the grid, checked first (a refusal names the shot's index and flies
/// nothing), then flown in the vector lanes of `threads` threads (0: every core) with the
/// interpreter's lock released: a dict of arrays in the grid's shape.
py::dict FlyBallMany(const BallGrid& shots, unsigned threads, Progress& progress);

/// One shot as `vendrel-flight --model ball --format json` reports it.
py::dict FlyBallShot(const BallParams& shot);

/// One shot's rows, with the columns of the form's trajectory and its phase ("flight",
/// "bounce" or "roll", a text column).
py::array BallTrajectory(const BallParams& shot);

/// Registers the numpy record of a ball trajectory's row; once, as the module loads.
void RegisterBallTypes();

}  // namespace vendrel::python
