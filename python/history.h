#pragma once
// vendrel.history: the shot history the range keeps, read as `vendrel-flight history
// --format json` exports it, by the store's own reading.

#include <pybind11/pybind11.h>

namespace vendrel::python {

/// Defines _history_shots(path, club=None, since=None), the records vendrel.history
/// (python/vendrel/_history.py) makes its columns of, and _history_template.
void DefineHistory(pybind11::module_& m);

}  // namespace vendrel::python
