#include "flight/progress_meter.h"

#include <utility>

namespace vendrel {

ProgressMeter::ProgressMeter(std::int64_t total, Report report, Clock::duration quiet, Clock::duration interval)
    : total_(total),
      report_(std::move(report)),
      start_(Clock::now()),
      interval_(interval),
      due_((start_ + quiet).time_since_epoch().count()) {}

ProgressMeter::Status ProgressMeter::StatusAt(Clock::time_point now) const {
  Status s;
  s.done = done_.load(std::memory_order_relaxed);
  s.total = total_;
  s.seconds = std::chrono::duration<double>(now - start_).count();
  if (s.seconds > 0.0) s.rate = static_cast<double>(s.done) / s.seconds;
  if (s.total > 0 && s.rate > 0.0) {
    s.secondsLeft = s.done >= s.total ? 0.0 : static_cast<double>(s.total - s.done) / s.rate;
  }
  return s;
}

void ProgressMeter::Add(std::int64_t n) {
  done_.fetch_add(n, std::memory_order_relaxed);
  if (!report_) return;
  const Clock::time_point now = Clock::now();
  Clock::rep due = due_.load(std::memory_order_relaxed);
  if (now.time_since_epoch().count() < due) return;
  // The thread that moves the due time on makes the report; the others go back to work.
  if (!due_.compare_exchange_strong(due, (now + interval_).time_since_epoch().count())) return;
  const std::lock_guard<std::mutex> lock(reporting_);
  reported_.store(true);
  report_(StatusAt(now));
}

}  // namespace vendrel
