#pragma once
// A flight as a row of the sweep's CSV: its nine parameters as the user gave them,
// then what it came to, lengths in the user's units.

#include <array>
#include <span>
#include <string>

#include "cli/units.h"
#include "flight/flight_records.h"
#include "flight/windowless_run.h"

namespace vendrel::cli {

/// The header line, newline included.
const char* FlightRowHeader();

/// Appends one row; `params` in FormFields() order and the user's units.
void AppendFlightRow(std::string& s, std::span<const double, 9> params, const FlightSummary& r, Units u);

/// The parameters of a form in the user's units, FormFields() order.
std::array<double, 9> ParamsOf(const FlightForm& form, Units u);

}  // namespace vendrel::cli
