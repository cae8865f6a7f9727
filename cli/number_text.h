#pragma once
// Numbers on the command line and in the files it writes. Decimals are read and written
// by the program's one number text (platform/number_text.h) with no leniency: no blanks,
// no full-width characters; what is added here is the command line's own.

#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel::cli {

/// Reads a whole number from `min` to `max` (plain digits, optional leading '+').
bool ParseWhole(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& out);

/// Appends afx::WriteNumber's text of `v`.
void AppendNumber(std::string& s, double v);

/// afx::FormatNumber's text, or JSON's null for a value that is not finite.
std::string FormatJsonNumber(double v);

}  // namespace vendrel::cli
