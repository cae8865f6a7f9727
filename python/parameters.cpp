#include "python/parameters.h"

#include <cmath>
#include <string>
#include <string_view>

#include "flight/form_value.h"
#include "flight/parameters.h"
#include "number_text/number_text.h"

namespace vendrel::python {
namespace {

constexpr std::int64_t kMaxThreads = 1024;

}  // namespace

std::string NumberText(double v) { return FormatNumber(v); }

namespace {

// Python's names of the flight parameters: the table's keys.
const std::array<std::string_view, kFormParameterCount> kNames = [] {
  std::array<std::string_view, kFormParameterCount> names;
  const auto rows = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = rows[i].key;
  return names;
}();

std::string ShapeText(const std::vector<py::ssize_t>& shape) {
  std::string s = "(";
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (i) s += ", ";
    s += std::to_string(shape[i]);
  }
  return s + (shape.size() == 1 ? ",)" : ")");
}

std::string TypeName(const py::handle& obj) { return py::str(py::type::handle_of(obj).attr("__name__")); }

// A Python int beyond what numpy holds in 64 bits: too far out for any range.
[[noreturn]] void RefuseHugeInteger(const py::handle& obj, const Parameter& f, std::string_view name) {
  std::string written;
  try {
    written = py::str(obj).cast<std::string>();
  } catch (py::error_already_set&) {  // more digits than Python will print
    written = "a whole number of thousands of digits";
  }
  if (written.size() > 24) written = written.substr(0, 20) + "...";
  const bool above = py::cast<bool>(obj.attr("__gt__")(0));
  throw py::value_error(FormValueRefusal(f, above ? HUGE_VAL : -HUGE_VAL, name, written));
}

// C-ordered float64, copied only when the argument is not that already.
using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The argument as a float64 array (0-d for a number), refusing what is not made of
// real numbers.
Doubles ReadNumbers(const py::object& obj, const Parameter& f, std::string_view fieldName) {
  const std::string name(fieldName);
  if (py::isinstance<py::bool_>(obj) || py::isinstance(obj, py::module_::import("numpy").attr("bool_"))) {
    throw py::type_error(name + ": expected a number or an array of numbers, got " + TypeName(obj));
  }
  py::array arr;
  try {
    arr = py::module_::import("numpy").attr("asarray")(obj);
  } catch (py::error_already_set& e) {
    // A ragged list, an object numpy cannot read: keep numpy's reason, name the argument.
    if (e.matches(PyExc_ValueError)) throw py::value_error(name + ": " + py::str(e.value()).cast<std::string>());
    throw py::type_error(name + ": " + py::str(e.value()).cast<std::string>());
  }
  const char kind = arr.dtype().kind();
  if (kind == 'i' || kind == 'u' || kind == 'f') return Doubles::ensure(arr);
  if (kind == 'O' && arr.ndim() == 0 && PyLong_Check(obj.ptr())) RefuseHugeInteger(obj, f, name);
  const std::string got = py::isinstance<py::array>(obj)
                              ? "an array of " + py::str(arr.dtype()).cast<std::string>()
                              : (arr.ndim() == 0 ? TypeName(obj) : "a sequence of " + py::str(arr.dtype()).cast<std::string>());
  throw py::type_error(name + ": expected a number or an array of numbers, got " + got);
}

void CheckRange(const Doubles& values, const Parameter& f, std::string_view name) {
  const double* v = values.data();
  for (py::ssize_t i = 0; i < values.size(); ++i) {
    if (!f.InRange(v[i])) {
      throw py::value_error(FormValueRefusal(f, v[i], ElementName(name, {values.shape(), values.shape() + values.ndim()}, i)));
    }
  }
}

std::vector<py::ssize_t> ShapeOf(const py::array& a) { return {a.shape(), a.shape() + a.ndim()}; }

// Names the first pair of arguments with two different lengths, neither 1, on one axis
// (shapes aligned on the right), as numpy found when it refused to broadcast them.
[[noreturn]] void RefuseShapes(const std::vector<Doubles>& values, const std::vector<const Parameter*>& rows) {
  for (std::size_t c = 1; c < values.size(); ++c) {
    const auto& v = values[c];
    for (py::ssize_t d = 0; d < v.ndim(); ++d) {
      const py::ssize_t fromRight = v.ndim() - d, len = v.shape(d);
      for (std::size_t j = 0; j < c && len != 1; ++j) {
        const auto& other = values[j];
        if (other.ndim() < fromRight) continue;
        const py::ssize_t otherLen = other.shape(other.ndim() - fromRight);
        if (otherLen != 1 && otherLen != len) {
          throw py::value_error(std::string(rows[j]->key) + " of shape " + ShapeText(ShapeOf(other)) + " and " +
                                std::string(rows[c]->key) + " of shape " + ShapeText(ShapeOf(v)) +
                                " do not broadcast together");
        }
      }
    }
  }
  throw py::value_error("the flight parameters do not broadcast together");
}

}  // namespace

std::string ElementName(std::string_view name, const std::vector<py::ssize_t>& shape, py::ssize_t flat) {
  std::string s(name);
  if (shape.empty()) return s;
  std::vector<py::ssize_t> index(shape.size());
  for (std::size_t d = shape.size(); d-- > 0;) {
    index[d] = flat % shape[d];
    flat /= shape[d];
  }
  s += '[';
  for (std::size_t d = 0; d < index.size(); ++d) {
    if (d) s += ", ";
    s += std::to_string(index[d]);
  }
  return s + ']';
}

