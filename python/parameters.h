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

/// Flight parameters over the shape numpy broadcasts them to: one column per row of the
/// parameter table given. Reading them needs the interpreter's lock.
struct FlightGrid {
  std::vector<py::ssize_t> shape;  ///< the broadcast shape; empty when every argument is a number
  std::int64_t count = 1;          ///< flights: the product of `shape`
  bool scalar = true;              ///< every argument was a single number (or a 0-d array)
  std::vector<const Parameter*> rows;  ///< the table's row of each column
  std::vector<py::array> columns;      ///< the arguments as float64

  /// The records in C order over `shape`, a run at a time, from numpy's iterator over
  /// the arguments (which broadcasts them).
  class Reader {
   public:
    /// The next run of records, at most the batch Read was given; none at the end. Each
    /// is `base` with the grid's values set.
    template <class Record>
    std::vector<Record> Next(const Record& base) {
      std::vector<Record> records;
      const std::vector<Run> run = NextRun();
      if (run.empty()) return records;
      records.assign(run.front().count, base);
      for (std::size_t c = 0; c < run.size(); ++c) {
        for (std::size_t i = 0; i < records.size(); ++i) ValueIn(records[i], *(*rows_)[c]) = run[c][i];
      }
      return records;
    }
    /// The next run of forms.
    std::vector<FlightForm> Next() { return Next(DefaultForm()); }

   private:
    friend struct FlightGrid;
    // A column's run: `count` doubles `step` bytes apart (0 for a broadcast number).
    struct Run {
      const char* data;
      py::ssize_t step;
      std::size_t count;
      double operator[](std::size_t i) const {
        return *reinterpret_cast<const double*>(data + static_cast<py::ssize_t>(i) * step);
      }
    };
    std::vector<Run> NextRun();
    py::object iterator_;
    py::object run_;  // keeps the buffers NextRun's spans point into
    const std::vector<const Parameter*>* rows_ = nullptr;
  };
  Reader Read(std::int64_t batch) const;

  /// Every form, in order.
  std::vector<FlightForm> Forms() const;
};

/// A number as people write it: plain decimals, the exponent form only for very large or
/// very small magnitudes.
std::string NumberText(double v);

/// "name" for a number, "name[1, 2]" for element `flat` (C order) of an array of `shape`.
std::string ElementName(std::string_view name, const std::vector<py::ssize_t>& shape, py::ssize_t flat);

/// Python's names of the form's flight parameters (their keys), in the table's order.
std::span<const std::string_view> FieldNames();

/// Reads the form's flight parameters. Throws py::type_error for what is not a number,
/// py::value_error for values the command line would refuse and for arrays that do not
/// broadcast.
FlightGrid ReadFlightGrid(const FlightArgs& args);

/// Reads the given rows' arguments as `model` takes them (its ranges), as ReadFlightGrid.
FlightGrid ReadGrid(Model model, std::span<const Parameter* const> rows, std::span<const py::object> args);

/// Numbers for `f` (a row as its model takes it), named `name` in refusals, as a
/// float64 array of any shape: the same TypeError and ValueError as a flight parameter.
py::array_t<double> ReadNumberArray(const py::object& arg, const Parameter& f, std::string_view name);

/// `max_ticks`: a whole number from 1 to the command line's bound.
std::int64_t ReadMaxTicks(const py::object& arg);

/// `threads`: None for every core, or a whole number from 1 to 1024.
unsigned ReadThreads(const py::object& arg);

}  // namespace vendrel::python
