#pragma once
// Doubles to and from decimal text, as std::to_chars and std::from_chars give them,
// also where the C++ library has only their integer forms (the WebAssembly build's).

#include <optional>
#include <string>
#include <string_view>

namespace afx {

/// Reads a plain decimal in the C locale ([-]digits[.digits][e[sign]digits], no leading
/// plus, checked by the caller). Nothing when the value overflows or underflows to zero.
std::optional<double> ReadDouble(std::string_view ascii);

/// The shortest text that reads back to the same double, fixed or scientific
/// notation, whichever is shorter (fixed on a tie): 46, 0.01, 1e-05, 1e+05.
std::string ShortestDouble(double value);

}  // namespace afx
