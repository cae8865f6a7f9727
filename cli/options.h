#pragma once
// What the command line asks for, once read: one flight (with its trajectory, picture,
// overlays or convergence check) or a sweep over parameter ranges.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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
  std::array<ParamRange, 9> ranges = DefaultRanges();  ///< in FormFields() order
  std::int64_t maxTicks = 10000000;
  std::int64_t maxFlights = 10000000;
  unsigned threads = 0;  ///< 0: the core count
  BestBy best = BestBy::None;
  std::optional<std::string> output;  ///< CSV path; standard output when absent
  bool progress = true;               ///< a progress bar when standard error is a terminal

  /// Every parameter at its default.
  static std::array<ParamRange, 9> DefaultRanges();
};

/// Total flights of a sweep, saturating at INT64_MAX.
std::int64_t SweepSize(const SweepOptions& s);

/// Reads a sweep parameter: X or START:STOP:STEP within `field`'s range. On a refusal
/// returns false with one line naming the option as `name`.
bool ReadParamRange(const FormField& field, std::string_view text, std::string_view name,
                    ParamRange& range, std::string& refusal);

/// Reads an overlay, name=value,... with the names of the parameter options. On a
/// refusal returns false with one line that does not yet name --overlay.
bool ReadOverrides(std::string_view text, Overrides& out, std::string& refusal);

}  // namespace vendrel::cli
