#pragma once
// Flights for Python: one flight as the command line's JSON report, many flights in the
// vector lanes of every core, and one flight's trajectory.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>

#include "flight/flight_summary.h"
#include "python/parameters.h"
#include "python/progress.h"

namespace vendrel::python {

/// A number as JSON has it: what is not finite becomes None, as the command line
/// writes null.
py::object JsonNumber(double v);

/// A flight's summary as `vendrel-flight --format json` gives its keys.
py::dict SummaryDict(const FlightSummary& out);

/// One flight (a grid of numbers) as a dict with the keys and values of
/// `vendrel-flight --format json`; numbers that are not finite become None, as JSON's null.
py::dict FlyOne(const FlightGrid& grid, std::int64_t maxTicks);

/// Every flight of the grid, on `threads` threads (0: every core) with the interpreter's
/// lock released: a dict of arrays in the grid's shape. `progress` hears of the flights
/// flown between batches (its last report is the caller's).
py::dict FlyMany(const FlightGrid& grid, std::int64_t maxTicks, unsigned threads, Progress& progress);

/// The ends' names (as the command line writes them) of an array of FlightEnd codes.
py::object EndNames(const py::array_t<std::int8_t>& ends);

/// Tells numpy the row types of the results; once, when the module loads.
void RegisterTypes();

/// One flight's launch and the state after every tick, as a structured array with the
/// columns of the command line's trajectory CSV.
py::array Trajectory(const FlightGrid& grid, std::int64_t maxTicks);

}  // namespace vendrel::python
