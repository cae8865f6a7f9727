#pragma once
// A request, from any thread, that runs end early: how a front end stops flights that
// would otherwise never end (no gravity, a bound of a trillion ticks). Runs look at it
// every kStopLookTicks ticks, outside the step itself, so looking costs nothing a
// benchmark can see.

#include <atomic>
#include <cstdint>

namespace vendrel {

class StopRequest {
 public:
  /// From any thread; cannot be taken back.
  void Request() { requested_.store(true, std::memory_order_relaxed); }
  bool Requested() const { return requested_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> requested_{false};
};

/// Ticks (or passes of a block of lanes) between looks: well under a millisecond of
/// one flight, a few milliseconds of a block.
inline constexpr std::int64_t kStopLookTicks = 4096;

}  // namespace vendrel
