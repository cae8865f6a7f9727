#pragma once
// Whether the time step is fine enough: the flight at dt, dt/2 and dt/4.

#include <cstdio>

#include "cli/options.h"

namespace vendrel::cli {

/// Runs the flight at dt, dt/2 and dt/4 and reports how much the result moves, in the
/// options' format. Returns the exit status: 0 when all three landed, else 3.
int RunConvergence(const FlightOptions& opt, std::FILE* out);
/// The same for the ball model's flight.
int RunBallConvergence(const FlightOptions& opt, std::FILE* out);

}  // namespace vendrel::cli
