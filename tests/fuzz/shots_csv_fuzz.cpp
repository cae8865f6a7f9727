// The shot file reader on any bytes: records read back the same once written with
// every cell quoted; shots that are taken are within the form's ranges (the ball
// model's: shots it would fly); and a refusal is one line of UTF-8 with no control
// character, whatever the file holds.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/csv_reader.h"
#include "cli/shots_csv.h"
#include "flight/parameters.h"
#include "flight/shot_table.h"

namespace {

using vendrel::cli::CsvReader;
using vendrel::cli::CsvRecord;

std::vector<std::vector<std::string>> Records(std::string_view text, bool& ok) {
  std::vector<std::vector<std::string>> out;
  CsvReader reader(text);
  CsvRecord r;
  std::string error;
  while (reader.Next(r, error)) out.push_back(r.cells);
  ok = error.empty();
  return out;
}

void CheckRoundTrip(std::string_view text) {
  bool ok = false;
  const auto records = Records(text, ok);
  if (!ok) return;
  std::string written;
  for (const auto& cells : records) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      written += i ? ",\"" : "\"";
      for (char c : cells[i]) written += c == '"' ? "\"\"" : std::string(1, c);
      written += '"';
    }
    written += "\r\n";
  }
  bool again = false;
  if (Records(written, again) != records || !again) std::abort();
}

// Well-formed UTF-8 without C0 controls or DEL (the validity of multi-byte forms is
// the escaping's own test; here: no byte below 0x20 and every lead byte complete).
void CheckPrintable(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (n == 0 || i + n > s.size() || c < 0x20 || c == 0x7F) std::abort();
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) std::abort();
    }
    i += n;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckRoundTrip(text);
  for (const vendrel::Units units : {vendrel::Units::Metric, vendrel::Units::Imperial}) {
    vendrel::cli::ShotsFile file;
    std::string error;
    if (!vendrel::cli::ParseShots(text, "f.csv", vendrel::DefaultForm(), units, file, error)) {
      if (error.rfind("f.csv", 0) != 0) std::abort();
      CheckPrintable(error);
      continue;
    }
    const std::size_t n = file.shots.size();
    if (file.given.size() != n || file.names.size() != n || file.lines.size() != n) std::abort();
    for (std::size_t i = 0; i < n; ++i) {
      if (i > 0 && file.lines[i] <= file.lines[i - 1]) std::abort();
      for (const vendrel::Parameter& f : vendrel::ParametersOf(vendrel::Model::Form)) {
        if (!f.InRange(file.shots[i].form.*(f.form))) std::abort();
      }
      for (std::size_t t = 0; t < vendrel::kShotTargets; ++t) {
        const auto& given = file.given[i][t];
        if (given.has_value() != file.shots[i].measured[t].has_value()) std::abort();
        if (given && !vendrel::MeasuredValueRefusal(static_cast<vendrel::ShotTarget>(t), *given).empty()) std::abort();
      }
    }
  }
  vendrel::cli::ShotsFile ball;
  std::string error;
  if (!vendrel::cli::ParseShots(text, "f.csv", vendrel::DefaultForm(), vendrel::Units::Metric, ball, error,
                                vendrel::Model::Ball)) {
    if (error.rfind("f.csv", 0) != 0) std::abort();
    CheckPrintable(error);
    return 0;
  }
  for (const vendrel::Shot& shot : ball.shots) {
    if (!vendrel::BallShotRefusal(shot.ball).empty()) std::abort();
  }
  return 0;
}
