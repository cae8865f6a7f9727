#include "cli/fit_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "cli/chart_drawing.h"
#include "cli/chart_figures.h"
#include "cli/declare.h"
#include "cli/json_text.h"
#include "cli/progress_line.h"
#include "cli/refuse.h"
#include "cli/shots_csv.h"
#include "flight/shot_fit.h"
#include "flight/shot_table.h"
#include "number_text/number_text.h"

namespace vendrel::cli {
namespace {

// Past this many shots the text report summarises them; JSON and the chart keep all.
constexpr std::size_t kListedShots = 40;
// The shots a summary lists: those furthest off.
constexpr std::size_t kWorstListed = 10;

// Measured / modelled for each target, one line per listed shot.
std::string ShotTable(const ShotsFile& file, const FitResult& r, Units u, const std::vector<std::size_t>& listed) {
  std::size_t width = 4;
  for (std::size_t i : listed) width = std::max(width, file.names[i].size());
  std::string head = "shot" + std::string(width - 4 + 2, ' ');
  for (std::size_t t = 0; t < kShotTargets; ++t) {
    if (!file.targetColumns[t]) continue;
    std::string col = std::string(ShotTargetColumn(static_cast<ShotTarget>(t))) + " (" + LengthUnit(u) + ")";
    col.resize(std::max<std::size_t>(col.size(), 22), ' ');
    head += col;
  }
  while (!head.empty() && head.back() == ' ') head.pop_back();
  std::string s = head + "\n";
  for (std::size_t i : listed) {
    std::string line = file.names[i] + std::string(width - file.names[i].size() + 2, ' ');
    for (std::size_t t = 0; t < kShotTargets; ++t) {
      if (!file.targetColumns[t]) continue;
      std::string cell;
      if (file.shots[i].measured[t]) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2f / %.2f", *file.given[i][t],
                      LengthFromModel(u, ModelledTarget(r.modelled[i], static_cast<ShotTarget>(t))));
        cell = buf;
      } else {
        cell = "-";
      }
      cell.resize(std::max<std::size_t>(cell.size() + 1, 22), ' ');
      line += cell;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    s += line + "\n";
  }
  return s;
}

// A target's relative error in a shot, as the fit weighs it (a lateral offset against
// the distance); infinite for a shot that did not come down.
double RelativeError(const Shot& shot, const FlightSummary& flown, ShotTarget t) {
  if (flown.end != FlightEnd::Ground) return std::numeric_limits<double>::infinity();
  const std::size_t i = static_cast<std::size_t>(t);
  const double scale = *shot.measured[t == ShotTarget::Lateral ? static_cast<std::size_t>(ShotTarget::Distance) : i];
  const double e = (ModelledTarget(flown, t) - *shot.measured[i]) / scale;
  return std::isnan(e) ? std::numeric_limits<double>::infinity() : e;
}

// Many shots: each target's means and error over all of them, and the shots furthest off.
std::string Summary(const ShotsFile& file, const FitResult& r, Units u) {
  const std::size_t n = file.shots.size();
  std::string s = "shots:   " + std::to_string(n) + " (each one in --format json and in the chart)\n";
  std::vector<double> worst(n, 0.0);  // each shot's sum of squared relative errors
  for (std::size_t t = 0; t < kShotTargets; ++t) {
    if (!file.targetColumns[t]) continue;
    const auto target = static_cast<ShotTarget>(t);
    double measured = 0.0, modelled = 0.0, squares = 0.0;
    std::size_t count = 0, down = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (!file.shots[i].measured[t]) continue;
      const double e = RelativeError(file.shots[i], r.modelled[i], target);
      worst[i] += e * e;
      ++count;
      if (!std::isfinite(e)) continue;
      ++down;
      measured += *file.given[i][t];
      modelled += LengthFromModel(u, ModelledTarget(r.modelled[i], target));
      squares += e * e;
    }
    const std::string unit = std::string(" ") + LengthUnit(u);
    std::string name = std::string(ShotTargetColumn(target)) + ":";
    name.resize(std::max<std::size_t>(name.size() + 1, 9), ' ');
    s += name;
    if (down == 0) {
      s += "no shot came down (" + std::to_string(count) + " shots)\n";
      continue;
    }
    const double k = static_cast<double>(down);
    s += "measured mean " + FormatNumber(measured / k) + unit + ", modelled mean " +
         FormatNumber(modelled / k) + unit + ", rms " + FormatNumber(std::sqrt(squares / k) * 100.0) +
         " % (" + std::to_string(count) + " shots" +
         (down < count ? ", " + std::to_string(count - down) + " still up" : std::string()) + ")\n";
  }
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  // Furthest off first; among equals, the file's order.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return worst[a] > worst[b]; });
  order.resize(std::min(n, kWorstListed));
  return s + ShotTable(file, r, u, order) + "(measured / modelled; the " + std::to_string(order.size()) +
         " shots furthest off)\n";
}

