#pragma once
// The text of numbers, one reading and one writing for the whole program: the edit
// boxes, the command line and what it writes, the flight model's refusals and any other
// front end. Pure functions on the standard library alone, so every part of the program
// can link them and they can be fuzzed on their own.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vendrel {

/// Room enough for any text WriteNumber writes ("-2.2250738585072014e-308").
inline constexpr std::size_t kNumberTextMax = 32;

/// Writes a double as people write it: the shortest text that reads back to the same
/// double, in plain decimal notation (100000, 0.00001, 0.30000000000000004) unless
/// that would need more than 17 significant digits or more than 4 zeros after the
/// point, then in exponent notation (1e-06, 1e+17). "nan", "inf", "-inf" for the
/// values that are not finite. Returns the end of the text; nothing is terminated.
char* WriteNumber(char* first, double value);

/// WriteNumber as a string: 46, 0.01, 9.8, 2000, 100000, 0.00001.
std::string FormatNumber(double value);

/// Reads a plain decimal and nothing around it: an optional sign, digits with an
/// optional point (at least one digit), an optional exponent. Refuses blanks, nan,
/// inf, hexadecimal and values beyond the range of a double: what it accepts is
/// finite. Whatever the system locale.
std::optional<double> ReadDecimal(std::string_view text);

/// Reads a decimal number typed into an edit box: ReadDecimal after dropping blanks
/// around it (ASCII space and tab, the full-width space) and taking the full-width
/// digits, signs, point and exponent letters a Japanese input method types as their
/// ASCII forms. Refuses everything else, malformed UTF-8 included.
std::optional<double> ParseNumber(std::string_view utf8);

/// Reads a whole number from `min` to `max`: plain digits with an optional leading '+',
/// nothing around them. False, and `out` left alone, for anything else.
bool ParseWhole(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& out);

/// Appends WriteNumber's text of `v`.
void AppendNumber(std::string& s, double v);

/// FormatNumber's text, or JSON's null for a value that is not finite.
std::string FormatJsonNumber(double v);

}  // namespace vendrel
