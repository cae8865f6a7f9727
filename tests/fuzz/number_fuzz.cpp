// Number reading, of the command line and of the edit boxes: whatever is accepted is
// finite, and writing it and reading it back gives the same double.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "cli/number_text.h"
#include "platform/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double v = 0.0;
  if (vendrel::cli::ParseDecimal(text, v)) {
    if (!std::isfinite(v)) std::abort();
    double back = 0.0;
    if (!vendrel::cli::ParseDecimal(vendrel::cli::FormatDouble(v), back)) std::abort();
    if (std::memcmp(&v, &back, sizeof v) != 0) std::abort();
  }
  // The edit boxes' reading: the same promises, and showing a value reads it back.
  if (const auto box = afx::ParseNumber(text)) {
    if (!std::isfinite(*box)) std::abort();
    const auto shown = afx::ParseNumber(afx::FormatNumber(*box));
    if (!shown || std::memcmp(&*box, &*shown, sizeof *box) != 0) std::abort();
  }
  return 0;
}
