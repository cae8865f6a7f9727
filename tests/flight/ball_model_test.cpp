// The ball model: its air, its edges, its convergence, and every club of the tour
// averages flown with the default constants.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "flight/ball_flight.h"
#include "flight/ball_landing.h"
#include "flight/lanes.h"
#include "flight/parameters.h"
#include "flight/ball_params.h"

namespace vendrel {
namespace {

constexpr double kYard = 0.9144;
constexpr double kMph = 0.44704;

TEST(BallAir, DensityMatchesTheStandardAtmosphereAndSteamTables) {
  // ISO 2533 standard atmosphere: pressure (hPa) and density (kg/m³) at the standard
  // temperature of each altitude.
  struct Row { double altitude, temperature, pressure, density; };
  for (const Row& r : {Row{0, 15.0, 1013.25, 1.2250}, Row{1000, 8.5, 898.76, 1.1117},
                       Row{2000, 2.0, 795.01, 1.0066}, Row{3000, -4.5, 701.21, 0.90925}}) {
    SCOPED_TRACE(r.altitude);
    EXPECT_NEAR(StandardPressure(r.altitude), r.pressure, 0.01);
    EXPECT_NEAR(AirDensity(r.temperature, StandardPressure(r.altitude), 0.0), r.density, 1e-4);
  }
  // Saturation vapour pressure over water (hPa), from steam tables.
  EXPECT_NEAR(SaturationVapourPressure(0.01), 6.117, 0.005);
  EXPECT_NEAR(SaturationVapourPressure(20.0), 23.39, 0.02);
  EXPECT_NEAR(SaturationVapourPressure(30.0), 42.47, 0.05);
  // Water vapour is lighter than the dry air it replaces: saturated air at 30 °C is
  // about 1.6 % lighter.
  const double dry = AirDensity(30.0, 1013.25, 0.0), wet = AirDensity(30.0, 1013.25, 100.0);
  EXPECT_NEAR(wet / dry, 0.984, 0.002);
}

BallParams Club(double mph, double angle, double spin) {
  BallParams p;
  p.speed = mph * kMph;
  p.angle = angle;
  p.totalSpin = spin;
  return p;
}

TEST(BallModel, SpinEdgesGiveNoLiftNoNaNAndNoStrayLateral) {
  // No spin: no lift at all (the constant lift term included), whatever its direction.
  BallParams still = Club(120, 16.3, 0);
  BallParams noLift = still;
  noLift.cl0 = noLift.cl1 = noLift.cl2 = 0.0;
  const BallSummary a = FlyBall(still), b = FlyBall(noLift);
  EXPECT_EQ(a.end, FlightEnd::Ground);
  EXPECT_EQ(a.distance, b.distance);
  EXPECT_EQ(a.apex, b.apex);
  EXPECT_FALSE(std::isnan(a.landingAngle));
  // Spin axis 0 in calm air: exactly straight, also in the back and side form.
  const BallSummary straight = FlyBall(Club(167, 10.9, 2686));
  EXPECT_EQ(straight.lateral, 0.0);
  BallParams parts = Club(167, 10.9, 0);
  parts.spinAsComponents = true;
  parts.backSpin = 2686;
  const BallSummary fromParts = FlyBall(parts);
  EXPECT_EQ(fromParts.distance, straight.distance);
  EXPECT_EQ(fromParts.lateral, 0.0);
  // A positive axis, or positive side spin, curves right; the two forms agree.
  BallParams tilted = Club(167, 10.9, 2686);
  tilted.spinAxis = 10.0;
  parts.backSpin = 2686 * std::cos(10.0 / 180 * M_PI);
  parts.sideSpin = 2686 * std::sin(10.0 / 180 * M_PI);
  const BallSummary right = FlyBall(tilted), rightParts = FlyBall(parts);
  EXPECT_GT(right.lateral, 10.0);
  EXPECT_NEAR(rightParts.lateral, right.lateral, 1e-6);
  tilted.spinAxis = -10.0;
  EXPECT_EQ(FlyBall(tilted).lateral, -right.lateral);
  // A direction to the right starts the ball right and the spin axis turns with it.
  BallParams aimed = Club(167, 10.9, 2686);
  aimed.direction = 5.0;
  const BallSummary aimedOut = FlyBall(aimed);
  EXPECT_NEAR(aimedOut.distance, straight.distance, 1e-6);
  EXPECT_NEAR(std::atan2(aimedOut.lateral, aimedOut.landing[1]) * 180 / M_PI, 5.0, 1e-9);
}

TEST(BallModel, ValuesTheChecksWouldRefuseStillEndSoundly) {
  // The front ends refuse these first; the model itself must still neither hang nor
  // run into undefined behaviour.
  BallParams p;
  p.dt = 0.0;
  EXPECT_EQ(FlyBall(p).ticks, 1);
  p = BallParams{};
  p.speed = NAN;
  EXPECT_EQ(FlyBall(p).end, FlightEnd::NotANumber);
  p = BallParams{};
  p.speed = 0.0;  // dropped from the tee: lands at once, where it was
  const BallSummary s = FlyBall(p);
  EXPECT_EQ(s.end, FlightEnd::Ground);
  EXPECT_EQ(s.distance, 0.0);
  EXPECT_FALSE(s.carryChanged);
  EXPECT_FALSE(std::isnan(s.landingAngle));
}

TEST(BallModel, WindPushesTheRightWayAndEveryWindEnds) {
  const BallParams calm = Club(120, 16.3, 7097);
  const double carry = FlyBall(calm).distance;
  auto with = [&](double speed, double from) {
    BallParams p = calm;
    p.windSpeed = speed;
    p.windDirection = from;
    return FlyBall(p);
  };
  EXPECT_LT(with(4.4704, 0).distance, carry - 5.0);    // head wind
  EXPECT_GT(with(4.4704, 180).distance, carry + 3.0);  // tail wind
  EXPECT_LT(with(4.4704, 90).lateral, -3.0);           // from the right: blown left
  EXPECT_GT(with(4.4704, 270).lateral, 3.0);
  // The strongest wind from every side, with the most spin and the slowest and fastest
  // launches: finite, and ended within the flight-time bound.
  for (double from = 0; from < 360; from += 22.5) {
    for (double speed : {1.0, 120.0}) {
      BallParams p = Club(speed / kMph, 45.0, 20000);
      p.windSpeed = 50.0;
      p.windDirection = from;
      const BallSummary s = FlyBall(p);
      SCOPED_TRACE(from);
      EXPECT_NE(s.end, FlightEnd::NotANumber);
      EXPECT_TRUE(std::isfinite(s.distance) && std::isfinite(s.apex) && std::isfinite(s.flightTime));
      EXPECT_LE(s.flightTime, kBallMaxFlightSeconds);
    }
  }
}

TEST(BallModel, DefaultStepIsConvergedAndTheLandingLiesOnTheGround) {
  for (double wind : {0.0, 4.4704}) {
    for (const BallParams& club : {Club(167, 10.9, 2686), Club(120, 16.3, 7097), Club(102, 24.2, 9304)}) {
      BallParams p = club, half = club;
      p.windSpeed = half.windSpeed = wind;
      p.windDirection = half.windDirection = 45.0;
      half.dt = p.dt / 2.0;
      const BallSummary a = FlyBall(p), b = FlyBall(half);
      EXPECT_LT(std::fabs(a.distance - b.distance), 0.1 * kYard * 0.1);
      EXPECT_LT(std::fabs(a.landingAngle - b.landingAngle), 0.01);
      EXPECT_LT(std::fabs(a.flightTime - b.flightTime), 0.001);
      EXPECT_EQ(a.landing[3], 0.0);
    }
  }
  // The observer of the flight alone sees every step in the air, then the landing itself.
  std::vector<BallPoint> points;
  const BallSummary s = FlyBallInAir(Club(120, 16.3, 7097), [&](std::int64_t step, const BallPoint& pt) {
    EXPECT_EQ(step, static_cast<std::int64_t>(points.size()) + 1);
    points.push_back(pt);
  });
  ASSERT_EQ(static_cast<std::int64_t>(points.size()), s.ticks);
  for (std::size_t i = 0; i + 1 < points.size(); ++i) EXPECT_GE(points[i].p[2], 0.0);
  EXPECT_EQ(points.back().p[0], s.landing[1]);
  EXPECT_EQ(points.back().t, s.flightTime);
  EXPECT_LT(points.back().v[2], 0.0);
}

// Three flights pinned to the bit: the same on gcc, clang and emscripten when they were
// taken; any change to the model's arithmetic or its order shows here first.
// The landing's halvings are taken all at once from a forecast and checked: whatever
// the cubic inside the last step (one crossing or three, steep or grazing, tiny or
// huge), the point is the one sixty plain halvings give, for one landing and for a
// batch of them in each instruction set's registers.
TEST(BallModel, LandingIsThePlainHalvingsPoint) {
  std::vector<std::pair<LanePath, landing::Batcher>> batchers;
  for (LanePath path : {LanePath::Avx2, LanePath::Avx512}) {
    if (landing::BatcherFor(path)) batchers.emplace_back(path, landing::BatcherFor(path));
  }
  landing::Batch batch{};
  double plain[landing::kBatch];
  std::mt19937_64 gen(20);
  auto in = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(gen); };
  for (int n = 0; n < 20000; ++n) {
    const double scale = std::pow(10.0, in(-6.0, 4.0));
    const double dt = n % 3 == 0 ? 0.01 : 0.05;
    double p0[3] = {in(0, 300), in(-30, 30), n % 17 == 0 ? 0.0 : in(0, 1) * scale};
    double p1[3] = {in(0, 300), in(-30, 30), -in(0, 1) * scale};
    double v0[3] = {in(-60, 60), in(-9, 9), in(-2, 2) * scale / dt * (n % 2 ? 1.0 : 30.0)};
    double v1[3] = {in(-60, 60), in(-9, 9), in(-2, 2) * scale / dt * (n % 5 ? 1.0 : 30.0)};
    // The plain loop on the same cubic (ball_flight.cpp's Hermite, height alone).
    auto z = [&](double s) {
      const double t = 1.0 - s;
      return ((1.0 + 2.0 * s) * t * t) * p0[2] + (s * t * t) * (dt * v0[2]) +
             (s * s * (3.0 - 2.0 * s)) * p1[2] + (s * s * (s - 1.0)) * (dt * v1[2]);
    };
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 60; ++i) {
      const double mid = (lo + hi) / 2.0;
      (z(mid) >= 0.0 ? lo : hi) = mid;
    }
    const BallSummary s = FinishBall(p0, v0, p1, v1, dt, 10, 0.0, FlightEnd::Ground);
    const double t = 1.0 - lo;
    const double x = ((1.0 + 2.0 * lo) * t * t) * p0[0] + (lo * t * t) * (dt * v0[0]) +
                     (lo * lo * (3.0 - 2.0 * lo)) * p1[0] + (lo * lo * (lo - 1.0)) * (dt * v1[0]);
    ASSERT_EQ(s.flightTime, (9.0 + lo) * dt) << n;
    ASSERT_EQ(s.landing[1], x) << n;
    const int slot = n % landing::kBatch;
    for (int k = 0; k < 3; ++k) {
      batch.p0[k][slot] = p0[k];
      batch.v0[k][slot] = v0[k];
      batch.p1[k][slot] = p1[k];
      batch.v1[k][slot] = v1[k];
    }
    batch.dt[slot] = dt;
    plain[slot] = lo;
    if (slot + 1 < landing::kBatch) continue;
    for (const auto& [path, batcher] : batchers) {
      batcher(batch);
      for (int i = 0; i < landing::kBatch; ++i) ASSERT_EQ(batch.frac[i], plain[i]) << LanePathName(path) << " " << n;
    }
  }
}

