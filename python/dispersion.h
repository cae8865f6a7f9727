#pragma once
// The compiled half of vendrel.dispersion: flights drawn around one form (flight i of a
// run depends only on the seed and i, so any range of a run can be flown apart from the
// rest) and the statistics the command line prints. The keywords, the broadcasting over
// arrays and the dask blocks are the package's Python half (python/vendrel/).

#include <pybind11/pybind11.h>

namespace vendrel::python {

/// Defines the module's private functions for dispersion: _flight_keys,
/// _check_flights, _dispersed_flights and _dispersion_summary.
void DefineDispersion(pybind11::module_& m);

}  // namespace vendrel::python
