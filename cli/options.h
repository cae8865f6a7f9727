#pragma once
// What the command line asks for, once read: one flight (with its trajectory, picture,
// overlays or convergence check) or a sweep over parameter ranges.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "flight/ball_params.h"
#include "flight/flight_records.h"
#include "flight/units.h"
#include "flight/parameters.h"

namespace vendrel::cli {

enum class Format { Text, Json };

/// Overrides of the main flight's parameters: (field, value) pairs.
using Overrides = std::vector<std::pair<const Parameter*, double>>;

struct FlightOptions {
  Model model = Model::Form;
  FlightForm form = DefaultForm();       ///< the form's model's parameters
  BallParams ball{};                     ///< the ball model's
  std::vector<const Parameter*> given;   ///< rows given on the command line
  std::int64_t maxTicks = kDefaultMaxTicks;
  Format format = Format::Text;
  std::optional<std::string> trajectory;  ///< CSV path, "-" for standard output
  std::optional<std::string> png;
  std::vector<Overrides> overlays;  ///< values in the model's units
  bool converge = false;
  Units units = Units::Metric;
  std::optional<std::string> chart;  ///< .png or .svg
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

enum class BestBy { None, Carry, Distance, Apex, Total };

struct SweepOptions {
  Model model = Model::Form;
  std::array<ParamRange, kFormParameterCount> ranges = DefaultRanges();  ///< in ParametersOf(Model::Form) order
  std::int64_t maxTicks = kDefaultMaxTicks;
  std::int64_t maxFlights = 10000000;
  unsigned threads = 0;  ///< 0: the core count
  BestBy best = BestBy::None;
  std::optional<std::string> output;  ///< CSV path; standard output when absent
  bool progress = true;               ///< a progress bar when standard error is a terminal
  Units units = Units::Metric;        ///< of the ranges and of the rows
  /// Parameters left at the model's default: flown as that default whatever the units
  /// (a default converted there and back could miss its last bit).
  std::array<bool, kFormParameterCount> defaulted{};
  std::optional<std::string> chart;   ///< .png or .svg
  /// The ball model's ranges, in ParametersOf(Model::Ball) order, and which were left
  /// at its default; whether its spin is back and side spin (else total spin and axis).
  std::vector<ParamRange> ballRanges = DefaultBallRanges();
  std::vector<bool> ballDefaulted = std::vector<bool>(ParametersOf(Model::Ball).size(), true);
  bool ballSpinAsComponents = false;
  /// What a ball row left out flies as: the model's defaults, or a --surface's ground.
  BallParams ballBase{};

  /// The model's ranges, in ParametersOf(model) order, and whether range i was left
  /// at the model's default.
  std::span<const ParamRange> Ranges() const;
  bool Defaulted(std::size_t i) const { return model == Model::Form ? defaulted[i] : ballDefaulted[i]; }
  /// The value, in the model's units, a row left out flies as.
  double BaseValue(const Parameter& p) const {
    return model == Model::Form ? p.Default(Model::Form) : ValueIn(ballBase, p);
  }

  /// Every parameter at its default.
  static std::array<ParamRange, kFormParameterCount> DefaultRanges();
  static std::vector<ParamRange> DefaultBallRanges();
};

/// Total flights of a sweep, saturating at INT64_MAX.
std::int64_t SweepSize(const SweepOptions& s);

/// Reads a sweep parameter: X or START:STOP:STEP within `field`'s range. On a refusal
/// returns false with one line naming the option as `name`.
bool ReadParamRange(const Parameter& field, std::string_view text, std::string_view name,
                    ParamRange& range, std::string& refusal);

/// Reads an overlay, name=value,... with the names of the parameter options. On a
/// refusal returns false with one line that does not yet name --overlay.
/// Values are read in `units` and kept in the model's.
bool ReadOverrides(std::string_view text, Overrides& out, std::string& refusal, Units units = Units::Metric);

}  // namespace vendrel::cli
