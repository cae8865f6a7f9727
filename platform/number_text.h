#pragma once
// The text of a number in an edit box. Pure functions, no Qt: the data exchange uses
// them and they can be fuzzed on their own.

#include <optional>
#include <string>
#include <string_view>

namespace afx {

/// The shortest text that reads back to the same double: 46, 0.01, 9.8, 2000, 1e-05.
std::string FormatNumber(double value);

/// Reads a decimal number typed into an edit box, whatever the system locale.
/// Accepts blanks around it (ASCII space and tab, the full-width space), an optional
/// sign, digits with an optional point, an optional exponent; the full-width digits,
/// signs, point and exponent letters a Japanese input method types count as their
/// ASCII forms. Refuses everything else: empty text, nan, inf, hexadecimal, trailing
/// characters, and values beyond the range of a double. What it accepts is finite.
std::optional<double> ParseNumber(std::string_view utf8);

}  // namespace afx
