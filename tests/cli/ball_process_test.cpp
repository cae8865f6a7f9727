// vendrel-flight --model ball as a process: the shared ball flights to the bit, the
// refusals of mixed models and spin forms, and imperial units of the air and wind.
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/golden.h"
#include "tests/support/process.h"

namespace vendrel {
namespace {

using test::RunFlightTool;

const nlohmann::json& BallShots() {
  static const nlohmann::json doc = [] {
    std::ifstream in(VENDREL_TEST_DATA "/ball_flight.json");
    return nlohmann::json::parse(in);
  }();
  return doc.at("shots");
}

double HexOf(const nlohmann::json& text) { return std::strtod(text.get<std::string>().c_str(), nullptr); }

std::vector<std::string> BallArgs(const nlohmann::json& params) {
  std::vector<std::string> args{"--model", "ball", "--format", "json"};
  for (auto it = params.begin(); it != params.end(); ++it) {
    std::string option = it.key();
    for (char& c : option) c = c == '_' ? '-' : c;
    args.push_back("--" + option);
    args.push_back(it.value().dump());
  }
  return args;
}

TEST(BallTool, SharedFlightsToTheBitWithTheirExtraKeys) {
  for (const auto& shot : BallShots()) {
    SCOPED_TRACE(shot.at("name").get<std::string>());
    const auto r = RunFlightTool(BallArgs(shot.at("params")));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    std::set<std::string> keys;
    for (auto it = j.begin(); it != j.end(); ++it) keys.insert(it.key());
    EXPECT_EQ(keys, (std::set<std::string>{"ticks", "end", "landed", "carry", "distance", "landing", "apex",
                                           "landing_angle", "flight_time", "lateral", "total", "roll", "rest",
                                           "bounces", "time_to_rest"}));
    const auto& want = shot.at("outputs");
    EXPECT_EQ(j["ticks"], want.at("ticks"));
    EXPECT_EQ(j["bounces"], want.at("bounces"));
    EXPECT_BITS(j["rest"]["x"].get<double>(), HexOf(want.at("rest").at(0)));
    EXPECT_BITS(j["rest"]["y"].get<double>(), HexOf(want.at("rest").at(1)));
    for (const char* key :
         {"distance", "apex", "landing_angle", "flight_time", "lateral", "total", "roll", "time_to_rest"}) {
      SCOPED_TRACE(key);
      EXPECT_BITS(j[key].get<double>(), HexOf(want.at(key)));
    }
    EXPECT_BITS(j["carry"].get<double>(), HexOf(want.at("distance")));  // the ball's carry is its distance
    EXPECT_BITS(j["landing"]["y"].get<double>(), HexOf(want.at("landing").at(1)));
    EXPECT_EQ(j["landing"]["z"].get<double>(), 0.0);
  }
}

// Row `ticks` is the landing; the rows go on through the bounces and the roll.
TEST(BallTool, TrajectoryPassesTheLandingAndEndsAtRest) {
  const auto r = RunFlightTool({"--model", "ball", "--trajectory", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream in(r.out);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "tick,t,x,y,z,vx,vy,vz,phase");
  std::vector<std::vector<std::string>> rows;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::istringstream row(line);
    for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
    ASSERT_EQ(cells.size(), 9u) << line;
    rows.push_back(cells);
  }
  const auto& want = BallShots().at(2).at("outputs");  // the default driver
  const auto ticks = want.at("ticks").get<std::size_t>();
  ASSERT_GT(rows.size(), ticks + 1);
  EXPECT_EQ(rows[0][0] + rows[0][1] + rows[0][2] + rows[0][3] + rows[0][4], "00000");  // the launch
  const auto& landing = rows[ticks];
  EXPECT_EQ(landing[4], "0");  // on the ground
  EXPECT_EQ(std::strtod(landing[1].c_str(), nullptr), HexOf(want.at("flight_time")));
  EXPECT_EQ(std::strtod(landing[2].c_str(), nullptr), HexOf(want.at("landing").at(0)));
  // Flight up to the landing, then bounces, then the slide and roll, in that order.
  EXPECT_EQ(landing[8], "flight");
  EXPECT_EQ(rows[ticks + 1][8], "bounce");
  std::string phases;
  for (const auto& row : rows) {
    if (phases.empty() || phases.back() != row[8][0]) phases += row[8][0];
  }
  EXPECT_EQ(phases, "fbr");
  const auto& rest = rows.back();
  EXPECT_EQ(rest[5] + rest[6] + rest[7], "000");  // at rest
  EXPECT_EQ(std::strtod(rest[2].c_str(), nullptr), HexOf(want.at("rest").at(0)));
  EXPECT_EQ(std::strtod(rest[1].c_str(), nullptr), HexOf(want.at("time_to_rest")));
  EXPECT_GT(std::strtod(rest[2].c_str(), nullptr), std::strtod(landing[2].c_str(), nullptr));  // it rolled on
  // The report went to standard error, the rows to standard output.
  EXPECT_NE(r.err.find("landing angle:"), std::string::npos) << r.err;
}

// --surface sets the six ground constants; one also given on its own keeps its value,
// whichever comes first.
TEST(BallTool, SurfaceSetsTheGroundAndKeepsConstantsGivenAlone) {
  const auto json = [](std::vector<std::string> args) {
    args.insert(args.end(), {"--model", "ball", "--format", "json"});
    const auto r = RunFlightTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  };
  const std::string green = json({"--surface", "green"});
  EXPECT_EQ(green, json({"--bounce-e0", "0.51", "--bounce-e1", "0.0375", "--bounce-e2", "0.000903", "--friction",
                         "0.4", "--crater", "15.4", "--roll-resistance", "0.056"}));
  EXPECT_NE(green, json({}));
  const std::string slow = json({"--surface", "green", "--roll-resistance", "0.2"});
  EXPECT_EQ(slow, json({"--roll-resistance", "0.2", "--surface", "green"}));
  EXPECT_NE(slow, green);
  // Firmer rolls further, softer less, on fairways and greens alike.
  const auto total = [&json](const char* surface) {
    return nlohmann::json::parse(json({"--surface", surface}))["total"].get<double>();
  };
  EXPECT_GT(total("fairway-firm"), total("fairway"));
  EXPECT_LT(total("fairway-soft"), total("fairway"));
  EXPECT_GT(total("green-firm"), total("green"));
  EXPECT_LT(total("green-soft"), total("green"));
  const struct {
    std::vector<std::string> args;
    const char* message;
  } refusals[] = {
      {{"--model", "ball", "--surface", "ice"},
       "--surface: 'ice' is not one of fairway, rough, green, fairway-firm, fairway-soft, green-firm or green-soft"},
      {{"--surface", "green"}, "--surface: only with --model ball"},
      {{"--model", "ball", "--surface", "green", "--surface", "rough"}, "--surface: given more than once"},
  };
  for (const auto& row : refusals) {
    const auto r = RunFlightTool(row.args);
    EXPECT_EQ(r.status, 2) << row.message;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
  }
}

TEST(BallTool, RefusesMixedModelsBothSpinFormsAndValuesOutOfRange) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } rows[] = {
      {{"--model", "ball", "--k", "0.1"}, "--k: only with --model form"},
      {{"--k-prime", "0.1", "--model", "ball"}, "--k-prime: only with --model form"},
      {{"--total-spin", "3000"}, "--total-spin: only with --model ball"},
      {{"--wind-speed", "3"}, "--wind-speed: only with --model ball"},
      {{"--model", "ball", "--spin-axis", "5", "--side-spin", "300"},
       "give the spin either as total spin and spin axis or as back and side spin, not both"},
      {{"--model", "ball", "--spin-axis", "185"}, "--spin-axis: '185' is out of range (allowed: -180 to 180)"},
      {{"--model", "ball", "--speed", "121"}, "--speed: '121' is out of range (allowed: 0 to 120)"},
      {{"--model", "ball", "--mass", "0"}, "--mass: '0' is out of range (allowed: 1 to 1000)"},
      {{"--model", "ball", "--humidity", "nan"}, "--humidity: 'nan' is not a number"},
      {{"--model", "ball", "--png", "/dev/null", "--overlay", "total-spin=3000"}, "--overlay: only with --model form"},
      {{"--model", "round"}, "--model: 'round' is not one of form or ball"},
      {{"--model", "ball", "--cd0", "0.05", "--cd1", "-1"}, "the drag coefficient must not fall below 0"},
      // A ball's flight ends by itself: a tick bound would do nothing.
      {{"--model", "ball", "--max-ticks", "100"}, "--max-ticks: only with --model form"},
      {{"sweep", "--max-ticks", "100", "--model", "ball"}, "--max-ticks: only with --model form"},
      // A spread of the spin form the shots do not fly would be drawn and never flown.
      {{"dispersion", "--model", "ball", "--back-spin-sd", "300"},
       "--back-spin-sd: the shots fly total spin and spin axis"},
      {{"dispersion", "--model", "ball", "--side-spin", "100", "--total-spin-sd", "300"},
       "--total-spin-sd: the shots fly back and side spin"},
  };
  for (const auto& row : rows) {
    const auto r = RunFlightTool(row.args);
    EXPECT_EQ(r.status, 2) << row.message;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << row.message;
  }
  // The form's own range stays the form's.
  const auto form = RunFlightTool({"--speed", "101"});
  EXPECT_NE(form.err.find("(allowed: 0 to 100)"), std::string::npos) << form.err;
}

