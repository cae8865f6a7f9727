#include "python/fit.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "flight/parameters.h"
#include "flight/shot_fit.h"
#include "flight/shot_table.h"
#include "python/ball.h"
#include "python/parameters.h"
#include "python/progress.h"

namespace vendrel::python {
namespace {

// A target column: real numbers the shot table accepts as measured values.
py::array_t<double> ReadTarget(const py::object& obj, std::size_t target, const std::string& name) {
  py::array arr = py::module_::import("numpy").attr("asarray")(obj);
  const char kind = arr.dtype().kind();
  if (kind != 'i' && kind != 'u' && kind != 'f') {
    throw py::type_error(name + ": expected a number or an array of numbers, got " +
                         (arr.ndim() == 0 ? py::str(py::type::handle_of(obj).attr("__name__")).cast<std::string>()
                                          : "an array of " + py::str(arr.dtype()).cast<std::string>()));
  }
  py::array_t<double> values = py::array_t<double, py::array::forcecast>::ensure(arr);
  const auto flat = py::array_t<double>::ensure(values.attr("ravel")());
  for (py::ssize_t i = 0; i < flat.size(); ++i) {
    const double v = flat.at(i);
    // Built by appending: gcc 12 at -O3 misreads a literal + string here.
    std::string where = name;
    if (values.ndim()) ((where += '[') += std::to_string(i)) += ']';
    ((where += ": '") += NumberText(v)) += "' ";
    if (const std::string why = MeasuredValueRefusal(static_cast<ShotTarget>(target), v); !why.empty()) {
      throw py::value_error(where + why);
    }
  }
  return values;
}

std::vector<const Parameter*> ReadFitted(const py::object& fit, Model model) {
  std::vector<py::object> items;
  if (py::isinstance<py::str>(fit)) {
    items.push_back(fit);
  } else {
    for (py::handle h : py::iter(fit)) items.push_back(py::reinterpret_borrow<py::object>(h));
  }
  std::vector<const Parameter*> fitted;
  for (const py::object& item : items) {
    if (!py::isinstance<py::str>(item)) {
      throw py::type_error("fit: expected names of parameters, got " +
                           py::str(py::type::handle_of(item).attr("__name__")).cast<std::string>());
    }
    const std::string name = item.cast<std::string>();
    const Parameter* f = FindByKey(model, name);
    if (!f) throw py::value_error("fit: unknown parameter '" + name + "' (any of " + KeyNames(model) + ")");
    if (std::find(fitted.begin(), fitted.end(), f) != fitted.end()) {
      throw py::value_error("fit: '" + name + "' is named twice");
    }
    fitted.push_back(f);
  }
  return fitted;
}

}  // namespace

py::dict FitShotsTo(const py::object& shots, const py::object& fit, const py::object& maxTicksArg,
                    const py::object& threadsArg, const py::object& progressArg, const py::object& modelArg,
                    const py::object& defaultFit) {
  const Model model = ReadModel(modelArg);
  if (!py::hasattr(shots, "keys") || !py::hasattr(shots, "__getitem__")) {
    throw py::type_error("shots: expected a mapping of columns (a dict of arrays), got " +
                         py::str(py::type::handle_of(shots).attr("__name__")).cast<std::string>());
  }
  const auto numpy = py::module_::import("numpy");
  const auto fields = ParametersOf(model);
  std::vector<py::object> inputs(fields.size());
  std::array<std::optional<py::array_t<double>>, kShotTargets> targets;
  std::array<std::string, kShotTargets> targetColumn;
  std::optional<py::object> names;
  py::list shapes;  // every column's, for the one length they must share
  bool carryColumn = false, polar = false, components = false;
  for (py::handle key : shots.attr("keys")()) {
    if (!py::isinstance<py::str>(key)) {
      throw py::type_error("shots: column names are strings, got " +
                           py::str(py::type::handle_of(key).attr("__name__")).cast<std::string>());
    }
    const std::string name = key.cast<std::string>();
    const py::object column = shots.attr("__getitem__")(key);
    const std::optional<ShotColumn> what = FindShotColumn(name, model);
    if (!what) {
      throw py::value_error("shots: unknown column '" + name + "' (known: " + KnownShotColumns(model) + ")");
    }
    carryColumn = carryColumn || name == "carry";
    if (what->kind == ShotColumn::Kind::Launch) {
      const std::size_t c = fields.IndexOf(*what->field);
      if (model == Model::Ball) {
        const SpinForm form = SpinFormOf(what->field->ball);
        polar = polar || form == SpinForm::TotalAndAxis;
        components = components || form == SpinForm::BackAndSide;
        inputs[c] = ReadNumberArray(column, ForModel(fields[c], model), fields[c].key);
      } else {
        inputs[c] = column;
      }
      shapes.append(numpy.attr("shape")(inputs[c]));
    } else if (what->kind == ShotColumn::Kind::Target) {
      const auto t = static_cast<std::size_t>(what->target);
      if (targets[t]) {
        throw py::value_error("shots: column '" + name + "': the same measurement as column '" + targetColumn[t] + "'");
      }
      targets[t] = ReadTarget(column, t, name);
      targetColumn[t] = name;
      shapes.append(numpy.attr("shape")(*targets[t]));
    } else if (what->kind == ShotColumn::Kind::Name) {
      names = py::list(column);
      shapes.append(py::make_tuple(py::len(*names)));
    }
  }
  if (const std::string both = SpinFormRefusal(polar, components, true); !both.empty()) {
    throw py::value_error("shots: " + both);
  }
  std::array<bool, kShotTargets> present{};
  for (std::size_t t = 0; t < kShotTargets; ++t) present[t] = targets[t].has_value();
  if (const std::string why = ShotTargetsRefusal(present, carryColumn, model); !why.empty()) {
    throw py::value_error("shots: " + why);
  }

  // Every column has one length, or is one number for every shot.
  py::tuple shape;
  try {
    shape = numpy.attr("broadcast_shapes")(*shapes);
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_ValueError)) throw;
    throw py::value_error("shots: the columns do not have one length");
  }
  if (shape.size() > 1) throw py::value_error("shots: the columns are not one-dimensional");
  const std::size_t count = shape.empty() ? 1 : shape[0].cast<std::size_t>();

  const std::vector<const Parameter*> fitted = fit.is(defaultFit) ? DefaultFitted(model) : ReadFitted(fit, model);
  const std::int64_t maxTicks = ReadMaxTicks(maxTicksArg);
  const int threads = static_cast<int>(ReadThreads(threadsArg));
  Progress progress(progressArg);

  FitProblem problem;
  problem.model = model;
  if (model == Model::Form) {
    FlightArgs formArgs;
    for (std::size_t c = 0; c < fields.size(); ++c) {
      formArgs[c] = inputs[c] ? inputs[c] : py::object(py::float_(fields[c].defaultValue));
    }
    const FlightGrid grid = ReadFlightGrid(formArgs);
    const std::vector<FlightForm> forms = grid.Forms();
    for (std::size_t i = 0; i < count; ++i) {
      Shot shot;
      shot.form = forms[grid.count == 1 ? 0 : i];
      problem.shots.push_back(shot);
    }
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      Shot shot;
      shot.ball.spinAsComponents = components;
      for (std::size_t c = 0; c < fields.size(); ++c) {
        if (!inputs[c]) continue;
        const auto values = py::array_t<double>::ensure(inputs[c]);
        ValueIn(shot.ball, fields[c]) = values.size() == 1 ? values.data()[0] : values.at(static_cast<py::ssize_t>(i));
      }
      // Values each in range may still join into a shot the ball model refuses.
      if (const std::string why = BallShotRefusal(shot.ball, true); !why.empty()) {
        throw py::value_error("shots[" + std::to_string(i) + "]: " + why);
      }
      problem.shots.push_back(shot);
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t t = 0; t < kShotTargets; ++t) {
      if (!targets[t]) continue;
      const auto& values = *targets[t];
      const double v = values.size() == 1 ? values.data()[0] : values.at(static_cast<py::ssize_t>(i));
      problem.shots[i].measured[t] = ToModel(ShotTargetQuantity(static_cast<ShotTarget>(t)), Units::Metric, v);
    }
  }
  problem.fitted = fitted;
  for (const Parameter* f : fitted) {
    const std::size_t c = fields.IndexOf(*f);
    // A column of one number for every shot is where the fit starts; otherwise the default.
    const bool one = inputs[c] && py::len(numpy.attr("shape")(inputs[c])) == 0;
    const Shot& first = problem.shots.front();
    problem.start.push_back(!one                   ? f->Default(model)
                            : model == Model::Form ? ValueIn(first.form, *f)
                                                   : ValueIn(first.ball, *f));
  }
  problem.maxTicks = maxTicks;
  problem.threads = threads;
  problem.afterEvaluation = [&progress](std::int64_t done, std::int64_t most) { progress.Update(done, most); };
  if (const std::string why = FitCannotMove(problem); !why.empty()) throw py::value_error("fit: " + why);

  FitResult result;
  {
    py::gil_scoped_release unlocked;
    result = FitShots(problem);
  }
  progress.Finish(result.evaluations, result.evaluations);

  const auto number = [](double v) { return std::isfinite(v) ? py::object(py::float_(v)) : py::object(py::none()); };
  py::dict fittedOut;
  for (std::size_t i = 0; i < fitted.size(); ++i) fittedOut[py::str(std::string(fitted[i]->key))] = result.values[i];
  py::list shotsOut;
  for (std::size_t i = 0; i < count; ++i) {
    py::dict s;
    s["name"] = names ? py::str(names->attr("__getitem__")(i)) : py::str("shot " + std::to_string(i + 1));
    s["index"] = i;
    for (std::size_t t = 0; t < kShotTargets; ++t) {
      if (!problem.shots[i].measured[t]) continue;
      py::dict pair;
      pair["measured"] = *problem.shots[i].measured[t];
      pair["modelled"] = number(ModelledTarget(result.modelled[i], static_cast<ShotTarget>(t)));
      s[ShotTargetName(static_cast<ShotTarget>(t), model)] = pair;
    }
    shotsOut.append(s);
  }
  py::dict out;
  out["fitted"] = fittedOut;
  out["rms"] = number(result.rms);
  out["evaluations"] = result.evaluations;
  out["converged"] = result.converged;
  out["shots"] = shotsOut;
  if (!std::isfinite(result.rms)) {
    PyErr_WarnEx(PyExc_RuntimeWarning, "at the best values found some shot still does not come down", 1);
  } else if (!result.converged) {
    PyErr_WarnEx(PyExc_RuntimeWarning, "the fit did not converge; the values are the best found", 1);
  }
  return out;
}

}  // namespace vendrel::python
