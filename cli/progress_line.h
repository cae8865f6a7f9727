#pragma once
// Long work's progress on standard error, when that is a terminal: one line redrawn in
// place, "[#####...]  45% 12345/27000 flights, 12300 flights/s, 0:12 left", and ended
// when the work is done. When standard error is not a terminal, nothing at all.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "flight/progress_meter.h"
#include "flight/windowless_run.h"

namespace vendrel::cli {

/// The line for a status of work counted in `unit` ("flights", "ticks").
std::string ProgressText(const ProgressMeter::Status& s, std::string_view unit);

class ProgressLine {
 public:
  using Describe = std::function<std::string(const ProgressMeter::Status&)>;

  /// Progress of `total` units of work (0: not known), written by `describe`, or by
  /// ProgressText in `unit` without one. Shown only when `enabled` and standard error
  /// is a terminal.
  ProgressLine(std::int64_t total, std::string unit, bool enabled = true, Describe describe = {});
  ~ProgressLine();  ///< ends a line that was shown, with the final status

  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  /// What the work adds to; null when nothing is shown.
  ProgressMeter* meter() { return meter_ ? &*meter_ : nullptr; }

 private:
  void Show(const ProgressMeter::Status& s) const;

  std::string unit_;
  Describe describe_;
  std::optional<ProgressMeter> meter_;
};

/// A flight's ticks counted into a meter a block at a time: a tick is too short to be
/// counted one by one. Does nothing without a meter.
class TickTally {
 public:
  explicit TickTally(ProgressMeter* meter) : meter_(meter) {}
  ~TickTally() {
    if (meter_ && pending_) meter_->Add(pending_);
  }
  TickTally(const TickTally&) = delete;
  TickTally& operator=(const TickTally&) = delete;

  void Tick() {
    if (meter_ && ++pending_ == kBlock) {
      meter_->Add(pending_);
      pending_ = 0;
    }
  }
  /// An observer for RunFlight that counts, or none without a meter.
  TickObserver Observer() {
    if (!meter_) return {};
    return [this](std::int64_t, const FlightState&) { Tick(); };
  }

 private:
  static constexpr std::int64_t kBlock = 1 << 16;
  ProgressMeter* meter_;
  std::int64_t pending_ = 0;
};

}  // namespace vendrel::cli
