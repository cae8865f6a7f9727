// The run control: starting, ticking, landing, the carry, stopping and restarting.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "flight/parameters.h"
#include "flight/run_control.h"
#include "flight/windowless_run.h"
#include "tests/support/named_rows.h"
#include "tests/support/same_bits.h"

namespace vendrel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A host that counts what the run control asks of it.
struct CountingHost final : FlightHost {
  void StartTimer() override {
    timerRunning = true;
    ++timerStarts;
  }
  void KillTimer() override { timerRunning = false; }
  void RequestRepaint() override { ++repaints; }
  void ShowCarry() override { ++carryShown; }

  bool timerRunning = false;
  int timerStarts = 0;
  int repaints = 0;
  int carryShown = 0;
};

struct Rig {
  FlightForm form = DefaultForm();
  FlightState st;
  CountingHost host;
  RunControl run{form, st, host};
};

TEST(RunControl, StartResetsToTheOriginAndStartsOneTimer) {
  Rig r;
  r.st.pos = {1, 2, 3, 4, 5};
  r.st.velNext = {1, 2, 3, 4, 5};
  r.run.CalculateFromForm();
  EXPECT_EQ(r.st.firstTick, 1);
  EXPECT_EQ(r.st.pos, Vec5{});
  EXPECT_EQ(r.st.posNext, Vec5{});
  EXPECT_EQ(r.st.velNext, Vec5{});
  EXPECT_EQ(r.st.vel, r.st.launchVel);
  EXPECT_NEAR(r.st.launchVel[1], 57.955549577344, 1e-11);
  EXPECT_NEAR(r.st.launchVel[3], 15.529142706151, 1e-11);
  EXPECT_TRUE(r.host.timerRunning);
  EXPECT_EQ(r.host.repaints, 0) << "the first drawing comes with the first tick";
}

TEST(RunControl, FirstTickNeverLandsAndEveryTickRepaints) {
  Rig r;
  r.form.launchSpeed = 0;  // dropped at the origin
  r.run.CalculateFromForm();
  TickResult t = r.run.Tick();
  EXPECT_EQ(t.end, TickEnd::Flying);
  EXPECT_EQ(r.host.repaints, 1);
  t = r.run.Tick();
  EXPECT_EQ(t.end, TickEnd::Ground);
  EXPECT_EQ(r.host.repaints, 2) << "the landing tick still steps and repaints";
  EXPECT_FALSE(r.host.timerRunning);
  EXPECT_FALSE(t.carryChanged) << "a distance of 0 leaves the carry alone";
  EXPECT_EQ(r.host.carryShown, 0);
  EXPECT_EQ(r.form.carry, 0.0);
}

TEST(RunControl, HeightOfExactlyZeroIsNotALanding) {
  Rig r;
  r.run.CalculateFromForm();
  r.run.Tick();
  r.st.posNext[3] = 0.0;
  EXPECT_EQ(r.run.Tick().end, TickEnd::Flying);
  EXPECT_TRUE(r.host.timerRunning);
  r.st.posNext[3] = -0.0;
  EXPECT_EQ(r.run.Tick().end, TickEnd::Flying);
  r.st.posNext[3] = -1e-300;
  EXPECT_EQ(r.run.Tick().end, TickEnd::Ground);
}

TEST(RunControl, NotANumberHeightEndsTheRun) {
  FlightForm form = DefaultForm();
  form.ballMass = 0;
  const FlightOutcome out = RunFlight(form, 1000);
  EXPECT_EQ(out.end, FlightEnd::NotANumber);
  EXPECT_TRUE(out.landed());
  EXPECT_FALSE(out.carryChanged) << "a NaN distance leaves the carry alone";
  EXPECT_LT(out.ticks, 10);
}

struct CarryCase {
  const char* name;
  double x, y;
  bool changes;
  double carry;
};

void PrintTo(const CarryCase& c, std::ostream* os) { *os << c.name; }

class LandingCarry : public ::testing::TestWithParam<CarryCase> {};

// A landing at (x, y) over a carry of 42 left by an earlier run.
TEST_P(LandingCarry, FromTheLandingPoint) {
  const CarryCase& c = GetParam();
  Rig r;
  r.form.carry = 42;
  r.run.CalculateFromForm();
  r.run.Tick();
  r.st.posNext[1] = c.x;
  r.st.posNext[2] = c.y;
  r.st.posNext[3] = -0.5;
  const TickResult t = r.run.Tick();
  EXPECT_NE(t.end, TickEnd::Flying);
  EXPECT_EQ(t.carryChanged, c.changes);
  EXPECT_EQ(r.host.carryShown, c.changes ? 1 : 0);
  EXPECT_EQ(r.form.carry, c.changes ? c.carry : 42.0);
}

