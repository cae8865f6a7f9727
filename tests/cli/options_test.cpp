// Reading the command line: numbers, ranges of a sweep, refusals.
#include <cmath>

#include <gtest/gtest.h>

#include "cli/number_text.h"
#include "cli/options.h"

namespace vendrel::cli {
namespace {

TEST(ParseDecimal, AcceptsPlainDecimalsOnly) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case cases[] = {
      {"15", true, 15},        {"-1500", true, -1500},  {"+2", true, 2},
      {"0.00001", true, 1e-5}, {"1e-05", true, 1e-5},   {".5", true, 0.5},
      {"-.5", true, -0.5},     {"5.", true, 5},         {"1E3", true, 1000},
      {"", false, 0},          {"nan", false, 0},       {"-nan", false, 0},
      {"inf", false, 0},       {"-inf", false, 0},      {"infinity", false, 0},
      {"0x10", false, 0},      {"abc", false, 0},       {"5x", false, 0},
      {" 5", false, 0},        {"5 ", false, 0},        {"1e999", false, 0},
      {"--5", false, 0},       {"1e", false, 0},        {".", false, 0},
      {"-", false, 0},         {"1,5", false, 0},       {"+-1", false, 0},
  };
  for (const Case& c : cases) {
    double v = -123;
    EXPECT_EQ(ParseDecimal(c.text, v), c.ok) << "'" << c.text << "'";
    if (c.ok) EXPECT_EQ(v, c.value) << c.text;
    else EXPECT_EQ(v, -123) << "a refusal leaves the value alone: " << c.text;
  }
}

TEST(FormatDouble, ShortestRoundTrip) {
  EXPECT_EQ(FormatDouble(46), "46");
  EXPECT_EQ(FormatDouble(0.01), "0.01");
  EXPECT_EQ(FormatDouble(1e-5), "1e-05");
  EXPECT_EQ(FormatDouble(3 * 0.1), "0.30000000000000004");
  EXPECT_EQ(FormatDouble(-0.0), "-0");
  EXPECT_EQ(FormatJsonNumber(std::nan("")), "null");
  EXPECT_EQ(FormatJsonNumber(-INFINITY), "null");
  EXPECT_EQ(FormatDouble(-std::nan("")), "nan");
}

TEST(ParamRange, ValuesAndTheToleranceAtTheStop) {
  const ParamRange tenths{0, 1, 0.1, false};
  EXPECT_EQ(tenths.Count(), 11);
  EXPECT_EQ(tenths.Value(10), 1.0);
  EXPECT_EQ(tenths.Value(3), 0.30000000000000004) << "start + i × step, not accumulated";

  const ParamRange overshoot{0, 0.3, 0.1, false};  // 3 × 0.1 lands just above 0.3
  EXPECT_EQ(overshoot.Count(), 4);
  EXPECT_EQ(overshoot.Value(3), 0.3) << "a last value within tolerance is the stop";

  EXPECT_EQ((ParamRange{10, 20, 3, false}.Count()), 4) << "20 is not reached: 10 13 16 19";
  EXPECT_EQ((ParamRange{5, 5, 1, false}.Count()), 1);
  EXPECT_EQ((ParamRange{0, 90, 1e-300, false}.Count()), INT64_MAX) << "saturates";
}

TEST(CommandLine, BothOptionFormsAndNegativeValues) {
  Command cmd;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"--side-spin", "-1500", "--angle=30", "--back-spin=-5",
                                "--max-ticks", "7", "--format=json"},
                               cmd, error))
      << error;
  EXPECT_EQ(cmd.flight.form.sideSpin, -1500);
  EXPECT_EQ(cmd.flight.form.launchAngle, 30);
  EXPECT_EQ(cmd.flight.form.backSpin, -5);
  EXPECT_EQ(cmd.flight.maxTicks, 7);
  EXPECT_EQ(cmd.flight.format, Format::Json);
  EXPECT_EQ(cmd.flight.form.launchSpeed, 60) << "untouched options keep the form's defaults";
}

TEST(CommandLine, SweepRangesAndSize) {
  Command cmd;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"sweep", "--angle", "10:20:5", "--speed=50:60:10", "--k", "0.02"}, cmd, error))
      << error;
  EXPECT_EQ(cmd.mode, Mode::Sweep);
  EXPECT_EQ(SweepSize(cmd.sweep), 6);
  EXPECT_EQ(cmd.sweep.ranges[4].start, 0.02);

  EXPECT_FALSE(ParseCommandLine({"sweep", "--angle", "0:90:0.0001", "--speed", "0:100:0.001"}, cmd, error));
  EXPECT_NE(error.find("--max-flights"), std::string::npos) << error;
  EXPECT_TRUE(ParseCommandLine({"sweep", "--angle", "0:90:1", "--max-flights", "91"}, cmd, error)) << error;
  EXPECT_FALSE(ParseCommandLine({"sweep", "--angle", "0:90:1", "--max-flights", "90"}, cmd, error));
}

}  // namespace
}  // namespace vendrel::cli
