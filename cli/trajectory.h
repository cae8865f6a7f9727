#pragma once
// The whole flight as CSV: the launch, then the state after every tick's step (and for
// the ball model the bounces and the roll, each row with its phase).

#include <cstdint>
#include <cstdio>
#include <string>

#include "flight/flight_records.h"
#include "flight/trajectory.h"
#include "flight/units.h"

namespace vendrel::cli {

class TrajectoryWriter {
 public:
  /// Positions and velocities in `units` (yards and mph for imperial). With `phase` the
  /// rows are the ball model's, the phase a last column.
  explicit TrajectoryWriter(std::FILE* out, Units units = Units::Metric, bool phase = false);
  /// The rows the tick adds (flight/trajectory.h).
  void OnTick(std::int64_t tick, const FlightState& st);
  /// One row of the form model's trajectory.
  void Row(const TrajectoryRow& row);
  /// One row of the ball model's trajectory, its phase last.
  void Row(const BallTrajectoryRow& row);

 private:
  /// The form's columns of a row, with no line end.
  std::string Cells(const TrajectoryRow& row) const;

  std::FILE* out_;
  Units units_;
};

}  // namespace vendrel::cli
