#pragma once
// A flight as a row of the sweep's CSV: its parameters as the user gave them, then
// what it came to, lengths in the user's units. One row for each model.

#include <array>
#include <span>
#include <string>
#include <vector>

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

/// The ball model's header line: its parameters' keys, then ticks, end, carry,
/// distance, lateral, apex, landing_angle, flight_time, total, roll, rest_x, rest_y,
/// bounces and time_to_rest.
const std::string& BallRowHeader();

/// Appends one ball shot's row; `params` in ParametersOf(Model::Ball) order and the
/// user's units. A NaN parameter (a pressure not given) and the spin form the shot
/// does not use (`components`: it uses back and side spin) are empty cells.
void AppendBallRow(std::string& s, std::span<const double> params, bool components, const BallSummary& r, Units u);

/// The parameters of a form in the user's units, ParametersOf(Model::Form) order.
std::array<double, kFormParameterCount> ParamsOf(const FlightForm& form, Units u);

/// The parameters of a ball shot in the user's units, ParametersOf(Model::Ball) order.
std::vector<double> BallParamsOf(const BallParams& shot, Units u);

}  // namespace vendrel::cli
