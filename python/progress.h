#pragma once
// The `progress` argument of long calls: the caller's callable, told (done, total) now
// and then while the work runs without the interpreter's lock.

#include <pybind11/pybind11.h>

#include <chrono>
#include <cstdint>
#include <utility>

namespace vendrel::python {

namespace py = pybind11;

class Progress {
 public:
  /// None for no reports, else a callable; anything else raises TypeError. Needs the lock.
  explicit Progress(py::object callback);

  /// From the working thread without the lock: takes the lock to look for Ctrl-C and,
  /// at most four times a second, to call the callback. What the callback raises (and
  /// KeyboardInterrupt) comes out as py::error_already_set, ending the work.
  void Update(std::int64_t done, std::int64_t total);

  /// The last report, made whatever the time since the one before (unless that one said
  /// the same). Needs the lock.
  void Finish(std::int64_t done, std::int64_t total);

 private:
  void Call(std::int64_t done, std::int64_t total);

  py::object callback_;
  std::chrono::steady_clock::time_point last_;
  std::pair<std::int64_t, std::int64_t> reported_{-1, -1};
};

}  // namespace vendrel::python
