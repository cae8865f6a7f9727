#include "python/ball_flights.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <string>
#include <vector>

#include "flight/ball_flight.h"
#include "python/interrupt.h"

namespace vendrel::python {
namespace {

// The keywords given, as (row, argument), in the order fly() takes them.
std::vector<std::pair<const Parameter*, py::object>> Given(const FlightArgs& flight,
                                                           const std::function<bool(std::size_t)>& given,
                                                           const BallOnlyArgs& ballOnly) {
  std::vector<std::pair<const Parameter*, py::object>> out;
  const auto form = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < form.size(); ++i) {
    if (!given(i)) continue;
    if (!form[i].AppliesTo(Model::Ball)) throw py::value_error(std::string(form[i].key) + ": only with model='form'");
    out.emplace_back(&form[i], flight[i]);
  }
  for (std::size_t i = 0; i < ballOnly.size(); ++i) {
    if (!ballOnly[i].is_none()) out.emplace_back(&BallOnlyRow(i), ballOnly[i]);
  }
  return out;
}

bool IsSpin(const Parameter& p, bool components) {
  return components ? p.ball == &BallParams::backSpin || p.ball == &BallParams::sideSpin
                    : p.ball == &BallParams::totalSpin || p.ball == &BallParams::spinAxis;
}

template <class T>
T* Data(py::array_t<T>& a) {
  return a.mutable_data();
}

}  // namespace

bool AnyBallArray(const FlightArgs& flight, const std::function<bool(std::size_t)>& given,
                  const BallOnlyArgs& ballOnly) {
  const py::object ndim = py::module_::import("numpy").attr("ndim");
  for (std::size_t i = 0; i < flight.size(); ++i) {
    if (given(i) && ndim(flight[i]).cast<int>() > 0) return true;
  }
  for (const py::object& arg : ballOnly) {
    if (!arg.is_none() && ndim(arg).cast<int>() > 0) return true;
  }
  return false;
}

py::dict FlyBallArrays(const FlightArgs& flight, const std::function<bool(std::size_t)>& given,
                       const BallOnlyArgs& ballOnly, unsigned threads, Progress& progress) {
  const py::module_ numpy = py::module_::import("numpy");
  const auto args = Given(flight, given, ballOnly);
  std::vector<const Parameter*> rows;
  py::list arrays;
  bool polar = false, components = false;
  for (const auto& [row, arg] : args) {
    arrays.append(ReadNumberArray(arg, ForModel(*row, Model::Ball), row->key));
    rows.push_back(row);
    polar = polar || IsSpin(*row, false);
    components = components || IsSpin(*row, true);
  }
  if (const std::string both = SpinFormRefusal(polar, components, true); !both.empty()) throw py::value_error(both);
  py::list broadcast;
  try {
    broadcast = numpy.attr("broadcast_arrays")(*arrays);
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_ValueError)) throw;
    throw py::value_error("the flight parameters do not broadcast together");
  }
  const py::array first = broadcast[0];
  const std::vector<py::ssize_t> shape(first.shape(), first.shape() + first.ndim());
  const auto count = static_cast<std::size_t>(first.size());
  std::vector<py::array_t<double>> columns;  // each keyword's value for every shot, in C order
  for (py::handle b : broadcast) {
    columns.push_back(py::array_t<double>::ensure(numpy.attr("ascontiguousarray")(b).attr("ravel")()));
  }

  // Every shot is read and checked before any flies: values each in range may join
  // into a ball the model refuses.
  std::vector<BallParams> shots(count);
  for (std::size_t i = 0; i < count; ++i) {
    BallParams& shot = shots[i];
    shot.spinAsComponents = components;
    for (std::size_t k = 0; k < rows.size(); ++k) ValueIn(shot, *rows[k]) = columns[k].data()[i];
    if (const std::string why = BallJointRefusal(shot, true); !why.empty()) {
      throw py::value_error(why + " (at flat index " + std::to_string(i) + ")");
    }
  }

  py::array_t<std::int64_t> ticks(shape);
  py::array_t<std::int8_t> ends(shape);
  py::array_t<bool> landed(shape);
  py::array_t<double> carry(shape), distance(shape), x(shape), y(shape), z(shape), apex(shape), landingAngle(shape),
      flightTime(shape), lateral(shape), total(shape);
  struct {
    std::int64_t* ticks;
    std::int8_t* ends;
    bool* landed;
    double *carry, *distance, *x, *y, *z, *apex, *landingAngle, *flightTime, *lateral, *total;
  } out{Data(ticks), Data(ends), Data(landed), Data(carry), Data(distance), Data(x), Data(y), Data(z), Data(apex),
        Data(landingAngle), Data(flightTime), Data(lateral), Data(total)};
  {
    py::gil_scoped_release unlocked;
    // Batches of some 30 ms on two cores, with a look for Ctrl-C between them.
    constexpr std::size_t kBatch = 8192;
    for (std::size_t from = 0; from < count; from += kBatch) {
      const std::size_t n = std::min(kBatch, count - from);
      std::vector<BallSummary> flown;
      RunInterruptibly([&](const StopRequest&) {
        flown = FlyBallsParallel(std::span<const BallParams>(shots).subspan(from, n), static_cast<int>(threads));
      });
      for (std::size_t j = 0; j < n; ++j) {
        const BallSummary& s = flown[j];
        const FlightSummary f = BallAsFlightSummary(s);  // its carry is its distance
        const std::size_t i = from + j;
        out.ticks[i] = f.ticks;
        out.ends[i] = static_cast<std::int8_t>(f.end);
        out.landed[i] = f.landed();
        out.carry[i] = f.carry;
        out.distance[i] = f.distance;
        out.x[i] = f.landing[1];
        out.y[i] = f.landing[2];
        out.z[i] = f.landing[3];
        out.apex[i] = f.apex;
        out.landingAngle[i] = s.landingAngle;
        out.flightTime[i] = s.flightTime;
        out.lateral[i] = s.lateral;
        out.total[i] = s.total;
      }
      progress.Update(static_cast<std::int64_t>(from + n), static_cast<std::int64_t>(count));
    }
  }
  py::list names;
  for (FlightEnd e : {FlightEnd::Ground, FlightEnd::NotANumber, FlightEnd::MaxTicks}) names.append(FlightEndName(e));
  py::dict d;
  d["ticks"] = ticks;
  d["end"] = numpy.attr("array")(names)[ends];
  d["landed"] = landed;
  d["carry"] = carry;
  d["distance"] = distance;
  d["x"] = x;
  d["y"] = y;
  d["z"] = z;
  d["apex"] = apex;
  d["landing_angle"] = landingAngle;
  d["flight_time"] = flightTime;
  d["lateral"] = lateral;
  d["total"] = total;
  return d;
}

}  // namespace vendrel::python
