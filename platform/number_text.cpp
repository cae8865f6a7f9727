#include "platform/number_text.h"

#include <cmath>

#include "platform/double_chars.h"

namespace afx {
namespace {

// Next code point of a UTF-8 text; false at the end or on a malformed sequence.
bool NextCodePoint(std::string_view text, std::size_t& at, char32_t& cp) {
  if (at >= text.size()) return false;
  const auto b0 = static_cast<unsigned char>(text[at]);
  int extra = 0;
  if (b0 < 0x80) {
    cp = b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    cp = b0 & 0x1F;
    extra = 1;
  } else if ((b0 & 0xF0) == 0xE0) {
    cp = b0 & 0x0F;
    extra = 2;
  } else if ((b0 & 0xF8) == 0xF0) {
    cp = b0 & 0x07;
    extra = 3;
  } else {
    return false;
  }
  if (extra > 0 && at + static_cast<std::size_t>(extra) >= text.size()) return false;
  for (int i = 1; i <= extra; ++i) {
    const auto b = static_cast<unsigned char>(text[at + i]);
    if ((b & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  at += extra + 1;
  return true;
}

bool IsBlank(char32_t cp) { return cp == U' ' || cp == U'\t' || cp == U'\u3000'; }

// The ASCII character a typed character stands for, or 0 when it has no place in a
// number.
char NumberChar(char32_t cp) {
  if (cp >= U'0' && cp <= U'9') return static_cast<char>(cp);
  if (cp >= U'\uFF10' && cp <= U'\uFF19') return static_cast<char>('0' + (cp - U'\uFF10'));
  switch (cp) {
    case U'+': case U'\uFF0B': return '+';
    case U'-': case U'\uFF0D': return '-';
    case U'.': case U'\uFF0E': return '.';
    case U'e': case U'E': case U'\uFF45': case U'\uFF25': return 'e';
    default: return 0;
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// [sign] (digits [. digits] | . digits) [e [sign] digits], nothing else.
bool IsDecimal(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && s[i] == 'e') {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == s.size();
}

}  // namespace

std::string FormatNumber(double value) { return ShortestDouble(value); }

std::optional<double> ParseNumber(std::string_view utf8) {
  // Normalise to ASCII, dropping the blanks at both ends; a blank inside the number
  // or any other character refuses the text.
  std::string ascii;
  std::size_t at = 0;
  char32_t cp = 0;
  bool started = false;
  bool trailingBlanks = false;
  while (at < utf8.size()) {
    if (!NextCodePoint(utf8, at, cp)) return std::nullopt;
    if (IsBlank(cp)) {
      if (started) trailingBlanks = true;
      continue;
    }
    if (trailingBlanks) return std::nullopt;
    const char c = NumberChar(cp);
    if (c == 0) return std::nullopt;
    ascii.push_back(c);
    started = true;
  }
  if (!IsDecimal(ascii)) return std::nullopt;

  // from_chars takes no leading plus; the grammar above already vouches for the rest.
  std::string_view digits = ascii;
  if (digits.front() == '+') digits.remove_prefix(1);
  const std::optional<double> value = ReadDouble(digits);
  if (!value || !std::isfinite(*value)) return std::nullopt;  // beyond the range of a double
  return value;
}

}  // namespace afx
