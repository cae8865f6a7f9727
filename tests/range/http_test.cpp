// The range's HTTP side: the site's files and nothing outside them, the live stream of
// shots and monitor states, and clients that misbehave. The servers run on this
// thread's event loop, the clients on a thread of their own, every wait bounded.
#include <gtest/gtest.h>

#include <QTcpServer>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <thread>
#include <tuple>

#include "range/ball_flyer.h"
#include "range/http_server.h"
#include "range/range_server.h"
#include "range/shot_store.h"
#include "tests/range/connector.h"
#include "tests/range/serve_while.h"
#include "tests/range/http_client.h"
#include "tests/support/process.h"

namespace vendrel::range {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::HttpClient;
using test::HttpGet;
using Clock = std::chrono::steady_clock;

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A site with a page, a module and a symbolic link that points out of it, beside a
// file that must never be served.
std::string MakeSite(const std::string& name) {
  const fs::path root = fs::path(test::ScratchPath(name));
  Write(root / "site" / "index.html", "<!doctype html><title>range</title>");
  Write(root / "site" / "vendrel.wasm", std::string("\0asm", 4));
  Write(root / "site" / "js" / "range.mjs", "export {};");
  Write(root / "site" / "big.bin", std::string(4 << 20, 'b'));
  Write(root / "secret.txt", "SECRET");
  fs::create_symlink(root / "secret.txt", root / "site" / "out.txt");
  return (root / "site").string();
}

struct LiveHttp {
  LiveHttp(const std::string& name, HttpLimits limits = {}) {
    std::string error;
    store = ShotStore::Open(test::ScratchPath(name + ".sqlite"), ShotStore::Mode::Create, error);
    EXPECT_TRUE(store) << error;
    range = std::make_unique<RangeServer>(*store, flyer);
    EXPECT_TRUE(range->Listen(QHostAddress::LocalHost, 0, error)) << error;
    http = std::make_unique<HttpServer>(*store, *range, MakeSite(name), limits);
    EXPECT_TRUE(http->Listen(QHostAddress::LocalHost, 0, error)) << error;
    rangePort = range->port();
    port = http->port();
  }

  // Serves while `clients` runs on a thread of its own.
  void Serve(const std::function<void()>& clients) { test::ServeWhile(clients); }

