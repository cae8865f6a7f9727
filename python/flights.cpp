#include "python/flights.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <span>
#include <vector>

#include "flight/parallel_runs.h"
#include "flight/windowless_run.h"
#include "flight/trajectory.h"
#include "python/interrupt.h"

namespace vendrel::python {
namespace {


// Every flight the reader gives, in batches flown on `threads` threads by the lanes'
// parallel runner; `store` gets each batch's summaries with the index of its first
// flight. Between batches the calling thread takes the interpreter's lock to read the
// next batch's forms from numpy and `progress` looks for Ctrl-C (a notebook's interrupt);
// while a batch flies it watches for Ctrl-C too, so that even flights that never end stop
// within milliseconds, with KeyboardInterrupt.
using StoreBatch = std::function<void(std::int64_t first, std::span<const FlightSummary>)>;

void RunGrid(FlightGrid::Reader& reader, std::int64_t count, std::int64_t maxTicks, unsigned threads,
             Progress& progress, const StoreBatch& store) {
  for (std::int64_t first = 0; first < count;) {
    std::vector<FlightForm> forms;
    {
      const py::gil_scoped_acquire locked;
      forms = reader.Next();
    }
    if (forms.empty()) break;
    std::vector<FlightSummary> flown;
    RunInterruptibly([&](const StopRequest& stop) {
      flown = RunFlightsParallel(forms, maxTicks, static_cast<int>(threads), BestLanePath(), nullptr, &stop);
    });
    store(first, flown);
    first += static_cast<std::int64_t>(forms.size());
    progress.Update(first, count);
  }
}

template <class T>
T* Data(py::array_t<T>& a) {
  return a.mutable_data();
}

// A single flight runs on the calling thread as far as kAtOnce ticks, well past any
// flight's landing at the form's time steps. Only one that goes on beyond flies again
// from its launch on a thread of its own, watched for Ctrl-C: a thread would cost about
// what a whole default flight does.
constexpr std::int64_t kAtOnce = std::int64_t{1} << 17;

template <class Result>
Result FlyStoppably(std::int64_t maxTicks, std::int64_t (*ticksOf)(const Result&),
                    const std::function<Result(std::int64_t, const StopRequest*)>& fly) {
  Result out = fly(std::min(maxTicks, kAtOnce), nullptr);
  if (maxTicks <= kAtOnce || ticksOf(out) < kAtOnce) return out;
  RunInterruptibly([&](const StopRequest& stop) { out = fly(maxTicks, &stop); });
  return out;
}

}  // namespace

py::object JsonNumber(double v) { return std::isfinite(v) ? py::object(py::float_(v)) : py::object(py::none()); }

py::dict SummaryDict(const FlightSummary& out) {
  py::dict landing;
  landing["x"] = JsonNumber(out.landing[1]);
  landing["y"] = JsonNumber(out.landing[2]);
  landing["z"] = JsonNumber(out.landing[3]);
  py::dict d;
  d["ticks"] = py::int_(out.ticks);
  d["end"] = py::str(FlightEndName(out.end));
  d["landed"] = py::bool_(out.landed());
  d["carry"] = out.carryChanged ? JsonNumber(out.carry) : py::object(py::none());
  d["distance"] = JsonNumber(out.distance);
  d["landing"] = landing;
  d["apex"] = JsonNumber(out.apex);
  return d;
}

py::dict FlyOne(const FlightGrid& grid, std::int64_t maxTicks) {
  const FlightForm launch = grid.Forms().front();
  FlightOutcome out;
  {
    py::gil_scoped_release unlocked;
    out = FlyStoppably<FlightOutcome>(
        maxTicks, [](const FlightOutcome& o) { return o.ticks; },
        [&](std::int64_t ticks, const StopRequest* stop) {
          FlightForm form = launch;
          return RunFlight(form, ticks, {}, stop);
        });
  }
  return SummaryDict(out);
}

py::dict FlyMany(const FlightGrid& grid, std::int64_t maxTicks, unsigned threads, Progress& progress) {
  const auto& shape = grid.shape;
  py::array_t<std::int64_t> ticks(shape);
  py::array_t<std::int8_t> ends(shape);
  py::array_t<bool> landed(shape);
  py::array_t<double> carry(shape), distance(shape), x(shape), y(shape), z(shape), apex(shape);
  struct {
    std::int64_t* ticks;
    std::int8_t* ends;
    bool* landed;
    double *carry, *distance, *x, *y, *z, *apex;
  } out{Data(ticks), Data(ends), Data(landed), Data(carry), Data(distance), Data(x), Data(y), Data(z), Data(apex)};

  constexpr std::int64_t kBatch = 8192;  // default flights: some 30 ms on two cores
  FlightGrid::Reader reader = grid.Read(kBatch);
  {
    py::gil_scoped_release unlocked;
    RunGrid(reader, grid.count, maxTicks, threads, progress, [&](std::int64_t first, std::span<const FlightSummary> batch) {
      for (const FlightSummary& s : batch) {
        const std::int64_t i = first++;
        out.ticks[i] = s.ticks;
        out.ends[i] = static_cast<std::int8_t>(s.end);
        out.landed[i] = s.landed();
        out.carry[i] = s.carryChanged ? s.carry : std::numeric_limits<double>::quiet_NaN();
        out.distance[i] = s.distance;
        out.x[i] = s.landing[1];
        out.y[i] = s.landing[2];
        out.z[i] = s.landing[3];
        out.apex[i] = s.apex;
      }
    });
  }

  py::dict d;
  d["ticks"] = ticks;
  d["end"] = EndNames(ends);
  d["landed"] = landed;
  d["carry"] = carry;
  d["distance"] = distance;
  d["x"] = x;
  d["y"] = y;
  d["z"] = z;
  d["apex"] = apex;
  return d;
}

py::object EndNames(const py::array_t<std::int8_t>& ends) {
  // Picked by code from the names in the codes' order.
  py::list names;
  for (FlightEnd e : {FlightEnd::Ground, FlightEnd::NotANumber, FlightEnd::MaxTicks}) {
    names.append(py::str(FlightEndName(e)));
  }
  return py::module_::import("numpy").attr("array")(names)[ends];
}

void RegisterTypes() { PYBIND11_NUMPY_DTYPE(TrajectoryRow, tick, t, x, y, z, vx, vy, vz); }

py::array Trajectory(const FlightGrid& grid, std::int64_t maxTicks) {
  const FlightForm form = grid.Forms().front();
  // Every row is kept in memory: a ball that never comes down would take all of it.
  // A trajectory stops at the default bound's ticks (640 MB of rows) and says so.
  constexpr std::int64_t kMostTicks = kDefaultMaxTicks;
  const std::int64_t bound = std::min(maxTicks, kMostTicks);
  std::vector<TrajectoryRow> rows;
  {
    py::gil_scoped_release unlocked;
    rows = FlyStoppably<std::vector<TrajectoryRow>>(
        bound, [](const std::vector<TrajectoryRow>& r) { return r.empty() ? 0 : r.back().tick; },
        [&](std::int64_t ticks, const StopRequest* stop) { return FlyTrajectory(form, ticks, stop); });
  }
  if (maxTicks > bound && rows.back().tick == bound && rows.back().z >= 0.0) {
    throw py::value_error("max_ticks: the ball is still in the air after " + std::to_string(bound) +
                          " ticks, and a trajectory keeps every tick's row in memory: give max_ticks up to " +
                          std::to_string(bound) + ", or ask fly() where it ends");
  }
  py::array_t<TrajectoryRow> table(static_cast<py::ssize_t>(rows.size()));
  std::copy(rows.begin(), rows.end(), table.mutable_data());
  return table;
}

}  // namespace vendrel::python
