// Reading the command line: values, ranges of a sweep, refusals in their exact words.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "flight/form_value.h"

namespace vendrel::cli {
namespace {

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
  ASSERT_TRUE(ParseCommandLine({"--side-spin", "-1500", "--angle=30", "--back-spin=-5", "--k", "-0",
                                "--max-ticks", "7", "--format=json", "--trajectory", "-"},
                               cmd, error))
      << error;
  EXPECT_EQ(cmd.mode, Mode::Flight);
  EXPECT_EQ(cmd.flight.form.sideSpin, -1500);
  EXPECT_EQ(cmd.flight.form.launchAngle, 30);
  EXPECT_EQ(cmd.flight.form.backSpin, -5);
  EXPECT_EQ(cmd.flight.maxTicks, 7);
  EXPECT_EQ(cmd.flight.format, Format::Json);
  EXPECT_EQ(cmd.flight.trajectory, "-") << "a lone dash is a value";
  EXPECT_EQ(cmd.flight.form.launchSpeed, 60) << "untouched options keep the form's defaults";
}

TEST(CommandLine, OverlaysInOrder) {
  Command cmd;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"--png", "p.png", "--overlay", "angle=30,speed=-0", "--overlay=side-spin=-1500"},
                               cmd, error))
      << error;
  ASSERT_EQ(cmd.flight.overlays.size(), 2u);
  ASSERT_EQ(cmd.flight.overlays[0].size(), 2u);
  EXPECT_EQ(cmd.flight.overlays[0][0].first->form, &FlightForm::launchAngle);
  EXPECT_EQ(cmd.flight.overlays[1][0].second, -1500);
}

TEST(CommandLine, SweepRangesAndSize) {
  Command cmd;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"sweep", "--angle", "10:20:5", "--speed=50:60:10", "--k", "0.02",
                                "--side-spin", "-2000:-1000:1000", "--threads", "3", "--no-progress"},
                               cmd, error))
      << error;
  EXPECT_EQ(cmd.mode, Mode::Sweep);
  EXPECT_EQ(SweepSize(cmd.sweep), 12);
  EXPECT_EQ(cmd.sweep.ranges[4].start, 0.02);
  EXPECT_EQ(cmd.sweep.ranges[2].start, -2000);
  EXPECT_EQ(cmd.sweep.threads, 3u);
  EXPECT_FALSE(cmd.sweep.progress);
  EXPECT_EQ(cmd.sweep.ranges[8].start, 0.01) << "dt keeps its default";

  EXPECT_TRUE(ParseCommandLine({"sweep", "--angle", "0:90:1", "--max-flights", "91"}, cmd, error)) << error;
}

TEST(CommandLine, HelpAndVersionRunNothing) {
  Command cmd;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"--angle", "20", "--help"}, cmd, error));
  EXPECT_EQ(cmd.mode, Mode::Help);
  EXPECT_NE(cmd.help.find("  --threads N"), std::string::npos)
      << "the flight's help shows the sweep's options too:\n" << cmd.help;
  ASSERT_TRUE(ParseCommandLine({"sweep", "-h"}, cmd, error));
  EXPECT_EQ(cmd.help, UsageText("sweep"));
  ASSERT_TRUE(ParseCommandLine({"--version"}, cmd, error));
  EXPECT_EQ(cmd.mode, Mode::Version);
}

