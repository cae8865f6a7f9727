#include "cli/refuse.h"

#include <cstdio>

namespace vendrel::cli {
namespace {

// The length of the well-formed UTF-8 sequence at `s`, or 0 (overlong forms,
// surrogates and code points beyond U+10FFFF are not well formed).
std::size_t Utf8Length(std::string_view s) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const auto cont = [&](std::size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
  const unsigned char c = b(0);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    if ((c == 0xE0 && b(1) < 0xA0) || (c == 0xED && b(1) >= 0xA0)) return 0;
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    if ((c == 0xF0 && b(1) < 0x90) || (c == 0xF4 && b(1) >= 0x90)) return 0;
    return 4;
  }
  return 0;
}

void AppendEscaped(std::string& out, std::string_view bytes) {
  for (const char c : bytes) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
    out += hex;
  }
}

}  // namespace

std::string QuotedFromFile(std::string_view text) {
  constexpr std::size_t kMost = 60;
  std::string out = "'";
  std::size_t i = 0;
  while (i < text.size() && i < kMost) {
    const std::string_view rest = text.substr(i);
    const std::size_t n = Utf8Length(rest);
    const unsigned char c = static_cast<unsigned char>(rest[0]);
    // C0 controls, DEL, and the C1 controls U+0080 to U+009F (0xC2 0x80 to 0xC2 0x9F).
    const bool control = (n == 1 && (c < 0x20 || c == 0x7F)) ||
                         (n == 2 && c == 0xC2 && static_cast<unsigned char>(rest[1]) < 0xA0);
    if (n == 0 || control) {
      AppendEscaped(out, rest.substr(0, n == 0 ? 1 : n));
      i += n == 0 ? 1 : n;
    } else {
      out += rest.substr(0, n);
      i += n;
    }
  }
  if (i < text.size()) out += "...";
  return out + "'";
}

}  // namespace vendrel::cli
