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
#include "flight/parameters.h"

namespace vendrel::python {

namespace py = pybind11;

/// The form's flight parameters, one Python object each, in the table's order.
using FlightArgs = std::array<py::object, kFormParameterCount>;

/// The flight parameters over the shape numpy broadcasts them to. Reading them needs
/// the interpreter's lock.
struct FlightGrid {
  std::vector<py::ssize_t> shape;  ///< the broadcast shape; empty when every argument is a number
  std::int64_t count = 1;          ///< flights: the product of `shape`
  bool scalar = true;              ///< every argument was a single number (or a 0-d array)

  /// The forms in C order over `shape`, a run at a time, from numpy's iterator over the
  /// arguments (which broadcasts them).
  class Reader {
   public:
    /// The next run of forms, at most the batch Read was given; none at the end.
    std::vector<FlightForm> Next();

   private:
    friend struct FlightGrid;
    py::object iterator_;
  };
  Reader Read(std::int64_t batch) const;

  /// Every form, in order.
  std::vector<FlightForm> Forms() const;

  std::array<py::array, kFormParameterCount> columns;  ///< the arguments as float64, in the table's order
};

/// A number as people write it: plain decimals, the exponent form only for very large or
/// very small magnitudes.
std::string NumberText(double v);

/// Python's names of the form's flight parameters (their keys), in the table's order.
std::span<const std::string_view> FieldNames();

/// Reads the flight parameters. Throws py::type_error for what is not a number,
/// py::value_error for values the command line would refuse and for arrays that do not
/// broadcast.
FlightGrid ReadFlightGrid(const FlightArgs& args);

/// One number for `f` (a row as its model takes it), named `name` in refusals: the
/// same TypeError and ValueError as a flight parameter, and a TypeError for an array.
double ReadOneNumber(const py::object& arg, const Parameter& f, std::string_view name);

/// Numbers for `f` (a row as its model takes it), named `name` in refusals, as a
/// float64 array of any shape: the same TypeError and ValueError as a flight parameter.
py::array_t<double> ReadNumberArray(const py::object& arg, const Parameter& f, std::string_view name);

/// `max_ticks`: a whole number from 1 to the command line's bound.
std::int64_t ReadMaxTicks(const py::object& arg);

/// `threads`: None for every core, or a whole number from 1 to 1024.
unsigned ReadThreads(const py::object& arg);

}  // namespace vendrel::python
