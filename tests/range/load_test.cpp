// The range as a process under load: 20 connectors of 500 shots each at once, every
// one acknowledged and stored once in its connector's order; and the same load with
// the server killed (SIGKILL) halfway, after which every acknowledged shot is there
// and the file is sound.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "flight/units.h"
#include "range/ball_flyer.h"
#include "range/shot_message.h"
#include "range/shot_store.h"
#include "tests/range/connector.h"
#include "tests/support/process.h"

namespace vendrel::range {
namespace {

using namespace std::chrono_literals;
using test::Connector;
using test::ReplyCode;
using test::ShotText;

constexpr int kConnectors = 20;
constexpr int kShots = 500;

// vendrel-flight range on a free port of 127.0.0.1.
struct RangeProcess {
  explicit RangeProcess(const std::string& db, std::vector<std::string> more = {}) {
    static int serial = 0;
    out = test::ScratchPath(std::string("range-out-") + std::to_string(serial++));
    std::vector<std::string> args = {VENDREL_FLIGHT_EXE, "range", "--port", "0", "--database", db};
    args.insert(args.end(), more.begin(), more.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
      std::freopen(out.c_str(), "w", stdout);
      execv(VENDREL_FLIGHT_EXE, argv.data());
      _exit(127);
    }
    const std::regex listening(R"(port (\d+);)");
    for (int i = 0; i < 1000 && port == 0; ++i) {
      std::smatch m;
      const std::string text = test::ReadFile(out);
      if (std::regex_search(text, m, listening)) port = std::stoi(m[1]);
      std::this_thread::sleep_for(10ms);
    }
  }
  ~RangeProcess() {
    if (pid > 0) Stop(SIGKILL);
  }
  int Stop(int signal) {
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    return status;
  }
  pid_t pid = -1;
  int port = 0;
  std::string out;
};

// Appended: gcc 12 warns falsely (-Wrestrict) about "C" + string.
std::string Device(int c) {
  std::string d = "C";
  d += std::to_string(c);
  return d;
}

// Each connector sends its shots one at a time, as a swing at a time, and notes every
// one acknowledged; it stops at the first that is not.
void RunConnectors(int port, std::vector<std::vector<std::int64_t>>& acked, std::atomic<int>& total) {
  acked.assign(kConnectors, {});
  std::vector<std::thread> threads;
  for (int c = 0; c < kConnectors; ++c) {
    threads.emplace_back([&, c] {
      Connector conn(port);
      for (int i = 1; i <= kShots; ++i) {
        if (!conn.Send(ShotText(Device(c), i, 100.0 + i % 100, 2000.0 + 10 * i))) return;
        const auto reply = conn.Reply();
        if (!reply || ReplyCode(*reply) != 200) return;
        acked[c].push_back(i);
        ++total;
      }
    });
  }
  for (auto& t : threads) t.join();
}

// Every device's shot numbers in the order of the file.
std::map<std::string, std::vector<std::int64_t>> Stored(const std::string& db) {
  std::string error;
  auto store = ShotStore::Open(db, ShotStore::Mode::Existing, error);
  EXPECT_TRUE(store) << error;
  std::vector<StoredShot> shots;
  if (store) {
    EXPECT_TRUE(store->Read({}, shots, error)) << error;
  }
  std::map<std::string, std::vector<std::int64_t>> byDevice;
  for (const StoredShot& s : shots) byDevice[s.device].push_back(*s.shotNumber);
  return byDevice;
}

std::string IntegrityCheck(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_stmt* s = nullptr;
  std::string out = "no answer";
  if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW) {
    out = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  return out;
}

TEST(RangeLoad, TwentyConnectorsOfFiveHundredShotsEachStoredOnceInOrder) {
  const std::string db = test::ScratchPath("load.sqlite");
  RangeProcess range(db);
  ASSERT_GT(range.port, 0) << test::ReadFile(range.out);
  std::vector<std::vector<std::int64_t>> acked;
  std::atomic<int> total{0};
  const auto start = std::chrono::steady_clock::now();
  RunConnectors(range.port, acked, total);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d shots acknowledged in %.2f s (%.0f a second)\n", total.load(), seconds, total / seconds);
  EXPECT_EQ(total, kConnectors * kShots);
  const int status = range.Stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

  std::vector<std::int64_t> all(kShots);
  for (int i = 0; i < kShots; ++i) all[i] = i + 1;
  const auto stored = Stored(db);
  EXPECT_EQ(stored.size(), static_cast<std::size_t>(kConnectors));
  for (int c = 0; c < kConnectors; ++c) {
    const auto it = stored.find(Device(c));
    ASSERT_NE(it, stored.end()) << Device(c);
    EXPECT_EQ(it->second, all) << Device(c);
  }
  EXPECT_EQ(IntegrityCheck(db), "ok");
}

TEST(RangeLoad, KilledHalfwayLosesNothingItAcknowledged) {
  const std::string db = test::ScratchPath("killed.sqlite");
  std::vector<std::vector<std::int64_t>> acked;
  std::atomic<int> total{0};
  std::string log;
  {
    RangeProcess range(db);
    ASSERT_GT(range.port, 0) << test::ReadFile(range.out);
    std::thread load([&] { RunConnectors(range.port, acked, total); });
    while (total < kConnectors * kShots / 3) std::this_thread::sleep_for(1ms);
    range.Stop(SIGKILL);
    load.join();
    log = test::ReadFile(range.out);
  }
  const int acknowledged = total;
  // Its output, a file here, has the line of every shot acknowledged.
  int lines = 0;
  for (std::size_t at = log.find("\nshot "); at != std::string::npos; at = log.find("\nshot ", at + 1)) ++lines;
  EXPECT_GE(lines, acknowledged);
  EXPECT_LT(acknowledged, kConnectors * kShots);
  // The restart opens the file as it was left, and serves.
  RangeProcess again(db);
  ASSERT_GT(again.port, 0) << test::ReadFile(again.out);
  Connector c(again.port);
  c.Send(ShotText("AFTER", 1));
  EXPECT_EQ(ReplyCode(c.Reply().value_or("")), 200);
  again.Stop(SIGTERM);

  EXPECT_EQ(IntegrityCheck(db), "ok");
  const auto stored = Stored(db);
  int kept = 0;
  for (int dev = 0; dev < kConnectors; ++dev) {
    const auto it = stored.find(Device(dev));
    const std::vector<std::int64_t> none;
    const std::vector<std::int64_t>& have = it == stored.end() ? none : it->second;
    // Every acknowledged shot, once, in order; at most the one in flight besides.
    ASSERT_GE(have.size(), acked[dev].size()) << Device(dev);
    EXPECT_LE(have.size(), acked[dev].size() + 1) << Device(dev);
    for (std::size_t i = 0; i < have.size(); ++i) EXPECT_EQ(have[i], static_cast<std::int64_t>(i + 1)) << Device(dev);
    kept += static_cast<int>(have.size());
  }
  std::printf("killed after %d acknowledged shots; %d in the file\n", acknowledged, kept);
}

}  // namespace
}  // namespace vendrel::range