std::string Report(const FitOptions& opt, const ShotsFile& file, const FitProblem& p, const FitResult& r) {
  const Units u = opt.units;
  std::string s;
  if (opt.json) {
    Json fitted = Json::object();
    for (std::size_t i = 0; i < p.fitted.size(); ++i) {
      const Parameter& f = ParameterFor(p.fitted[i]);
      fitted[std::string(f.key)] = JsonNumber(FromModel(f, u, r.values[i]));
    }
    Json shots = Json::array();
    for (std::size_t i = 0; i < file.shots.size(); ++i) {
      Json shot;
      shot["name"] = file.names[i];
      shot["line"] = file.lines[i];
      for (std::size_t t = 0; t < kShotTargets; ++t) {
        if (!file.shots[i].measured[t]) continue;
        shot[ShotTargetColumn(static_cast<ShotTarget>(t))] = {
            {"measured", JsonNumber(*file.given[i][t])},
            {"modelled", JsonNumber(LengthFromModel(u, ModelledTarget(r.modelled[i], static_cast<ShotTarget>(t))))}};
      }
      shots.push_back(std::move(shot));
    }
    Json j;
    j["fitted"] = std::move(fitted);
    j["rms"] = JsonNumber(r.rms);
    j["evaluations"] = r.evaluations;
    j["shots"] = std::move(shots);
    return JsonText(j) + "\n";
  }
  s = "fitted:  ";
  for (std::size_t i = 0; i < p.fitted.size(); ++i) {
    const Parameter& f = ParameterFor(p.fitted[i]);
    const std::string unit(f.Unit(u));
    s += (i ? ", " : "") + std::string(f.option) + " = " + FormatNumber(FromModel(f, u, r.values[i])) +
         (unit.empty() ? "" : " " + unit);
  }
  s += "\nrms:     " + FormatNumber(r.rms * 100.0) + " % of the measured values (" +
       std::to_string(r.evaluations) + " evaluations)\n";
  if (file.shots.size() <= kListedShots) {
    std::vector<std::size_t> every(file.shots.size());
    for (std::size_t i = 0; i < every.size(); ++i) every[i] = i;
    return s + ShotTable(file, r, u, every) + "(measured / modelled)\n";
  }
  return s + Summary(file, r, u);
}

}  // namespace

