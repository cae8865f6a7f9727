#pragma once
// vendrel-flight range: takes shots from launch monitors' connectors, flies them and
// keeps them in the shot history, until it is stopped.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flight/ball_params.h"
#include "flight/parameters.h"
#include "flight/units.h"

namespace CLI {
class App;
}  // namespace CLI

namespace vendrel::cli {

struct RangeOptions {
  std::string bind = "127.0.0.1";
  std::int64_t port = 921;
  std::optional<std::string> database;  ///< empty: the user's data directory
  std::int64_t maxConnections = 64;
  std::int64_t httpPort = -1;  ///< -1: no HTTP side
  std::string site = "build/web";
  std::int64_t idleTimeout = 300;  ///< seconds a connector may send nothing before it is let go
  Units units = Units::Metric;     ///< of the condition options
  BallParams ball{};               ///< the air, wind, surface and constants shots are flown in
  std::vector<const Parameter*> given;
};

/// Declares the range's options on its subcommand `app`, read into `opt`.
void DeclareRange(CLI::App& app, RangeOptions& opt);

/// Serves until SIGINT or SIGTERM; returns the exit status (1: cannot open the
/// history or listen).
int RunRange(const RangeOptions& opt);

}  // namespace vendrel::cli
