#pragma once
// A flight as a row of the sweep's CSV: its nine parameters as the user gave them,
// then what it came to, lengths in the user's units.

#include <array>
#include <span>
#include <string>

#include "flight/ball_flight.h"
#include "flight/flight_records.h"
#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "flight/units.h"

namespace vendrel::cli {

/// The header line, newline included.
const char* FlightRowHeader();

/// Appends one row; `params` in ParametersOf(Model::Form) order and the user's units.
void AppendFlightRow(std::string& s, std::span<const double, kFormParameterCount> params, const FlightSummary& r, Units u);

/// The parameters of a form in the user's units, ParametersOf(Model::Form) order.
std::array<double, kFormParameterCount> ParamsOf(const FlightForm& form, Units u);

/// A ball shot's row: every ball parameter (ParametersOf(Model::Ball) order, the user's
/// units), then ticks, end, carry, distance, lateral, apex, landing_angle, flight_time,
/// total, roll, rest_x, rest_y, bounces and time_to_rest. The header, newline included.
std::string BallRowHeader();
void AppendBallRow(std::string& s, const BallParams& shot, const BallSummary& r, Units u);

}  // namespace vendrel::cli
