#pragma once
// vendrel.history: the shot history the range keeps, read as `vendrel-flight history
// --format json` exports it, by the store's own reading.

#include <pybind11/pybind11.h>

namespace vendrel::python {

/// Defines history(path, club=None, since=None).
void DefineHistory(pybind11::module_& m);

}  // namespace vendrel::python
