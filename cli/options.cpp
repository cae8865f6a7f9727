#include "cli/options.h"

#include <cmath>
#include <limits>
#include <string_view>

#include "cli/number_text.h"

namespace vendrel::cli {
namespace {

constexpr std::int64_t kMaxTicksLimit = 1'000'000'000'000;  // about 30 years of 1 ms ticks

std::string AllowedRange(const FormField& f) {
  return FormatDouble(f.min) + " to " + FormatDouble(f.max);
}

std::string Quote(std::string_view s) {
  std::string q(1, '\'');
  q += s;
  q += '\'';
  return q;
}

// Reads "--name value" and "--name=value"; a value may begin with '-' (negative numbers).
class ArgReader {
 public:
  explicit ArgReader(const std::vector<std::string>& args) : args_(args) {}
  bool Done() const { return i_ >= args_.size(); }
  const std::string& Peek() const { return args_[i_]; }

  // Splits the next argument into its option name and an inline value, if any.
  std::string TakeOption(std::optional<std::string>& inlineValue) {
    std::string arg = args_[i_++];
    inlineValue.reset();
    const auto eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      inlineValue = arg.substr(eq + 1);
      arg.resize(eq);
    }
    return arg;
  }

  bool TakeValue(const std::string& option, std::optional<std::string>& inlineValue,
                 std::string& value, std::string& error) {
    if (inlineValue) {
      value = *inlineValue;
      return true;
    }
    if (Done()) {
      error = option + ": missing value";
      return false;
    }
    value = args_[i_++];
    return true;
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t i_ = 0;
};

bool ParseFieldValue(const FormField& f, std::string_view text, double& out, std::string& error) {
  const std::string name = "--" + std::string(f.option);
  double v = 0.0;
  if (!ParseDecimal(text, v)) {
    error = name + ": " + Quote(text) + " is not a number (allowed: " + AllowedRange(f) + ")";
    return false;
  }
  if (!f.InRange(v)) {
    error = name + ": " + Quote(text) + " is out of range (allowed: " + AllowedRange(f) + ")";
    return false;
  }
  out = v;
  return true;
}

bool ParseOverlay(std::string_view text, Overrides& out, std::string& error) {
  if (text.empty()) {
    error = "--overlay: empty list (expected name=value,...)";
    return false;
  }
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t comma = std::min(text.find(',', pos), text.size());
    const std::string_view item = text.substr(pos, comma - pos);
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos) {
      error = "--overlay: " + Quote(item) + " is not name=value";
      return false;
    }
    const FormField* f = FindFormField(item.substr(0, eq));
    if (!f) {
      error = "--overlay: unknown parameter " + Quote(item.substr(0, eq)) +
              " (one of angle, speed, side-spin, back-spin, k, k-prime, mass, gravity, dt)";
      return false;
    }
    double v = 0.0;
    if (!ParseFieldValue(*f, item.substr(eq + 1), v, error)) {
      error = "--overlay: " + error;
      return false;
    }
    out.emplace_back(f, v);
    pos = comma + 1;
  }
  return true;
}

bool ParseRange(const FormField& f, std::string_view text, ParamRange& r, std::string& error) {
  const std::string name = "--" + std::string(f.option);
  const std::size_t c1 = text.find(':');
  if (c1 == std::string_view::npos) {
    double v = 0.0;
    if (!ParseFieldValue(f, text, v, error)) return false;
    r = ParamRange{v, v, 1.0, true};
    return true;
  }
  const std::size_t c2 = text.find(':', c1 + 1);
  if (c2 == std::string_view::npos || text.find(':', c2 + 1) != std::string_view::npos) {
    error = name + ": " + Quote(text) + " is not start:stop:step";
    return false;
  }
  double start = 0.0, stop = 0.0, step = 0.0;
  if (!ParseFieldValue(f, text.substr(0, c1), start, error) ||
      !ParseFieldValue(f, text.substr(c1 + 1, c2 - c1 - 1), stop, error)) {
    return false;
  }
  if (!ParseDecimal(text.substr(c2 + 1), step) || !(step > 0.0)) {
    error = name + ": the step of " + Quote(text) + " must be a number greater than zero";
    return false;
  }
  if (start > stop) {
    error = name + ": the start of " + Quote(text) + " exceeds its stop";
    return false;
  }
  r = ParamRange{start, stop, step, false};
  return true;
}

