// vendrel-flight as a process: outcomes, exit statuses, refusals, the trajectory.
#include <cstdlib>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "tests/support/process.h"
#include "tests/support/golden.h"

namespace vendrel {
namespace {

using test::RunFlightTool;
using test::RunProcess;

nlohmann::json Json(const test::ProcessResult& r) { return nlohmann::json::parse(r.out); }

// How a flight ends, and what the process says about it.
struct Outcome {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* end;
  bool landed;
};

void PrintTo(const Outcome& row, std::ostream* os) { *os << row.name; }

class FlightToolOutcome : public testing::TestWithParam<Outcome> {};

TEST_P(FlightToolOutcome, JsonWithEveryKey) {
  const Outcome& c = GetParam();
  std::vector<std::string> args = c.args;
  args.push_back("--format=json");
  const auto r = RunFlightTool(args);
  EXPECT_EQ(r.status, c.status) << r.err;
  const auto j = Json(r);
  const std::set<std::string> keys{"ticks", "end", "landed", "carry", "distance", "landing", "apex"};
  std::set<std::string> got;
  for (auto it = j.begin(); it != j.end(); ++it) got.insert(it.key());
  EXPECT_EQ(got, keys);
  EXPECT_EQ(j["end"], c.end);
  EXPECT_EQ(j["landed"], c.landed);
  EXPECT_EQ(j["landing"].size(), 3u);
}

const Outcome kOutcomes[] = {
    {"Ground", {}, 0, "ground", true},
    {"NotANumber", {"--mass", "0"}, 0, "nan", true},
    {"MaxTicks", {"--k", "10", "--max-ticks", "100"}, 3, "max-ticks", false},
};

INSTANTIATE_TEST_SUITE_P(Rows, FlightToolOutcome, testing::ValuesIn(kOutcomes),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FlightTool, DefaultFlightMatchesTheReferenceBits) {
  const auto r = RunFlightTool({"--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = Json(r);
  const auto& gold = test::Golden().at("whole_runs").at(0).at("outputs");
  EXPECT_EQ(j["ticks"], 332);
  EXPECT_EQ(j["carry"].get<double>(), 183.0);
  EXPECT_BITS(j["distance"].get<double>(), test::Hex(gold.at("distance")));
  EXPECT_BITS(j["landing"]["z"].get<double>(), test::Hex(gold.at("landing_pos").at(2)));
  EXPECT_BITS(j["apex"].get<double>(), test::Hex(gold.at("apex_pos")));
}

TEST(FlightTool, NotANumberIsNullAndTheCarryUnchanged) {
  const auto j = Json(RunFlightTool({"--mass", "0", "--format", "json"}));
  EXPECT_TRUE(j["carry"].is_null());
  EXPECT_TRUE(j["distance"].is_null());
  EXPECT_TRUE(j["landing"]["z"].is_null());
  const auto drop = Json(RunFlightTool({"--speed", "0", "--format", "json"}));
  EXPECT_EQ(drop["ticks"], 2);
  EXPECT_EQ(drop["distance"], 0.0);
  EXPECT_TRUE(drop["carry"].is_null());
}

TEST(FlightTool, TextGivesTheSameFacts) {
  const auto r = RunFlightTool({});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("ticks:    332\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("carry:    183 m\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("landed:   yes\n"), std::string::npos) << r.out;
}

// A command line the process refuses: status 2, nothing run, one line naming the option.
// What the parser refuses and why is options_test's; here, one parser refusal and the
// files that only opening them shows unwritable.
struct Refused {
  const char* name;
  std::vector<std::string> args;
  const char* says;
};

void PrintTo(const Refused& row, std::ostream* os) { *os << row.name; }

class FlightToolRefusal : public testing::TestWithParam<Refused> {};

TEST_P(FlightToolRefusal, RunsNothing) {
  const auto r = test::ExpectRefused(GetParam().args);
  EXPECT_NE(r.err.find(GetParam().says), std::string::npos) << r.err;
}

const Refused kRefused[] = {
    {"OutOfRange", {"--angle", "95"}, "--angle: '95' is out of range (allowed: 0 to 90)\n"},
    {"UnwritableTrajectory", {"--trajectory", "/nonexistent/dir/t.csv"}, "--trajectory"},
    {"UnwritablePicture", {"--png", "/nonexistent/dir/p.png"}, "--png"},
    {"UnwritableSweep", {"sweep", "--output", "/nonexistent/x.csv"}, "--output"},
};

INSTANTIATE_TEST_SUITE_P(Rows, FlightToolRefusal, testing::ValuesIn(kRefused),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FlightTool, TrajectoryRowsAreTheSegmentsTheWindowDraws) {
  const std::string path = test::ScratchPath("default.csv");
  const auto r = RunFlightTool({"--trajectory", path, "--side-spin", "1500"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream csv(test::ReadFile(path));
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line, "tick,t,x,y,z,vx,vy,vz");

  FlightForm form = DefaultForm();
  form.sideSpin = 1500;
  std::vector<FlightState> states;
  RunFlight(form, 100000, [&](std::int64_t, const FlightState& st) { states.push_back(st); });

  std::int64_t row = 0;
  while (std::getline(csv, line)) {
    std::vector<double> v;
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) v.push_back(std::strtod(cell.c_str(), nullptr));
    ASSERT_EQ(v.size(), 8u) << line;
    ASSERT_EQ(v[0], static_cast<double>(row));
    if (row == 0) {
      EXPECT_EQ(v[2], 0.0);
      EXPECT_EQ(v[5], states[0].launchVel[1]);
    } else {
      const FlightState& st = states[row - 1];
      EXPECT_EQ(v[1], static_cast<double>(row) * 0.01);
      for (int i = 1; i <= 3; ++i) {
        EXPECT_BITS(v[1 + i], st.posNext[i]);
        EXPECT_BITS(v[4 + i], st.velNext[i]);
      }
      // Each segment starts where the previous one ended.
      if (row > 1) {
        EXPECT_EQ(st.pos, states[row - 2].posNext);
      }
    }
    ++row;
  }
  EXPECT_EQ(row, 333) << "the launch and one row per tick";
}

TEST(FlightTool, ConvergenceCheck) {
  const auto r = RunFlightTool({"--converge", "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = Json(r);
  ASSERT_EQ(j["runs"].size(), 3u);
  EXPECT_EQ(j["runs"][0]["ticks"], 332);
  EXPECT_EQ(j["runs"][2]["dt"], 0.0025);
  EXPECT_TRUE(j["converged"]);
  const auto coarse = Json(RunFlightTool({"--converge", "--format", "json", "--dt", "0.1", "--k", "0.2"}));
  EXPECT_EQ(coarse["runs"][2]["dt"], 0.025) << "halved steps may go below nothing the form forbids";
  const auto text = RunFlightTool({"--converge", "--dt", "0.00001"});
  EXPECT_NE(text.out.find("dt/4 = 2.5e-06 s"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("converged: yes"), std::string::npos) << text.out;
}

// Too coarse a step says so, and the bound is half a metre in yards too: a change of
// 0.47 m (0.51 yd) has converged, one of 0.53 m has not.
TEST(FlightTool, ConvergenceSaysWhenTheStepIsTooCoarse) {
  const auto coarse = RunFlightTool({"--converge", "--dt", "0.1"});
  EXPECT_EQ(coarse.status, 0) << coarse.err;
  EXPECT_NE(coarse.out.find("converged: no (the distance changed by 1.3355771474223275 m; the bound is 0.5 m)\n"),
            std::string::npos)
      << coarse.out;
  struct Case {
    const char* dt;
    bool converged;
  };
  for (const Case& c : {Case{"0.035", true}, Case{"0.04", false}}) {
    SCOPED_TRACE(c.dt);
    const auto metres = Json(RunFlightTool({"--converge", "--dt", c.dt, "--format", "json"}));
    const auto yards = Json(RunFlightTool({"--converge", "--dt", c.dt, "--format", "json", "--units", "imperial"}));
    EXPECT_EQ(metres["converged"], c.converged);
    EXPECT_EQ(yards["converged"], c.converged);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(yards["runs"][i]["distance"].get<double>(), metres["runs"][i]["distance"].get<double>() / 0.9144);
      EXPECT_EQ(yards["runs"][i]["dt"], metres["runs"][i]["dt"]) << "time stays in seconds";
    }
    const auto text = RunFlightTool({"--converge", "--dt", c.dt, "--units", "imperial"});
    EXPECT_NE(text.out.find(c.converged ? "converged: yes" : "converged: no"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(" yd; the bound is 0.5 m)"), std::string::npos) << text.out;
  }
}

// A write that fails (a full disk) fails the command, whatever the output; and a refused
// command draws no chart.
TEST(FlightTool, FailedWritesAreFailures) {
  for (const char* model : {"form", "ball"}) {
    const auto png = RunFlightTool({"--model", model, "--png", "/dev/full"});
    EXPECT_EQ(png.status, 2) << model;
    EXPECT_NE(png.err.find("writing /dev/full failed"), std::string::npos) << png.err;
    const auto report = RunProcess("/bin/sh", {"-c", "exec \"$0\" --model $1 --format json >/dev/full",
                                               VENDREL_FLIGHT_EXE, model});
    EXPECT_EQ(report.status, 2) << model;
    EXPECT_NE(report.err.find("writing standard output failed"), std::string::npos) << report.err;
  }
  const std::string chart = test::ScratchPath("refused.png");
  const auto refused = RunFlightTool({"--model", "ball", "--chart", chart, "--trajectory", "/nonexistent/t.csv"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(test::ReadFile(chart), "");
}

// A refused output path changes no other output: every path is checked before any file
// is opened (and so emptied).
TEST(FlightTool, ARefusedPathLeavesTheOtherOutputsAlone) {
  const std::string kept = test::ScratchPath("kept");
  const std::string bad = "/nonexistent/out";
  const std::vector<std::vector<std::string>> commands = {
      {"--trajectory", kept, "--png", bad},
      {"--model", "ball", "--chart", kept + ".svg", "--trajectory", bad},
      {"sweep", "--angle", "10:20:5", "--chart", kept + ".png", "--output", bad},
      {"dispersion", "--samples", "3", "--output", kept, "--chart", bad + ".png"},
  };
  for (const auto& args : commands) {
    const std::string file = args[args.size() - 3];
    std::FILE* f = std::fopen(file.c_str(), "w");
    std::fputs("mine\n", f);
    std::fclose(f);
    const auto r = RunFlightTool(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_NE(r.err.find("cannot write " + bad), std::string::npos) << r.err;
    EXPECT_EQ(test::ReadFile(file), "mine\n") << args[0];
  }
}

TEST(FlightTool, HelpAndVersion) {
  const auto v = RunFlightTool({"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "vendrel-flight 1.0.0.1\n");
  const auto h = RunFlightTool({"--help"});
  EXPECT_EQ(h.status, 0);
  for (const auto& f : ParametersOf(Model::Form)) EXPECT_NE(h.out.find("--" + std::string(f.option)), std::string::npos);
}

}  // namespace
}  // namespace vendrel