// A thread keeps the last shot's air, spin decay and angles: a shot that differs from
// the one before in any of their inputs alone flies as it does on a fresh thread.
TEST(BallModel, KeptLaunchValuesFollowEveryInput) {
  const BallParams base;
  std::vector<BallParams> changed;
  for (double BallParams::*field : {&BallParams::temperature, &BallParams::pressure, &BallParams::altitude,
                                    &BallParams::humidity, &BallParams::spinDecay, &BallParams::dt,
                                    &BallParams::direction, &BallParams::spinAxis, &BallParams::windDirection}) {
    BallParams p = base;
    p.windSpeed = 4.0;
    p.*field = field == &BallParams::pressure ? 900.0 : field == &BallParams::dt ? 0.02 : p.*field + 7.0;
    changed.push_back(p);
  }
  for (const BallParams& p : changed) {
    BallSummary fresh;
    std::thread([&] { fresh = FlyBall(p); }).join();
    BallParams before = base;
    before.windSpeed = 4.0;
    FlyBall(before);
    const BallSummary warm = FlyBall(p);
    EXPECT_EQ(warm.distance, fresh.distance);
    EXPECT_EQ(warm.lateral, fresh.lateral);
    EXPECT_EQ(warm.total, fresh.total);
  }
}

TEST(BallModel, PinnedFlights) {
  BallParams a;
  BallParams b;
  b.speed = 53.6448;
  b.angle = 16.3;
  b.totalSpin = 7097;
  b.spinAxis = -4;
  b.windSpeed = 6;
  b.windDirection = 135;
  b.altitude = 1600;
  b.temperature = 28;
  b.humidity = 60;
  BallParams c;
  c.spinAsComponents = true;
  c.backSpin = 9304;
  c.sideSpin = -800;
  c.speed = 45.6;
  c.angle = 24.2;
  c.direction = -3;
  c.pressure = 990;
  c.dt = 0.01;
  struct Want { double distance, apex, landingAngle, flightTime, lateral; std::int64_t ticks; };
  const Want want[] = {
      {0x1.ee588334d2664p+7, 0x1.d8cb612639bc2p+4, 0x1.31acef24fcce9p+5, 0x1.ae9d5316a0724p+2, 0x0p+0, 135},
      {0x1.5fb2376170a32p+7, 0x1.7b20d64100e39p+4, 0x1.1109eb3f43275p+5, 0x1.62848380d7afcp+2, -0x1.ad093001663f9p+3, 111},
      {0x1.f17bf7f81decfp+6, 0x1.c6e270ae1447ap+4, 0x1.867ec9b9db1d7p+5, 0x1.68d7f057e049cp+2, -0x1.65cf7a8e435edp+3, 564},
  };
  const BallParams shots[] = {a, b, c};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const BallSummary s = FlyBall(shots[i]);
    EXPECT_EQ(s.distance, want[i].distance);
    EXPECT_EQ(s.apex, want[i].apex);
    EXPECT_EQ(s.landingAngle, want[i].landingAngle);
    EXPECT_EQ(s.flightTime, want[i].flightTime);
    EXPECT_EQ(s.lateral, want[i].lateral);
    EXPECT_EQ(s.ticks, want[i].ticks);
  }
}

