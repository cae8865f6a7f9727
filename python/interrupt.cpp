#include "python/interrupt.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace vendrel::python {

void RunInterruptibly(const std::function<void(const StopRequest&)>& work) {
  StopRequest stop;
  std::mutex m;
  std::condition_variable cv;
  bool finished = false;
  std::exception_ptr failure;
  std::thread worker;
  try {
    worker = std::thread([&] {
      try {
        work(stop);
      } catch (...) {
        failure = std::current_exception();
      }
      const std::lock_guard lock(m);
      finished = true;
      cv.notify_one();
    });
  } catch (const std::system_error&) {
    work(stop);
    return;
  }

  std::optional<py::error_already_set> raised;
  for (;;) {
    {
      std::unique_lock lock(m);
      if (cv.wait_for(lock, std::chrono::milliseconds(50), [&] { return finished; })) break;
    }
    {
      const py::gil_scoped_acquire locked;
      if (PyErr_CheckSignals() != 0) raised.emplace();  // takes the handler's exception
    }
    // The lock is let go before waiting for the work, which may want it.
    if (raised) {
      stop.Request();
      break;
    }
  }
  worker.join();
  if (raised) throw *raised;
  if (failure) std::rethrow_exception(failure);
}

}  // namespace vendrel::python
