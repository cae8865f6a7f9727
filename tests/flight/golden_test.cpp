// The flight model against independently computed reference values, bit for bit: one
// row per reference case, named as the reference file names it.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "flight/force_model.h"
#include "flight/parameters.h"
#include "flight/rk4.h"
#include "flight/windowless_run.h"
#include "tests/support/golden.h"

namespace vendrel {
namespace {

using test::Golden;
using test::Hex;
using test::HexVec;
using test::PlainVec;

void LoadParameters(const nlohmann::json& in, FlightState& st) {
  st.mass = in.at("mass").get<double>();
  st.gravity = in.at("gravity").get<double>();
  st.liftCoef = in.at("k").get<double>();
  st.sideSpin = in.at("side_spin").get<double>();
  st.backSpin = in.at("back_spin").get<double>();
  st.dragCoef = in.at("k_prime").get<double>();
}

// The names of a group's cases, as test parameters.
std::vector<std::string> CaseNames(const char* group) {
  std::vector<std::string> names;
  for (const auto& c : Golden().at(group)) names.push_back(c.at("name").get<std::string>());
  return names;
}

const nlohmann::json& CaseNamed(const char* group, const std::string& name) {
  for (const auto& c : Golden().at(group)) {
    if (c.at("name") == name) return c;
  }
  throw std::out_of_range(name);
}

std::string CaseName(const ::testing::TestParamInfo<std::string>& row) { return row.param; }

class GoldenForce : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenForce, EveryIntermediateValueMatches) {
  const auto& c = CaseNamed("force_calls", GetParam());
  FlightState st;
  LoadParameters(c.at("inputs"), st);
  st.vel = PlainVec(c.at("inputs").at("vel"));
  const ForceTerms t = EvaluateForce(st);
  const auto& out = c.at("outputs");
  EXPECT_BITS(t.s, Hex(out.at("s")));
  EXPECT_BITS(t.w, Hex(out.at("w")));
  EXPECT_BITS(t.h, Hex(out.at("h")));
  EXPECT_BITS(t.Lb, Hex(out.at("Lb")));
  EXPECT_BITS(t.Ls, Hex(out.at("Ls")));
  EXPECT_BITS(t.Dm, Hex(out.at("Dm")));
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_BITS(t.B[i], Hex(out.at("B").at(i - 1)));
    EXPECT_BITS(t.S[i], Hex(out.at("S").at(i - 1)));
    EXPECT_BITS(t.D[i], Hex(out.at("D").at(i - 1)));
    EXPECT_BITS(t.G[i], Hex(out.at("G").at(i - 1)));
  }
  ComputeForces(st);
  const Vec5 f = HexVec(out.at("force"));
  for (int i = 1; i <= 3; ++i) EXPECT_BITS(st.force[i], f[i]);
}

INSTANTIATE_TEST_SUITE_P(Reference, GoldenForce, ::testing::ValuesIn(CaseNames("force_calls")), CaseName);

class GoldenStep : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenStep, NextStateAndLeftoversMatch) {
  const auto& c = CaseNamed("single_steps", GetParam());
  const auto& in = c.at("inputs");
  FlightState st;
  LoadParameters(in, st);
  st.dt = in.at("dt").get<double>();
  st.vel = PlainVec(in.at("vel"));
  st.pos = PlainVec(in.at("pos"));
  st.force = HexVec(in.at("force"));
  const Vec5 posBefore = st.pos;
  StepRK4(st);
  const auto& out = c.at("outputs");
  const std::pair<const char*, const Vec5*> results[] = {
      {"velNext", &st.velNext}, {"posNext", &st.posNext}, {"vel", &st.vel}, {"force", &st.force}};
  for (const auto& [key, got] : results) {
    SCOPED_TRACE(key);
    const Vec5 want = HexVec(out.at(key));
    for (int i = 1; i <= 3; ++i) EXPECT_BITS((*got)[i], want[i]);
  }
  EXPECT_EQ(st.pos, posBefore) << "the step never writes pos";
}

INSTANTIATE_TEST_SUITE_P(Reference, GoldenStep, ::testing::ValuesIn(CaseNames("single_steps")), CaseName);

FlightForm FormOf(const nlohmann::json& in) {
  FlightForm form;
  form.ballMass = in.at("mass").get<double>();
  form.gravity = in.at("gravity").get<double>();
  form.k = in.at("k").get<double>();
  form.sideSpin = in.at("side_spin").get<double>();
  form.backSpin = in.at("back_spin").get<double>();
  form.kPrime = in.at("k_prime").get<double>();
  form.launchAngle = in.at("angle").get<double>();
  form.launchSpeed = in.at("speed").get<double>();
  form.timeStep = in.at("dt").get<double>();
  return form;
}

// A whole run against its reference: the run control's landing, carry, apex and the
// first and last states.
void ExpectRunMatches(FlightForm form, const nlohmann::json& out) {
  Vec5 launchVel{};
  double apexNext = -1.0;
  const FlightOutcome r = RunFlight(form, 1000000, [&](std::int64_t tick, const FlightState& st) {
    if (tick == 1) launchVel = st.launchVel;
    apexNext = std::max(apexNext, st.posNext[3]);
  });
  // The force evaluated before the first step is the first step's stage-1 force.
  FlightState probe = r.state;
  probe.vel = launchVel;
  ComputeForces(probe);

  EXPECT_EQ(r.ticks, out.at("ticks").get<std::int64_t>());
  EXPECT_EQ(r.end, FlightEnd::Ground);
  ASSERT_TRUE(r.carryChanged);
  EXPECT_BITS(r.carry, Hex(out.at("carry")));
  EXPECT_BITS(r.distance, Hex(out.at("distance")));
  EXPECT_BITS(r.apex, Hex(out.at("apex_pos")));
  EXPECT_BITS(apexNext, Hex(out.at("apex_posnext")));
  const Vec5 pos = HexVec(out.at("landing_pos"));
  const Vec5 next = HexVec(out.at("landing_posnext"));
  const Vec5 lv = HexVec(out.at("launch_vel"));
  const Vec5 ff = HexVec(out.at("first_force"));
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_BITS(r.landing[i], pos[i]);
    EXPECT_BITS(r.state.posNext[i], next[i]);
    EXPECT_BITS(launchVel[i], lv[i]);
    EXPECT_BITS(probe.force[i], ff[i]);
  }
}

class GoldenRun : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenRun, WholeFlightMatches) {
  const auto& c = CaseNamed("whole_runs", GetParam());
  ExpectRunMatches(FormOf(c.at("inputs")), c.at("outputs"));
}

INSTANTIATE_TEST_SUITE_P(Reference, GoldenRun, ::testing::ValuesIn(CaseNames("whole_runs")), CaseName);

// The form's defaults are the reference's default flight: 332 ticks, carry 183 m. Every
// other test that needs the default flight takes its figures from a run, not from here.
TEST(DefaultFlight, TheFormsDefaultsFlyTheReferenceFlight) {
  const auto& c = CaseNamed("whole_runs", "default_15_60");
  ASSERT_EQ(c.at("outputs").at("ticks").get<std::int64_t>(), 332);
  ASSERT_EQ(Hex(c.at("outputs").at("carry")), 183.0);
  ExpectRunMatches(DefaultForm(), c.at("outputs"));
}

}  // namespace
}  // namespace vendrel
