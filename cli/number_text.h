#pragma once
// Numbers on the command line and in the files it writes: strict decimal reading,
// shortest round-trip writing.

#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel::cli {

/// Reads a finite decimal number: optional sign, digits, point, exponent. Refuses an
/// empty text, blanks, nan, inf, hexadecimal, trailing characters and overflow.
bool ParseDecimal(std::string_view text, double& out);

/// Reads a whole number from `min` to `max` (plain digits, optional leading '+').
bool ParseWhole(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& out);

/// The shortest text that reads back to the same double; "nan", "inf", "-inf" for the
/// non-finite ones.
std::string FormatDouble(double v);

/// As FormatDouble, but JSON's null for a value that is not finite.
std::string FormatJsonNumber(double v);

}  // namespace vendrel::cli
