#pragma once
// The sweep subcommand: its options and its run.

#include "cli/options.h"

namespace CLI {
class App;
}  // namespace CLI

namespace vendrel::cli {

/// Declares the sweep's options on its subcommand `app`, read into `opt`.
void DeclareSweep(CLI::App& app, SweepOptions& opt);

/// Opens the output and runs the sweep; returns the exit status.
int RunSweepCommand(const SweepOptions& opt);

}  // namespace vendrel::cli
