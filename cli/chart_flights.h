#pragma once
// The flights behind the charts of a single flight and of the convergence check.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/chart_drawing.h"
#include "flight/ball_params.h"
#include "flight/flight_records.h"
#include "flight/units.h"

namespace vendrel::cli {

/// Flies the main flight and its overlays (the main form with other values) and draws
/// them on one figure.
Figure ChartOfFlights(const FlightForm& main, const std::vector<FlightForm>& overlays, std::int64_t maxTicks,
                      Units units);

/// Flies the flight at dt, dt/2, dt/4 and further halvings while a flight stays under
/// about a million ticks, and draws the distances against the step.
Figure ChartOfConvergence(const FlightForm& form, std::int64_t maxTicks, Units units);

/// The same for one ball flight, and its convergence (dt halved while a flight stays
/// under about a million steps).
Figure ChartOfBallFlight(const BallParams& p, Units units);
Figure ChartOfBallConvergence(const BallParams& p, Units units);

}  // namespace vendrel::cli
