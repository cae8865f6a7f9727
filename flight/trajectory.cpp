#include "flight/trajectory.h"

#include "flight/windowless_run.h"

namespace vendrel {

std::vector<TrajectoryRow> FlyTrajectory(FlightForm form, std::int64_t maxTicks, const StopRequest* stop) {
  std::vector<TrajectoryRow> rows;
  RunFlight(form, maxTicks, [&rows](std::int64_t tick, const FlightState& st) {
    EmitTrajectoryRows(tick, st, [&rows](const TrajectoryRow& row) { rows.push_back(row); });
  }, stop);
  return rows;
}

std::vector<BallTrajectoryRow> FlyBallTrajectory(const BallParams& p) {
  std::vector<BallTrajectoryRow> rows;
  FlyBallRows(p, [&rows](const BallTrajectoryRow& row) { rows.push_back(row); });
  return rows;
}

}  // namespace vendrel
