#pragma once
// How far a long piece of work is: what is done of how much, at what rate, and how long
// the rest will take at that rate. Any thread adds what it finished; at most every
// interval, once the work has run for a while, one of them hands the status to a
// report (a terminal's line, a Python callback). No output of its own.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

namespace vendrel {

class ProgressMeter {
 public:
  using Clock = std::chrono::steady_clock;

  struct Status {
    std::int64_t done = 0;
    std::int64_t total = 0;     ///< 0: not known
    double seconds = 0.0;       ///< since the start
    double rate = 0.0;          ///< done per second so far
    double secondsLeft = -1.0;  ///< at that rate; negative when not known
  };
  using Report = std::function<void(const Status&)>;

  /// `report` is called on the thread whose Add makes it due: not before `quiet` has
  /// passed since the start (short work says nothing), then at most every `interval`.
  ProgressMeter(std::int64_t total, Report report, Clock::duration quiet = std::chrono::seconds(1),
                Clock::duration interval = std::chrono::milliseconds(200));

  /// Adds `n` to what is done; safe from any thread.
  void Add(std::int64_t n);

  /// The status now.
  Status Now() const { return StatusAt(Clock::now()); }
  Status StatusAt(Clock::time_point now) const;

  /// Whether the report has been called at least once.
  bool Reported() const { return reported_.load(); }

 private:
  std::int64_t total_;
  Report report_;
  Clock::time_point start_;
  Clock::duration interval_;
  std::atomic<std::int64_t> done_{0};
  std::atomic<Clock::rep> due_;  ///< when the next report may be made, as ticks of Clock
  std::atomic<bool> reported_{false};
  std::mutex reporting_;         ///< one report at a time
};

}  // namespace vendrel