TEST(BallParams, RefusalsUseTheFormsWording) {
  BallParams p;
  EXPECT_EQ(BallParamsRefusal(p), "");
  p.spinAxis = 185;
  EXPECT_EQ(BallParamsRefusal(p), "--spin-axis: '185' is out of range (allowed: -180 to 180)");
  EXPECT_EQ(BallParamsRefusal(p, true), "spin_axis: '185' is out of range (allowed: -180 to 180)");
  p = BallParams{};
  p.humidity = NAN;
  EXPECT_EQ(BallParamsRefusal(p), "--humidity: 'nan' is not a number (allowed: 0 to 100)");
  p = BallParams{};
  p.pressure = 1013.25;
  EXPECT_EQ(BallParamsRefusal(p), "");
  p.pressure = 200;
  EXPECT_EQ(BallParamsRefusal(p), "--pressure: '200' is out of range (allowed: 300 to 1100)");
  EXPECT_EQ(SpinFormRefusal(true, false), "");
  EXPECT_NE(SpinFormRefusal(true, true), "");
  // A step too coarse for a big, draggy ball in a gale blew the flight up to an
  // infinite "landing": refused, while a real ball flies at the largest step.
  p = BallParams{};
  p.dt = 0.1;
  p.windSpeed = 50;
  EXPECT_EQ(BallShotRefusal(p), "");
  p.diameter = 191;
  p.cd0 = 9;
  p.windSpeed = 47;
  p.dt = 0.095;
  EXPECT_EQ(BallShotRefusal(p).rfind("--dt: '0.095' is too coarse a step for this ball's drag and lift", 0), 0u)
      << BallShotRefusal(p);
  // Every parameter's default is in its range, and keys and options are unique.
  // The record's defaults are the table's.
  for (const Parameter& row : ParametersOf(Model::Ball)) {
    EXPECT_EQ(FindByKey(Model::Ball, row.key), &row);
    EXPECT_EQ(FindByOption(Model::Ball, row.option), &row);
    const double d = ValueIn(BallParams{}, row);
    if (std::isnan(row.Default(Model::Ball))) {
      EXPECT_TRUE(std::isnan(d)) << row.key;
    } else {
      EXPECT_TRUE(d >= row.Min(Model::Ball) && d <= row.Max(Model::Ball)) << row.key;
      EXPECT_EQ(d, row.Default(Model::Ball)) << row.key;
    }
  }
}