TEST(BallTool, ImperialUnitsCoverTheAirAndTheWind) {
  const auto json = [](std::vector<std::string> args) {
    args.insert(args.end(), {"--model", "ball", "--format", "json"});
    const auto r = RunFlightTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out.empty() ? "{}" : r.out);
  };
  // 86 °F, 1000 ft, 29.53 inHg, 10 mph from behind: the same flight as its metric values.
  const auto metric = json({"--temperature", "30", "--pressure", "1000", "--wind-speed", "4.4704",
                            "--wind-direction", "180", "--wind-height", "3.048"});
  const auto imperial = json({"--units", "imperial", "--temperature", "86", "--pressure", "29.52998330", "--wind-speed",
                              "10", "--wind-direction", "180", "--wind-height", "10"});
  const double m = metric["distance"].get<double>();
  EXPECT_NEAR(imperial["distance"].get<double>() * 0.9144, m, 1e-6);
  EXPECT_NEAR(imperial["apex"].get<double>() * 0.9144, metric["apex"].get<double>(), 1e-6);
  EXPECT_EQ(imperial["landing_angle"].get<double>() > 0, true);
  // The pressure's inHg is rounded: the rest moves by micrometres, not by a yard's 0.9144.
  for (const char* key : {"total", "roll"}) {
    EXPECT_NEAR(imperial[key].get<double>() * 0.9144, metric[key].get<double>(), 1e-5) << key;
  }
  EXPECT_NEAR(imperial["rest"]["x"].get<double>() * 0.9144, metric["rest"]["x"].get<double>(), 1e-5);
  EXPECT_NEAR(imperial["time_to_rest"].get<double>(), metric["time_to_rest"].get<double>(), 1e-6);  // seconds
  // The text report names the same lengths in yards.
  const auto text = RunFlightTool({"--units", "imperial", "--model", "ball"});
  for (const char* line : {"\ntotal:    ", "\nroll:     ", "\nrest:     x ", "\nbounces:  3\n", "\ntime to rest: "}) {
    EXPECT_NE(text.out.find(line), std::string::npos) << line << text.out;
  }
  EXPECT_NE(text.out.find("total:    292.684"), std::string::npos) << text.out;
  // A tail wind carries further than calm air, in either system.
  EXPECT_GT(m, json({"--temperature", "30", "--pressure", "1000"})["distance"].get<double>() + 5.0);
  // Out of range in imperial names the imperial range: 5000 m is 16404.2 ft.
  const auto r = RunFlightTool({"--units", "imperial", "--model", "ball", "--altitude", "20000"});
  EXPECT_NE(r.err.find("--altitude: '20000' is out of range (allowed: -1640.4199475065616 to 16404.199475065616)"),
            std::string::npos)
      << r.err;
}

