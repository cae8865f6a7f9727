#pragma once
// The command line of vendrel-flight: one flight (with its trajectory, picture,
// overlays or convergence check) or a sweep over parameter ranges.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "flight/flight_records.h"
#include "flight/form_fields.h"

namespace vendrel::cli {

enum class Format { Text, Json };

/// Overrides of the main flight's parameters: (field, value) pairs.
using Overrides = std::vector<std::pair<const FormField*, double>>;

struct FlightOptions {
  FlightForm form = DefaultForm();
  std::int64_t maxTicks = 10000000;
  Format format = Format::Text;
  std::optional<std::string> trajectory;  ///< CSV path, "-" for standard output
  std::optional<std::string> png;
  std::vector<Overrides> overlays;
  bool converge = false;
};

/// The values one parameter takes in a sweep: start + i × step up to stop.
struct ParamRange {
  double start = 0.0;
  double stop = 0.0;
  double step = 1.0;
  bool single = true;
  /// How many values; the last one within a millionth of a step above stop is stop.
  std::int64_t Count() const;
  double Value(std::int64_t i) const;

 private:
  bool Beyond(double v) const;
};

enum class BestBy { None, Carry, Distance, Apex };

struct SweepOptions {
  std::array<ParamRange, 9> ranges;  ///< in FormFields() order
  std::int64_t maxTicks = 10000000;
  std::int64_t maxFlights = 10000000;
  unsigned threads = 0;  ///< 0: the core count
  BestBy best = BestBy::None;
  std::optional<std::string> output;  ///< CSV path; standard output when absent
  bool progress = true;               ///< a progress bar when standard error is a terminal
};

enum class Mode { Flight, Sweep, Help, Version };

struct Command {
  Mode mode = Mode::Flight;
  FlightOptions flight;
  SweepOptions sweep;
};

/// Parses the arguments (without the program name). On a refusal returns false and
/// sets `error` to one line naming the option and what it allows.
bool ParseCommandLine(const std::vector<std::string>& args, Command& cmd, std::string& error);

/// Total flights of a sweep, saturating at INT64_MAX.
std::int64_t SweepSize(const SweepOptions& s);

std::string UsageText();

}  // namespace vendrel::cli
