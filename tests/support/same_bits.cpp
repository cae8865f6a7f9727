#include "tests/support/same_bits.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

namespace vendrel::test {

bool SameBits(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

namespace {

bool SameMember(double a, double b) { return SameBits(a, b); }
bool SameMember(const Vec5& a, const Vec5& b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameBits(a[i], b[i])) return false;
  }
  return true;
}
bool SameMember(std::int32_t a, std::int32_t b) { return a == b; }

std::string Text(double v) {
  if (std::isnan(v)) return "nan";  // any payload, as SameBits
  char text[32];
  std::snprintf(text, sizeof text, "%a", v);
  return text;
}
std::string Text(const Vec5& v) {
  std::string s = "{";
  for (double d : v) s += Text(d) + ",";
  return s + "}";
}
std::string Text(std::int32_t v) { return std::to_string(v); }

}  // namespace

bool Same(const FlightState& a, const FlightState& b) {
  bool same = true;
  ForEachMember(a, b, [&](const auto& x, const auto& y) { same = same && SameMember(x, y); });
  return same;
}

std::string Describe(const FlightState& s) {
  std::string text;
  ForEachMember(s, s, [&](const auto& x, const auto&) { text += Text(x) + " "; });
  return text;
}

}  // namespace vendrel::test
