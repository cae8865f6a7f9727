#include "python/dispersion.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "flight/ball_flight.h"
#include "flight/dispersion.h"
#include "flight/parallel_runs.h"
#include "flight/parameters.h"
#include "python/ball.h"
#include "python/interrupt.h"
#include "python/parameters.h"
#include "python/progress.h"

namespace vendrel::python {
namespace {

// One dispersed flight: the launch values drawn, and what the flight came to. The
// carry's flag is kept apart from its value, so the statistics see what the command
// line's see.
struct DispersedFlight {
  double angle, speed, side_spin, back_spin;
  std::int64_t ticks;
  std::int8_t end;
  bool landed, carry_changed;
  double carry, distance, x, y, z, apex;
};

// Flies flights 0 to n − 1 of a dispersion in batches, without the interpreter's lock:
// `flyBatch(first, count)` flies and stores a batch, and between batches `progress`
// reports and hears Ctrl-C.
template <class FlyBatch>
void InBatches(std::int64_t n, Progress& progress, const FlyBatch& flyBatch) {
  {
    py::gil_scoped_release unlocked;
    constexpr std::int64_t kBatch = 65536;
    for (std::int64_t first = 0; first < n; first += kBatch) {
      const std::int64_t count = std::min(kBatch, n - first);
      flyBatch(first, count);
      progress.Update(first + count, n);
    }
  }
  progress.Finish(n, n);
}

// One dispersed shot of the ball model: its seven drawn launch values, and what the
// shot came to (the form's fields first, then the ball's own).
struct DispersedBallShot {
  double angle, speed, side_spin, back_spin, direction, total_spin, spin_axis;
  std::int64_t ticks;
  std::int8_t end;
  bool landed, carry_changed;
  double carry, distance, x, y, z, apex, landing_angle, flight_time, lateral, total, roll, rest_x, rest_y;
  std::int64_t bounces;
  double time_to_rest;
};

// The ball model's shots from a mapping of keys: its defaults for keys left out, and a
// TypeError naming a key that is no parameter of the ball model.
BallGrid BallGridFrom(const py::dict& flight, const py::object& surface) {
  const auto formKeys = FieldNames();
  FlightArgs args;
  std::vector<bool> given(args.size(), false);
  for (std::size_t c = 0; c < args.size(); ++c) {
    const py::str key{std::string(formKeys[c])};
    given[c] = flight.contains(key);
    if (given[c]) args[c] = flight[key];
  }
  BallOnlyArgs ballOnly;
  for (std::size_t c = 0; c < ballOnly.size(); ++c) {
    const py::str key{std::string(BallOnlyRow(c).key)};
    ballOnly[c] = flight.contains(key) ? py::object(flight[key]) : py::object(py::none());
  }
  for (auto item : flight) {
    const std::string key = py::str(item.first);
    if (!FindByKey(Model::Ball, key) && !FindByKey(Model::Form, key)) {
      throw py::type_error("dispersion() got an unexpected keyword argument '" + key + "'");
    }
  }
  return ReadBallGrid(args, [&given](std::size_t i) { return given[i]; }, ballOnly, surface);
}

// Shots `start` to `start + n - 1` of the ball model's run seeded `seed`, in batches.
py::array_t<DispersedBallShot> BallShots(const py::dict& flight, const std::vector<double>& sd, std::int64_t n,
                                         std::uint64_t seed, std::uint64_t start, const py::object& threadsArg,
                                         const py::object& progressArg, const py::object& surface) {
  const BallGrid grid = BallGridFrom(flight, surface);
  if (!grid.grid.scalar) throw py::type_error("_dispersed_flights centres on one shot: give single numbers");
  const BallParams base = OneBallShot(grid);
  if (sd.size() != 7) throw py::value_error("_dispersed_flights: the ball model takes seven spreads");
  const int threads = static_cast<int>(ReadThreads(threadsArg));
  Progress progress(progressArg);
  const BallLaunchSpread spread{sd[0], sd[1], sd[2], sd[3], sd[4], sd[5], sd[6]};

  py::array_t<DispersedBallShot> out(n);
  DispersedBallShot* rows = out.mutable_data();
  InBatches(n, progress, [&](std::int64_t first, std::int64_t count) {
    std::vector<BallParams> shots;
    shots.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
      shots.push_back(DispersedBall(base, spread, seed, start + static_cast<std::uint64_t>(first + i)));
    }
    // Every shot ends (its flight time is bounded): Ctrl-C is heard between batches.
    const std::vector<BallSummary> flown = FlyBallsParallel(shots, threads);
    for (std::int64_t i = 0; i < count; ++i) {
      const BallParams& p = shots[static_cast<std::size_t>(i)];
      const BallSummary& s = flown[static_cast<std::size_t>(i)];
      const FlightSummary f = BallAsFlightSummary(s);
      rows[first + i] = DispersedBallShot{
          p.angle, p.speed, p.sideSpin, p.backSpin, p.direction, p.totalSpin, p.spinAxis, f.ticks,
          static_cast<std::int8_t>(f.end), f.landed(), f.carryChanged, f.carry, f.distance, f.landing[1],
          f.landing[2], f.landing[3], f.apex, s.landingAngle, s.flightTime, s.lateral, s.total, s.roll,
          s.rest[0], s.rest[1], s.bounces, s.timeToRest};
    }
  });
  return out;
}

// The flight parameters from a mapping of keys: the default for a key left out, and a
// TypeError naming a key that is no flight parameter.
FlightArgs ArgsFrom(const py::dict& flight) {
  const auto keys = FieldNames();
  const auto rows = ParametersOf(Model::Form);
  FlightArgs args;
  for (std::size_t c = 0; c < args.size(); ++c) {
    const py::str key{std::string(keys[c])};
    args[c] = flight.contains(key) ? py::object(flight[key]) : py::object(py::float_(rows[c].Default(Model::Form)));
  }
  for (auto item : flight) {
    const std::string key = py::str(item.first);
    bool known = false;
    for (std::string_view k : keys) known = known || k == key;
    if (!known) throw py::type_error("dispersion() got an unexpected keyword argument '" + key + "'");
  }
  return args;
}

// Flights `start` to `start + n - 1` of the run seeded `seed`, in batches, so Ctrl-C
// ends a long call.
py::array Flights(const py::dict& flight, const std::vector<double>& sd, std::int64_t n, std::uint64_t seed,
                  std::uint64_t start, const py::object& maxTicksArg, const py::object& threadsArg,
                  const py::object& progressArg, const py::object& model, const py::object& surface) {
  if (ReadModel(model) == Model::Ball) return BallShots(flight, sd, n, seed, start, threadsArg, progressArg, surface);
  if (!surface.is_none()) throw py::value_error("surface: only with model='ball'");
  if (sd.size() != 4) throw py::value_error("_dispersed_flights: the form's model takes four spreads");
  const FlightGrid grid = ReadFlightGrid(ArgsFrom(flight));
  if (!grid.scalar) throw py::type_error("_dispersed_flights centres on one form: give single numbers");
  const FlightForm base = grid.Forms().front();
  const std::int64_t maxTicks = ReadMaxTicks(maxTicksArg);
  const int threads = static_cast<int>(ReadThreads(threadsArg));
  Progress progress(progressArg);
  const LaunchSpread spread{sd[0], sd[1], sd[2], sd[3]};

  py::array_t<DispersedFlight> out(n);
  DispersedFlight* rows = out.mutable_data();
  InBatches(n, progress, [&](std::int64_t first, std::int64_t count) {
    std::vector<FlightForm> forms;
    forms.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
      forms.push_back(DispersedForm(base, spread, seed, start + static_cast<std::uint64_t>(first + i)));
    }
    // Watched for Ctrl-C while it flies: flights that never end (no gravity, a huge
    // tick bound) stop too.
    std::vector<FlightSummary> flown;
    RunInterruptibly([&](const StopRequest& stop) {
      flown = RunFlightsParallel(forms, maxTicks, threads, BestLanePath(), nullptr, &stop);
    });
    for (std::int64_t i = 0; i < count; ++i) {
      const FlightForm& f = forms[static_cast<std::size_t>(i)];
      const FlightSummary& s = flown[static_cast<std::size_t>(i)];
      rows[first + i] = DispersedFlight{f.launchAngle, f.launchSpeed, f.sideSpin, f.backSpin,
                                        s.ticks, static_cast<std::int8_t>(s.end), s.landed(), s.carryChanged,
                                        s.carry, s.distance, s.landing[1], s.landing[2], s.landing[3], s.apex};
    }
  });
  return out;
}