  BallFlyer flyer;
  std::unique_ptr<ShotStore> store;
  std::unique_ptr<RangeServer> range;
  std::unique_ptr<HttpServer> http;
  int rangePort = 0;
  int port = 0;
};

TEST(RangeHttp, ServesTheSiteAndNothingOutsideIt) {
  LiveHttp live("site");
  live.Serve([&] {
    const std::string page = HttpGet(live.port, "/");
    EXPECT_EQ(test::StatusOf(page), 200);
    EXPECT_EQ(test::HeaderOf(page, "content-type"), "text/html; charset=utf-8");
    EXPECT_EQ(test::BodyOf(page), "<!doctype html><title>range</title>");
    const std::string wasm = HttpGet(live.port, "/vendrel.wasm?v=2");
    EXPECT_EQ(test::HeaderOf(wasm, "content-type"), "application/wasm");
    EXPECT_EQ(test::BodyOf(wasm), std::string("\0asm", 4));
    EXPECT_EQ(test::HeaderOf(HttpGet(live.port, "/js/%72ange.mjs"), "content-type"), "text/javascript; charset=utf-8");

    // Each way out of the site, plain and encoded, and each malformed target.
    const std::vector<std::pair<std::string, int>> refused = {
        {"/../secret.txt", 404},           {"/js/../../secret.txt", 404},     {"/%2e%2e/secret.txt", 404},
        {"/js/%2E%2E%2F%2E%2E%2Fsecret.txt", 404}, {"/..%5csecret.txt", 400}, {"/out.txt", 404},
        {"//etc/passwd", 404},             {"/%2Fetc%2Fpasswd", 404},         {"/index.html%00.png", 400},
        {"/%zz", 400},                     {"/%2", 400},                      {"http://127.0.0.1/index.html", 400},
        {"secret.txt", 400},               {"/js", 404},                      {"/js/", 404},
    };
    for (const auto& [target, status] : refused) {
      const std::string answer = HttpGet(live.port, target);
      EXPECT_EQ(test::StatusOf(answer), status) << target << "\n" << answer;
      EXPECT_EQ(answer.find("SECRET"), std::string::npos) << target;
    }
    // Requests that are not requests, or not ones served here.
    const std::vector<std::pair<std::string, int>> bad = {
        {"POST / HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"GET / HTTP/2.0\r\n\r\n", 505},
        {"GET  / HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nno colon here\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nX: " + std::string(9000, 'a') + "\r\n\r\n", 431},
        {"\x16\x03\x01garbage\r\n\r\n", 400},
        // A name pointed at this machine by somebody else's page is not answered.
        {"GET /shots HTTP/1.1\r\nHost: rebound.example:8921\r\n\r\n", 403},
        {"GET /shots HTTP/1.1\r\nHost: 127.0.0.1.example\r\n\r\n", 403},
        {"GET / HTTP/1.1\r\nHost: LocalHost:8921\r\n\r\n", 200},
        {"GET / HTTP/1.1\r\nHost: [::1]:8921\r\n\r\n", 200},
        {"GET / HTTP/1.0\r\n\r\n", 200},
    };
    for (const auto& [request, status] : bad) {
      HttpClient c(live.port);
      c.Send(request);
      EXPECT_EQ(test::StatusOf(c.ReadToClose()), status) << request.substr(0, 40);
    }
  });
}

TEST(RangeHttp, ConnectionsAreLimitedAndSlowClientsDelayNobody) {
  HttpLimits limits;
  limits.maxConnections = 3;
  limits.requestTimeoutMs = 1500;
  limits.stallTimeoutMs = 1500;
  LiveHttp live("limits", limits);
  live.Serve([&] {
    // Two clients that send half a request and then nothing.
    HttpClient slow1(live.port), slow2(live.port);
    slow1.Send("GET / HT");
    slow2.Send("G");
    const auto start = Clock::now();
    EXPECT_EQ(test::StatusOf(HttpGet(live.port, "/")), 200);
    EXPECT_LT(Clock::now() - start, 1s);
    std::this_thread::sleep_for(200ms);  // the answered one's place is free again
    HttpClient slow3(live.port);
    slow3.Send("GET");
    std::this_thread::sleep_for(100ms);
    const std::string full = HttpGet(live.port, "/");
    EXPECT_EQ(test::StatusOf(full), 503) << full;
    // The slow ones are cut off once their time is up.
    EXPECT_TRUE(slow1.ReadToClose(3s).empty());
    EXPECT_EQ(test::StatusOf(HttpGet(live.port, "/")), 200);
    // One that asks for a large file and stops reading it is cut off too: what it got
    // before then is far short of the file.
    HttpClient stalled(live.port, 4096);
    stalled.Send("GET /big.bin HTTP/1.1\r\n\r\n");
    std::this_thread::sleep_for(2500ms);
    EXPECT_LT(stalled.ReadToClose(3s).size(), std::size_t{2} << 20);
    EXPECT_EQ(test::StatusOf(HttpGet(live.port, "/")), 200);
  });
}

TEST(RangeHttp, StreamsEachShotWithinASecondAndTheHistory) {
  LiveHttp live("stream");
  nlohmann::json event;
  double historyCarry = 0.0;
  live.Serve([&] {
    HttpClient stream(live.port);
    stream.Send("GET /shots/stream HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/event-stream\r\n\r\n");
    const auto head = stream.NextEvent();
    ASSERT_TRUE(head);
    EXPECT_EQ(test::HeaderOf(*head + "\r\n\r\n", "content-type"), "text/event-stream; charset=utf-8");
    EXPECT_EQ(stream.NextEvent().value_or(""), "retry: 2000");
    test::Connector monitor(live.rangePort);
    monitor.Send(test::HeartbeatText("LM", false));
    const auto status = stream.NextEvent();
    ASSERT_TRUE(status);
    const auto state = nlohmann::json::parse(test::DataOf(*status));
    EXPECT_EQ(status->rfind("event: monitor", 0), 0u) << *status;
    EXPECT_EQ(state["device"], "LM");
    EXPECT_EQ(state["ready"], false);
    EXPECT_EQ(state["heartbeat"], true);

    monitor.Send(test::ShotText("LM", 7, 160.0));
    ASSERT_EQ(test::ReplyCode(monitor.Reply().value_or("")), 200);
    const auto replied = Clock::now();
    const auto shot = stream.NextEvent(1s);
    ASSERT_TRUE(shot) << "no shot event within a second of the reply";
    EXPECT_LT(Clock::now() - replied, 1s);
    EXPECT_EQ(shot->rfind("event: shot\nid: 1\n", 0), 0u) << *shot;
    event = nlohmann::json::parse(test::DataOf(*shot));

    const std::string history = HttpGet(live.port, "/shots");
    EXPECT_EQ(test::HeaderOf(history, "content-type"), "application/json");
    const auto shots = nlohmann::json::parse(test::BodyOf(history));
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0], event);
    historyCarry = shots[0]["result"]["carry"].get<double>();

    // A new client hears the monitor's last state at once.
    HttpClient late(live.port);
    late.Send("GET /shots/stream HTTP/1.1\r\n\r\n");
    late.NextEvent();
    late.NextEvent();
    EXPECT_EQ(test::DataOf(late.NextEvent(1s).value_or("")), test::DataOf(*status));

    // A client coming back hears the shots it missed; one that missed too many is told
    // to read the history again.
    monitor.Send(test::ShotText("LM", 8) + test::ShotText("LM", 9));
    for (int i = 0; i < 2; ++i) ASSERT_EQ(test::ReplyCode(monitor.Reply().value_or("")), 200);
    HttpClient back(live.port);
    back.Send("GET /shots/stream HTTP/1.1\r\nLast-Event-ID: 1\r\n\r\n");
    for (int i = 0; i < 3; ++i) back.NextEvent();  // head, retry, monitor
    EXPECT_EQ(back.NextEvent(1s).value_or("").rfind("event: shot\nid: 2\n", 0), 0u);
    EXPECT_EQ(back.NextEvent(1s).value_or("").rfind("event: shot\nid: 3\n", 0), 0u);
  });
  {
    HttpLimits tight;
    tight.streamBacklog = 1000;
    HttpServer small(*live.store, *live.range, ".", tight);
    std::string error;
    ASSERT_TRUE(small.Listen(QHostAddress::LocalHost, 0, error)) << error;
    live.Serve([&] {
      HttpClient back(small.port());
      back.Send("GET /shots/stream HTTP/1.1\r\nLast-Event-ID: 0\r\n\r\n");
      for (int i = 0; i < 2; ++i) back.NextEvent();
      EXPECT_EQ(back.NextEvent(1s).value_or(""), "event: reset\ndata: {}");
    });
  }
  std::vector<StoredShot> stored;
  std::string error;
  ASSERT_TRUE(live.store->Read({}, stored, error)) << error;
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(event["result"]["carry"].get<double>(), stored[0].result.carry);
  EXPECT_EQ(historyCarry, stored[0].result.carry);
  EXPECT_EQ(event["shot_number"], 7);
}

