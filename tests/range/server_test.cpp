// The range server driven by connectors as the public ones behave, and by hostile
// ones: each test runs the server on this thread's event loop and its connectors on
// threads of their own, every wait bounded.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "range/ball_flyer.h"
#include "range/range_server.h"
#include "range/shot_store.h"
#include "tests/range/connector.h"
#include "tests/range/serve_while.h"
#include "tests/support/process.h"

namespace vendrel::range {
namespace {

using namespace std::chrono_literals;
using test::Connector;
using test::HeartbeatText;
using test::ReplyCode;
using test::ShotText;

struct LiveRange {
  explicit LiveRange(const std::string& name, RangeLimits limits = {}) {
    std::string error;
    store = ShotStore::Open(test::ScratchPath(name), ShotStore::Mode::Create, error);
    EXPECT_TRUE(store) << error;
    server = std::make_unique<RangeServer>(*store, flyer, limits);
    EXPECT_TRUE(server->Listen(QHostAddress::LocalHost, 0, error)) << error;
    port = server->port();
  }

  // Serves while `clients` runs on a thread of its own.
  void Serve(const std::function<void()>& clients) { test::ServeWhile(clients); }

  std::vector<StoredShot> Shots() {
    std::vector<StoredShot> shots;
    std::string error;
    EXPECT_TRUE(store->Read({}, shots, error)) << error;
    return shots;
  }

  BallFlyer flyer;
  std::unique_ptr<ShotStore> store;
  std::unique_ptr<RangeServer> server;
  int port = 0;
};

TEST(RangeServer, TakesWhatConnectorsSend) {
  LiveRange range("connectors.sqlite");
  std::vector<MonitorStatus> statuses;
  range.server->SubscribeMonitor([&](const MonitorStatus& s) { statuses.push_back(s); });
  std::vector<std::int64_t> announced;
  range.store->Subscribe([&](const StoredShot& s) { announced.push_back(*s.shotNumber); });
  range.Serve([&] {
    Connector c(range.port);
    ASSERT_TRUE(c.connected());
    // Heartbeats every few (here: 50 ms) get no reply.
    for (int i = 0; i < 3; ++i) {
      c.Send(HeartbeatText("LM", i != 1));
      std::this_thread::sleep_for(50ms);
    }
    EXPECT_FALSE(c.Reply(100ms));
    c.Send(ShotText("LM", 1));
    const auto first = c.Reply();
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, R"({"Code":200,"Message":"Shot received successfully","Player":{}})");
    // Two objects in one segment, then one split byte by byte, a heartbeat between.
    c.Send(ShotText("LM", 2) + ShotText("LM", 3));
    const std::string split = HeartbeatText("LM") + "\r\n" + ShotText("LM", 4294967297);
    for (char ch : split) c.Send(std::string(1, ch));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReplyCode(c.Reply().value_or("")), 200) << i;
    EXPECT_FALSE(c.Reply(100ms));
  });
  EXPECT_EQ(announced, (std::vector<std::int64_t>{1, 2, 3, 4294967297}));
  ASSERT_EQ(statuses.size(), 4u);
  EXPECT_EQ(statuses[1].ready, false);
  EXPECT_EQ(statuses[3].ready, true);
  const auto shots = range.Shots();
  ASSERT_EQ(shots.size(), 4u);
  EXPECT_EQ(shots[3].raw, ShotText("LM", 4294967297));
  EXPECT_GT(shots[0].result.carry, 100.0);
  EXPECT_EQ(range.server->counts().statuses, 4);
}

TEST(RangeServer, RefusesWithAReasonAndKeepsTheConnection) {
  LiveRange range("refusals.sqlite");
  range.Serve([&] {
    Connector c(range.port);
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"not json at all", "not JSON"},
        {R"({"BallData":{"Speed":150,"VLA":NaN,"TotalSpin":3000}})", "NaN"},
        {R"({"BallData":{"Speed":"150","VLA":10,"TotalSpin":3000}})", "expected a number"},
        {R"({"BallData":{"Speed":0,"VLA":10,"TotalSpin":3000}})", "allowed: 1 to 250 mph"},
        {R"({"BallData":{"Speed":500,"VLA":10,"TotalSpin":3000}})", "allowed: 1 to 250 mph"},
        {R"({"BallData":{"Speed":150,"VLA":10,"TotalSpin":1e9}})", "allowed: 0 to 20000 rpm"},
        // Each spin in the message's range, together beyond the model's.
        {R"({"DeviceID":"LM","ShotNumber":9,"BallData":{"Speed":150,"VLA":10,"BackSpin":15000,"SideSpin":15000}})",
         "the model does not fly this shot: total_spin"},
    };
    for (const auto& [text, why] : hostile) {
      c.Send(text);
      const auto reply = c.Reply();
      ASSERT_TRUE(reply) << text;
      EXPECT_EQ(ReplyCode(*reply), 501) << *reply;
      EXPECT_NE(reply->find(why), std::string::npos) << *reply;
    }
    // A refusal between shots is answered in its place.
    c.Send(ShotText("LM", 1) + "{\"BallData\":7}" + ShotText("LM", 2));
    EXPECT_EQ(ReplyCode(c.Reply().value_or("")), 200);
    EXPECT_EQ(ReplyCode(c.Reply().value_or("")), 501);
    EXPECT_EQ(ReplyCode(c.Reply().value_or("")), 200);
  });
  EXPECT_EQ(range.Shots().size(), 2u);
}