// A refused command line and the one line that says why.
struct Refusal {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

void PrintTo(const Refusal& row, std::ostream* os) { *os << row.name; }

class CommandLineRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(CommandLineRefusal, SaysWhyInOneLine) {
  Command cmd;
  std::string error;
  EXPECT_FALSE(ParseCommandLine(GetParam().args, cmd, error));
  EXPECT_EQ(error, GetParam().message);
}

const Refusal kRefusals[] = {
    {"OutOfRange", {"--angle", "95"}, "--angle: '95' is out of range (allowed: 0 to 90)"},
    {"NotANumber", {"--speed=nan"}, "--speed: 'nan' is not a number (allowed: 0 to 100)"},
    {"Empty", {"--mass", ""}, "--mass: '' is not a number (allowed: 0 to 10000)"},
    {"TrailingUnit", {"--mass=12kg"}, "--mass: '12kg' is not a number (allowed: 0 to 10000)"},
    {"Blank", {"--k", " 1"}, "--k: ' 1' is not a number (allowed: 0 to 10)"},
    {"RangeInPlainDecimals", {"--dt", "1"}, "--dt: '1' is out of range (allowed: 0.00001 to 0.1)"},
    {"NegativeOutOfRange", {"--side-spin", "-100001"},
     "--side-spin: '-100001' is out of range (allowed: -100000 to 100000)"},
    {"MissingValue", {"--side-spin"}, "--side-spin: missing value"},
    {"MissingValueAfterEquals", {"--angle="}, "--angle: missing value"},
    {"GivenTwice", {"--angle", "1", "--angle", "2"}, "--angle: given more than once"},
    {"WholeNumber", {"--max-ticks", "1.5"}, "--max-ticks: '1.5' is not a whole number from 1 to 1000000000000"},
    {"Choice", {"--format", "xml"}, "--format: 'xml' is not one of text or json"},
    {"UnknownOption", {"--bogus", "1"}, "'--bogus': unknown option (see --help)"},
    {"Stray", {"stray"}, "'stray': unexpected argument (see --help)"},
    {"UnknownBesideVersion", {"--version", "--bogus"}, "'--bogus': unknown option (see --help)"},
    {"FlagWithValue", {"--converge=1"}, "--converge: takes no value"},
    {"SubcommandFlagWithValue", {"sweep", "--no-progress=no"}, "--no-progress: takes no value"},
    {"MissingAfterAFirst", {"sweep", "--best", "carry", "--best"}, "--best: missing value"},
    {"RequiredOption", {"fit", "--angle", "3"}, "--shots is required"},
    {"RequiredOfItsOwnSubcommand", {"history"}, "--database is required"},
    {"OverlayWithoutPicture", {"--overlay", "angle=30"}, "--overlay: only with --png or --chart"},
    {"TrajectoryWithConvergence", {"--converge", "--trajectory", "t.csv"}, "--trajectory: not with --converge"},
    {"PictureWithConvergence", {"--png", "p.png", "--converge"}, "--png: not with --converge"},
    {"BothOnStandardOutput", {"--png", "-", "--trajectory", "-"},
     "--png: standard output already takes the trajectory"},
    {"EmptyFileName", {"--png", ""}, "--png: missing file name"},
    {"OverlayUnknownName", {"--png", "p", "--overlay", "spin=3"},
     "--overlay: unknown parameter 'spin' (one of angle, speed, side-spin, back-spin, k, k-prime, mass, "
     "gravity, dt)"},
    {"OverlayOutOfRange", {"--png", "p", "--overlay", "angle=10,angle=91"},
     "--overlay: angle: '91' is out of range (allowed: 0 to 90)"},
    {"OverlayNotAPair", {"--png", "p", "--overlay", "angle"}, "--overlay: 'angle' is not name=value"},
    {"OverlayNameTwice", {"--png", "p", "--overlay", "speed=50,speed=40"}, "--overlay: speed: given more than once"},
    {"FlightOptionBeforeSweep", {"--angle", "10", "sweep"}, "'--angle' comes before 'sweep': give it after it"},
    {"FlightOptionInSweep", {"sweep", "--format", "json"}, "'--format': unknown option of sweep (see --help)"},
    {"ZeroStep", {"sweep", "--angle", "0:90:0"}, "--angle: the step of '0:90:0' must be a number greater than zero"},
    {"StartAfterStop", {"sweep", "--angle", "50:40:1"}, "--angle: the start of '50:40:1' exceeds its stop"},
    {"TwoParts", {"sweep", "--angle", "0:90"}, "--angle: '0:90' is not start:stop:step"},
    {"StopOutOfRange", {"sweep", "--angle", "0:91:1"}, "--angle: '91' is out of range (allowed: 0 to 90)"},
    {"Threads", {"sweep", "--threads", "0"}, "--threads: '0' is not a whole number from 1 to 1024"},
    {"MaxFlights", {"sweep", "--max-flights", "0"}, "--max-flights: '0' is not a whole number of at least 1"},
    {"BeyondTheLargest", {"dispersion", "--seed", "18446744073709551615"},
     "--seed: '18446744073709551615' is not a whole number from 0 to 9223372036854775807"},
    {"TooManyFlights", {"sweep", "--angle", "0:90:1", "--max-flights", "90"}, "sweep: 91 flights exceed --max-flights 90"},
    {"FarTooManyFlights", {"sweep", "--angle", "0:90:1e-300"}, "sweep: too many flights exceed --max-flights 10000000"},
};

INSTANTIATE_TEST_SUITE_P(Rows, CommandLineRefusal, testing::ValuesIn(kRefusals),
                         [](const auto& row) { return std::string(row.param.name); });

// The refusal the web edition and the Python module show, with their own names.
TEST(FormValueRefusal, NamesTheFieldItsCallersWay) {
  const Parameter& angle = *FindByOption(Model::Form, "angle");
  EXPECT_EQ(FormValueRefusal(angle, 45, "angle"), "");
  EXPECT_EQ(FormValueRefusal(angle, 90, "angle"), "") << "ranges are inclusive";
  EXPECT_EQ(FormValueRefusal(angle, 100000, "angle"), "angle: '100000' is out of range (allowed: 0 to 90)");
  EXPECT_EQ(FormValueRefusal(angle, std::nan(""), "launch_angle"),
            "launch_angle: 'nan' is not a number (allowed: 0 to 90)");
  EXPECT_EQ(FormValueRefusal(angle, -INFINITY, "angle"), "angle: '-inf' is out of range (allowed: 0 to 90)");
  double v = 7;
  std::string refusal;
  EXPECT_FALSE(ReadFormValue(angle, "1e999", "angle", v, refusal));
  EXPECT_EQ(refusal, "angle: '1e999' is not a number (allowed: 0 to 90)");
  EXPECT_EQ(v, 7) << "a refusal leaves the value alone";
}

}  // namespace
}  // namespace vendrel::cli
