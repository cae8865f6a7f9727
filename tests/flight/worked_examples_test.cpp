// The force model and the step against hand-checkable examples, and the cases the
// formulas leave undefined.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "flight/force_model.h"
#include "flight/rk4.h"
#include "flight/run_control.h"
#include "flight/windowless_run.h"
#include "tests/support/named_rows.h"

namespace vendrel {
namespace {

FlightState DefaultParameters(double sideSpin, double backSpin) {
  FlightState st;
  st.mass = 46.0;
  st.gravity = 9.8;
  st.liftCoef = 0.01;
  st.dragCoef = 0.02;
  st.sideSpin = sideSpin;
  st.backSpin = backSpin;
  st.dt = 0.01;
  return st;
}

// Ten significant digits, as the examples are written.
void ExpectNear10(double actual, double expected) {
  EXPECT_NEAR(actual, expected, std::max(1e-12, std::fabs(expected) * 1e-9)) << expected;
}

struct ForceExample {
  const char* name;
  double vel[3], sideSpin, backSpin;
  double force[3];
};

void PrintTo(const ForceExample& e, std::ostream* os) { *os << e.name; }

class WorkedForce : public ::testing::TestWithParam<ForceExample> {};

TEST_P(WorkedForce, MatchesTheHandWorkedValue) {
  const ForceExample& e = GetParam();
  FlightState st = DefaultParameters(e.sideSpin, e.backSpin);
  st.vel = {0, e.vel[0], e.vel[1], e.vel[2], 0};
  ComputeForces(st);
  for (int i = 1; i <= 3; ++i) ExpectNear10(st.force[i], e.force[i - 1]);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, WorkedForce,
    ::testing::Values(
        ForceExample{"LevelFlightSideSpin", {30, 0, 0}, 900, 0, {-18, 9, -450.8}},
        ForceExample{"MixedSpins", {40, -10, 20}, 1500, -400, {-28.47545524, 25.41333019, -477.376514}},
        ForceExample{"Descending", {20, 5, -12}, -2500, 3000, {-0.2723726256, -12.3620195, -433.7835172}}),
    test::RowName{});

TEST(ForceModel, DefaultLaunchTerms) {
  FlightState st = DefaultParameters(0, 2000);
  st.vel = {0, std::cos(15.0 / 360.0 * 6.283185307179586) * 60.0, 0,
            std::sin(15.0 / 360.0 * 6.283185307179586) * 60.0, 0};
  const ForceTerms t = EvaluateForce(st);
  ExpectNear10(t.s, 60);
  ExpectNear10(t.h, 3477.332975);
  ExpectNear10(t.Lb, 26.83281573);
  ExpectNear10(t.Dm, 72);
  ExpectNear10(t.B[1], -6.944843745);
  ExpectNear10(t.B[3], 25.91850971);
  ExpectNear10(t.D[1], -69.54665949);
  ExpectNear10(t.D[3], -18.63497125);
  ExpectNear10(t.F[1] / st.mass, -1.662858766);
  ExpectNear10(t.F[3] / st.mass, -9.641662207);
}

TEST(ForceModel, SpinSymmetryAndUnusedIndices) {
  FlightState st = DefaultParameters(1234, -567);
  st.vel = {0, 33.3, -4.4, 12.1, 0};
  const ForceTerms base = EvaluateForce(st);

  FlightState negSide = st;
  negSide.sideSpin = -1234;
  const ForceTerms ns = EvaluateForce(negSide);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(ns.S[i], -base.S[i]);
    EXPECT_EQ(ns.B[i], base.B[i]);
    EXPECT_EQ(ns.D[i], base.D[i]);
  }

  FlightState noSpin = st;
  noSpin.sideSpin = 0;
  noSpin.backSpin = 0;
  const ForceTerms z = EvaluateForce(noSpin);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(z.S[i], 0.0);
    EXPECT_EQ(z.B[i], 0.0);
  }

  // Indices 0 and 4 and the rest of the record take no part.
  FlightState noisy = st;
  noisy.vel[0] = noisy.vel[4] = 1e300;
  noisy.pos = {7, 8, 9, 10, 11};
  noisy.force = {5, 5, 5, 5, 5};
  noisy.dt = 0.07;
  ComputeForces(noisy);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(noisy.force[i], base.F[i]);
  EXPECT_EQ(noisy.force[0], 5.0);
  EXPECT_EQ(noisy.force[4], 5.0);
}

