#pragma once
// Work that may never end (a flight with no gravity and a huge tick bound) runs on a
// thread of its own, while the interpreter's main thread looks for Ctrl-C and stops it.

#include <pybind11/pybind11.h>

#include <functional>

#include "flight/stop_request.h"

namespace vendrel::python {

namespace py = pybind11;

/// Runs `work` on a new thread and waits for it, without the interpreter's lock (call it
/// without), taking the lock some twenty times a second to run the signal handlers.
/// When one raises (Ctrl-C's KeyboardInterrupt), the stop is requested, the work's end
/// awaited and that exception comes out as py::error_already_set. What `work` throws
/// comes out too. Where no thread can be had, `work` runs here, unwatched.
void RunInterruptibly(const std::function<void(const StopRequest&)>& work);

}  // namespace vendrel::python