TEST(BallTool, DispersionDrawsTheBallsOwnLaunchValues) {
  const auto json = [](std::vector<std::string> args) {
    args.insert(args.begin(), "dispersion");
    args.insert(args.end(), {"--model", "ball", "--samples", "24", "--format", "json"});
    const auto r = RunFlightTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out.empty() ? "{}" : r.out);
  };
  // No spread: every flight is the single flight (the mean of 24 equal values may
  // round in its last bits).
  const auto still = json({});
  EXPECT_NEAR(still["distance"]["mean"].get<double>(), HexOf(BallShots().at(2).at("outputs").at("distance")), 1e-9);
  EXPECT_NEAR(still["distance"]["sd"].get<double>(), 0.0, 1e-9);
  EXPECT_EQ(still["lateral"]["mean"].get<double>(), 0.0);
  EXPECT_NEAR(still["total"]["mean"].get<double>(), HexOf(BallShots().at(2).at("outputs").at("total")), 1e-9);
  EXPECT_NEAR(still["total"]["sd"].get<double>(), 0.0, 1e-9);
  EXPECT_EQ(still["total"]["count"], 24);
  EXPECT_NEAR(still["rest_ellipse"]["x"].get<double>(), still["total"]["mean"].get<double>(), 1e-9);
  EXPECT_NEAR(still["rest_ellipse"]["major"].get<double>(), 0.0, 1e-6);
  // The spin axis and the direction scatter the ball sideways; the total spin, downrange.
  const auto sideways = json({"--spin-axis-sd", "4", "--direction-sd", "2"});
  EXPECT_GT(sideways["lateral"]["sd"].get<double>(), 5.0);
  EXPECT_EQ(sideways["distance"]["count"], 24);
  // The rests scatter as the landings do, and further: the ball rolls on along its line.
  EXPECT_GT(sideways["rest_ellipse"]["major"].get<double>(), sideways["ellipse"]["major"].get<double>());
  EXPECT_GT(sideways["rest_ellipse"]["x"].get<double>(), sideways["ellipse"]["x"].get<double>() + 10.0);
  const auto spin = json({"--total-spin-sd", "600"});
  EXPECT_GT(spin["distance"]["sd"].get<double>(), 0.5);
  EXPECT_EQ(spin["lateral"]["sd"].get<double>(), 0.0);
  EXPECT_EQ(spin["rest_ellipse"]["y"].get<double>(), 0.0);
  EXPECT_GT(spin["total"]["sd"].get<double>(), 0.5);
  // The text names them; the form's dispersion has no total.
  const auto text = RunFlightTool({"dispersion", "--model", "ball", "--samples", "3"});
  EXPECT_NE(text.out.find("\ntotal:    mean "), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("\nrest ellipse: 95% of the rest points: centre x "), std::string::npos) << text.out;
  const auto form = RunFlightTool({"dispersion", "--samples", "3", "--format", "json"});
  EXPECT_EQ(form.out.find("total"), std::string::npos) << form.out;
  // Every shot as a row: its parameters, then its results, the single shot's to the bit.
  const auto rows = RunFlightTool({"dispersion", "--model", "ball", "--samples", "2", "--units", "imperial",
                                   "--speed", "150", "--output", "-"});
  ASSERT_EQ(rows.status, 0) << rows.err;
  std::istringstream in(rows.out);
  std::string header, row;
  std::getline(in, header);
  std::getline(in, row);
  const std::string results =
      ",ticks,end,carry,distance,lateral,apex,landing_angle,flight_time,total,roll,rest_x,rest_y,bounces,time_to_rest";
  ASSERT_GT(header.size(), results.size());
  EXPECT_EQ(header.substr(header.size() - results.size()), results);
  EXPECT_EQ(header.rfind("angle,speed,", 0), 0u) << header;
  const auto single = nlohmann::json::parse(
      RunFlightTool({"--model", "ball", "--units", "imperial", "--speed", "150", "--format", "json"}).out);
  std::vector<std::string> cells;
  std::istringstream line(row);
  for (std::string cell; std::getline(line, cell, ',');) cells.push_back(cell);
  const std::size_t n = cells.size();
  ASSERT_GE(n, 14u);
  EXPECT_EQ(cells[1], "150");  // mph, as given
  EXPECT_EQ(std::strtod(cells[n - 6].c_str(), nullptr), single["total"].get<double>());
  EXPECT_EQ(std::strtod(cells[n - 4].c_str(), nullptr), single["rest"]["x"].get<double>());
  EXPECT_EQ(cells[n - 2], std::to_string(single["bounces"].get<int>()));
  EXPECT_EQ(std::strtod(cells[n - 1].c_str(), nullptr), single["time_to_rest"].get<double>());
  // The ball's own spreads are refused with the form's model.
  const auto r = RunFlightTool({"dispersion", "--spin-axis-sd", "2"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--spin-axis-sd: only with --model ball"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vendrel