TEST(RangeHttp, RemembersOnlyTheMonitorsHeardLast) {
  // A peer that makes up a device name for every heartbeat must not grow the memory,
  // nor what every new stream client is sent first.
  LiveHttp live("monitors");
  live.Serve([&] {
    test::Connector peer(live.rangePort);
    std::string beats;
    for (int i = 0; i < 100; ++i) beats += test::HeartbeatText(std::to_string(i) + std::string(1000, 'x'));
    peer.Send(beats + test::HeartbeatText("LM") + test::ShotText("LM", 1));
    ASSERT_EQ(test::ReplyCode(peer.Reply().value_or("")), 200);  // the heartbeats before it are read
    HttpClient stream(live.port);
    stream.Send("GET /shots/stream HTTP/1.1\r\n\r\n");
    std::string devices;
    while (const auto event = stream.NextEvent(500ms)) {
      if (event->rfind("event: monitor", 0) != 0) continue;
      devices += nlohmann::json::parse(test::DataOf(*event))["device"].get<std::string>().substr(0, 2) + ",";
    }
    EXPECT_EQ(devices, "85,86,87,88,89,90,91,92,93,94,95,96,97,98,99,LM,");
  });
}

TEST(RangeHttp, DropsAStreamClientThatNeverReadsAndServesTheOthers) {
  HttpLimits limits;
  limits.streamBacklog = 32 * 1024;
  LiveHttp live("dropped", limits);
  constexpr int kShots = 300;  // some 400 KiB of events: far past every buffer on the way
  int received = 0;
  live.Serve([&] {
    HttpClient deaf(live.port, 4096), listener(live.port);
    deaf.Send("GET /shots/stream HTTP/1.1\r\n\r\n");
    listener.Send("GET /shots/stream HTTP/1.1\r\n\r\n");
    listener.NextEvent();
    listener.NextEvent();
    std::this_thread::sleep_for(100ms);  // both streams are open before the first shot
    test::Connector monitor(live.rangePort);
    for (int i = 1; i <= kShots; ++i) {
      monitor.Send(test::ShotText("LM", i));
      ASSERT_EQ(test::ReplyCode(monitor.Reply().value_or("")), 200) << i;
      const auto event = listener.NextEvent(2s);
      ASSERT_TRUE(event) << i;
      if (event->find("\"shot_number\": " + std::to_string(i) + ",") != std::string::npos) ++received;
    }
  });
  EXPECT_EQ(received, kShots);
  EXPECT_EQ(live.http->counts().dropped, 1);
}

