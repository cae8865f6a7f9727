#include "python/progress.h"

#include <string>

namespace vendrel::python {
namespace {

// A quarter of a second: a bar moves smoothly, and a quick call makes one report.
constexpr std::chrono::milliseconds kInterval{250};

}  // namespace

Progress::Progress(py::object callback) : callback_(std::move(callback)), last_(std::chrono::steady_clock::now()) {
  if (!callback_.is_none() && !PyCallable_Check(callback_.ptr())) {
    throw py::type_error("progress: expected a callable taking (done, total), got " +
                         py::str(py::type::handle_of(callback_).attr("__name__")).cast<std::string>());
  }
}

void Progress::Update(std::int64_t done, std::int64_t total) {
  const py::gil_scoped_acquire locked;
  if (PyErr_CheckSignals() != 0) throw py::error_already_set();
  const auto now = std::chrono::steady_clock::now();
  if (callback_.is_none() || now - last_ < kInterval) return;
  last_ = now;
  Call(done, total);
}

void Progress::Finish(std::int64_t done, std::int64_t total) {
  if (!callback_.is_none() && reported_ != std::pair{done, total}) Call(done, total);
}

void Progress::Call(std::int64_t done, std::int64_t total) {
  reported_ = {done, total};
  callback_(done, total);
}

}  // namespace vendrel::python
