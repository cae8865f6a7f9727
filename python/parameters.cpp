#include "python/parameters.h"

#include <cmath>
#include <string>
#include <string_view>

#include "flight/form_value.h"
#include "flight/parameters.h"
#include "platform/number_text.h"

namespace vendrel::python {
namespace {

constexpr std::int64_t kMaxTicksLimit = 1'000'000'000'000;  // the command line's bound
constexpr std::int64_t kMaxThreads = 1024;

}  // namespace

std::string NumberText(double v) { return afx::FormatNumber(v); }

namespace {

// Python's names of the form's fields, in ParametersOf(Model::Form) order.
constexpr std::array<std::string_view, 9> kNames = {"angle", "speed", "side_spin", "back_spin", "k",
                                                    "k_prime", "mass", "gravity", "dt"};

std::string ShapeText(const std::vector<py::ssize_t>& shape) {
  std::string s = "(";
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (i) s += ", ";
    s += std::to_string(shape[i]);
  }
  return s + (shape.size() == 1 ? ",)" : ")");
}

// "angle" for a number, "angle[1, 2]" for an element of an array.
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

std::string TypeName(const py::handle& obj) { return py::str(py::type::handle_of(obj).attr("__name__")); }

// Calls fn(value, flat index) for every element of a float64 array of any strides.
template <class Fn>
void ForEachElement(const py::array_t<double>& a, Fn fn) {
  const auto ndim = static_cast<std::size_t>(a.ndim());
  const char* base = reinterpret_cast<const char*>(a.data());
  for (py::ssize_t flat = 0; flat < a.size(); ++flat) {
    py::ssize_t rest = flat, offset = 0;
    for (std::size_t d = ndim; d-- > 0;) {
      offset += (rest % a.shape(d)) * a.strides(d);
      rest /= a.shape(d);
    }
    fn(*reinterpret_cast<const double*>(base + offset), flat);
  }
}

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

// The argument as a float64 array (0-d for a number), refusing what is not made of
// real numbers.
py::array_t<double> ReadNumbers(const py::object& obj, const Parameter& f, std::string_view fieldName) {
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
  if (kind == 'i' || kind == 'u' || kind == 'f') return py::array_t<double, py::array::forcecast>::ensure(arr);
  if (kind == 'O' && arr.ndim() == 0 && PyLong_Check(obj.ptr())) RefuseHugeInteger(obj, f, name);
  const std::string got = py::isinstance<py::array>(obj)
                              ? "an array of " + py::str(arr.dtype()).cast<std::string>()
                              : (arr.ndim() == 0 ? TypeName(obj) : "a sequence of " + py::str(arr.dtype()).cast<std::string>());
  throw py::type_error(name + ": expected a number or an array of numbers, got " + got);
}

void CheckRange(const py::array_t<double>& values, const Parameter& f, std::string_view name) {
  std::vector<py::ssize_t> shape(values.shape(), values.shape() + values.ndim());
  ForEachElement(values, [&](double v, py::ssize_t flat) {
    if (!f.InRange(v)) throw py::value_error(FormValueRefusal(f, v, ElementName(name, shape, flat)));
  });
}

}  // namespace

std::span<const std::string_view> FieldNames() { return kNames; }

FlightForm FlightGrid::FormAt(std::int64_t flat) const {
  std::array<py::ssize_t, 9> offset{};
  py::ssize_t rest = static_cast<py::ssize_t>(flat);
  for (std::size_t d = shape.size(); d-- > 0;) {
    const py::ssize_t i = rest % shape[d];
    rest /= shape[d];
    for (std::size_t c = 0; c < columns.size(); ++c) offset[c] += i * columns[c].strides[d];
  }
  FlightForm form = DefaultForm();
  const auto fields = ParametersOf(Model::Form);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    form.*(fields[c].form) = *reinterpret_cast<const double*>(columns[c].data + offset[c]);
  }
  return form;
}

FlightGrid ReadFlightGrid(const std::array<py::object, 9>& args) {
  const auto fields = ParametersOf(Model::Form);
  std::array<py::array_t<double>, 9> values;
  for (std::size_t c = 0; c < args.size(); ++c) {
    values[c] = ReadNumbers(args[c], fields[c], kNames[c]);
    CheckRange(values[c], fields[c], kNames[c]);
  }

  // numpy's rule: align the shapes on the right; each axis has one length, or 1.
  FlightGrid grid;
  std::size_t ndim = 0;
  for (const auto& v : values) ndim = std::max(ndim, static_cast<std::size_t>(v.ndim()));
  grid.shape.assign(ndim, 1);
  std::vector<std::size_t> setBy(ndim, 0);  // which argument gave an axis its length
  for (std::size_t c = 0; c < values.size(); ++c) {
    const auto& v = values[c];
    const std::size_t lead = ndim - static_cast<std::size_t>(v.ndim());
    for (std::size_t d = 0; d < static_cast<std::size_t>(v.ndim()); ++d) {
      const py::ssize_t len = v.shape(d);
      py::ssize_t& axis = grid.shape[lead + d];
      if (len == axis || len == 1) continue;
      if (axis != 1) {
        const auto& other = values[setBy[lead + d]];
        throw py::value_error(
            std::string(kNames[setBy[lead + d]]) + " of shape " +
            ShapeText({other.shape(), other.shape() + other.ndim()}) + " and " + std::string(kNames[c]) +
            " of shape " + ShapeText({v.shape(), v.shape() + v.ndim()}) + " do not broadcast together");
      }
      axis = len;
      setBy[lead + d] = c;
    }
    grid.scalar = grid.scalar && v.ndim() == 0;
  }
  grid.count = 1;
  for (py::ssize_t len : grid.shape) grid.count *= len;

  for (std::size_t c = 0; c < values.size(); ++c) {
    const auto& v = values[c];
    FlightGrid::Column& col = grid.columns[c];
    col.data = reinterpret_cast<const char*>(v.data());
    col.strides.assign(ndim, 0);
    const std::size_t lead = ndim - static_cast<std::size_t>(v.ndim());
    for (std::size_t d = 0; d < static_cast<std::size_t>(v.ndim()); ++d) {
      if (v.shape(d) != 1) col.strides[lead + d] = v.strides(d);
    }
    grid.keep.push_back(v);
  }
  return grid;
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