namespace vendrel::range {
namespace {

// The air, wind and surface given on the command line fly every shot and are kept
// with it; the launch values are the monitor's and are no options.
TEST(RangeProcess, FliesInTheConditionsItIsGivenAndKeepsThem) {
  const std::string db = test::ScratchPath("conditions.sqlite");
  {
    RangeProcess range(db, {"--units", "imperial", "--wind-speed", "22.5", "--wind-direction", "180",
                            "--temperature", "86", "--friction", "0.2"});
    ASSERT_GT(range.port, 0) << test::ReadFile(range.out);
    Connector c(range.port);
    c.Send(ShotText("W", 1));
    EXPECT_EQ(ReplyCode(c.Reply().value_or("")), 200);
    range.Stop(SIGTERM);
  }
  const auto json = test::RunFlightTool({"history", "--database", db, "--format", "json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto shot = nlohmann::json::parse(json.out).at(0);
  const auto& conditions = shot["conditions"];
  EXPECT_EQ(conditions["wind_speed"].get<double>(), ToModel(Quantity::Speed, Units::Imperial, 22.5));
  EXPECT_EQ(conditions["wind_direction"], 180.0);
  EXPECT_EQ(conditions["temperature"].get<double>(), ToModel(Quantity::Temperature, Units::Imperial, 86.0));
  EXPECT_EQ(conditions["friction"], 0.2);
  EXPECT_EQ(conditions["pressure"], nullptr);
  EXPECT_FALSE(conditions.contains("speed") || conditions.contains("total_spin")) << conditions;
  // Flown to the bit as a flyer in those conditions flies it, and further than in still air.
  BallParams air;
  air.windSpeed = conditions["wind_speed"];
  air.windDirection = 180.0;
  air.temperature = conditions["temperature"];
  air.friction = 0.2;
  const Message m = ReadMessage(ShotText("W", 1));
  EXPECT_EQ(shot["result"]["total"].get<double>(), BallFlyer(air).Fly(m.shot.launch).total);
  EXPECT_GT(shot["result"]["carry"].get<double>(), BallFlyer().Fly(m.shot.launch).carry);

  test::ExpectRefused({"range", "--database", db, "--speed", "50"});
  test::ExpectRefused({"range", "--database", db, "--wind-speed", "51"});
  const auto unstable = test::ExpectRefused({"range", "--database", db, "--cd0", "-1"});
  EXPECT_NE(unstable.err.find("--cd0/--cd1/--cd2"), std::string::npos) << unstable.err;
}

TEST(RangeProcess, SaysWhenThePortNeedsPrivilegesAndNamesPort) {
  // Where anyone may bind 921 the range would start and serve: nothing to see then.
  std::ifstream start("/proc/sys/net/ipv4/ip_unprivileged_port_start");
  int firstUnprivileged = 0;
  if (!(start >> firstUnprivileged) || firstUnprivileged <= 921) GTEST_SKIP() << "anyone may bind 921 here";
  const std::string db = std::string("/tmp/vendrel-privileges-") + std::to_string(getpid()) + ".sqlite";
  // As root, run it as nobody, who may not bind ports below 1024.
  test::ProcessResult r;
  if (geteuid() == 0) {
    if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "no setpriv to drop root";
    r = test::RunProcess("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", VENDREL_FLIGHT_EXE,
                                              "range", "--port", "921", "--database", db});
  } else {
    r = test::RunFlightTool({"range", "--port", "921", "--database", db});
  }
  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((db + suffix).c_str());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("need privileges"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--port"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vendrel::range