INSTANTIATE_TEST_SUITE_P(
    Landings, LandingCarry,
    ::testing::Values(CarryCase{"ThreeFourFive", 3, 4, true, 5},
                      CarryCase{"Truncated", 123.97, 0, true, 123},
                      CarryCase{"BelowAMetre", 0.6, 0, true, 0},
                      CarryCase{"NegativeDownrange", -7.5, 0, true, 7},
                      CarryCase{"Zero", 0, 0, false, 0},
                      CarryCase{"NaN", kNaN, 0, false, 0},
                      CarryCase{"BeyondInt32", 3e10, 0, true, 3e10},
                      CarryCase{"Huge", 1e150, 0, true, std::sqrt(1e150 * 1e150)},
                      CarryCase{"OverflowingSquare", 1e300, 0, false, 0},
                      CarryCase{"Infinite", kInf, 0, false, 0}),
    test::RowName{});

TEST(RunControl, CarryStaysUntilTheNextLanding) {
  Rig r;
  r.run.CalculateFromForm();
  while (r.host.timerRunning) r.run.Tick();
  const double first = r.form.carry;
  ASSERT_GT(first, 0.0);
  r.form.launchAngle = 30;
  r.form.launchSpeed = 70;
  FlightForm longer = r.form;
  const double second = RunFlight(longer, 100000).carry;
  ASSERT_NE(second, first);
  r.run.CalculateFromForm();
  for (int i = 0; i < 500; ++i) r.run.Tick();
  EXPECT_EQ(r.form.carry, first) << "still flying: the previous carry stays";
  while (r.host.timerRunning) r.run.Tick();
  EXPECT_EQ(r.form.carry, second);
}

TEST(RunControl, RestartDuringARunStartsFromTheOrigin) {
  Rig r;
  r.run.CalculateFromForm();
  for (int i = 0; i < 50; ++i) r.run.Tick();
  ASSERT_GT(r.st.pos[1], 10.0);
  r.run.CalculateFromForm();
  EXPECT_EQ(r.st.pos, Vec5{});
  EXPECT_EQ(r.st.firstTick, 1);
  EXPECT_TRUE(r.host.timerRunning);
  EXPECT_EQ(r.host.timerStarts, 2) << "the one timer is replaced";
  // The restarted flight is the same flight as a fresh one.
  while (r.host.timerRunning) r.run.Tick();
  FlightForm fresh = DefaultForm();
  const FlightOutcome ref = RunFlight(fresh, 100000);
  EXPECT_EQ(r.st.pos, ref.state.pos);
}

TEST(RunControl, StopKeepsTheStateAndCalculateStartsAfresh) {
  Rig r;
  r.run.Stop();  // no run: harmless
  EXPECT_FALSE(r.host.timerRunning);
  r.run.CalculateFromForm();
  for (int i = 0; i < 20; ++i) r.run.Tick();
  const FlightState before = r.st;
  r.run.Stop();
  EXPECT_FALSE(r.host.timerRunning);
  EXPECT_EQ(r.st.pos, before.pos);
  EXPECT_EQ(r.st.posNext, before.posNext);
  EXPECT_EQ(r.form.carry, 0.0);
  r.run.CalculateFromForm();
  EXPECT_EQ(r.st.pos, Vec5{});
  EXPECT_EQ(r.st.firstTick, 1);
}

TEST(RunControl, CommitsCopyOneFieldEach) {
  Rig r;
  r.run.CalculateFromForm();
  const FlightState before = r.st;
  r.form.launchAngle = 45;
  r.run.CommitLaunch();
  EXPECT_NEAR(r.st.launchVel[1], 60 * std::cos(M_PI / 4), 1e-12);
  EXPECT_NEAR(r.st.launchVel[3], 60 * std::sin(M_PI / 4), 1e-12);
  FlightState expect = before;
  expect.launchVel = r.st.launchVel;
  EXPECT_TRUE(test::Same(expect, r.st)) << "only launchVel changed:\n  " << test::Describe(r.st)
                                        << "\n  " << test::Describe(expect);

  r.form.k = 0.5;
  r.form.gravity = 1.0;
  r.run.CommitLiftCoef();
  EXPECT_EQ(r.st.liftCoef, 0.5);
  EXPECT_EQ(r.st.gravity, 9.8) << "gravity changes only with a new run";
  r.form.timeStep = 0.001;
  r.run.CommitTimeStep();
  EXPECT_EQ(r.st.dt, 0.001);
}

TEST(RunControl, TickBoundStopsAFlightThatNeverLands) {
  FlightForm form = DefaultForm();
  form.k = 10;  // lift far above gravity
  const FlightOutcome out = RunFlight(form, 5000);
  EXPECT_EQ(out.end, FlightEnd::MaxTicks);
  EXPECT_FALSE(out.landed());
  EXPECT_EQ(out.ticks, 5000);
}

}  // namespace
}  // namespace vendrel
