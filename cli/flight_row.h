#pragma once
// A flight as a row of the sweep's CSV: its nine parameters as the user gave them,
// then what it came to, lengths in the user's units.

#include <array>
#include <span>
#include <string>

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

}  // namespace vendrel::cli