// PUT /shots/{id}/club with `body`, from a page whose origin is `origin` (none: empty).
std::string PutClub(int port, const std::string& target, const std::string& body, const std::string& origin) {
  HttpClient c(port);
  std::string head = "PUT " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                     "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  if (!origin.empty()) head += "Origin: " + origin + "\r\n";
  // The body in a packet of its own, as a browser may send it.
  c.Send(head + "\r\n");
  std::this_thread::sleep_for(5ms);
  c.Send(body);
  return c.ReadToClose();
}

TEST(RangeHttp, SetsAShotsClubForEveryOpenPageAndRefusesAnyOtherSite) {
  LiveHttp live("club");
  std::vector<StoredShot> shots(1);
  std::string error;
  ASSERT_TRUE(live.store->Add(shots, error)) << error;
  const auto storedClub = [&] {
    std::vector<StoredShot> now;
    EXPECT_TRUE(live.store->Read({}, now, error)) << error;
    return now.at(0).club;
  };
  live.Serve([&] {
    const std::string own = "http://127.0.0.1:" + std::to_string(live.port);
    HttpClient stream(live.port);
    stream.Send("GET /shots/stream HTTP/1.1\r\n\r\n");
    stream.NextEvent();
    stream.NextEvent();

    const std::string set = PutClub(live.port, "/shots/1/club", " 7-iron\n", own);
    ASSERT_EQ(test::StatusOf(set), 200) << set;
    EXPECT_EQ(test::BodyOf(set), "{\"id\": 1, \"club\": \"7-iron\"}\n");
    // Committed before anybody hears of it; the other page hears it at once.
    EXPECT_EQ(storedClub(), "7-iron");
    EXPECT_EQ(stream.NextEvent(1s).value_or(""), "event: club\ndata: {\"id\": 1, \"club\": \"7-iron\"}");
    EXPECT_NE(test::BodyOf(HttpGet(live.port, "/shots")).find("\"club\": \"7-iron\""), std::string::npos);

    // Each refusal says why and changes nothing.
    const std::string longest(kMaxClubName, 'x');
    const std::vector<std::tuple<std::string, std::string, std::string, int>> refused = {
        {"/shots/2/club", "PW", own, 404},
        {"/shots/1/club", "\xff\xfe", own, 400},
        {"/shots/1/club", "\xc0\xafx", own, 400},  // an overlong '/'
        {"/shots/1/club", "7\x01iron", own, 400},
        {"/shots/1/club", "7\xc2\x85iron", own, 400},  // NEL, a C1 control
        {"/shots/1/club", longest + "y", own, 400},
        {"/shots/1/club", std::string(257, 'x'), own, 413},
        {"/shots/1/club", "PW", "http://elsewhere.example", 403},
        {"/shots/1/club", "PW", "null", 403},
        {"/shots/1/club", "PW", "http://127.0.0.1:1", 403},
    };
    for (const auto& [target, body, origin, status] : refused) {
      const std::string answer = PutClub(live.port, target, body, origin);
      EXPECT_EQ(test::StatusOf(answer), status) << body.substr(0, 12) << "\n" << answer;
      EXPECT_EQ(storedClub(), "7-iron");
    }
    EXPECT_EQ(test::StatusOf(HttpGet(live.port, "/shots/1/club")), 405);

    // Without an Origin (not a browser), the longest name, then none.
    EXPECT_EQ(test::StatusOf(PutClub(live.port, "/shots/1/club", "\xe3\x83\x89" + longest.substr(1), "")), 200);
    const std::string cleared = PutClub(live.port, "/shots/1/club", "  ", own);
    EXPECT_EQ(test::BodyOf(cleared), "{\"id\": 1, \"club\": null}\n");
    EXPECT_EQ(storedClub(), "");
    stream.NextEvent(1s);
    EXPECT_EQ(test::DataOf(stream.NextEvent(1s).value_or("")), "{\"id\": 1, \"club\": null}");

    // Blank lines before a request line that comes later wait for it.
    HttpClient blank(live.port);
    blank.Send("\r\n\r\nGET / HTTP/1.1\r\n");
    std::this_thread::sleep_for(20ms);
    blank.Send("\r\n");
    EXPECT_EQ(test::StatusOf(blank.ReadToClose()), 200);
  });
}

TEST(RangeHttp, CommandLineRefusesABadPortAndSaysWhenItIsTaken) {
  test::ExpectRefused({"range", "--http-port", "65536"});
  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
  const std::string db = test::ScratchPath("taken.sqlite");
  const auto r = test::RunFlightTool(
      {"range", "--port", "0", "--http-port", std::to_string(taken.serverPort()), "--database", db});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--http-port"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vendrel::range
