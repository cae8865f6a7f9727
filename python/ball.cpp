#include "python/ball.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "flight/ball_flight.h"
#include "flight/trajectory.h"
#include "python/flights.h"
#include "python/parameter_text.h"

namespace vendrel::python {

// A ball trajectory's row as numpy reads it: the phase's name in fixed-width bytes.
struct BallRow {
  std::int64_t tick;
  double t, x, y, z, vx, vy, vz;
  char phase[8];
};

namespace {

std::vector<const Parameter*> BallOnlyRows() {
  std::vector<const Parameter*> rows;
  for (const Parameter& p : kParameterTable) {
    if (p.AppliesTo(Model::Ball) && !p.AppliesTo(Model::Form)) rows.push_back(&p);
  }
  return rows;
}

}  // namespace

const Parameter& BallOnlyRow(std::size_t i) {
  static const std::vector<const Parameter*> rows = BallOnlyRows();
  return *rows[i];
}

Model ReadModel(const py::object& model) {
  if (py::isinstance<py::str>(model)) {
    const std::string name = model.cast<std::string>();
    if (name == "form") return Model::Form;
    if (name == "ball") return Model::Ball;
  }
  throw py::value_error("model: " + py::repr(model).cast<std::string>() + " is not one of 'form' or 'ball'");
}

void RefuseBallKeywords(const BallOnlyArgs& ballOnly) {
  for (std::size_t i = 0; i < ballOnly.size(); ++i) {
    if (!ballOnly[i].is_none()) throw py::value_error(std::string(BallOnlyRow(i).key) + ": only with model='ball'");
  }
}

BallGrid ReadBallGrid(const FlightArgs& flight, const std::function<bool(std::size_t)>& given,
                      const BallOnlyArgs& ballOnly, const py::object& surface) {
  BallParams base;
  // The surface first: a ground constant given as a keyword then keeps its value.
  if (!surface.is_none()) {
    if (!py::isinstance<py::str>(surface)) {
      throw py::type_error("surface: expected a name such as \"green\", got " +
                           std::string(py::str(py::type::of(surface).attr("__name__"))));
    }
    if (!SetSurface(base, surface.cast<std::string>())) {
      throw py::value_error("surface: " + py::repr(surface).cast<std::string>() + " is not one of " + SurfaceList());
    }
  }
  std::vector<const Parameter*> rows;
  std::vector<py::object> args;
  bool polar = false, components = false;
  const auto take = [&](const Parameter& row, const py::object& arg) {
    rows.push_back(&row);
    args.push_back(arg);
    polar = polar || SpinFormOf(row.ball) == SpinForm::TotalAndAxis;
    components = components || SpinFormOf(row.ball) == SpinForm::BackAndSide;
  };
  const auto form = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < form.size(); ++i) {
    if (!given(i)) continue;
    if (!form[i].AppliesTo(Model::Ball)) throw py::value_error(std::string(form[i].key) + ": only with model='form'");
    take(form[i], flight[i]);
  }
  for (std::size_t i = 0; i < ballOnly.size(); ++i) {
    if (!ballOnly[i].is_none()) take(BallOnlyRow(i), ballOnly[i]);
  }
  const std::string refusal = SpinFormRefusal(polar, components, true);
  if (!refusal.empty()) throw py::value_error(refusal);
  BallGrid shots{ReadGrid(Model::Ball, rows, args), base};
  shots.base.spinAsComponents = components;
  return shots;
}

BallParams OneBallShot(const BallGrid& shots) {
  BallParams shot = shots.base;  // every value its default when no keyword was given
  if (!shots.grid.columns.empty()) shot = shots.grid.Read(1).Next(shots.base).front();
  const std::string refusal = BallShotRefusal(shot, true);
  if (!refusal.empty()) throw py::value_error(refusal);
  return shot;
}

namespace {

constexpr std::int64_t kBallBatch = 16384;  // driver shots: some 100 ms on two cores

// A result column of the ball's many shots: its key and its value in a summary.
struct BallColumn {
  const char* key;
  double (*of)(const BallSummary&);
};
constexpr BallColumn kBallColumns[] = {
    {"carry", [](const BallSummary& s) { return BallAsFlightSummary(s).carry; }},
    {"distance", [](const BallSummary& s) { return s.distance; }},
    {"x", [](const BallSummary& s) { return s.landing[1]; }},
    {"y", [](const BallSummary& s) { return s.landing[2]; }},
    {"z", [](const BallSummary& s) { return s.landing[3]; }},
    {"apex", [](const BallSummary& s) { return s.apex; }},
    {"landing_angle", [](const BallSummary& s) { return s.landingAngle; }},
    {"flight_time", [](const BallSummary& s) { return s.flightTime; }},
    {"lateral", [](const BallSummary& s) { return s.lateral; }},
    {"total", [](const BallSummary& s) { return s.total; }},
    {"roll", [](const BallSummary& s) { return s.roll; }},
    {"rest_x", [](const BallSummary& s) { return s.rest[0]; }},
    {"rest_y", [](const BallSummary& s) { return s.rest[1]; }},
    {"time_to_rest", [](const BallSummary& s) { return s.timeToRest; }},
};

}  // namespace

