#pragma once
// The command line of vendrel-flight: the single flight's options, the subcommands
// and theirs, declared once each; reading the arguments into a Command and running it.

#include <string>
#include <vector>

#include "cli/dispersion_command.h"
#include "cli/fit_command.h"
#include "cli/history_command.h"
#include "cli/options.h"
#include "cli/range_command.h"

namespace vendrel::cli {

enum class Mode { Flight, Sweep, Dispersion, Fit, Range, History, Help, Version };

struct Command {
  Mode mode = Mode::Flight;
  FlightOptions flight;
  SweepOptions sweep;
  DispersionOptions dispersion;
  FitOptions fit;
  RangeOptions range;
  HistoryOptions history;
  std::string help;  ///< with Mode::Help: the usage text asked for
};

/// Parses the arguments (without the program name). On a refusal returns false and
/// sets `error` to one line naming the option and what it allows.
bool ParseCommandLine(const std::vector<std::string>& args, Command& cmd, std::string& error);

/// Runs a parsed flight or subcommand; returns the exit status.
int RunCommand(const Command& cmd);

/// What --help prints: every option of the flight and of each subcommand; with a
/// subcommand's name, what its --help prints.
std::string UsageText(const std::string& subcommand = {});

}  // namespace vendrel::cli
