#include "number_text/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace vendrel {
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

// [sign] (digits [. digits] | . digits) [(e|E) [sign] digits], nothing else.
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
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == s.size();
}

// The grammar is settled before this, so the conversion only has to say whether the
// value fits a double.
std::optional<double> Convert(std::string_view digits) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  double value = 0.0;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
    return std::nullopt;  // beyond the range of a double, either way
  }
#else
  // A standard library without from_chars for doubles (the web build's): strtod, whose
  // locale there is always "C". A value too small for a subnormal reads as 0 and is
  // refused as from_chars refuses it; subnormals themselves are values.
  const std::string copy(digits);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) return std::nullopt;
  if (value == 0.0 && copy.find_first_of("123456789") < copy.find_first_of("eE")) return std::nullopt;
#endif
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

// The shortest digits that read back to `value`, as d.ddde±XX; returns the end.
const char* ShortestScientific(char (&out)[kNumberTextMax], double value) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  return std::to_chars(out, out + kNumberTextMax, value, std::chars_format::scientific).ptr;
#else
  // Without to_chars for doubles: the fewest digits printf rounds to that read back.
  // Its layout is to_chars' (at least two exponent digits); its locale is "C" there.
  int length = 0;
  for (int precision = 0; precision <= 16; ++precision) {
    length = std::snprintf(out, kNumberTextMax, "%.*e", precision, value);
    if (std::strtod(out, nullptr) == value) break;
  }
  return out + length;
#endif
}

}  // namespace

char* WriteNumber(char* first, double value) {
  const auto copy = [first](const char* text, std::size_t n) {
    std::memcpy(first, text, n);
    return first + n;
  };
  if (std::isnan(value)) return copy("nan", 3);  // whatever its sign bit
  if (std::isinf(value)) return value > 0 ? copy("inf", 3) : copy("-inf", 4);
  // The shortest digits that read back, and their exponent: d.ddd × 10^exponent.
  char sci[kNumberTextMax];
  const char* const sciEnd = ShortestScientific(sci, value);
  const char* p = sci;
  const bool negative = *p == '-';
  if (negative) ++p;
  char digits[20];
  int count = 0;
  for (; *p != 'e'; ++p) {
    if (*p != '.') digits[count++] = *p;
  }
  // to_chars writes no terminator: the exponent ends at sciEnd.
  int exponent = 0;
  std::from_chars(p + (p[1] == '+' ? 2 : 1), sciEnd, exponent);
  const int zerosAfterPoint = exponent < 0 ? -exponent - 1 : 0;
  const int writtenDigits = exponent >= count ? exponent + 1 : count;
  if (writtenDigits > 17 || zerosAfterPoint > 4) return copy(sci, static_cast<std::size_t>(sciEnd - sci));

  char* out = first;
  if (negative) *out++ = '-';
  if (exponent < 0) {
    *out++ = '0';
    *out++ = '.';
    for (int i = 0; i < zerosAfterPoint; ++i) *out++ = '0';
    for (int i = 0; i < count; ++i) *out++ = digits[i];
  } else {
    for (int i = 0; i <= exponent; ++i) *out++ = i < count ? digits[i] : '0';
    if (count > exponent + 1) {
      *out++ = '.';
      for (int i = exponent + 1; i < count; ++i) *out++ = digits[i];
    }
  }
  return out;
}

std::string FormatNumber(double value) {
  char buffer[kNumberTextMax];
  return std::string(buffer, WriteNumber(buffer, value));
}

std::optional<double> ReadDecimal(std::string_view text) {
  if (!IsDecimal(text)) return std::nullopt;
  // from_chars takes no leading plus; the grammar above already vouches for the rest.
  if (text.front() == '+') text.remove_prefix(1);
  return Convert(text);
}

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
  return ReadDecimal(ascii);
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

void AppendNumber(std::string& s, double v) {
  char buffer[kNumberTextMax];
  s.append(buffer, WriteNumber(buffer, v));
}

std::string FormatJsonNumber(double v) {
  return std::isfinite(v) ? FormatNumber(v) : std::string("null");
}

}  // namespace vendrel
