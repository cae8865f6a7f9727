#pragma once
// How the outcome of a flight is written: JSON for scripts, lines for a person.

#include <string>

#include "flight/ball_flight.h"
#include "flight/windowless_run.h"
#include "flight/units.h"

namespace vendrel::cli {

/// One JSON object: ticks, end, landed, carry, distance, landing {x, y, z}, apex.
/// Lengths in `units`.
std::string FlightJson(const FlightOutcome& out, Units units = Units::Metric);
/// The same facts, one per line.
std::string FlightText(const FlightOutcome& out, Units units = Units::Metric);

/// A ball flight: the same keys (its carry is its distance), then landing_angle (deg),
/// flight_time (s), lateral, and where it came to rest: total, roll, rest {x, y},
/// bounces and time_to_rest (s).
std::string BallFlightJson(const BallSummary& out, Units units = Units::Metric);
std::string BallFlightText(const BallSummary& out, Units units = Units::Metric);

/// The exit status of a finished flight: 0 when the run control ended it, 3 at the
/// tick bound.
int ExitStatusFor(const FlightSummary& out);

}  // namespace vendrel::cli
