// The program's one number text: the command line's strict reading and the edit
// boxes' lenient one agree wherever both accept; whatever either accepts is finite;
// and every double, written, reads back to itself in plain decimals where they are short.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "number_text/number_text.h"

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Written and read back by both readings, the same double.
void CheckRoundTrip(double v) {
  char text[vendrel::kNumberTextMax];
  const std::string_view written(text, static_cast<std::size_t>(vendrel::WriteNumber(text, v) - text));
  if (!std::isfinite(v)) return;
  const auto strict = vendrel::ReadDecimal(written);
  const auto box = vendrel::ParseNumber(written);
  if (!strict || !SameBits(*strict, v) || !box || !SameBits(*box, v)) std::abort();
  // Exponent notation only where plain decimals would be long.
  if (written.find('e') != std::string_view::npos && std::fabs(v) >= 1e-5 && std::fabs(v) < 1e15) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto strict = vendrel::ReadDecimal(text);
  const auto box = vendrel::ParseNumber(text);
  if (strict) {
    // The edit boxes take everything the command line takes, as the same double.
    if (!std::isfinite(*strict) || !box || !SameBits(*strict, *box)) std::abort();
    CheckRoundTrip(*strict);
  }
  if (box) {
    if (!std::isfinite(*box)) std::abort();
    CheckRoundTrip(*box);
  }
  // Eight bytes are any double at all, subnormals and NaNs included.
  if (size == sizeof(double)) {
    double v = 0.0;
    std::memcpy(&v, data, sizeof v);
    CheckRoundTrip(v);
  }
  return 0;
}
