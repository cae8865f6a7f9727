#pragma once
// The whole flight as CSV: the launch, then the state after every tick's step.

#include <cstdint>
#include <cstdio>

#include "cli/units.h"
#include "flight/flight_records.h"

namespace vendrel::cli {

class TrajectoryWriter {
 public:
  /// Positions and velocities in `units` (yards and mph for imperial).
  explicit TrajectoryWriter(std::FILE* out, Units units = Units::Metric);
  /// Row 0 (the origin and the launch velocity) before tick 1's row, then one row of
  /// `posNext` and `velNext` per tick, at t = tick × dt.
  void OnTick(std::int64_t tick, const FlightState& st);

 private:
  void Row(std::int64_t tick, double t, const Vec5& pos, const Vec5& vel);
  std::FILE* out_;
  Units units_;
};

}  // namespace vendrel::cli
