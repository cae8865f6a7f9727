#pragma once
// vendrel-flight dispersion: many flights with launch values drawn around the given
// ones, and what their landings come to.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "flight/dispersion.h"
#include "flight/parameters.h"
#include "flight/units.h"

namespace CLI {
class App;
}  // namespace CLI

namespace vendrel::cli {

struct DispersionOptions {
  Model model = Model::Form;
  FlightForm form = DefaultForm();
  BallParams ball{};
  std::vector<const Parameter*> given;  ///< parameter rows given
  LaunchSpread spread;  ///< in the model's units
  BallLaunchSpread ballSpread;
  std::vector<std::string> ballOnlySpreads;  ///< spreads given that only the ball model has
  std::int64_t samples = 1000;
  std::int64_t seed = 1;
  std::int64_t maxFlights = 10000000;
  unsigned threads = 0;  ///< 0: the core count
  std::int64_t maxTicks = kDefaultMaxTicks;
  bool json = false;
  Units units = Units::Metric;
  std::optional<std::string> output;  ///< every flight as a sweep row; "-" for standard output
  std::optional<std::string> chart;
};

/// Declares the dispersion's options on its subcommand `app`, read into `opt`.
void DeclareDispersion(CLI::App& app, DispersionOptions& opt);

/// Runs the flights and reports; returns the exit status.
int RunDispersion(const DispersionOptions& opt);

}  // namespace vendrel::cli