bool ParseBest(std::string_view text, BestBy& best) {
  if (text == "carry") best = BestBy::Carry;
  else if (text == "distance") best = BestBy::Distance;
  else if (text == "apex") best = BestBy::Apex;
  else return false;
  return true;
}

}  // namespace

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

std::int64_t SweepSize(const SweepOptions& s) {
  std::int64_t total = 1;
  for (const ParamRange& r : s.ranges) {
    const std::int64_t n = r.Count();
    if (total > std::numeric_limits<std::int64_t>::max() / n) {
      return std::numeric_limits<std::int64_t>::max();
    }
    total *= n;
  }
  return total;
}

bool ParseCommandLine(const std::vector<std::string>& args, Command& cmd, std::string& error) {
  cmd = Command{};
  ArgReader in(args);
  const bool sweep = !in.Done() && in.Peek() == "sweep";
  if (sweep) {
    cmd.mode = Mode::Sweep;
    std::optional<std::string> unused;
    in.TakeOption(unused);
    const auto fields = FormFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const double d = fields[i].defaultValue;
      cmd.sweep.ranges[i] = ParamRange{d, d, 1.0, true};
    }
  }

  while (!in.Done()) {
    std::optional<std::string> inlineValue;
    const std::string opt = in.TakeOption(inlineValue);
    std::string value;
    auto takeValue = [&] { return in.TakeValue(opt, inlineValue, value, error); };

    if (opt == "--help" || opt == "-h") {
      cmd.mode = Mode::Help;
      return true;
    }
    if (opt == "--version") {
      cmd.mode = Mode::Version;
      return true;
    }
    if (opt.rfind("--", 0) == 0) {
      if (const FormField* f = FindFormField(std::string_view(opt).substr(2))) {
        if (!takeValue()) return false;
        if (sweep) {
          if (!ParseRange(*f, value, cmd.sweep.ranges[f - FormFields().data()], error)) return false;
        } else if (!ParseFieldValue(*f, value, cmd.flight.form.*(f->member), error)) {
          return false;
        }
        continue;
      }
    }
    if (opt == "--max-ticks") {
      if (!takeValue()) return false;
      std::int64_t& target = sweep ? cmd.sweep.maxTicks : cmd.flight.maxTicks;
      if (!ParseWhole(value, 1, kMaxTicksLimit, target)) {
        error = opt + ": " + Quote(value) + " is not a whole number from 1 to " +
                std::to_string(kMaxTicksLimit);
        return false;
      }
      continue;
    }
    if (!sweep && opt == "--format") {
      if (!takeValue()) return false;
      if (value == "text") cmd.flight.format = Format::Text;
      else if (value == "json") cmd.flight.format = Format::Json;
      else {
        error = opt + ": " + Quote(value) + " is not a format (text or json)";
        return false;
      }
      continue;
    }
    if (!sweep && (opt == "--trajectory" || opt == "--png")) {
      if (!takeValue()) return false;
      if (value.empty()) {
        error = opt + ": missing file name";
        return false;
      }
      (opt == "--png" ? cmd.flight.png : cmd.flight.trajectory) = value;
      continue;
    }
    if (!sweep && opt == "--overlay") {
      if (!takeValue()) return false;
      Overrides o;
      if (!ParseOverlay(value, o, error)) return false;
      cmd.flight.overlays.push_back(std::move(o));
      continue;
    }
    if (!sweep && opt == "--converge" && !inlineValue) {
      cmd.flight.converge = true;
      continue;
    }
    if (sweep && opt == "--threads") {
      if (!takeValue()) return false;
      std::int64_t n = 0;
      if (!ParseWhole(value, 1, 1024, n)) {
        error = opt + ": " + Quote(value) + " is not a whole number from 1 to 1024";
        return false;
      }
      cmd.sweep.threads = static_cast<unsigned>(n);
      continue;
    }
    if (sweep && opt == "--max-flights") {
      if (!takeValue()) return false;
      if (!ParseWhole(value, 1, std::numeric_limits<std::int64_t>::max(), cmd.sweep.maxFlights)) {
        error = opt + ": " + Quote(value) + " is not a whole number of at least 1";
        return false;
      }
      continue;
    }
    if (sweep && opt == "--best") {
      if (!takeValue()) return false;
      if (!ParseBest(value, cmd.sweep.best)) {
        error = opt + ": " + Quote(value) + " is not one of carry, distance, apex";
        return false;
      }
      continue;
    }
    if (sweep && opt == "--output") {
      if (!takeValue()) return false;
      if (value.empty()) {
        error = opt + ": missing file name";
        return false;
      }
      cmd.sweep.output = value;
      continue;
    }
    if (sweep && opt == "--no-progress" && !inlineValue) {
      cmd.sweep.progress = false;
      continue;
    }
    error = Quote(opt) + ": unknown option (see --help)";
    return false;
  }

  if (sweep && SweepSize(cmd.sweep) > cmd.sweep.maxFlights) {
    error = "sweep: " + (SweepSize(cmd.sweep) == std::numeric_limits<std::int64_t>::max()
                             ? std::string("too many")
                             : std::to_string(SweepSize(cmd.sweep))) +
            " flights exceed --max-flights " + std::to_string(cmd.sweep.maxFlights);
    return false;
  }
  return true;
}

}  // namespace vendrel::cli

