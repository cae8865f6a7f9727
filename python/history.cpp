#include "python/history.h"

#include <optional>
#include <string>
#include <vector>

#include "range/shot_json.h"
#include "range/shot_store.h"

namespace py = pybind11;

namespace vendrel::python {
namespace {

constexpr const char* kShotsDoc =
    "The shots of a range's history file, oldest first, as `vendrel-flight history --format json`\n"
    "exports them (the records vendrel.history makes its columns of).";

// A keyword that is text or None.
std::optional<std::string> TextOrNone(const py::object& value, const char* name) {
  if (value.is_none()) return std::nullopt;
  if (!py::isinstance<py::str>(value)) {
    throw py::type_error(std::string(name) + ": expected text or None, not " +
                         std::string(py::str(py::type::of(value).attr("__name__"))));
  }
  return value.cast<std::string>();
}

py::object History(const py::object& path, const py::object& clubArg, const py::object& sinceArg) {
  const std::string file = py::str(py::module_::import("os").attr("fsdecode")(path));
  const std::optional<std::string> since = TextOrNone(sinceArg, "since");
  range::ShotQuery query;
  query.club = TextOrNone(clubArg, "club");
  if (since) {
    std::string time;
    if (!range::ReadShotTime(*since, time)) {
      throw py::value_error("since: '" + *since + "' is not a time (YYYY-MM-DD[THH:MM[:SS[.fff]]][Z], UTC)");
    }
    query.since = time;
  }
  std::string text, error;
  bool read = false;
  {
    py::gil_scoped_release release;
    const auto store = range::ShotStore::Open(file, range::ShotStore::Mode::ReadOnly, error);
    std::vector<range::StoredShot> shots;
    read = store && store->Read(query, shots, error);
    if (read) text = range::ShotsJsonText(shots);
  }
  if (!read) {
    PyErr_SetString(PyExc_OSError, error.c_str());
    throw py::error_already_set();
  }
  // The command's own text, parsed: the same keys and, number for number, the same bits.
  return py::module_::import("json").attr("loads")(text);
}

}  // namespace

void DefineHistory(py::module_& m) {
  m.def("_history_shots", &History, kShotsDoc, py::arg("path"), py::arg("club") = py::none(),
        py::arg("since") = py::none());
  // A shot's keys and kinds of value, for the columns of a history with no shots.
  m.attr("_history_template") = py::module_::import("json").attr("loads")(range::ShotsJsonText({range::StoredShot{}}));
}

}  // namespace vendrel::python
