#include "cli/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace vendrel::cli {

bool ParseDecimal(std::string_view text, double& out) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return false;  // one sign only
  }
  if (text.empty()) return false;
  // from_chars would take "inf", "nan" and a hexadecimal mantissa after a sign; only
  // plain decimals are numbers here.
  const char first = text.front() == '-' && text.size() > 1 ? text[1] : text.front();
  if (!(first == '.' || (first >= '0' && first <= '9'))) return false;
  for (char c : text) {
    const bool ok = (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
    if (!ok) return false;
  }
  double v = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v,
                                         std::chars_format::general);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool ParseWhole(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& out) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < min || v > max) return false;
  out = v;
  return true;
}

std::string FormatDouble(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("nan");
}

std::string FormatJsonNumber(double v) {
  return std::isfinite(v) ? FormatDouble(v) : std::string("null");
}

}  // namespace vendrel::cli
