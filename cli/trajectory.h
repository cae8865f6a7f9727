#pragma once
// The whole flight as CSV: the launch, then the state after every tick's step.

#include <cstdint>
#include <cstdio>

#include "flight/flight_records.h"
#include "flight/trajectory.h"
#include "flight/units.h"

namespace vendrel::cli {

class TrajectoryWriter {
 public:
  /// Positions and velocities in `units` (yards and mph for imperial).
  explicit TrajectoryWriter(std::FILE* out, Units units = Units::Metric);
  /// The rows the tick adds (flight/trajectory.h).
  void OnTick(std::int64_t tick, const FlightState& st);
  /// One row of any model's trajectory.
  void Row(const TrajectoryRow& row);

 private:
  std::FILE* out_;
  Units units_;
};

}  // namespace vendrel::cli
