#pragma once
// The range's servers run on this thread's event loop while the test's clients, which
// wait on their sockets, run on a thread of their own.

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>

namespace vendrel::test {

/// Serves while `clients` runs on a thread of its own.
inline void ServeWhile(const std::function<void()>& clients) {
  std::atomic<bool> done{false};
  std::thread t([&] {
    clients();
    done = true;
  });
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done) loop.quit();
  });
  poll.start(2);
  loop.exec();
  t.join();
}

}  // namespace vendrel::test