py::dict FlyBallMany(const BallGrid& shots, unsigned threads, Progress& progress) {
  const FlightGrid& grid = shots.grid;
  // Every shot is checked before any flies: a refusal leaves nothing half done.
  {
    FlightGrid::Reader reader = grid.Read(kBallBatch);
    std::int64_t index = 0;
    for (auto run = reader.Next(shots.base); !run.empty(); run = reader.Next(shots.base)) {
      for (const BallParams& shot : run) {
        const std::string refusal = BallShotRefusal(shot, true);
        if (!refusal.empty()) throw py::value_error(ElementName("shot", grid.shape, index) + ": " + refusal);
        ++index;
      }
    }
  }

  const auto& shape = grid.shape;
  py::array_t<std::int64_t> ticks(shape), bounces(shape);
  py::array_t<std::int8_t> ends(shape);
  py::array_t<bool> landed(shape);
  std::vector<py::array_t<double>> values;
  std::vector<double*> out;
  for (std::size_t c = 0; c < std::size(kBallColumns); ++c) {
    values.emplace_back(shape);
    out.push_back(values.back().mutable_data());
  }
  std::int64_t* ticksOut = ticks.mutable_data();
  std::int64_t* bouncesOut = bounces.mutable_data();
  std::int8_t* endsOut = ends.mutable_data();
  bool* landedOut = landed.mutable_data();

  FlightGrid::Reader reader = grid.Read(kBallBatch);
  {
    py::gil_scoped_release unlocked;
    for (std::int64_t first = 0; first < grid.count;) {
      std::vector<BallParams> run;
      {
        const py::gil_scoped_acquire locked;
        run = reader.Next(shots.base);
      }
      if (run.empty()) break;
      // A batch's shots all end (their flight time is bounded); Ctrl-C is heard between batches.
      for (const BallSummary& s : FlyBallsParallel(run, static_cast<int>(threads))) {
        const std::int64_t i = first++;
        ticksOut[i] = s.ticks;
        bouncesOut[i] = s.bounces;
        endsOut[i] = static_cast<std::int8_t>(s.end);
        landedOut[i] = s.landed();
        for (std::size_t c = 0; c < out.size(); ++c) out[c][i] = kBallColumns[c].of(s);
      }
      progress.Update(first, grid.count);
    }
  }

  py::dict d;
  d["ticks"] = ticks;
  d["end"] = EndNames(ends);
  d["landed"] = landed;
  for (std::size_t c = 0; c < values.size(); ++c) d[kBallColumns[c].key] = values[c];
  d["bounces"] = bounces;
  return d;
}

py::dict FlyBallShot(const BallParams& shot) {
  BallSummary s;
  {
    py::gil_scoped_release unlocked;
    s = FlyBall(shot);
  }
  py::dict d = SummaryDict(BallAsFlightSummary(s));
  d["landing_angle"] = JsonNumber(s.landingAngle);
  d["flight_time"] = JsonNumber(s.flightTime);
  d["lateral"] = JsonNumber(s.lateral);
  d["total"] = JsonNumber(s.total);
  d["roll"] = JsonNumber(s.roll);
  py::dict rest;
  rest["x"] = JsonNumber(s.rest[0]);
  rest["y"] = JsonNumber(s.rest[1]);
  d["rest"] = rest;
  d["bounces"] = py::int_(s.bounces);
  d["time_to_rest"] = JsonNumber(s.timeToRest);
  return d;
}

py::array BallTrajectory(const BallParams& shot) {
  std::vector<BallTrajectoryRow> rows;
  {
    py::gil_scoped_release unlocked;
    rows = FlyBallTrajectory(shot);
  }
  py::array_t<BallRow> table(static_cast<py::ssize_t>(rows.size()));
  BallRow* out = table.mutable_data();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TrajectoryRow& r = rows[i].row;
    out[i] = BallRow{r.tick, r.t, r.x, r.y, r.z, r.vx, r.vy, r.vz, {}};
    const std::string_view name = BallPhaseName(rows[i].phase);
    std::copy(name.begin(), name.end(), out[i].phase);
  }
  // The phase as text, not bytes: rows["phase"] == "roll".
  py::list columns;
  for (std::string_view c : kTrajectoryColumns) columns.append(py::make_tuple(std::string(c), c == "tick" ? "i8" : "f8"));
  columns.append(py::make_tuple("phase", "U6"));
  return table.attr("astype")(py::dtype::from_args(columns));
}

void RegisterBallTypes() { PYBIND11_NUMPY_DTYPE(BallRow, tick, t, x, y, z, vx, vy, vz, phase); }

}  // namespace vendrel::python
