#pragma once
// vendrel.fit: a model's parameters fitted to measured shots given as a mapping of
// arrays with the fit command's columns.

#include <pybind11/pybind11.h>

namespace vendrel::python {

namespace py = pybind11;

/// Reads the shots, checks them as the fit command checks its CSV, fits and returns
/// what `vendrel-flight fit --format json` prints (a shot's `index` in place of its
/// file line). `progress` (None or a callable) hears of the evaluations made. `fit`
/// is `defaultFit` itself when not given: the model's own default then.
py::dict FitShotsTo(const py::object& shots, const py::object& fit, const py::object& maxTicks,
                    const py::object& threads, const py::object& progress, const py::object& model,
                    const py::object& defaultFit);

}  // namespace vendrel::python
