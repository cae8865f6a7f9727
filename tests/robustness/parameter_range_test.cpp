// Every combination of the nine parameters at their minimum, maximum and default ends
// in a defined way, and drawing its last segment is safe.
#include <chrono>
#include <array>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "flight/ball_flight.h"
#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "platform/gdi.h"
#include "ui/trajectory_view.h"

namespace vendrel {
namespace {

TEST(ParameterRange, EveryCornerEndsInADefinedWay) {
  const auto fields = ParametersOf(Model::Form);
  constexpr int kCombinations = 19683;  // 3^9
  constexpr std::int64_t kTickBound = 1000;
  PixelBuffer surface = MakeSurface(view::kClientWidth, view::kClientHeight);
  CDC dc(&surface);
  CPen pen;
  view::CreateLinePen(pen);
  dc.SelectObject(&pen);

  int ends[3] = {0, 0, 0};
  for (int combo = 0; combo < kCombinations; ++combo) {
    FlightForm form = DefaultForm();
    int rest = combo;
    for (const Parameter& f : fields) {
      const double choices[3] = {f.min, f.max, f.defaultValue};
      form.*(f.form) = choices[rest % 3];
      rest /= 3;
    }
    const FlightOutcome out = RunFlight(form, kTickBound);
    ++ends[static_cast<int>(out.end)];
    const double z = out.landing[3];
    switch (out.end) {
      case FlightEnd::Ground:
        ASSERT_LT(z, 0.0) << combo;
        ASSERT_GE(out.ticks, 2) << "the first tick never lands: " << combo;
        break;
      case FlightEnd::NotANumber:
        ASSERT_TRUE(std::isnan(z)) << combo;
        break;
      case FlightEnd::MaxTicks:
        ASSERT_EQ(out.ticks, kTickBound) << combo;
        ASSERT_GE(z, 0.0) << combo;
        break;
    }
    if (out.carryChanged) {
      ASSERT_TRUE(std::isfinite(out.carry)) << combo;
      ASSERT_EQ(out.carry, std::trunc(out.carry)) << combo;
      ASSERT_GE(out.carry, 0.0) << combo;
    }
    view::DrawAxes(dc);
    view::DrawSegment(dc, out.state.pos, out.state.posNext);
  }
  // All three endings occur over the corners.
  EXPECT_GT(ends[0], 0);
  EXPECT_GT(ends[1], 0);
  EXPECT_GT(ends[2], 0);
}

}  // namespace
}  // namespace vendrel

namespace vendrel {
namespace {

// What every ball flight the front ends take must come to: a finite landing on the
// ground (or the time bound, in the air), a landing angle between level and straight
// down. Returns false for a shot they refuse.
bool ExpectBallFlightSound(const BallParams& p, const std::string& what) {
  EXPECT_EQ(BallParamsRefusal(p), "") << what;  // every value in its range
  if (!BallShotRefusal(p).empty()) return false;
  const BallSummary s = FlyBall(p);
  EXPECT_TRUE(std::isfinite(s.distance) && std::isfinite(s.apex) && std::isfinite(s.lateral)) << what;
  EXPECT_TRUE(std::isfinite(s.landingAngle) && std::isfinite(s.flightTime)) << what;
  EXPECT_LE(s.flightTime, kBallMaxFlightSeconds + p.dt) << what;
  if (s.end == FlightEnd::Ground) {
    EXPECT_EQ(s.landing[3], 0.0) << what;
    EXPECT_GE(s.landingAngle, 0.0) << what;
    EXPECT_LE(s.landingAngle, 90.0) << what;
  } else {
    EXPECT_EQ(s.end, FlightEnd::MaxTicks) << what;  // never NaN
  }
  // No side to the spin, no wind, no direction: not a hair to either side.
  if (p.spinAxis == 0.0 && p.sideSpin == 0.0 && p.windSpeed == 0.0 && p.direction == 0.0) {
    EXPECT_EQ(s.lateral, 0.0) << what;
  }
  return true;
}

TEST(ParameterRange, EveryBallRowAtItsEndsFliesSoundlyOrIsRefused) {
  int refused = 0;
  for (const Parameter& row : ParametersOf(Model::Ball)) {
    for (const double v : {row.Min(Model::Ball), row.Max(Model::Ball)}) {
      BallParams p;
      ValueIn(p, row) = v;
      p.spinAsComponents = row.ball == &BallParams::backSpin || row.ball == &BallParams::sideSpin;
      refused += ExpectBallFlightSound(p, std::string(row.key) + " = " + std::to_string(v)) ? 0 : 1;
    }
  }
  // Drag below zero at some spin ratio: cd0 = -10, cd1 = -10, cd2 = -10, and a cap of
  // 10 that takes the default quadratic below zero; and the default step, too coarse
  // to stay stable for a 1 g ball or a 200 mm one.
  EXPECT_EQ(refused, 6);
  BallParams gaining;
  gaining.cd0 = -0.01;
  EXPECT_EQ(BallShotRefusal(gaining),
            "--cd0/--cd1/--cd2: the drag coefficient must not fall below 0 up to the spin ratio cap (it is -0.01 at "
            "spin ratio 0)");
  gaining = BallParams{};
  gaining.cd1 = 0.0;
  gaining.cd2 = 1.0;
  gaining.cd0 = 0.0;
  EXPECT_EQ(BallShotRefusal(gaining), "");  // a minimum of exactly 0 at S = 0 is taken
}

TEST(ParameterRange, EveryBallLaunchAndWindCornerFliesSoundly) {
  const auto ends = [](double BallParams::*m) {
    const Parameter& row = *FindByKey(Model::Ball, [m] {
      for (const Parameter& r : ParametersOf(Model::Ball)) {
        if (r.ball == m) return r.key;
      }
      return std::string_view();
    }());
    return std::array<double, 3>{row.Min(Model::Ball), row.Max(Model::Ball), row.Default(Model::Ball)};
  };
  const auto speeds = ends(&BallParams::speed), angles = ends(&BallParams::angle),
             spins = ends(&BallParams::totalSpin), axes = ends(&BallParams::spinAxis),
             winds = ends(&BallParams::windSpeed);
  int flights = 0;
  for (double speed : speeds)
    for (double angle : angles)
      for (double spin : spins)
        for (double axis : axes)
          for (double wind : winds)
            for (double from : {0.0, 90.0, 180.0}) {
              BallParams p;
              p.speed = speed;
              p.angle = angle;
              p.totalSpin = spin;
              p.spinAxis = axis;
              p.windSpeed = wind;
              p.windDirection = from;
              EXPECT_TRUE(ExpectBallFlightSound(p, "corner " + std::to_string(flights)));
              ++flights;
            }
  EXPECT_EQ(flights, 729);
}

}  // namespace
}  // namespace vendrel