void DeclareFit(CLI::App& app, FitOptions& opt) {
  app.option_defaults()->group("Units and charts");
  AddUnits(app, opt.units);
  AddChart(app, "draw modelled against measured values (.png or .svg)", opt.chart);

  app.option_defaults()->group("Flight parameters (for columns the file lacks; the fitted ones' start)");
  AddFormValues(app, opt.form, opt.units);

  app.option_defaults()->group("Fit");
  AddFile(app, "--shots", "the measured shots, CSV with the sweep's columns (- for stdin)", opt.shotsGiven)
      ->required();
  AddValue(app, "--fit", "LIST", "the parameters to fit, e.g. k,k-prime,mass (default k,k-prime)",
           [&opt](const std::string& text) {
             std::string error;
             return ParseFittedList(text, opt.fitted, error) ? std::string() : error;
           });
  AddWhole(app, "--threads", "N", "worker threads", 1, 1024, opt.threads, "the core count");
  AddWhole(app, "--max-ticks", "N", "stop each flight after N ticks if still flying", 1, kMaxTicksLimit,
           opt.maxTicks);
  AddChoice(app, "--format", "how the fit is printed", {{"text", false}, {"json", true}}, opt.json);
  app.footer("Exit status: 0 the fit ran, 3 some shot does not come down at the values found, 2 the\n"
             "command line or the shots were refused, or the fit cannot move (nothing was run).");
  app.final_callback([&opt] { opt.shots = opt.shotsGiven.value_or(""); });
}

bool ParseFittedList(const std::string& text, std::vector<const Parameter*>& out, std::string& error) {
  out.clear();
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t comma = std::min(text.find(',', pos), text.size());
    const std::string name = text.substr(pos, comma - pos);
    const Parameter* f = FindByOption(Model::Form, name);
    if (!f) {
      error = "--fit: unknown parameter '" + name + "' (any of " + OptionNames(Model::Form) + ")";
      return false;
    }
    if (std::find(out.begin(), out.end(), f) != out.end()) {
      error = "--fit: '" + name + "' is named twice";
      return false;
    }
    out.push_back(f);
    pos = comma + 1;
  }
  return true;
}

int RunFit(const FitOptions& opt) {
  std::string error;
  ShotsFile file;
  if (!ReadShots(opt.shots, opt.form, opt.units, file, error)) return Refuse("--shots: " + error);

  FitProblem p;
  p.shots = file.shots;
  std::vector<const Parameter*> fitted = opt.fitted;
  if (fitted.empty()) fitted = {&ParameterFor(&FlightForm::k), &ParameterFor(&FlightForm::kPrime)};
  for (const Parameter* f : fitted) {
    p.fitted.push_back(f->form);
    p.start.push_back(opt.form.*(f->form));
  }
  p.maxTicks = opt.maxTicks;
  p.threads = static_cast<int>(opt.threads);
  if (const std::string why = FitCannotMove(p); !why.empty()) return Refuse("fit: " + why);

  std::unique_ptr<QGuiApplication> app;
  ChartFile chart;
  if (opt.chart) {
    app = ChartApplication();
    if (!chart.Open(*opt.chart, error)) return Refuse("--chart: " + error);
  }

  FitResult r;
  {
    const auto shots = static_cast<std::int64_t>(p.shots.size());
    ProgressLine progress(0, "flights", true, [shots](const ProgressMeter::Status& s) {
      const std::int64_t pass = s.done / shots;
      const std::string rate = std::to_string(s.done) + " flights, " + std::to_string(std::llround(s.rate)) + " flights/s";
      if (s.done % shots == 0) return "fit: " + std::to_string(pass) + " passes over the " + std::to_string(shots) + " shots, " + rate;
      return "fit: pass " + std::to_string(pass + 1) + " over the " + std::to_string(shots) + " shots, " +
             std::to_string(s.done % shots * 100 / shots) + "%; " + rate;
    });
    p.progress = progress.meter();
    r = FitShots(p);
    p.progress = nullptr;
  }
  if (opt.chart) {
    const std::string name = opt.shots == "-" ? "standard input" : opt.shots.substr(opt.shots.find_last_of('/') + 1);
    if (!chart.Write(FitFigure(file, p, r, name, opt.units), error)) return Refuse(error);
  }
  std::fputs(Report(opt, file, p, r).c_str(), stdout);
  if (!std::isfinite(r.rms)) {
    std::fputs("vendrel-flight: fit: at the best values found some shot still does not come down\n", stderr);
    return 3;
  }
  return 0;
}

}  // namespace vendrel::cli
