// The numeric cores of the studies: portable normal draws, dispersion statistics,
// the simplex and the fits of K and K' and of the ball's coefficients.
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "flight/dispersion.h"
#include "flight/normal_draws.h"
#include "flight/parameters.h"
#include "flight/shot_fit.h"
#include "flight/shot_table.h"
#include "flight/windowless_run.h"
#include "flight/ball_flight.h"

namespace vendrel {
namespace {

std::uint64_t Bits(double v) {
  std::uint64_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

TEST(PortableLog, WithinAnUlpOfTheLibrary) {
  for (double x : {1.0, 2.0, 0.5, 0.7071067811865476, 1.4142135623730951, 1e-300, 4.9e-324, 1e300,
                   0.1, 0.999999999, 1.000000001, 123456.789}) {
    const double want = std::log(x);
    const double got = PortableLog(x);
    EXPECT_LE(std::fabs(got - want), std::fabs(std::nextafter(want, 0.0) - want) + 0.0) << x;
  }
  EXPECT_EQ(PortableLog(1.0), 0.0);
}

TEST(NormalDraws, SameStreamSameBitsAndPinnedValues) {
  RandomStream a(42, 7), b(42, 7), other(42, 8);
  for (int i = 0; i < 100; ++i) {
    const double x = a.NextNormal();
    EXPECT_EQ(Bits(x), Bits(b.NextNormal()));
  }
  EXPECT_NE(RandomStream(42, 7).NextBits(), other.NextBits());
  // Pinned: a change here changes every published dispersion.
  RandomStream pinned(1, 0);
  EXPECT_EQ(pinned.NextBits(), 0x810145e2f14b896dull);
  RandomStream normal(1, 0);
  EXPECT_EQ(Bits(normal.NextNormal()), Bits(0x1.20d42cd4b0cffp-1));
  EXPECT_EQ(Bits(normal.NextNormal()), Bits(-0x1.b78b8f457d99bp+1));
}

TEST(NormalDraws, MomentsOfManyDraws) {
  const int n = 200000;
  double sum = 0.0, sq = 0.0, beyond2 = 0.0;
  for (int i = 0; i < n; ++i) {
    RandomStream s(9, static_cast<std::uint64_t>(i));
    const double z = s.NextNormal();
    sum += z;
    sq += z * z;
    if (std::fabs(z) > 1.959963984540054) beyond2 += 1.0;
  }
  EXPECT_NEAR(sum / n, 0.0, 0.01);
  EXPECT_NEAR(std::sqrt(sq / n), 1.0, 0.01);
  EXPECT_NEAR(beyond2 / n, 0.05, 0.003);
}

TEST(Dispersion, DrawnFormsKeepUnspreadValuesAndTheRanges) {
  const FlightForm base = DefaultForm();
  const FlightForm same = DispersedForm(base, {}, 5, 3);
  EXPECT_EQ(std::memcmp(&same, &base, sizeof base), 0);

  LaunchSpread wide;
  wide.angle = 1000.0;
  for (std::uint64_t i = 0; i < 50; ++i) {
    const FlightForm f = DispersedForm(base, wide, 5, i);
    EXPECT_GE(f.launchAngle, 0.0);
    EXPECT_LE(f.launchAngle, 90.0);
    EXPECT_EQ(f.launchSpeed, base.launchSpeed);
    EXPECT_EQ(f.backSpin, base.backSpin);
  }
  // A spread on speed leaves the angle draws as they were.
  LaunchSpread both = wide;
  both.speed = 3.0;
  EXPECT_EQ(DispersedForm(base, wide, 5, 9).launchAngle, DispersedForm(base, both, 5, 9).launchAngle);
}

// The χ² quantile of two degrees of freedom at 95 %: −2·ln 0.05, correctly rounded.
constexpr double kChiSquare95 = 5.991464547107982;

FlightSummary Landing(double x, double y) {
  FlightSummary s;
  s.end = FlightEnd::Ground;
  s.carryChanged = true;
  s.carry = std::trunc(std::sqrt(x * x + y * y));
  s.distance = std::sqrt(x * x + y * y);
  s.landing = {0.0, x, y, -0.01, 0.0};
  return s;
}

TEST(Dispersion, StatisticsAndEllipse) {
  // Points on a line at 45 degrees: all the spread is along it.
  std::vector<FlightSummary> line;
  for (double t : {-2.0, -1.0, 0.0, 1.0, 2.0}) line.push_back(Landing(100.0 + t, t));
  FlightSummary lost;
  lost.end = FlightEnd::NotANumber;
  lost.distance = std::nan("");
  line.push_back(lost);
  const DispersionStats st = SummariseDispersion(line);
  EXPECT_EQ(st.distance.count, 5);
  EXPECT_EQ(st.carry.count, 5);
  EXPECT_DOUBLE_EQ(st.lateral.mean, 0.0);
  EXPECT_DOUBLE_EQ(st.lateral.sd, std::sqrt(2.5));
  EXPECT_DOUBLE_EQ(st.ellipse.centreX, 100.0);
  EXPECT_NEAR(st.ellipse.angle, 45.0, 1e-12);
  EXPECT_NEAR(st.ellipse.major, std::sqrt(kChiSquare95 * 5.0), 1e-12);  // variance 2.5 on each axis
  EXPECT_NEAR(st.ellipse.minor, 0.0, 1e-6);

  // Axis-aligned, wider across than along.
  std::vector<FlightSummary> cross{Landing(100, 0), Landing(100, 4), Landing(100, -4), Landing(101, 0),
                                   Landing(99, 0)};
  const Ellipse e = SummariseDispersion(cross).ellipse;
  EXPECT_NEAR(std::fabs(e.angle), 90.0, 1e-12);
  EXPECT_NEAR(e.major, std::sqrt(kChiSquare95 * 8.0), 1e-12);
  EXPECT_NEAR(e.minor, std::sqrt(kChiSquare95 * 0.5), 1e-12);

  const DispersionStats one = SummariseDispersion(std::vector<FlightSummary>{Landing(10, 1)});
  EXPECT_EQ(one.distance.sd, 0.0);
  EXPECT_EQ(one.ellipse.major, 0.0);

  // A ball still in the air at its bound has no carry, as it has no distance.
  std::vector<BallSummary> balls(2);
  static_cast<FlightSummary&>(balls[0]) = Landing(100, 0);
  balls[1].end = FlightEnd::MaxTicks;
  balls[1].distance = 500.0;
  const DispersionStats ball = SummariseBallDispersion(balls);
  EXPECT_EQ(ball.carry.count, 1);
  EXPECT_EQ(ball.carry.mean, 100.0);
}

TEST(Simplex, FindsMinimaInsideAndOnTheBox) {
  auto rosenbrock = [](const std::vector<double>& x) {
    return 100.0 * (x[1] - x[0] * x[0]) * (x[1] - x[0] * x[0]) + (1.0 - x[0]) * (1.0 - x[0]);
  };
  std::int64_t evals = 0;
  auto x = MinimiseInBox(rosenbrock, {-1.2, 1.0}, {-5.0, -5.0}, {5.0, 5.0}, 5000, evals);
  EXPECT_NEAR(x[0], 1.0, 1e-6);
  EXPECT_NEAR(x[1], 1.0, 1e-6);
  evals = 0;
  x = MinimiseInBox(rosenbrock, {0.1, 0.1}, {-5.0, -5.0}, {0.5, 5.0}, 5000, evals);
  EXPECT_NEAR(x[0], 0.5, 1e-6);  // the unconstrained minimum lies beyond the box
  EXPECT_NEAR(x[1], 0.25, 1e-5);
}

std::vector<Shot> ShotsFlownWith(double k, double kPrime) {
  std::vector<Shot> shots;
  for (double angle : {10.0, 20.0, 30.0}) {
    FlightForm form = DefaultForm();
    form.launchAngle = angle;
    form.launchSpeed = 50.0 + angle;
    form.k = k;
    form.kPrime = kPrime;
    const FlightOutcome out = RunFlight(form, 100000);
    Shot s;
    s.form = DefaultForm();
    s.form.launchAngle = angle;
    s.form.launchSpeed = 50.0 + angle;
    s.measured = {out.distance, out.apex, std::nullopt};
    shots.push_back(s);
  }
  return shots;
}

TEST(ShotFit, RecoversTheParametersTheShotsWereFlownWith) {
  FitProblem p;
  p.shots = ShotsFlownWith(0.013, 0.027);
  p.fitted = DefaultFitted(Model::Form);
  p.start = {0.01, 0.02};
  ASSERT_EQ(FitCannotMove(p), "");
  const FitResult r = FitShots(p);
  EXPECT_NEAR(r.values[0], 0.013, 0.013 * 1e-6);
  EXPECT_NEAR(r.values[1], 0.027, 0.027 * 1e-6);
  EXPECT_LT(r.rms, 1e-9);
  ASSERT_EQ(r.modelled.size(), 3u);
}

TEST(ShotFit, RefusesWhatCannotMove) {
  FitProblem p;
  p.fitted = DefaultFitted(Model::Form);
  p.start = {0.01, 0.02};
  EXPECT_NE(FitCannotMove(p).find("no shots"), std::string::npos);
  Shot bare;
  bare.form = DefaultForm();
  p.shots = {bare, bare};
  EXPECT_NE(FitCannotMove(p).find("no target"), std::string::npos);
  Shot one = bare;
  one.measured[0] = 180.0;
  p.shots = {one, one, one};
  EXPECT_NE(FitCannotMove(p).find("all 3 shots are identical"), std::string::npos);
  p.shots = {one};
  EXPECT_NE(FitCannotMove(p).find("1 target for 2 fitted"), std::string::npos);
  one.measured[1] = 12.0;
  p.shots = {one};
  EXPECT_EQ(FitCannotMove(p), "");
}

TEST(ShotTable, ColumnsTargetsAndMeasuredValues) {
  const auto side = FindShotColumn("side_spin");
  ASSERT_TRUE(side);
  EXPECT_EQ(side->kind, ShotColumn::Kind::Launch);
  EXPECT_EQ(side->field->form, &FlightForm::sideSpin);
  ASSERT_TRUE(FindShotColumn("lateral"));
  EXPECT_EQ(FindShotColumn("lateral")->target, ShotTarget::Lateral);
  EXPECT_EQ(FindShotColumn("name")->kind, ShotColumn::Kind::Name);
  for (const char* ignored : {"ticks", "end", "carry", "landing_angle"}) EXPECT_EQ(FindShotColumn(ignored)->kind, ShotColumn::Kind::Ignored);
  for (const char* unknown : {"side-spin", "Distance", "", "spin"}) EXPECT_FALSE(FindShotColumn(unknown)) << unknown;
  EXPECT_EQ(KnownShotColumns(),
            "angle, speed, side_spin, back_spin, k, k_prime, mass, gravity, dt, distance, apex, lateral, name "
            "(and a sweep's ticks, end, carry, landing_angle)");

  // distance, apex, lateral present?
  EXPECT_EQ(ShotTargetsRefusal({true, false, true}, false), "");
  EXPECT_EQ(ShotTargetsRefusal({false, true, false}, false), "");
  EXPECT_NE(ShotTargetsRefusal({false, true, true}, false).find("column 'lateral' needs a distance column"),
            std::string::npos);
  EXPECT_EQ(ShotTargetsRefusal({false, false, false}, false),
            "no target columns (distance, apex, lateral): nothing to fit");
  EXPECT_NE(ShotTargetsRefusal({false, false, false}, true).find("name a measured carry 'distance'"), std::string::npos);

  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  for (double good : {1e-300, 250.0}) {
    EXPECT_EQ(MeasuredValueRefusal(ShotTarget::Distance, good), "");
    EXPECT_EQ(MeasuredValueRefusal(ShotTarget::Apex, good), "");
  }
  for (double bad : {0.0, -0.0, -1.0, inf}) {
    EXPECT_EQ(MeasuredValueRefusal(ShotTarget::Apex, bad), "is out of range (a measured apex is greater than zero)") << bad;
  }
  for (double lateral : {0.0, -4.0, 1e300}) EXPECT_EQ(MeasuredValueRefusal(ShotTarget::Lateral, lateral), "");
  EXPECT_EQ(MeasuredValueRefusal(ShotTarget::Lateral, -inf), "is out of range (a measured lateral is finite)");
  EXPECT_EQ(MeasuredValueRefusal(ShotTarget::Distance, nan), "is not a number");
  EXPECT_EQ(MeasuredValueRefusal(ShotTarget::Lateral, nan), "is not a number");
}

// Five clubs' launches, flown with the given coefficients: every target the ball has.
std::vector<Shot> BallShotsFlownWith(double cd0, double cl1, double spinDecay) {
  std::vector<Shot> shots;
  const double launches[][4] = {{74.7, 10.9, 2686, 3}, {65.0, 12.0, 4400, -2}, {58.0, 15.0, 6000, 0},
                                {53.6, 16.3, 7097, 4}, {45.6, 24.2, 9304, -5}};
  for (const auto& l : launches) {
    Shot s;
    s.ball.speed = l[0];
    s.ball.angle = l[1];
    s.ball.totalSpin = l[2];
    s.ball.spinAxis = l[3];
    BallParams truth = s.ball;
    truth.cd0 = cd0;
    truth.cl1 = cl1;
    truth.spinDecay = spinDecay;
    const BallSummary out = FlyBall(truth);
    s.measured = {out.distance, out.apex, out.lateral, out.landingAngle, out.total};
    shots.push_back(s);
  }
  return shots;
}

TEST(ShotFit, RecoversTheBallCoefficientsTheShotsWereFlownWith) {
  FitProblem p;
  p.model = Model::Ball;
  p.shots = BallShotsFlownWith(0.18, 1.1, 7.0);
  p.fitted = {FindByKey(Model::Ball, "cd0"), FindByKey(Model::Ball, "cl1"), FindByKey(Model::Ball, "spin_decay")};
  for (const Parameter* f : p.fitted) p.start.push_back(f->Default(Model::Ball));
  ASSERT_EQ(FitCannotMove(p), "");
  const FitResult r = FitShots(p);
  EXPECT_TRUE(r.converged);
  EXPECT_NEAR(r.values[0], 0.18, 1e-6);
  EXPECT_NEAR(r.values[1], 1.1, 1e-5);
  EXPECT_NEAR(r.values[2], 7.0, 1e-3);
  EXPECT_LT(r.rms, 1e-7);
  ASSERT_EQ(r.modelled.size(), 5u);
  EXPECT_GT(r.modelled[0].total, r.modelled[0].distance);

  // Values that join into a refused ball (drag below zero) are never flown: from a
  // start beside them the fit still finds the truth.
  p.fitted = {FindByKey(Model::Ball, "cd0")};
  p.start = {0.0};
  p.shots = BallShotsFlownWith(0.2, 1.2031, 4.0);
  const FitResult edge = FitShots(p);
  EXPECT_NEAR(edge.values[0], 0.2, 1e-6);

  EXPECT_EQ(DefaultFitted(Model::Ball)[0]->key, "cd0");
}

// A simplex that runs out of evaluations says so.
TEST(Simplex, SaysWhenItRanOutOfEvaluations) {
  const auto rosenbrock = [](const std::vector<double>& x) {
    return 100.0 * (x[1] - x[0] * x[0]) * (x[1] - x[0] * x[0]) + (1.0 - x[0]) * (1.0 - x[0]);
  };
  std::int64_t evaluations = 0;
  bool converged = true;
  MinimiseInBox(rosenbrock, {-1.2, 1.0}, {-5.0, -5.0}, {5.0, 5.0}, 30, evaluations, &converged);
  EXPECT_FALSE(converged);
  evaluations = 0;
  const auto x = MinimiseInBox(rosenbrock, {-1.2, 1.0}, {-5.0, -5.0}, {5.0, 5.0}, 5000, evaluations, &converged);
  EXPECT_TRUE(converged);
  EXPECT_NEAR(x[0], 1.0, 1e-4);
}

TEST(ShotTable, TheBallModelsColumnsAndTargets) {
  // The ball's carry is its distance, under either name; the form has no total.
  EXPECT_EQ(FindShotColumn("carry", Model::Ball)->target, ShotTarget::Distance);
  EXPECT_EQ(FindShotColumn("distance", Model::Ball)->target, ShotTarget::Distance);
  EXPECT_EQ(FindShotColumn("flight_time", Model::Ball)->kind, ShotColumn::Kind::Ignored);
  EXPECT_FALSE(FindShotColumn("k", Model::Ball));
  EXPECT_FALSE(FindShotColumn("total"));
  EXPECT_EQ(FindShotColumn("landing_angle")->kind, ShotColumn::Kind::Ignored);

  // Any one of carry, apex, landing angle or total is something to fit; lateral needs carry.
  EXPECT_EQ(ShotTargetsRefusal({false, false, false, true, false}, false, Model::Ball), "");
  EXPECT_NE(ShotTargetsRefusal({false, true, true, false, false}, false, Model::Ball).find("needs a carry column"),
            std::string::npos);
  for (double good : {0.5, 90.0}) EXPECT_EQ(MeasuredValueRefusal(ShotTarget::LandingAngle, good), "") << good;
  for (double bad : {0.0, 90.5, std::numeric_limits<double>::infinity()}) {
    EXPECT_NE(MeasuredValueRefusal(ShotTarget::LandingAngle, bad).find("is out of range"), std::string::npos) << bad;
  }
}

}  // namespace
}  // namespace vendrel
