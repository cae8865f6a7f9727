#include "python/dispersion.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "flight/dispersion.h"
#include "flight/parallel_runs.h"
#include "flight/parameters.h"
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
py::array_t<DispersedFlight> Flights(const py::dict& flight, const std::array<double, 4>& sd, std::int64_t n,
                                     std::uint64_t seed, std::uint64_t start, const py::object& maxTicksArg,
                                     const py::object& threadsArg, const py::object& progressArg) {
  const FlightGrid grid = ReadFlightGrid(ArgsFrom(flight));
  if (!grid.scalar) throw py::type_error("_dispersed_flights centres on one form: give single numbers");
  const FlightForm base = grid.Forms().front();
  const std::int64_t maxTicks = ReadMaxTicks(maxTicksArg);
  const int threads = static_cast<int>(ReadThreads(threadsArg));
  Progress progress(progressArg);
  const LaunchSpread spread{sd[0], sd[1], sd[2], sd[3]};

  py::array_t<DispersedFlight> out(n);
  DispersedFlight* rows = out.mutable_data();
  {
    py::gil_scoped_release unlocked;
    constexpr std::int64_t kBatch = 65536;
    for (std::int64_t first = 0; first < n; first += kBatch) {
      const std::int64_t count = std::min(kBatch, n - first);
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
      progress.Update(first + count, n);
    }
  }
  progress.Finish(n, n);
  return out;
}

// The command line's statistics of the flights, in their order: carry, distance and
// lateral as (mean, sd, count), then the ellipse's x, y, major, minor and angle.
py::tuple Summary(const py::array_t<DispersedFlight, py::array::c_style | py::array::forcecast>& flights) {
  std::vector<FlightSummary> summaries(static_cast<std::size_t>(flights.size()));
  const DispersedFlight* rows = flights.data();
  for (std::size_t i = 0; i < summaries.size(); ++i) {
    const DispersedFlight& r = rows[i];
    FlightSummary& s = summaries[i];
    s.ticks = r.ticks;
    s.end = static_cast<FlightEnd>(r.end);
    s.carryChanged = r.carry_changed;
    s.carry = r.carry;
    s.distance = r.distance;
    s.landing = {0.0, r.x, r.y, r.z, 0.0};
    s.apex = r.apex;
  }
  DispersionStats st;
  {
    py::gil_scoped_release unlocked;
    st = SummariseDispersion(summaries);
  }
  const auto three = [](const MeanSd& m) { return py::make_tuple(m.mean, m.sd, m.count); };
  const Ellipse& e = st.ellipse;
  return py::make_tuple(three(st.carry), three(st.distance), three(st.lateral),
                        py::make_tuple(e.centreX, e.centreY, e.major, e.minor, e.angle));
}

}  // namespace

void DefineDispersion(py::module_& m) {
  PYBIND11_NUMPY_DTYPE(DispersedFlight, angle, speed, side_spin, back_spin, ticks, end, landed, carry_changed, carry,
                       distance, x, y, z, apex);
  py::tuple keys(FieldNames().size());
  for (std::size_t c = 0; c < FieldNames().size(); ++c) keys[c] = py::str(std::string(FieldNames()[c]));
  m.attr("_flight_keys") = keys;
  py::list ends;
  for (FlightEnd e : {FlightEnd::Ground, FlightEnd::NotANumber, FlightEnd::MaxTicks}) ends.append(FlightEndName(e));
  m.attr("_flight_ends") = py::tuple(ends);
  m.def(
      "_check_flights", [](const py::dict& flight) { ReadFlightGrid(ArgsFrom(flight)); },
      "Refuses flight parameters as fly() would, flying nothing.", py::arg("flight"));
  m.def("_dispersed_flights", &Flights, "Flights start to start + n - 1 of a dispersion, as a structured array.",
        py::arg("flight"), py::arg("sd"), py::arg("n"), py::arg("seed"), py::arg("start"), py::arg("max_ticks"),
        py::arg("threads"), py::arg("progress"));
  m.def("_dispersion_summary", &Summary, "The command line's statistics of _dispersed_flights' rows.",
        py::arg("flights"));
}

}  // namespace vendrel::python
