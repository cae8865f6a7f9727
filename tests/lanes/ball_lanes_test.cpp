// Ball shots in the lanes come out exactly as FlyBall gives them, ground phase
// included, on every path, calm and windy shots mixed, whatever the thread count.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "flight/ball_flight.h"

namespace vendrel {
namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

::testing::AssertionResult Same(const BallSummary& a, const BallSummary& b) {
  const double x[] = {a.distance, a.apex, a.carry, a.landingAngle, a.flightTime, a.lateral,
                      a.landing[1], a.landing[2], a.landing[3], a.total, a.roll, a.rest[0], a.rest[1],
                      a.timeToRest};
  const double y[] = {b.distance, b.apex, b.carry, b.landingAngle, b.flightTime, b.lateral,
                      b.landing[1], b.landing[2], b.landing[3], b.total, b.roll, b.rest[0], b.rest[1],
                      b.timeToRest};
  for (std::size_t i = 0; i < std::size(x); ++i) {
    if (!SameBits(x[i], y[i]))
      return ::testing::AssertionFailure() << "value " << i << ": " << x[i] << " vs " << y[i];
  }
  if (a.ticks != b.ticks || a.end != b.end || a.carryChanged != b.carryChanged || a.bounces != b.bounces)
    return ::testing::AssertionFailure() << "ticks " << a.ticks << " vs " << b.ticks;
  return ::testing::AssertionSuccess();
}

std::vector<BallParams> MixedShots(int n) {
  std::mt19937_64 gen(19);
  auto in = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(gen); };
  std::vector<BallParams> shots;
  for (int i = 0; i < n; ++i) {
    BallParams p;
    p.speed = in(5, 90);
    p.angle = in(0, 60);
    p.direction = in(-20, 20);
    p.totalSpin = i % 11 == 0 ? 0.0 : in(0, 12000);
    p.spinAxis = in(-40, 40);
    p.spinAsComponents = i % 5 == 0;
    p.backSpin = in(-3000, 9000);
    p.sideSpin = in(-2000, 2000);
    p.temperature = in(-10, 40);
    p.altitude = in(0, 2500);
    p.humidity = in(0, 100);
    p.windSpeed = i % 3 == 0 ? 0.0 : in(0, 20);
    p.windDirection = in(0, 360);
    p.dt = i % 7 == 0 ? 0.01 : 0.05;
    SetSurface(p, SurfaceNames()[static_cast<std::size_t>(i) % SurfaceNames().size()]);
    if (i % 4 == 0) p.crater = in(0, 40);  // the ground phase's own constants too
    shots.push_back(p);
  }
  return shots;
}

TEST(BallLanes, EveryPathGivesTheSingleFlightsBits) {
  const std::vector<BallParams> shots = MixedShots(500);
  std::vector<BallSummary> single;
  for (const BallParams& p : shots) single.push_back(FlyBall(p));
  for (LanePath path : {LanePath::Scalar, LanePath::Avx2, LanePath::Avx512}) {
    if (!LanePathAvailable(path)) continue;
    SCOPED_TRACE(LanePathName(path));
    for (int threads : {1, 2}) {
      const std::vector<BallSummary> lanes = FlyBallsParallel(shots, threads, path);
      ASSERT_EQ(lanes.size(), shots.size());
      int wrong = 0;
      for (std::size_t i = 0; i < shots.size(); ++i) {
        const auto r = Same(lanes[i], single[i]);
        if (!r && ++wrong <= 5) ADD_FAILURE() << "shot " << i << ": " << r.message();
      }
    }
    // The flights alone, without their bounces and roll.
    const std::vector<BallSummary> air = FlyBallsParallel(shots, 1, path, false);
    for (std::size_t i = 0; i < shots.size(); i += 7) EXPECT_TRUE(Same(air[i], FlyBallInAir(shots[i]))) << i;
  }
}

TEST(BallLanes, PreparedLaunchesOnTheCallingThread) {
  const std::vector<BallParams> shots = MixedShots(60);
  std::vector<BallLaunch> launches;
  for (const BallParams& p : shots) launches.push_back(LaunchBall(p));
  std::vector<int> seen(shots.size(), 0);
  FlyBallsInLanes(BestLanePath(), launches, [&](std::size_t i, const BallSummary& s) {
    ++seen[i];
    EXPECT_TRUE(Same(s, FlyBall(shots[i]))) << i;
  });
  for (int n : seen) EXPECT_EQ(n, 1);
}

TEST(BallLanes, FewerShotsThanLanesAndNone) {
  EXPECT_TRUE(FlyBallsParallel({}, 2).empty());
  const std::vector<BallParams> one(1);
  const std::vector<BallSummary> out = FlyBallsParallel(one, 2);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(Same(out[0], FlyBall(one[0])));
}

}  // namespace
}  // namespace vendrel