py::array_t<double> ReadNumberArray(const py::object& arg, const Parameter& f, std::string_view name) {
  const Doubles values = ReadNumbers(arg, f, name);
  CheckRange(values, f, name);
  return values;
}

std::span<const std::string_view> FieldNames() { return kNames; }

FlightGrid::Reader FlightGrid::Read(std::int64_t batch) const {
  py::tuple operands(columns.size());
  for (std::size_t c = 0; c < columns.size(); ++c) operands[c] = columns[c];
  py::list readonly;
  for (std::size_t c = 0; c < columns.size(); ++c) readonly.append(py::make_tuple("readonly"));
  using namespace pybind11::literals;
  Reader reader;
  reader.rows_ = &rows;
  // Buffered with an outer loop of our own: runs of `batch` contiguous doubles.
  reader.iterator_ = py::module_::import("numpy").attr("nditer")(
      operands, "flags"_a = py::make_tuple("external_loop", "buffered", "zerosize_ok"), "op_flags"_a = readonly,
      "order"_a = "C", "buffersize"_a = std::max<std::int64_t>(batch, 1));
  return reader;
}

std::vector<FlightGrid::Reader::Run> FlightGrid::Reader::NextRun() {
  std::vector<Run> columns;
  run_ = py::reinterpret_steal<py::object>(PyIter_Next(iterator_.ptr()));
  if (!run_) {
    if (PyErr_Occurred()) throw py::error_already_set();
    return columns;
  }
  // With one operand numpy's iterator gives that array itself, not a tuple of one: read
  // as a sequence, its numbers would each become a column.
  const py::tuple arrays = rows_->size() == 1 ? py::make_tuple(run_) : py::tuple(run_);
  for (std::size_t c = 0; c < rows_->size(); ++c) {
    const py::array a = arrays[c];
    columns.push_back(Run{static_cast<const char*>(a.data()), a.ndim() == 1 ? a.strides(0) : 0,
                          static_cast<std::size_t>(a.size())});
  }
  return columns;
}

std::vector<FlightForm> FlightGrid::Forms() const {
  std::vector<FlightForm> all;
  all.reserve(static_cast<std::size_t>(count));
  Reader reader = Read(count);
  for (auto run = reader.Next(); !run.empty(); run = reader.Next()) all.insert(all.end(), run.begin(), run.end());
  return all;
}

FlightGrid ReadGrid(Model model, std::span<const Parameter* const> rows, std::span<const py::object> args) {
  FlightGrid grid;
  grid.rows.assign(rows.begin(), rows.end());
  std::vector<Doubles> values(rows.size());
  for (std::size_t c = 0; c < rows.size(); ++c) {
    const Parameter f = ForModel(*rows[c], model);
    values[c] = ReadNumbers(args[c], f, f.key);
    CheckRange(values[c], f, f.key);
  }

  py::list shapes;
  for (const Doubles& v : values) {
    shapes.append(v.attr("shape"));
    grid.columns.push_back(v);
    grid.scalar = grid.scalar && v.ndim() == 0;
  }
  py::tuple shape;
  try {
    shape = py::module_::import("numpy").attr("broadcast_shapes")(*shapes);
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_ValueError)) throw;
    RefuseShapes(values, grid.rows);
  }
  grid.count = 1;
  for (py::handle len : shape) {
    grid.shape.push_back(len.cast<py::ssize_t>());
    grid.count *= grid.shape.back();
  }
  return grid;
}

FlightGrid ReadFlightGrid(const FlightArgs& args) {
  static const std::vector<const Parameter*> rows = [] {
    std::vector<const Parameter*> r;
    for (const Parameter& p : ParametersOf(Model::Form)) r.push_back(&p);
    return r;
  }();
  return ReadGrid(Model::Form, rows, args);
}

namespace {

// A whole number from the caller: an int or a numpy integer, never a bool or a float.
std::int64_t ReadWhole(const py::object& arg, const char* name, std::int64_t max) {
  const std::string range = "' is not a whole number from 1 to " + std::to_string(max);
  if (py::isinstance<py::bool_>(arg) || py::isinstance(arg, py::module_::import("numpy").attr("bool_")) ||
      !PyIndex_Check(arg.ptr())) {
    throw py::type_error(std::string(name) + ": expected a whole number, got " + TypeName(arg));
  }
  const py::int_ whole = py::reinterpret_steal<py::int_>(PyNumber_Index(arg.ptr()));
  if (!whole) throw py::error_already_set();
  int overflow = 0;
  const long long v = PyLong_AsLongLongAndOverflow(whole.ptr(), &overflow);
  if (overflow != 0 || v < 1 || v > max) {
    const std::string text = overflow > 0 ? "a number beyond 2**63" : overflow < 0 ? "a number below -2**63"
                                                                                  : std::to_string(v);
    throw py::value_error(std::string(name) + ": '" + text + range);
  }
  return v;
}

}  // namespace

std::int64_t ReadMaxTicks(const py::object& arg) { return ReadWhole(arg, "max_ticks", kMaxTicksLimit); }

unsigned ReadThreads(const py::object& arg) {
  if (arg.is_none()) return 0;
  return static_cast<unsigned>(ReadWhole(arg, "threads", kMaxThreads));
}

}  // namespace vendrel::python
