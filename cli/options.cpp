#include "cli/options.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "cli/refuse.h"
#include "flight/form_value.h"
#include "number_text/number_text.h"

namespace vendrel::cli {
bool ParamRange::Beyond(double v) const { return v - stop > step * 1e-6; }

std::int64_t ParamRange::Count() const {
  if (single) return 1;
  const double n = std::floor((stop - start) / step + 1e-6);
  if (!(n < 9.0e18)) return std::numeric_limits<std::int64_t>::max();
  std::int64_t count = static_cast<std::int64_t>(n) + 1;
  // The division can be off by one near the tolerance: settle it by the test the
  // values themselves pass. A step too small to move the value cannot loop for ever.
  for (int k = 0; k < 4 && count > 1 && Beyond(start + static_cast<double>(count - 1) * step); ++k) {
    --count;
  }
  for (int k = 0; k < 4 && !Beyond(start + static_cast<double>(count) * step); ++k) ++count;
  return count;
}

double ParamRange::Value(std::int64_t i) const {
  if (single) return start;
  const double v = start + static_cast<double>(i) * step;
  return v > stop ? stop : v;
}

std::array<ParamRange, kFormParameterCount> SweepOptions::DefaultRanges() {
  std::array<ParamRange, kFormParameterCount> ranges;
  const auto fields = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    const double d = fields[i].defaultValue;
    ranges[i] = ParamRange{d, d, 1.0, true};
  }
  return ranges;
}

std::vector<ParamRange> SweepOptions::DefaultBallRanges() {
  std::vector<ParamRange> ranges;
  for (const Parameter& p : ParametersOf(Model::Ball)) {
    const double d = p.Default(Model::Ball);
    ranges.push_back(ParamRange{d, d, 1.0, true});
  }
  return ranges;
}

std::span<const ParamRange> SweepOptions::Ranges() const {
  if (model == Model::Form) return ranges;
  return ballRanges;
}

std::int64_t SweepSize(const SweepOptions& s) {
  std::int64_t total = 1;
  for (const ParamRange& r : s.Ranges()) {
    const std::int64_t n = r.Count();
    if (total > std::numeric_limits<std::int64_t>::max() / n) {
      return std::numeric_limits<std::int64_t>::max();
    }
    total *= n;
  }
  return total;
}

bool ReadParamRange(const Parameter& field, std::string_view text, std::string_view name,
                    ParamRange& range, std::string& refusal) {
  const std::size_t c1 = text.find(':');
  if (c1 == std::string_view::npos) {
    double v = 0.0;
    if (!ReadFormValue(field, text, name, v, refusal)) return false;
    range = ParamRange{v, v, 1.0, true};
    return true;
  }
  const std::size_t c2 = text.find(':', c1 + 1);
  if (c2 == std::string_view::npos || text.find(':', c2 + 1) != std::string_view::npos) {
    refusal = std::string(name) + ": " + Quoted(text) + " is not start:stop:step";
    return false;
  }
  double start = 0.0, stop = 0.0;
  if (!ReadFormValue(field, text.substr(0, c1), name, start, refusal) ||
      !ReadFormValue(field, text.substr(c1 + 1, c2 - c1 - 1), name, stop, refusal)) {
    return false;
  }
  const std::optional<double> step = ReadDecimal(text.substr(c2 + 1));
  if (!step || !(*step > 0.0)) {
    refusal = std::string(name) + ": the step of " + Quoted(text) + " must be a number greater than zero";
    return false;
  }
  if (start > stop) {
    refusal = std::string(name) + ": the start of " + Quoted(text) + " exceeds its stop";
    return false;
  }
  range = ParamRange{start, stop, *step, false};
  return true;
}

bool ReadOverrides(std::string_view text, Overrides& out, std::string& refusal, Units units) {
  if (text.empty()) {
    refusal = "empty list (expected name=value,...)";
    return false;
  }
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t comma = std::min(text.find(',', pos), text.size());
    const std::string_view item = text.substr(pos, comma - pos);
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos) {
      refusal = Quoted(item) + " is not name=value";
      return false;
    }
    const std::string_view name = item.substr(0, eq);
    const Parameter* f = FindByOption(Model::Form, name);
    if (!f) {
      refusal = "unknown parameter " + Quoted(name) + " (one of " + OptionNames(Model::Form) + ")";
      return false;
    }
    double v = 0.0;
    if (!ReadFormValue(InUnits(*f, units), item.substr(eq + 1), name, v, refusal)) return false;
    // As an option given twice: the first value would be silently set aside.
    for (const auto& [given, value] : out) {
      if (given == f) {
        refusal = std::string(name) + ": given more than once";
        return false;
      }
    }
    out.emplace_back(f, ToModel(*f, units, v));
    pos = comma + 1;
  }
  return true;
}

}  // namespace vendrel::cli
