#pragma once
// One declaration per option: its name, the name of its value, what it does. The usage
// line, the reading of the value and its refusal all come from that declaration, so a
// subcommand declares each of its options in one call. The refusals are one line that
// names the option (and its range where it has one).

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/options.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace vendrel::cli {

/// Reads the text of one value; returns the refusal, a whole line naming the option,
/// or nothing when the value was taken.
using TakeValue = std::function<std::string(const std::string& text)>;

/// An option with a value, read by `take`. `help` says what it does.
CLI::Option* AddValue(CLI::App& app, const std::string& name, const std::string& valueName,
                      const std::string& help, TakeValue take);

/// The same, repeatable: every occurrence is read by `take` in order.
CLI::Option* AddRepeatable(CLI::App& app, const std::string& name, const std::string& valueName,
                           const std::string& help, TakeValue take);

/// A whole number from `min` to `max`; the usage shows the range and the default,
/// `defaultText` when given, else the target's value.
CLI::Option* AddWhole(CLI::App& app, const std::string& name, const std::string& valueName,
                      const std::string& help, std::int64_t min, std::int64_t max, std::int64_t& target,
                      const std::string& defaultText = {});
CLI::Option* AddWhole(CLI::App& app, const std::string& name, const std::string& valueName,
                      const std::string& help, std::int64_t min, std::int64_t max, unsigned& target,
                      const std::string& defaultText = {});

/// One of a few words; the usage lists them and names the default (the target's value)
/// when it is one of them.
template <class T>
CLI::Option* AddChoice(CLI::App& app, const std::string& name, const std::string& help,
                       std::vector<std::pair<std::string, T>> choices, T& target);

/// A file name, "-" for standard output.
CLI::Option* AddFile(CLI::App& app, const std::string& name, const std::string& help,
                     std::optional<std::string>& target);

/// A flag that takes no value: sets `target`, or calls `given`.
CLI::Option* AddFlag(CLI::App& app, const std::string& name, const std::string& help, bool& target);
CLI::Option* AddFlag(CLI::App& app, const std::string& name, const std::string& help,
                     std::function<void()> given);

/// --max-ticks N, the tick bound of the form's model's flights. Refused with --model ball
/// (declared before): a ball's flight ends by its own bound, which this would not move.
CLI::Option* AddMaxTicks(CLI::App& app, const std::string& help, const Model& model, std::int64_t& target);

/// --units metric|imperial. Declared before the options whose values it converts, so
/// that its value is known when theirs are read.
CLI::Option* AddUnits(CLI::App& app, Units& units);

/// --chart FILE, a name ending in .png or .svg.
CLI::Option* AddChart(CLI::App& app, const std::string& help, std::optional<std::string>& target);

/// --model form|ball. Declared before the parameters, whose callbacks read it.
CLI::Option* AddModel(CLI::App& app, Model& model);

/// --surface NAME (the ball model only): `set(name)` applies a named surface's ground
/// constants, false for a name that is none.
CLI::Option* AddSurface(CLI::App& app, const Model& model, const std::function<bool(std::string_view)>& set);

/// --surface, then every row of the parameter table as an option. A value is read against the range
/// of `model` (declared before) in `units` and set in that model's record; a row the
/// model does not have is refused. `given` collects the rows given.
void AddModelValues(CLI::App& app, const Model& model, FlightForm& form, BallParams& ball,
                    std::vector<const Parameter*>& given, const Units& units);

/// --surface and the ball model's conditions and constants (every row but the launch
/// values) as options, read as AddModelValues reads them: for a command whose shots bring their
/// own launch values.
void AddConditionValues(CLI::App& app, BallParams& ball, std::vector<const Parameter*>& given, const Units& units);

/// After the values are read: refuses spin given both as total spin and axis and as
/// back and side spin, and has the ball take back and side spin when they were given.
std::string FinishModelValues(Model model, const std::vector<const Parameter*>& given, BallParams& ball);

/// Every row of the parameter table taking X or START:STOP:STEP, kept in `units`:
/// read against the range of `model` (declared before) into `formRanges` or
/// `ballRanges` (each in ParametersOf(model) order); a row the model does not have is
/// refused.
void AddModelRanges(CLI::App& app, const Model& model, std::array<ParamRange, kFormParameterCount>& formRanges,
                    std::vector<ParamRange>& ballRanges, const Units& units);

// The choice's words as indices, so the template needs nothing of the parser. A
// `current` past the words names no default.
CLI::Option* AddChoiceIndex(CLI::App& app, const std::string& name, const std::string& help,
                            std::vector<std::string> words, std::size_t current,
                            std::function<void(std::size_t)> set);

template <class T>
CLI::Option* AddChoice(CLI::App& app, const std::string& name, const std::string& help,
                       std::vector<std::pair<std::string, T>> choices, T& target) {
  std::vector<std::string> words;
  std::size_t current = choices.size();
  for (std::size_t i = 0; i < choices.size(); ++i) {
    words.push_back(choices[i].first);
    if (choices[i].second == target) current = i;
  }
  return AddChoiceIndex(app, name, help, std::move(words), current,
                        [&target, choices](std::size_t i) { target = choices[i].second; });
}

}  // namespace vendrel::cli
