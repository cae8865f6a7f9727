#pragma once
// The arguments of vendrel.fly and vendrel.trajectory, read and checked before any
// flight is flown: each flight parameter is a number or an array of numbers, within the
// form's range, and the arrays broadcast together as numpy broadcasts them.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "flight/flight_records.h"

namespace vendrel::python {

namespace py = pybind11;

/// The nine flight parameters over the broadcast shape: numpy's broadcast views of the
/// arguments. Reading them needs the interpreter's lock.
struct FlightGrid {
  std::vector<py::ssize_t> shape;  ///< the broadcast shape; empty when every argument is a number
  std::int64_t count = 1;          ///< flights: the product of `shape`
  bool scalar = true;              ///< every argument was a single number (or a 0-d array)

  /// The forms of flights first to first + n - 1, counted in C order over `shape`.
  std::vector<FlightForm> Forms(std::int64_t first, std::int64_t n) const;
  /// The form of flight `flat`.
  FlightForm FormAt(std::int64_t flat) const { return Forms(flat, 1).front(); }

  std::array<py::array, 9> columns;  ///< in ParametersOf(Model::Form) order, each broadcast to `shape`
};

/// A number as people write it: plain decimals, the exponent form only for very large or
/// very small magnitudes.
std::string NumberText(double v);

/// Python's names of the form's fields, in ParametersOf(Model::Form) order: angle, speed, side_spin,
/// back_spin, k, k_prime, mass, gravity, dt.
std::span<const std::string_view> FieldNames();

/// Reads the nine parameters (in ParametersOf(Model::Form) order). Throws py::type_error for what is
/// not a number, py::value_error for values the command line would refuse and for
/// arrays that do not broadcast.
FlightGrid ReadFlightGrid(const std::array<py::object, 9>& args);

/// `max_ticks`: a whole number from 1 to the command line's bound.
std::int64_t ReadMaxTicks(const py::object& arg);

/// `threads`: None for every core, or a whole number from 1 to 1024.
unsigned ReadThreads(const py::object& arg);

}  // namespace vendrel::python