// The published averages and landing angles, read from the example file.
struct TourClub {
  std::string name;
  double speed, angle, spin, carry, apex, landing;
};

std::vector<TourClub> TourAverages(const std::string& file = "tour-averages.csv") {
  std::string path = VENDREL_SOURCE_DIR "/docs/examples/";
  path += file;  // appended: gcc 12 -O3 warns falsely (-Wrestrict) about literal + string
  std::ifstream in(path);
  std::vector<TourClub> clubs;
  std::string line;
  std::getline(in, line);  // the source
  std::getline(in, line);  // the columns
  while (std::getline(in, line)) {
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream row(line);
    TourClub c;
    row >> c.name >> c.speed >> c.angle >> c.spin >> c.carry >> c.apex >> c.landing;
    clubs.push_back(c);
  }
  return clubs;
}

// Flies every club of a table with the default constants, prints each against its
// published figures, and holds it within the bands given; the carries' RMS error in yd.
struct Bands {
  double carry, apex, landing;
};
double FlyTable(const std::vector<TourClub>& clubs, Bands within) {
  double sq = 0.0;
  std::printf("club     carry yd (meas, err)  apex yd (meas, err)  landing deg (meas, err)\n");
  for (const TourClub& c : clubs) {
    const BallSummary s = FlyBall(Club(c.speed, c.angle, c.spin));
    const double carry = s.distance / kYard, apex = s.apex / kYard;
    std::printf("%-8s %6.1f (%3.0f, %+5.1f)  %5.1f (%2.0f, %+4.1f)  %5.1f (%2.0f, %+5.1f)\n",
                c.name.c_str(), carry, c.carry, carry - c.carry, apex, c.apex, apex - c.apex,
                s.landingAngle, c.landing, s.landingAngle - c.landing);
    sq += (carry - c.carry) * (carry - c.carry);
    EXPECT_NEAR(carry, c.carry, within.carry) << c.name;
    EXPECT_NEAR(apex, c.apex, within.apex) << c.name;
    EXPECT_NEAR(s.landingAngle, c.landing, within.landing) << c.name;
  }
  const double rms = std::sqrt(sq / static_cast<double>(clubs.size()));
  std::printf("carry RMS %.2f yd\n", rms);
  return rms;
}

// Carry within 5 yd and apex within 3 yd of every club; landing angles within the 8
// degrees reached (the long irons land too shallow: README says why).
TEST(BallModel, TourAveragesWithTheDefaultConstants) {
  const std::vector<TourClub> clubs = TourAverages();
  ASSERT_EQ(clubs.size(), 12u);
  EXPECT_LE(FlyTable(clubs, {5.0, 3.0, 8.0}), 3.0);
}

// The slower swings of the LPGA Tour's averages, which the defaults were not fitted to:
// looser bands, the figures README shows, so that a change of the defaults that only
// suits the faster table shows here.
TEST(BallModel, SlowerSwingsOfTheLpgaTour) {
  const std::vector<TourClub> clubs = TourAverages("lpga-averages.csv");
  ASSERT_EQ(clubs.size(), 11u);
  EXPECT_LE(FlyTable(clubs, {8.0, 5.5, 11.0}), 3.5);
}

}  // namespace
}  // namespace vendrel
