// Number reading: whatever is accepted is finite, and writing it and reading it back
// gives the same double.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "cli/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double v = 0.0;
  if (vendrel::cli::ParseDecimal(text, v)) {
    if (!std::isfinite(v)) std::abort();
    double back = 0.0;
    if (!vendrel::cli::ParseDecimal(vendrel::cli::FormatDouble(v), back)) std::abort();
    if (std::memcmp(&v, &back, sizeof v) != 0) std::abort();
  }
  return 0;
}