TEST(ForceModel, StraightUpKeepsATinyDownrangeComponent) {
  FlightForm form;
  form.launchAngle = 90;
  form.launchSpeed = 60;
  FlightState st = DefaultParameters(0, 2000);
  WindowlessHost host;
  RunControl(form, st, host).ComputeLaunchVelocity();
  EXPECT_GT(st.launchVel[1], 0.0);
  EXPECT_NEAR(st.launchVel[1], 3.67e-15, 0.01e-15);
  st.vel = st.launchVel;
  ComputeForces(st);
  EXPECT_NEAR(st.force[1], -26.83281573, 1e-7);
  EXPECT_NEAR(st.force[3], -522.8, 1e-9);
}

TEST(ForceModel, NoMotionAndVerticalMotionAreFinite) {
  FlightState st = DefaultParameters(1500, 2000);
  st.vel = {};
  ComputeForces(st);
  EXPECT_EQ(st.force[1], 0.0);
  EXPECT_EQ(st.force[2], 0.0);
  EXPECT_EQ(st.force[3], -(46.0 * 9.8)) << "gravity alone at rest";

  st.vel = {0, 0, 0, -20, 0};
  ComputeForces(st);
  EXPECT_EQ(st.force[1], 0.0);
  EXPECT_EQ(st.force[2], 0.0);
  // Drag opposes the fall: −(K'·s·s·vz)/s = +8 on top of gravity.
  EXPECT_DOUBLE_EQ(st.force[3], -(46.0 * 9.8) + 8.0);
}

TEST(StepRK4, ConstantForceIsExactKinematics) {
  FlightState st = DefaultParameters(0, 0);
  st.liftCoef = 0;
  st.dragCoef = 0;
  st.vel = {0, 50, 0, 20, 0};
  st.force = {0, 0, 0, -450.8, 0};
  StepRK4(st);
  EXPECT_DOUBLE_EQ(st.velNext[1], 50);
  EXPECT_DOUBLE_EQ(st.velNext[3], 19.902);
  EXPECT_DOUBLE_EQ(st.posNext[1], 0.5);
  EXPECT_DOUBLE_EQ(st.posNext[3], 0.19951);
  EXPECT_DOUBLE_EQ(st.vel[3], 19.902);
  EXPECT_EQ(st.force[3], -450.8);
}

TEST(StepRK4, FirstTwoStepsOfTheDefaultFlight) {
  FlightForm form;
  form.ballMass = 46, form.gravity = 9.8, form.k = 0.01, form.sideSpin = 0, form.backSpin = 2000,
  form.kPrime = 0.02, form.launchAngle = 15, form.launchSpeed = 60, form.timeStep = 0.01;
  FlightState st;
  WindowlessHost host;
  RunControl run(form, st, host);
  run.CalculateFromForm();
  ExpectNear10(st.force[1], -76.4915032375);
  run.Tick();
  const double tol = 1e-11;
  EXPECT_NEAR(st.velNext[1], 57.9389330039, tol * 100);
  EXPECT_NEAR(st.velNext[3], 15.4327392282, tol * 100);
  EXPECT_NEAR(st.posNext[1], 0.579472392890, tol);
  EXPECT_NEAR(st.posNext[3], 0.154809387772, tol);
  EXPECT_NEAR(st.vel[1], 57.9389330042, tol * 100) << "vel holds the stage-4 velocity";
  EXPECT_NEAR(st.force[3], -443.395573543, 1e-9);
  run.Tick();
  EXPECT_NEAR(st.velNext[1], 57.9223404219, tol * 100);
  EXPECT_NEAR(st.velNext[3], 15.3363620055, tol * 100);
  EXPECT_NEAR(st.posNext[1], 1.15877874005, tol * 10);
  EXPECT_NEAR(st.posNext[3], 0.308654872082, tol);
}

TEST(StepRK4, ZeroMassGoesNonFiniteWithoutTrapping) {
  FlightState st = DefaultParameters(0, 2000);
  st.mass = 0;
  st.vel = {0, 50, 0, 20, 0};
  ComputeForces(st);
  StepRK4(st);
  EXPECT_FALSE(std::isfinite(st.velNext[1]) && std::isfinite(st.velNext[3]));
  EXPECT_FALSE(std::isfinite(st.posNext[1]) && std::isfinite(st.posNext[3]));
}

}  // namespace
}  // namespace vendrel
