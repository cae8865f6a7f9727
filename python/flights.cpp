#include "python/flights.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <limits>
#include <thread>
#include <vector>

#include "flight/flight_lanes.h"
#include "flight/sync_run.h"

namespace vendrel::python {
namespace {

// JSON has no NaN or infinity: the command line writes null, and so do we.
py::object JsonNumber(double v) { return std::isfinite(v) ? py::object(py::float_(v)) : py::object(py::none()); }

// Every flight of the grid through the lanes of `threads` workers. Workers take small
// chunks of flights as their lanes come free, so slow flights leave no core idle. The
// calling thread, which holds no lock on the interpreter, looks for Ctrl-C (a notebook's
// interrupt) meanwhile: then no new flight starts, and KeyboardInterrupt is raised once
// the flights in the lanes have come down.
void RunGrid(const FlightGrid& grid, std::int64_t maxTicks, unsigned threads, const FlightDone& done) {
  constexpr std::int64_t kChunk = 64;
  const std::int64_t count = grid.count;
  std::atomic<std::int64_t> next{0};
  std::atomic<bool> stop{false};
  auto work = [&] {
    std::int64_t at = 0, end = 0;
    const NextFlight take = [&](std::int64_t& id, FlightForm& form) {
      if (at == end) {
        at = stop.load(std::memory_order_relaxed) ? count : next.fetch_add(kChunk);
        if (at >= count) {
          at = end = count;
          return false;
        }
        end = std::min(count, at + kChunk);
      }
      id = at++;
      form = grid.FormAt(id);
      return true;
    };
    RunFlightsInLanes(BestLanePath(), maxTicks, take, done);
  };
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  const auto workers = static_cast<unsigned>(std::min<std::int64_t>(threads, (count + kChunk - 1) / kChunk));

  std::mutex mutex;
  std::condition_variable finished;
  unsigned running = workers;
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < workers; ++t) {
    pool.emplace_back([&] {
      work();
      const std::lock_guard<std::mutex> lock(mutex);
      if (--running == 0) finished.notify_one();
    });
  }
  bool interrupted = false;
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return running == 0; })) {
      if (interrupted) continue;
      lock.unlock();
      {
        const py::gil_scoped_acquire locked;
        interrupted = PyErr_CheckSignals() != 0;  // the exception stays set for the caller
      }
      if (interrupted) stop = true;
      lock.lock();
    }
  }
  for (auto& t : pool) t.join();
  if (interrupted) {
    const py::gil_scoped_acquire locked;
    throw py::error_already_set();
  }
}

template <class T>
T* Data(py::array_t<T>& a) {
  return a.mutable_data();
}

}  // namespace

py::dict FlyOne(const FlightGrid& grid, std::int64_t maxTicks) {
  FlightForm form = grid.FormAt(0);
  FlightOutcome out;
  {
    py::gil_scoped_release unlocked;
    out = RunFlight(form, maxTicks);
  }
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

py::dict FlyMany(const FlightGrid& grid, std::int64_t maxTicks, unsigned threads) {
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

  {
    py::gil_scoped_release unlocked;
    RunGrid(grid, maxTicks, threads, [&](std::int64_t i, const FlightSummary& s) {
      out.ticks[i] = s.ticks;
      out.ends[i] = static_cast<std::int8_t>(s.end);
      out.landed[i] = s.landed();
      out.carry[i] = s.carryChanged ? s.carry : std::numeric_limits<double>::quiet_NaN();
      out.distance[i] = s.distance;
      out.x[i] = s.landing[1];
      out.y[i] = s.landing[2];
      out.z[i] = s.landing[3];
      out.apex[i] = s.apex;
    });
  }

  // The ends as the command line names them, picked by code.
  py::list names;
  for (FlightEnd e : {FlightEnd::Ground, FlightEnd::NotANumber, FlightEnd::MaxTicks}) {
    names.append(py::str(FlightEndName(e)));
  }
  py::dict d;
  d["ticks"] = ticks;
  d["end"] = py::module_::import("numpy").attr("array")(names)[ends];
  d["landed"] = landed;
  d["carry"] = carry;
  d["distance"] = distance;
  d["x"] = x;
  d["y"] = y;
  d["z"] = z;
  d["apex"] = apex;
  return d;
}

struct TrajectoryRow {
  std::int64_t tick;
  double t, x, y, z, vx, vy, vz;
};

void RegisterTypes() { PYBIND11_NUMPY_DTYPE(TrajectoryRow, tick, t, x, y, z, vx, vy, vz); }

py::array Trajectory(const FlightGrid& grid, std::int64_t maxTicks) {
  std::vector<TrajectoryRow> rows;
  {
    py::gil_scoped_release unlocked;
    FlightForm form = grid.FormAt(0);
    // Row 0 is the launch at the origin; then the end of every tick's step, at tick × dt.
    RunFlight(form, maxTicks, [&](std::int64_t tick, const FlightState& st) {
      if (tick == 1) {
        rows.push_back({0, 0.0, 0.0, 0.0, 0.0, st.launchVel[1], st.launchVel[2], st.launchVel[3]});
      }
      rows.push_back({tick, static_cast<double>(tick) * st.dt, st.posNext[1], st.posNext[2], st.posNext[3],
                      st.velNext[1], st.velNext[2], st.velNext[3]});
    });
  }
  py::array_t<TrajectoryRow> table(static_cast<py::ssize_t>(rows.size()));
  std::copy(rows.begin(), rows.end(), table.mutable_data());
  return table;
}

}  // namespace vendrel::python
