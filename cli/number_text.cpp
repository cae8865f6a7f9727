#include "cli/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "platform/number_text.h"

namespace vendrel::cli {

bool ParseWhole(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& out) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < min || v > max) return false;
  out = v;
  return true;
}

void AppendNumber(std::string& s, double v) {
  char buffer[afx::kNumberTextMax];
  s.append(buffer, afx::WriteNumber(buffer, v));
}

std::string FormatJsonNumber(double v) {
  return std::isfinite(v) ? afx::FormatNumber(v) : std::string("null");
}

}  // namespace vendrel::cli
