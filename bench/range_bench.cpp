// The range on loopback: shot to reply with the commit included (one connector, one
// shot at a time, so every shot is its own commit), and with 20 connectors at once,
// paced to 1000 shots a second and flat out (shots a second sustained). The history is a file on disk, synced as the range syncs it.
// Then the live stream: from a shot's 200 reply to its event on a Server-Sent Events
// client of the HTTP side. Prints the figures; takes no options (the benchmark
// runner's are ignored).
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "range/ball_flyer.h"
#include "range/http_server.h"
#include "range/range_server.h"
#include "range/shot_store.h"
#include "tests/range/connector.h"
#include "tests/range/http_client.h"

using namespace vendrel;
using Clock = std::chrono::steady_clock;

namespace {

void Latency(int port) {
  test::Connector c(port);
  std::vector<double> ms;
  for (int i = 1; i <= 2000; ++i) {
    const std::string shot = test::ShotText("LAT", i, 100.0 + i % 80);
    const auto start = Clock::now();
    c.Send(shot);
    const auto reply = c.Reply();
    if (!reply || test::ReplyCode(*reply) != 200) {
      std::printf("latency: shot %d not acknowledged\n", i);
      return;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  const auto at = [&](double q) { return ms[static_cast<std::size_t>(q * static_cast<double>(ms.size() - 1))]; };
  std::printf("shot to reply, commit included (%zu shots, one at a time): p50 %.2f ms, p99 %.2f ms, max %.2f ms"
              " (target p99 <= 5 ms)\n",
              ms.size(), at(0.5), at(0.99), ms.back());
}

// One shot at a time: the time from its 200 reply to its event on the stream. The
// range announces a shot on its commit, before the reply is written, so the event may
// come first: then the figure is 0.
void PushLatency(int port, int httpPort) {
  test::HttpClient stream(httpPort);
  stream.Send("GET /shots/stream HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  stream.NextEvent();  // the head
  stream.NextEvent();  // retry
  test::Connector c(port);
  std::vector<double> ms, whole;
  for (int i = 1; i <= 500; ++i) {
    const auto sent = Clock::now();
    c.Send(test::ShotText("PUSH", i, 100.0 + i % 80));
    const auto reply = c.Reply();
    const auto replied = Clock::now();
    if (!reply || test::ReplyCode(*reply) != 200) {
      std::printf("push latency: shot %d not acknowledged\n", i);
      return;
    }
    std::optional<std::string> event;
    do {
      event = stream.NextEvent(std::chrono::seconds(5));
    } while (event && event->rfind("event: shot", 0) != 0);
    if (!event) {
      std::printf("push latency: no event for shot %d\n", i);
      return;
    }
    const auto received = Clock::now();
    ms.push_back(std::max(0.0, std::chrono::duration<double, std::milli>(received - replied).count()));
    whole.push_back(std::chrono::duration<double, std::milli>(received - sent).count());
  }
  std::sort(ms.begin(), ms.end());
  std::sort(whole.begin(), whole.end());
  const auto at = [](const std::vector<double>& v, double q) {
    return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1))];
  };
  std::printf("shot pushed to a stream client (%zu shots, one at a time): 200 reply to event p50 %.3f ms, p99 %.3f ms,"
              " max %.3f ms (target: within 1 s); shot sent to event p50 %.2f ms, p99 %.2f ms\n",
              ms.size(), at(ms, 0.5), at(ms, 0.99), ms.back(), at(whole, 0.5), at(whole, 0.99));
}

// 20 connectors at once for a few seconds: each sends a shot and waits for its reply,
// paced to `perSecond` shots a second in all (0: as fast as the replies come). Prints
// the shots a second and each shot's time to its reply.
void Load(int port, int perSecond) {
  constexpr int kConnectors = 20;
  constexpr auto kRun = std::chrono::seconds(5);
  std::atomic<bool> stop{false};
  std::vector<std::vector<double>> perConnector(kConnectors);
  std::vector<std::thread> threads;
  const auto start = Clock::now();
  for (int c = 0; c < kConnectors; ++c) {
    threads.emplace_back([&, c] {
      // Appended: gcc 12 warns falsely (-Wrestrict) about "T" + string.
      std::string device = "T";
      device += std::to_string(c);
      test::Connector conn(port);
      // Each connector its own phase, so that paced shots do not come all at once.
      const auto gap = perSecond > 0 ? std::chrono::duration<double>(double(kConnectors) / perSecond)
                                     : std::chrono::duration<double>(0);
      auto next = start + std::chrono::duration_cast<Clock::duration>(gap * (double(c) / kConnectors));
      for (int i = 1; !stop; ++i) {
        if (perSecond > 0) {
          std::this_thread::sleep_until(next);
          next += std::chrono::duration_cast<Clock::duration>(gap);
        }
        const auto sent = Clock::now();
        conn.Send(test::ShotText(device, i, 100.0 + i % 80));
        const auto reply = conn.Reply();
        if (!reply || test::ReplyCode(*reply) != 200) return;
        perConnector[c].push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
      }
    });
  }
  std::this_thread::sleep_for(kRun);
  stop = true;
  for (auto& t : threads) t.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<double> ms;
  for (const auto& v : perConnector) ms.insert(ms.end(), v.begin(), v.end());
  if (ms.empty()) {
    std::printf("load: no shot acknowledged\n");
    return;
  }
  std::sort(ms.begin(), ms.end());
  const auto at = [&](double q) { return ms[static_cast<std::size_t>(q * static_cast<double>(ms.size() - 1))]; };
  const std::string pace = perSecond > 0 ? "paced to " + std::to_string(perSecond) + " a second" : "as fast as acknowledged";
  std::printf("%d connectors %s: %zu shots in %.1f s, %.0f shots a second (target >= 1000);"
              " shot to reply p50 %.2f ms, p99 %.2f ms, max %.2f ms (target p99 <= 5 ms)\n",
              kConnectors, pace.c_str(), ms.size(), seconds, static_cast<double>(ms.size()) / seconds, at(0.5),
              at(0.99), ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // Beside the program, in the build directory: a disk, as the user's data directory is.
  const auto dir = std::filesystem::absolute(argv[0]).parent_path() / "range-bench-data";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::string error;
  auto store = range::ShotStore::Open((dir / "shots.sqlite").string(), range::ShotStore::Mode::Create, error);
  if (!store) {
    std::fprintf(stderr, "range_bench: %s\n", error.c_str());
    return 1;
  }
  const auto flyer = range::MakeRangeFlyer();
  range::RangeServer server(*store, *flyer);
  if (!server.Listen(QHostAddress::LocalHost, 0, error)) {
    std::fprintf(stderr, "range_bench: %s\n", error.c_str());
    return 1;
  }
  range::HttpServer http(*store, server, dir.string());
  if (!http.Listen(QHostAddress::LocalHost, 0, error)) {
    std::fprintf(stderr, "range_bench: %s\n", error.c_str());
    return 1;
  }
  const int port = server.port();
  const int httpPort = http.port();
  std::thread clients([port, httpPort] {
    Latency(port);
    PushLatency(port, httpPort);
    Load(port, 1000);
    Load(port, 0);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
  });
  QCoreApplication::exec();
  clients.join();
  store.reset();
  std::filesystem::remove_all(dir);
  return 0;
}
