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

/// The nine flight parameters over the broadcast shape. FormAt reads raw memory only,
/// so workers call it with the interpreter's lock released; the arrays it reads stay
/// alive in `keep`.
struct FlightGrid {
  std::vector<py::ssize_t> shape;  ///< the broadcast shape; empty when every argument is a number
  std::int64_t count = 1;          ///< flights: the product of `shape`
  bool scalar = true;              ///< every argument was a single number (or a 0-d array)

  /// The form of flight `flat`, counted in C order over `shape`.
  FlightForm FormAt(std::int64_t flat) const;

  struct Column {
    const char* data = nullptr;
    std::vector<py::ssize_t> strides;  ///< bytes per step along each axis of `shape`; 0 where broadcast
  };
  std::array<Column, 9> columns;  ///< in ParametersOf(Model::Form) order
  std::vector<py::object> keep;
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
