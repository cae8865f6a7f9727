#pragma once
// vendrel-flight fit: the parameters (the form's K and K' by default, or the ball
// model's drag and lift) that make the model meet measured shots.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flight/parameters.h"
#include "flight/units.h"

namespace CLI {
class App;
}  // namespace CLI

namespace vendrel::cli {

struct FitOptions {
  Model model = Model::Form;
  FlightForm form = DefaultForm();  ///< values of the columns a file lacks; starting values
  BallParams ball{};                ///< the same for the ball model
  std::vector<const Parameter*> given;  ///< parameter rows given on the command line
  std::string shots;                ///< the CSV file, "-" for standard input
  std::vector<const Parameter*> fitted;  ///< empty: the model's default (DefaultFitted)
  std::int64_t maxTicks = kDefaultMaxTicks;
  bool json = false;
  Units units = Units::Metric;
  unsigned threads = 0;
  std::optional<std::string> shotsGiven;  ///< as read; --shots is required
  std::optional<std::string> chart;
};

/// Declares the fit's options on its subcommand `app`, read into `opt`.
void DeclareFit(CLI::App& app, FitOptions& opt);

/// Reads the shots, fits, reports; returns the exit status (2: refused or cannot move).
int RunFit(const FitOptions& opt);

/// Reads "k,k-prime": model `m`'s parameter names as the options spell them. False
/// with `error` on an unknown or repeated name.
bool ParseFittedList(const std::string& text, std::vector<const Parameter*>& out, std::string& error,
                     Model m = Model::Form);

}  // namespace vendrel::cli