// The command line's statistics of the flights, in their order: carry, distance and
// lateral as (mean, sd, count), then the ellipse's x, y, major, minor and angle; for the
// ball's shots (rows with a total) then the total and the rest points' ellipse too.
py::tuple Summary(const py::array& flights) {
  // The fields the figures need, by name: the form's rows and the ball's have them all.
  const auto column = [&flights](const char* name, const char* type) {
    return py::array(flights[name]).attr("astype")(type);
  };
  using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
  const bool ball = flights.dtype().attr("names").contains("total");
  const Doubles carry = column("carry", "f8"), distance = column("distance", "f8"), x = column("x", "f8"),
                y = column("y", "f8"), z = column("z", "f8"), apex = column("apex", "f8");
  const Doubles total = ball ? Doubles(column("total", "f8")) : Doubles(0),
                restX = ball ? Doubles(column("rest_x", "f8")) : Doubles(0),
                restY = ball ? Doubles(column("rest_y", "f8")) : Doubles(0);
  const py::array_t<std::int64_t, py::array::c_style | py::array::forcecast> ticks = column("ticks", "i8");
  const py::array_t<std::int8_t, py::array::c_style | py::array::forcecast> end = column("end", "i1");
  const py::array_t<bool, py::array::c_style | py::array::forcecast> changed = column("carry_changed", "?");
  std::vector<BallSummary> summaries(static_cast<std::size_t>(flights.size()));
  for (std::size_t i = 0; i < summaries.size(); ++i) {
    BallSummary& s = summaries[i];
    s.ticks = ticks.data()[i];
    s.end = static_cast<FlightEnd>(end.data()[i]);
    s.carryChanged = changed.data()[i];
    s.carry = carry.data()[i];
    s.distance = distance.data()[i];
    s.landing = {0.0, x.data()[i], y.data()[i], z.data()[i], 0.0};
    s.apex = apex.data()[i];
    if (ball) {
      s.total = total.data()[i];
      s.rest[0] = restX.data()[i];
      s.rest[1] = restY.data()[i];
    }
  }
  DispersionStats st;
  {
    py::gil_scoped_release unlocked;
    st = ball ? SummariseBallDispersion(summaries)
              : SummariseDispersion(std::vector<FlightSummary>(summaries.begin(), summaries.end()));
  }
  const auto three = [](const MeanSd& m) { return py::make_tuple(m.mean, m.sd, m.count); };
  const auto five = [](const Ellipse& e) { return py::make_tuple(e.centreX, e.centreY, e.major, e.minor, e.angle); };
  if (!ball) return py::make_tuple(three(st.carry), three(st.distance), three(st.lateral), five(st.ellipse));
  return py::make_tuple(three(st.carry), three(st.distance), three(st.lateral), five(st.ellipse), three(st.total),
                        five(st.restEllipse));
}

}  // namespace

