// The parameter table: rows every front end can name without ambiguity, defaults that
// cover the whole form, conversions with their exact factors, and the trajectory's rows.
#include <cmath>
#include <limits>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "flight/trajectory.h"

namespace vendrel {
namespace {

TEST(ParameterTable, RowsAreNamedOnceAndHoldTheirDefaults) {
  for (const Model m : {Model::Form, Model::Ball}) {
    std::set<std::string_view> options, keys;
    for (const Parameter& p : ParametersOf(m)) {
      SCOPED_TRACE(std::string(p.option));
      EXPECT_TRUE(options.insert(p.option).second) << "option named twice";
      EXPECT_TRUE(keys.insert(p.key).second) << "key named twice";
      // The key is the option with underscores: a front end may take either from the other.
      std::string key(p.option);
      for (char& c : key) c = c == '-' ? '_' : c;
      EXPECT_EQ(p.key, key);
      EXPECT_FALSE(p.help.empty());
      EXPECT_FALSE(p.label.empty());
      EXPECT_LE(p.min, p.max);
      // The one default outside every range: the ball's pressure, "not given".
      EXPECT_TRUE(ForModel(p, m).InRange(p.Default(m)) || (std::isnan(p.Default(m)) && p.option == "pressure"));
      EXPECT_EQ(FindByOption(m, p.option), &p);
      EXPECT_EQ(FindByKey(m, p.key), &p);
      EXPECT_EQ(ParametersOf(m).IndexOf(p) < ParametersOf(m).size(), true);
    }
  }
  EXPECT_EQ(FindByOption(Model::Form, "side_spin"), nullptr);
  EXPECT_EQ(FindByKey(Model::Form, "side-spin"), nullptr);
  EXPECT_EQ(ParametersOf(Model::Form).size(), kFormParameterCount);
}

TEST(ParameterTable, DefaultsFillEveryMemberOfTheFormButTheCarry) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  FlightForm form{kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
  LoadDefaults(form);
  EXPECT_TRUE(std::isnan(form.carry));
  for (double v : {form.ballMass, form.gravity, form.k, form.sideSpin, form.backSpin, form.kPrime,
                   form.launchAngle, form.launchSpeed, form.timeStep}) {
    EXPECT_FALSE(std::isnan(v));
  }
  EXPECT_EQ(form.launchAngle, 15.0);
  EXPECT_EQ(form.timeStep, 0.01);
  EXPECT_EQ(&ParameterFor(&FlightForm::kPrime), FindByKey(Model::Form, "k_prime"));
}

TEST(Units, ConvertWithTheExactFactors) {
  EXPECT_EQ(ToModel(Quantity::Speed, Units::Imperial, 100.0), 44.704);
  EXPECT_EQ(FromModel(Quantity::Speed, Units::Imperial, 44.704), 100.0);
  EXPECT_EQ(ToModel(Quantity::Distance, Units::Imperial, 100.0), 91.44);
  EXPECT_EQ(ToModel(Quantity::Height, Units::Imperial, 1000.0), 304.8);
  EXPECT_EQ(ToModel(Quantity::Temperature, Units::Imperial, 212.0), 100.0);
  EXPECT_EQ(ToModel(Quantity::Temperature, Units::Imperial, 32.0), 0.0);
  EXPECT_EQ(FromModel(Quantity::Temperature, Units::Imperial, -40.0), -40.0);
  EXPECT_EQ(ToModel(Quantity::Pressure, Units::Imperial, 1.0), 33.8638866667);
  // What has one unit in both systems passes through, even where metric would not.
  for (const Quantity q : {Quantity::Angle, Quantity::SpinRate, Quantity::Mass, Quantity::Coefficient}) {
    EXPECT_EQ(ToModel(q, Units::Imperial, 0.1), 0.1);
    EXPECT_EQ(UnitText(q, Units::Imperial), UnitText(q, Units::Metric));
  }
  EXPECT_EQ(std::signbit(FromModel(Quantity::Speed, Units::Imperial, -0.0)), true);
  EXPECT_EQ(ToModel(Quantity::Temperature, Units::Metric, 20.0), 20.0);

  Units u = Units::Imperial;
  EXPECT_FALSE(ParseUnits("Metric", u));
  EXPECT_EQ(u, Units::Imperial);
  EXPECT_TRUE(ParseUnits("metric", u));
  EXPECT_EQ(u, Units::Metric);

  const Parameter speed = InUnits(ParameterFor(&FlightForm::launchSpeed), Units::Imperial);
  EXPECT_EQ(speed.max, 100.0 / 0.44704);
  EXPECT_EQ(speed.Unit(Units::Imperial), "mph");
  EXPECT_EQ(InUnits(ParameterFor(&FlightForm::launchAngle), Units::Imperial).max, 90.0);
}

TEST(Trajectory, RowZeroIsTheLaunchThenOneRowPerTick) {
  FlightForm form = DefaultForm();
  FlightForm again = form;
  const FlightOutcome out = RunFlight(again, kDefaultMaxTicks);
  const std::vector<TrajectoryRow> rows = FlyTrajectory(form, kDefaultMaxTicks);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(out.ticks) + 1);
  EXPECT_EQ(rows[0].tick, 0);
  EXPECT_EQ(rows[0].t, 0.0);
  EXPECT_EQ(rows[0].z, 0.0);
  EXPECT_EQ(rows[0].vx, out.state.launchVel[1]);
  EXPECT_EQ(rows[0].vz, out.state.launchVel[3]);
  const TrajectoryRow& last = rows.back();
  EXPECT_EQ(last.tick, out.ticks);
  EXPECT_EQ(last.t, static_cast<double>(out.ticks) * 0.01);
  // The last row is where the run ended: the position the landing was found below.
  EXPECT_EQ(last.x, out.state.posNext[1]);
  EXPECT_EQ(rows[rows.size() - 2].z, out.landing[3]);

  // A bound stops the rows with the run.
  EXPECT_EQ(FlyTrajectory(form, 5).size(), 6u);
}

}  // namespace
}  // namespace vendrel