TEST(RangeServer, CutsOffAnEndlessMessageAndServesTheOthers) {
  LiveRange range("endless.sqlite");
  range.Serve([&] {
    Connector big(range.port), other(range.port);
    big.Send("{\"DeviceID\":\"");
    const std::string chunk(4096, 'x');
    for (int i = 0; i < 20; ++i) {
      if (!big.Send(chunk)) break;
    }
    const auto reply = big.Reply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(ReplyCode(*reply), 501);
    EXPECT_NE(reply->find("64 KiB"), std::string::npos) << *reply;
    EXPECT_TRUE(big.ClosedByServer());
    other.Send(ShotText("B", 1));
    EXPECT_EQ(ReplyCode(other.Reply().value_or("")), 200);
  });
}

TEST(RangeServer, ASlowOrDeafConnectorDelaysNoOne) {
  LiveRange range("slow.sqlite");
  std::atomic<bool> fastDone{false};
  range.Serve([&] {
    // One byte every 20 ms (a second in life; shortened), another that sends shots
    // and never reads its replies, and one that gets every reply quickly.
    std::thread slow([&] {
      Connector c(range.port);
      const std::string shot = ShotText("SLOW", 1);
      for (std::size_t i = 0; i < shot.size() && !fastDone; ++i) {
        c.Send(shot.substr(i, 1));
        std::this_thread::sleep_for(20ms);
      }
    });
    std::thread deaf([&] {
      Connector c(range.port);
      for (int i = 0; i < 5000 && !fastDone; ++i) {
        if (!c.Send(ShotText("DEAF", i))) break;
      }
    });
    Connector fast(range.port);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= 50; ++i) {
      fast.Send(ShotText("FAST", i));
      ASSERT_EQ(ReplyCode(fast.Reply(2s).value_or("")), 200) << i;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    fastDone = true;
    slow.join();
    deaf.join();
  });
}

TEST(RangeServer, AShotThatCannotBeStoredIsNotAcknowledged) {
  LiveRange range("locked.sqlite");
  range.store->SetBusyTimeout(50);
  // Another program holds the file's write lock.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(test::ScratchPath("locked.sqlite").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  std::atomic<bool> refused{false};
  range.Serve([&] {
    Connector c(range.port);
    c.Send(ShotText("LM", 1));
    const auto reply = c.Reply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(ReplyCode(*reply), 501);
    EXPECT_NE(reply->find("could not be stored"), std::string::npos) << *reply;
    refused = true;
  });
  EXPECT_TRUE(refused);
  EXPECT_EQ(range.server->counts().shots, 0);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  range.Serve([&] {
    Connector c(range.port);
    c.Send(ShotText("LM", 2));
    EXPECT_EQ(ReplyCode(c.Reply().value_or("")), 200);
  });
  const auto shots = range.Shots();
  ASSERT_EQ(shots.size(), 1u);
  EXPECT_EQ(shots[0].shotNumber, 2);
}

TEST(RangeServer, LimitsConnections) {
  RangeLimits limits;
  limits.maxConnections = 2;
  LiveRange range("limit.sqlite", limits);
  range.Serve([&] {
    Connector a(range.port), b(range.port);
    a.Send(ShotText("A", 1));
    b.Send(ShotText("B", 1));
    EXPECT_EQ(ReplyCode(a.Reply().value_or("")), 200);
    EXPECT_EQ(ReplyCode(b.Reply().value_or("")), 200);
    Connector c(range.port);
    const auto reply = c.Reply();
    ASSERT_TRUE(reply);
    EXPECT_NE(reply->find("too many connections (at most 2)"), std::string::npos) << *reply;
    EXPECT_TRUE(c.ClosedByServer());
    a.Send(ShotText("A", 2));
    EXPECT_EQ(ReplyCode(a.Reply().value_or("")), 200);
  });
}

// A connector that sends nothing at all is let go after the timeout, with the reason;
// one that sends only heartbeats stays.
TEST(RangeServer, LetsASilentConnectorGo) {
  RangeLimits limits;
  limits.idleTimeoutMs = 300;
  LiveRange range("idle.sqlite", limits);
  range.Serve([&] {
    Connector silent(range.port), beating(range.port);
    for (int i = 0; i < 8; ++i) {
      beating.Send(HeartbeatText("LM"));
      std::this_thread::sleep_for(100ms);
    }
    const auto reply = silent.Reply(2s);
    ASSERT_TRUE(reply);
    EXPECT_EQ(ReplyCode(*reply), 501);
    EXPECT_NE(reply->find("nothing heard for 0.3 s"), std::string::npos) << *reply;
    EXPECT_TRUE(silent.ClosedByServer());
    beating.Send(ShotText("LM", 1));
    EXPECT_EQ(ReplyCode(beating.Reply().value_or("")), 200);
  });
  EXPECT_EQ(range.server->counts().idle, 1);
}

TEST(RangeServer, SaysWhatToDoWhenThePortIsTaken) {
  LiveRange first("taken.sqlite");
  std::string error;
  BallFlyer flyer;
  RangeServer second(*first.store, flyer);
  EXPECT_FALSE(second.Listen(QHostAddress::LocalHost, static_cast<quint16>(first.port), error));
  EXPECT_NE(error.find("already in use"), std::string::npos) << error;
  EXPECT_NE(error.find("--port"), std::string::npos) << error;
}

}  // namespace
}  // namespace vendrel::range