void DefineDispersion(py::module_& m) {
  PYBIND11_NUMPY_DTYPE(DispersedFlight, angle, speed, side_spin, back_spin, ticks, end, landed, carry_changed, carry,
                       distance, x, y, z, apex);
  PYBIND11_NUMPY_DTYPE(DispersedBallShot, angle, speed, side_spin, back_spin, direction, total_spin, spin_axis, ticks,
                       end, landed, carry_changed, carry, distance, x, y, z, apex, landing_angle, flight_time, lateral,
                       total, roll, rest_x, rest_y, bounces, time_to_rest);
  py::tuple keys(FieldNames().size());
  for (std::size_t c = 0; c < FieldNames().size(); ++c) keys[c] = py::str(std::string(FieldNames()[c]));
  m.attr("_flight_keys") = keys;
  py::list ballKeys;
  for (std::size_t c = 0; c < kBallOnlyCount; ++c) ballKeys.append(py::str(std::string(BallOnlyRow(c).key)));
  m.attr("_ball_keys") = py::tuple(ballKeys);
  py::list ends;
  for (FlightEnd e : {FlightEnd::Ground, FlightEnd::NotANumber, FlightEnd::MaxTicks}) ends.append(FlightEndName(e));
  m.attr("_flight_ends") = py::tuple(ends);
  m.def(
      "_check_flights",
      [](const py::dict& flight, const py::object& model, const py::object& surface, const py::object& sd) {
        if (ReadModel(model) == Model::Ball) {
          const BallGrid grid = BallGridFrom(flight, surface);
          if (!sd.is_none()) {
            // The largest of each spread: one of the spin form not flown refuses every cell.
            const auto v = sd.cast<std::vector<double>>();
            if (v.size() != 7) throw py::value_error("_check_flights: the ball model takes seven spreads");
            const BallLaunchSpread spread{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
            const std::string refusal = BallSpreadRefusal(spread, grid.base.spinAsComponents, true);
            if (!refusal.empty()) throw py::value_error(refusal);
          }
        } else {
          if (!surface.is_none()) throw py::value_error("surface: only with model='ball'");
          ReadFlightGrid(ArgsFrom(flight));
        }
      },
      "Refuses flight parameters as fly() would (and, given the ball's seven spreads, a spread of the spin\n"
      "form not flown), flying nothing.",
      py::arg("flight"), py::arg("model") = "form", py::arg("surface") = py::none(), py::arg("sd") = py::none());
  m.def("_dispersed_flights", &Flights, "Flights start to start + n - 1 of a dispersion, as a structured array.",
        py::arg("flight"), py::arg("sd"), py::arg("n"), py::arg("seed"), py::arg("start"), py::arg("max_ticks"),
        py::arg("threads"), py::arg("progress"), py::arg("model") = "form", py::arg("surface") = py::none());
  m.def("_dispersion_summary", &Summary, "The command line's statistics of _dispersed_flights' rows.",
        py::arg("flights"));
}

}  // namespace vendrel::python