namespace vendrel::cli {

std::string UsageText() {
  std::string s =
      "Usage: vendrel-flight [OPTION]...\n"
      "       vendrel-flight sweep [OPTION]...\n"
      "Runs the golf-ball flight model of Vendrel from launch to landing.\n"
      "\n"
      "Flight parameters (defaults as in the window's form; ranges are inclusive):\n";
  for (const FormField& f : FormFields()) {
    std::string line = "  --" + std::string(f.option) + " X";
    line.resize(18, ' ');
    line += FormatDouble(f.min) + " to " + FormatDouble(f.max) + (f.unit.empty() ? "" : " ") +
            std::string(f.unit) + ", default " + FormatDouble(f.defaultValue) + "\n";
    s += line;
  }
  s +=
      "\n"
      "One flight:\n"
      "  --max-ticks N     stop after N ticks if the ball is still flying (default 10000000)\n"
      "  --format F        text (default) or json\n"
      "  --trajectory FILE write every tick's position and velocity as CSV (- for stdout)\n"
      "  --png FILE        draw the flight as the window's view draws it\n"
      "  --overlay LIST    with --png: one more flight on the same picture; LIST is\n"
      "                    name=value,... overriding the main flight (repeatable)\n"
      "  --converge        run at dt, dt/2 and dt/4 and report how much the result moves\n"
      "\n"
      "Sweep (every combination; a parameter takes X or START:STOP:STEP):\n"
      "  --threads N       worker threads (default: the core count)\n"
      "  --max-flights N   refuse sweeps larger than N flights (default 10000000)\n"
      "  --best WHAT       print only the best row by carry, distance or apex\n"
      "  --output FILE     write the CSV there instead of standard output\n"
      "  --no-progress     no progress bar on a terminal\n"
      "\n"
      "  --help            this text\n"
      "  --version         the version\n"
      "\n"
      "Exit status: 0 the ball came down (or its height became not a number), 3 the tick\n"
      "bound was reached, 2 the command line was refused (nothing was run).\n";
  return s;
}

}  // namespace vendrel::cli
