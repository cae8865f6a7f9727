// The ground phase: bounces and roll to the rest point, on every surface, at its
// edges, and the tour averages rolled out on the default fairway.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "flight/ball_flight.h"
#include "flight/ball_ground.h"
#include "flight/ball_params.h"

namespace vendrel {
namespace {

constexpr double kYard = 0.9144;
constexpr double kMph = 0.44704;

BallParams Club(double mph, double angle, double rpm, std::string_view surface = "fairway") {
  BallParams p;
  p.speed = mph * kMph;
  p.angle = angle;
  p.totalSpin = rpm;
  EXPECT_TRUE(SetSurface(p, surface));
  return p;
}

bool SameGround(const BallParams& a, const BallParams& b) {
  return a.bounceE0 == b.bounceE0 && a.bounceE1 == b.bounceE1 && a.bounceE2 == b.bounceE2 &&
         a.friction == b.friction && a.crater == b.crater && a.rollResistance == b.rollResistance;
}

double Speed(const double* v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

TEST(BallGround, SurfacesAreNamedParameterSets) {
  BallParams p;
  const BallParams fairway = p;
  EXPECT_TRUE(SetSurface(p, "fairway"));  // the defaults are the fairway's
  EXPECT_TRUE(SameGround(p, fairway));
  EXPECT_TRUE(SetSurface(p, "green"));
  EXPECT_LT(p.rollResistance, fairway.rollResistance);
  const BallParams green = p;
  EXPECT_FALSE(SetSurface(p, "sand"));  // unknown: nothing changes
  EXPECT_TRUE(SameGround(p, green));
  for (std::string_view name : SurfaceNames()) {
    BallParams q;
    ASSERT_TRUE(SetSurface(q, name));
    EXPECT_EQ(BallParamsRefusal(q), "") << name;
  }
  // The restitution falls with the impact speed and then holds (the green's: Penner's fit).
  const BallGround g = GroundOf(green);
  EXPECT_DOUBLE_EQ(Restitution(g, 0.0), 0.510);
  double last = 2.0;
  for (double v = 0.0; v < 60.0; v += 0.5) {
    const double e = Restitution(g, v);
    EXPECT_LE(e, last) << v;
    EXPECT_GT(e, 0.11) << v;
    last = e;
  }
}

// Every surface, landing angles from 1 to 89 degrees, spins from -10,000 to 30,000
// rpm, fast and slow: the ball comes to rest, finite, in a bounded number of bounces,
// and no impact sends it off faster than it came (the top-spinning ball may speed up
// on the ground afterwards, as a real one does).
TEST(BallGround, EveryLandingComesToRestSoundly) {
  for (std::string_view name : SurfaceNames()) {
    BallParams p;
    SetSurface(p, name);
    const BallGround g = GroundOf(p);
    for (double angle = 1.0; angle <= 89.0; angle += 4.0) {
      for (double rpm = -10000.0; rpm <= 30000.0; rpm += 2500.0) {
        for (double speed : {0.3, 5.0, 20.0, 45.0, 80.0}) {
          for (double axis : {0.0, 30.0}) {  // back spin, then tilted for side spin
            SCOPED_TRACE(std::string(name) + " " + std::to_string(angle) + " deg " + std::to_string(rpm) +
                         " rpm " + std::to_string(speed) + " m/s axis " + std::to_string(axis));
            const double a = angle * M_PI / 180.0, t = axis * M_PI / 180.0;
            const double v[3] = {speed * std::cos(a), 0.0, -speed * std::sin(a)};
            const double u = g.radius * rpm * M_PI / 30.0;
            const double spin[3] = {0.0, -u * std::cos(t), u * std::sin(t)};
            double vb[3] = {v[0], v[1], v[2]}, sb[3] = {spin[0], spin[1], spin[2]};
            Bounce(g, vb, sb);
            EXPECT_LE(Speed(vb), Speed(v) * (1.0 + 1e-15));
            std::vector<GroundPiece> pieces;
            const double at[3] = {100.0, -3.0, 0.0};
            const GroundEnd end = RollOut(g, at, 5.0, v, spin, &pieces);
            ASSERT_TRUE(std::isfinite(end.rest[0]) && std::isfinite(end.rest[1]) && std::isfinite(end.time));
            EXPECT_LE(end.bounces, kMaxBounces);
            EXPECT_LE(pieces.size(), static_cast<std::size_t>(kMaxBounces + 2));
            EXPECT_GE(end.time, 5.0);
            // Its speed and its spin's, rolling against the least resistance, bound the
            // time it takes (the spin can drive a ball along the ground, either way).
            EXPECT_LT(end.time, 5.0 + 2.0 * (speed + std::fabs(u)) / g.rollDecel + 2.0 * speed / g.gravity * 32);
          }
        }
      }
    }
  }
}

// Constants the checks refuse (none, negative, not a number) still end at a finite rest.
TEST(BallGround, RefusedConstantsStillRestSoundly) {
  for (double bad : {0.0, -1.0, static_cast<double>(NAN)}) {
    for (double BallParams::*m : {&BallParams::friction, &BallParams::rollResistance, &BallParams::crater,
                                  &BallParams::bounceE0, &BallParams::gravity}) {
      BallParams p = Club(120, 16.3, 7097);
      p.*m = bad;
      const BallSummary s = FlyBall(p);
      if (s.end != FlightEnd::Ground) continue;  // gravity that never brings it down
      EXPECT_TRUE(std::isfinite(s.total) && std::isfinite(s.timeToRest)) << bad;
      EXPECT_LE(s.bounces, kMaxBounces);
    }
  }
}

TEST(BallGround, NoForwardSpeedStaysWhereItLands) {
  for (std::string_view name : SurfaceNames()) {
    BallParams p;
    SetSurface(p, name);
    const BallGround g = GroundOf(p);
    const double at[3] = {12.5, -0.75, 0.0};
    for (double fall : {0.0, 0.2, 3.0, 30.0}) {
      const double v[3] = {0.0, 0.0, -fall};
      const double spin[3] = {0.0, 0.0, 0.0};
      const GroundEnd end = RollOut(g, at, 1.0, v, spin);
      EXPECT_EQ(end.rest[0], 12.5) << name << fall;
      EXPECT_EQ(end.rest[1], -0.75) << name << fall;
    }
    // A shot straight up without spin, or at no speed at all, rests at the tee.
    for (double speed : {0.0, 20.0}) {
      BallParams up = p;
      up.speed = speed;
      up.angle = 90.0;
      up.totalSpin = 0.0;
      const BallSummary s = FlyBall(up);
      EXPECT_LT(s.total, 1e-9) << name;  // cos 90° is not quite 0: femtometres
    }
  }
}

// The driver of the tour averages, landing ever steeper as its launch rises: no angle
// loses the rollout all at once, and a landing of 30 to 40 degrees still rolls 10 yd.
TEST(BallGround, DriverRollsOutAtEveryLandingAngle) {
  double lastRoll = 1e9;
  for (double angle = 6.0; angle <= 20.0; angle += 0.5) {
    const BallSummary s = FlyBall(Club(167, angle, 2686));
    const double roll = s.roll / kYard;
    if (s.landingAngle >= 30.0 && s.landingAngle <= 40.0) {
      EXPECT_GE(roll, 10.0) << s.landingAngle;
    }
    if (lastRoll < 1e8) {
      EXPECT_GT(roll, lastRoll - 10.0) << "a cliff at " << s.landingAngle << " deg";
    }
    lastRoll = roll;
  }
}

// Rows of the trajectory go on through the bounces and the roll, in time order, each
// with its phase, and end at the rest point.
TEST(BallGround, TrajectoryCarriesEveryPhaseToTheRest) {
  std::vector<BallPoint> rows;
  std::vector<std::int64_t> steps;
  const BallSummary s = FlyBall(BallParams{}, [&](std::int64_t step, const BallPoint& q) {
    rows.push_back(q);
    steps.push_back(step);
  });
  ASSERT_GT(rows.size(), static_cast<std::size_t>(s.ticks));
  int seen[3] = {0, 0, 0};
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_LE(rows[i - 1].t, rows[i].t) << i;
    EXPECT_LT(steps[i - 1], steps[i]) << i;
    EXPECT_GE(static_cast<int>(rows[i].phase), static_cast<int>(rows[i - 1].phase)) << i;
    EXPECT_GE(rows[i].p[2], 0.0);
    ++seen[static_cast<int>(rows[i].phase)];
  }
  EXPECT_GT(seen[0], 0);
  EXPECT_EQ(seen[1] > 0, s.bounces > 0);
  EXPECT_EQ(BallPhaseName(rows.back().phase), "roll");
  EXPECT_GT(seen[2], 0);
  EXPECT_EQ(rows.back().p[0], s.rest[0]);
  EXPECT_EQ(rows.back().p[1], s.rest[1]);
  EXPECT_EQ(rows.back().t, s.timeToRest);
  // The same summary with or without an observer; the flight alone stops at the landing.
  const BallSummary quiet = FlyBall(BallParams{});
  EXPECT_EQ(quiet.total, s.total);
  EXPECT_EQ(quiet.timeToRest, s.timeToRest);
  const BallSummary air = FlyBallInAir(BallParams{});
  EXPECT_EQ(air.distance, s.distance);
  EXPECT_EQ(air.total, air.distance);
  EXPECT_EQ(air.roll, 0.0);
}

// Three shots' rests pinned to the bit, on each surface: the same on gcc, clang and
// emscripten when they were taken.
TEST(BallGround, PinnedRests) {
  BallParams a, b, c;
  b.speed = 53.6448;
  b.angle = 16.3;
  b.totalSpin = 7097;
  b.spinAxis = -4;
  b.windSpeed = 6;
  b.windDirection = 135;
  SetSurface(b, "rough");
  c.spinAsComponents = true;
  c.backSpin = 9304;
  c.sideSpin = -800;
  c.speed = 45.6;
  c.angle = 24.2;
  c.direction = -3;
  SetSurface(c, "green");
  struct Want { double total, x, y, time; std::int64_t bounces; };
  const Want want[] = {
      {0x1.0ba1849c06521p+8, 0x1.0ba1849c06521p+8, 0x0p+0, 0x1.34ccb6f9973c5p+3, 3},
      {0x1.4d3b0eed70293p+7, 0x1.4babc2d0384dp+7, -0x1.01a159f6e824ap+4, 0x1.a08ff4269f735p+2, 1},
      {0x1.ece30f5655c7dp+6, 0x1.eaca7a279f36ap+6, -0x1.6b41f77b812e9p+3, 0x1.c55775f8d6f9ap+2, 3},
  };
  const BallParams shots[] = {a, b, c};
  for (int i = 0; i < 3; ++i) {
    const BallSummary s = FlyBall(shots[i]);
    EXPECT_EQ(s.total, want[i].total) << i;
    EXPECT_EQ(s.rest[0], want[i].x) << i;
    EXPECT_EQ(s.rest[1], want[i].y) << i;
    EXPECT_EQ(s.timeToRest, want[i].time) << i;
    EXPECT_EQ(s.bounces, want[i].bounces) << i;
  }
}

struct TourTotal {
  std::string name;
  double speed, angle, spin, carry, total;
};

std::vector<TourTotal> TourTotals() {
  std::ifstream in(VENDREL_SOURCE_DIR "/docs/examples/tour-totals.csv");
  std::vector<TourTotal> rows;
  std::string line;
  std::getline(in, line);  // the source
  std::getline(in, line);  // the columns
  while (std::getline(in, line)) {
    for (char& c : line) c = c == ',' ? ' ' : c;
    std::istringstream row(line);
    TourTotal t;
    row >> t.name >> t.speed >> t.angle >> t.spin >> t.carry >> t.total;
    rows.push_back(t);
  }
  return rows;
}

// The tour averages' driver, 7-iron and PW on the default fairway roll out to their
// totals within 5 yd.
TEST(BallGround, TourTotalsOnTheDefaultFairway) {
  const std::vector<TourTotal> totals = TourTotals();
  ASSERT_EQ(totals.size(), 3u);
  std::printf("club     carry   roll  total (target, err)  bounces  time to rest\n");
  for (int i = 0; i < 3; ++i) {
    const BallSummary s = FlyBall(Club(totals[i].speed, totals[i].angle, totals[i].spin));
    const double total = s.total / kYard;
    std::printf("%-8s %5.1f %6.1f %6.1f (%3.0f, %+5.1f) %4lld %8.2f s\n", totals[i].name.c_str(), s.distance / kYard,
                s.roll / kYard, total, totals[i].total, total - totals[i].total,
                static_cast<long long>(s.bounces), s.timeToRest);
    EXPECT_NEAR(total, totals[i].total, 5.0) << totals[i].name;
  }
}

// A 9,000 rpm wedge on the green: it checks within a few yards of its landing.
TEST(BallGround, SpinningWedgeStopsOnTheGreen) {
  BallParams p = Club(102, 24.2, 9000, "green");
  const BallSummary s = FlyBall(p);
  std::printf("wedge on the green: carry %.1f yd, roll %+.1f yd, %lld bounces\n", s.distance / kYard,
              s.roll / kYard, static_cast<long long>(s.bounces));
  EXPECT_LT(std::fabs(s.roll / kYard), 3.0);
  // Back spin holds the ball: without it the same landing runs on farther.
  p.totalSpin = 0.0;
  EXPECT_GT(FlyBall(p).roll, s.roll);
}

}  // namespace
}  // namespace vendrel
