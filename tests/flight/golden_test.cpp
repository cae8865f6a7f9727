// The flight model against independently computed reference values, bit for bit.
#include <gtest/gtest.h>

#include "flight/force_model.h"
#include "flight/rk4.h"
#include "flight/sync_run.h"
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

TEST(GoldenForce, EveryIntermediateValueMatches) {
  for (const auto& c : Golden().at("force_calls")) {
    SCOPED_TRACE(c.at("name").get<std::string>());
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
}

TEST(GoldenStep, NextStateAndLeftoversMatch) {
  for (const auto& c : Golden().at("single_steps")) {
    SCOPED_TRACE(c.at("name").get<std::string>());
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
    for (const char* key : {"velNext", "posNext", "vel", "force"}) {
      SCOPED_TRACE(key);
      const Vec5 want = HexVec(out.at(key));
      const Vec5& got = std::string(key) == "velNext"   ? st.velNext
                        : std::string(key) == "posNext" ? st.posNext
                        : std::string(key) == "vel"     ? st.vel
                                                        : st.force;
      for (int i = 1; i <= 3; ++i) EXPECT_BITS(got[i], want[i]);
    }
    EXPECT_EQ(st.pos, posBefore) << "the step never writes pos";
  }
}

TEST(GoldenRun, WholeFlightsMatch) {
  for (const auto& c : Golden().at("whole_runs")) {
    SCOPED_TRACE(c.at("name").get<std::string>());
    const auto& in = c.at("inputs");
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

    Vec5 launchVel{}, firstForce{};
    double apexNext = -1.0;
    const FlightOutcome r = RunFlight(form, 1000000, [&](std::int64_t tick, const FlightState& st) {
      if (tick == 1) {
        launchVel = st.launchVel;
      }
      apexNext = std::max(apexNext, st.posNext[3]);
    });
    // The force evaluated before the first step is the first step's stage-1 force.
    FlightState probe = r.state;
    probe.vel = launchVel;
    ComputeForces(probe);
    firstForce = probe.force;

    const auto& out = c.at("outputs");
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
      EXPECT_BITS(firstForce[i], ff[i]);
    }
  }
}

}  // namespace
}  // namespace vendrel
