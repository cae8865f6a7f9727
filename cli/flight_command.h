#pragma once
// The single flight: its options and its run (outcome, trajectory, picture, overlays,
// or the convergence check).

#include "cli/options.h"

namespace CLI {
class App;
}  // namespace CLI

namespace vendrel::cli {

/// Declares the single flight's options on `app`, read into `opt`.
void DeclareFlight(CLI::App& app, FlightOptions& opt);

/// Runs it; returns the exit status.
int RunFlightCommand(const FlightOptions& opt);

}  // namespace vendrel::cli
