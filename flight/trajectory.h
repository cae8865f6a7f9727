#pragma once
// A flight row by row, as every front end hands it out: row 0 is the launch (the
// origin and the launch velocity), then one row per tick with the state at the end of
// that tick's step, at t = tick × dt. Consecutive rows are the segments the window draws.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "flight/ball_flight.h"
#include "flight/flight_records.h"
#include "flight/stop_request.h"

namespace vendrel {

/// One row, in the model's units. Plain data in column order, so it can be a numpy
/// record or a CSV line as it is.
struct TrajectoryRow {
  std::int64_t tick;
  double t;
  double x, y, z;     ///< position, m
  double vx, vy, vz;  ///< velocity, m/s
};

/// The columns' names, in order: tick, t, x, y, z, vx, vy, vz.
inline constexpr std::array<std::string_view, 8> kTrajectoryColumns{"tick", "t", "x", "y", "z", "vx", "vy", "vz"};

/// One row of the ball model's trajectory: the form's columns, then the phase the ball
/// is in (BallPhaseName gives its text).
struct BallTrajectoryRow {
  TrajectoryRow row;
  BallPhase phase;
};

/// The ball model's columns: the form's, then "phase".
inline constexpr std::array<std::string_view, 9> kBallTrajectoryColumns{"tick", "t",  "x",  "y",    "z",
                                                                        "vx",   "vy", "vz", "phase"};

/// Calls `out(const TrajectoryRow&)` for the rows tick `tick` adds: the launch's row
/// before tick 1's, then the tick's own. For a run's tick observer.
template <class Out>
void EmitTrajectoryRows(std::int64_t tick, const FlightState& st, Out&& out) {
  if (tick == 1) out(TrajectoryRow{0, 0.0, 0.0, 0.0, 0.0, st.launchVel[1], st.launchVel[2], st.launchVel[3]});
  out(TrajectoryRow{tick, static_cast<double>(tick) * st.dt, st.posNext[1], st.posNext[2], st.posNext[3],
                    st.velNext[1], st.velNext[2], st.velNext[3]});
}

/// The rows of a ball shot, `out(const BallTrajectoryRow&)`: row 0 the launch, then each
/// step's end at t = step × dt, then the landing point itself (at its own interpolated
/// time, row `ticks`); after it the bounces and the roll (FlyBall's points), the last
/// row the rest point.
template <class Out>
BallSummary FlyBallRows(const BallParams& p, Out&& out) {
  const BallLaunch l = LaunchBall(p);
  out(BallTrajectoryRow{{0, 0.0, 0.0, 0.0, 0.0, l.v[0], l.v[1], l.v[2]}, BallPhase::Flight});
  return FlyBall(p, [&out](std::int64_t step, const BallPoint& b) {
    out(BallTrajectoryRow{{step, b.t, b.p[0], b.p[1], b.p[2], b.v[0], b.v[1], b.v[2]}, b.phase});
  });
}

/// Flies `form` (at most `maxTicks` ticks, fewer once `stop` is requested) and keeps
/// every row.
std::vector<TrajectoryRow> FlyTrajectory(FlightForm form, std::int64_t maxTicks,
                                         const StopRequest* stop = nullptr);
/// Flies a ball shot (one BallParamsRefusal takes) and keeps every row.
std::vector<BallTrajectoryRow> FlyBallTrajectory(const BallParams& p);

}  // namespace vendrel
