#include "cli/range_command.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

#include "cli/declare.h"
#include "number_text/number_text.h"
#include "cli/refuse.h"
#include "range/ball_flyer.h"
#include "range/http_server.h"
#include "range/range_server.h"
#include "range/shot_store.h"

namespace vendrel::cli {
namespace {

// SIGINT and SIGTERM end the event loop through a socket pair: a handler may only write.
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

int Fail(const std::string& line) {
  std::fprintf(stderr, "vendrel-flight range: %s\n", line.c_str());
  return 1;
}

}  // namespace

void DeclareRange(CLI::App& app, RangeOptions& opt) {
  app.option_defaults()->group("Range");
  AddValue(app, "--bind", "ADDR", "the address to listen on (default 127.0.0.1: this machine only)",
           [&opt](const std::string& text) {
             if (QHostAddress(QString::fromStdString(text)).isNull()) {
               return "--bind: " + Quoted(text) + " is not an IP address (e.g. 127.0.0.1, 0.0.0.0, ::1)";
             }
             opt.bind = text;
             return std::string();
           });
  AddWhole(app, "--port", "N", "the connectors' port (0: any free port, printed on starting)", 0, 65535, opt.port);
  AddValue(app, "--database", "FILE",
           "the shot history (default $XDG_DATA_HOME/vendrel/shots.sqlite, else ~/.local/share/vendrel/)",
           [&opt](const std::string& text) {
             if (text.empty()) return std::string("--database: an empty file name");
             opt.database = text;
             return std::string();
           });
  AddWhole(app, "--max-connections", "N", "connectors served at once", 1, 10000, opt.maxConnections);
  AddWhole(app, "--http-port", "N",
           "also serve the web edition's site and the live shot stream over HTTP on this port, at the --bind "
           "address (0: any free port)",
           0, 65535, opt.httpPort, "off");
  AddValue(app, "--site", "DIR", "the site directory served with --http-port (default build/web)",
           [&opt](const std::string& text) {
             if (text.empty()) return std::string("--site: an empty directory name");
             opt.site = text;
             return std::string();
           });
  AddWhole(app, "--idle-timeout", "SECONDS",
           "let a connector go that sends nothing, not even a heartbeat, for this long", 1, 86400, opt.idleTimeout);

  app.option_defaults()->group("Conditions every shot is flown in (the launch values are the monitor's)");
  AddUnits(app, opt.units);
  AddConditionValues(app, opt.ball, opt.given, opt.units);
  app.final_callback([&opt] {
    const std::string refusal = range::ConditionsRefusal(opt.ball);
    if (!refusal.empty()) throw CLI::ValidationError(refusal);
  });
  app.footer("Exit status: 0 stopped by SIGINT or SIGTERM, 1 the history could not be opened or the port\n"
             "not listened on, 2 the command line was refused.");
}

int RunRange(const RangeOptions& opt) {
  std::string error;
  const std::string path = opt.database ? *opt.database : range::ShotStore::DefaultPath(error);
  if (path.empty()) return Fail(error);
  const std::unique_ptr<range::ShotStore> store = range::ShotStore::Open(path, range::ShotStore::Mode::Create, error);
  if (!store) return Fail(error);

  static int argc = 1;
  static char name[] = "vendrel-flight";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (QCoreApplication::instance() == nullptr) app = std::make_unique<QCoreApplication>(argc, argv);

  const std::unique_ptr<range::ShotFlyer> flyer = range::MakeRangeFlyer(opt.ball);
  range::RangeLimits limits;
  limits.maxConnections = static_cast<int>(opt.maxConnections);
  limits.idleTimeoutMs = opt.idleTimeout * 1000;
  range::RangeServer server(*store, *flyer, limits);
  const QHostAddress address(QString::fromStdString(opt.bind));
  if (!server.Listen(address, static_cast<quint16>(opt.port), error)) return Fail(error);
  std::unique_ptr<range::HttpServer> http;
  if (opt.httpPort >= 0) {
    http = std::make_unique<range::HttpServer>(*store, server, opt.site);
    if (!http->Listen(address, static_cast<quint16>(opt.httpPort), error)) return Fail(error);
  }

  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return Fail("cannot watch for signals");
  QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&notifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);

  std::printf("vendrel-flight range: listening on %s port %u; shots kept in %s\n", opt.bind.c_str(),
              static_cast<unsigned>(server.port()), path.c_str());
  if (!address.isLoopback()) {
    std::fprintf(stderr,
                 "vendrel-flight range: %s is reachable from other machines, and the protocol has no "
                 "authentication: anyone who reaches the port can send shots\n",
                 opt.bind.c_str());
  }
  if (http) {
    std::printf("vendrel-flight range: the page and the shot stream at http://%s:%u/ (site %s)\n",
                address.protocol() == QAbstractSocket::IPv6Protocol ? ("[" + opt.bind + "]").c_str() : opt.bind.c_str(),
                static_cast<unsigned>(http->port()), opt.site.c_str());
    // Served anyway, the page would only be a "not found".
    std::error_code ec;
    if (!std::filesystem::is_directory(opt.site, ec)) {
      std::fprintf(stderr,
                   "vendrel-flight range: %s: no such folder, so the page is not served, only the shots (the site is "
                   "build/web of the source tree after make web; --site DIR names it from elsewhere)\n",
                   opt.site.c_str());
    }
  }
  std::fflush(stdout);
  // One line a shot, after its commit.
  store->Subscribe([](const range::StoredShot& shot) {
    std::printf("shot %lld  %s #%s  carry %s m  total %s m  lateral %s m\n", static_cast<long long>(shot.id),
                shot.device.empty() ? "-" : shot.device.c_str(),
                shot.shotNumber ? std::to_string(*shot.shotNumber).c_str() : "-",
                FormatJsonNumber(shot.result.carry).c_str(), FormatJsonNumber(shot.result.total).c_str(),
                FormatJsonNumber(shot.result.lateral).c_str());
    // A log file or a pipe has every stored shot's line, even if the range is killed.
    std::fflush(stdout);
  });
  QCoreApplication::exec();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  const range::RangeCounts& c = server.counts();
  std::printf("vendrel-flight range: stopped; %lld shots stored, %lld messages refused\n",
              static_cast<long long>(c.shots), static_cast<long long>(c.refused));
  return 0;
}

}  // namespace vendrel::cli
