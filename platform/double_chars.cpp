#include "platform/double_chars.h"

#include <charconv>
#include <system_error>

#if !defined(__cpp_lib_to_chars)
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#endif

namespace afx {

#if defined(__cpp_lib_to_chars)

std::optional<double> ReadDouble(std::string_view ascii) {
  double value = 0.0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value,
                                      std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

std::string ShortestDouble(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

#else

// The C library's conversions are exact (correctly rounded both ways); the WebAssembly
// module's locale is always "C".

std::optional<double> ReadDouble(std::string_view ascii) {
  const std::string text(ascii);
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  if (errno == ERANGE && (value == 0.0 || std::isinf(value))) return std::nullopt;
  return value;
}

std::string ShortestDouble(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  // The fewest significant digits that read back to the value, with their exponent.
  char sci[64];
  int digits = 1;
  for (; digits < 17; ++digits) {
    std::snprintf(sci, sizeof sci, "%.*e", digits - 1, value);
    if (std::strtod(sci, nullptr) == value) break;
  }
  std::snprintf(sci, sizeof sci, "%.*e", digits - 1, value);
  const char* e = std::strchr(sci, 'e');
  const int exponent = std::atoi(e + 1);

  // Scientific: the digits, a point after the first if there are more, e±XX.
  const int expDigits = std::abs(exponent) >= 100 ? 3 : 2;
  const int sciLength = digits + (digits > 1 ? 1 : 0) + 2 + expDigits;
  // Fixed: the whole part and as many decimals as the digits need.
  const int decimals = digits - 1 - exponent > 0 ? digits - 1 - exponent : 0;
  const int wholeDigits = exponent >= 0 ? exponent + 1 : 1;
  const int fixedLength = wholeDigits + (decimals > 0 ? decimals + 1 : 0);
  char out[400];
  if (fixedLength <= sciLength) {
    std::snprintf(out, sizeof out, "%.*f", decimals, value);
  } else {
    // printf writes at least two exponent digits, as to_chars does.
    std::snprintf(out, sizeof out, "%.*e", digits - 1, value);
  }
  return out;
}

#endif

}  // namespace afx
