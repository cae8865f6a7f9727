#include "cli/fit_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "cli/chart_drawing.h"
#include "cli/chart_figures.h"
#include "cli/declare.h"
#include "json_text/json_text.h"
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
// A target's value as the person reads it, and its unit.
double Shown(ShotTarget t, Units u, double v) { return FromModel(ShotTargetQuantity(t), u, v); }
std::string TargetUnit(ShotTarget t, Units u) { return std::string(UnitText(ShotTargetQuantity(t), u)); }

std::string ShotTable(const ShotsFile& file, const FitResult& r, Units u, const std::vector<std::size_t>& listed) {
  std::size_t width = 4;
  for (std::size_t i : listed) width = std::max(width, file.names[i].size());
  std::string head = "shot" + std::string(width - 4 + 2, ' ');
  for (std::size_t t = 0; t < kShotTargets; ++t) {
    if (!file.targetColumns[t]) continue;
    const auto target = static_cast<ShotTarget>(t);
    std::string col = std::string(ShotTargetName(target, file.model)) + " (" + TargetUnit(target, u) + ")";
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
                      Shown(static_cast<ShotTarget>(t), u, ModelledTarget(r.modelled[i], static_cast<ShotTarget>(t))));
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
double RelativeError(const Shot& shot, const ModelledShot& flown, ShotTarget t) {
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
      modelled += Shown(target, u, ModelledTarget(r.modelled[i], target));
      squares += e * e;
    }
    const std::string unit = " " + TargetUnit(target, u);
    std::string name = std::string(ShotTargetName(target, file.model)) + ":";
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
      const Parameter& f = *p.fitted[i];
      fitted[std::string(f.key)] = JsonNumber(FromModel(f, u, r.values[i]));
    }
    Json shots = Json::array();
    for (std::size_t i = 0; i < file.shots.size(); ++i) {
      Json shot;
      shot["name"] = file.names[i];
      shot["line"] = file.lines[i];
      for (std::size_t t = 0; t < kShotTargets; ++t) {
        if (!file.shots[i].measured[t]) continue;
        const auto target = static_cast<ShotTarget>(t);
        shot[ShotTargetName(target, file.model)] = {
            {"measured", JsonNumber(*file.given[i][t])},
            {"modelled", JsonNumber(Shown(target, u, ModelledTarget(r.modelled[i], target)))}};
      }
      shots.push_back(std::move(shot));
    }
    Json j;
    j["fitted"] = std::move(fitted);
    j["rms"] = JsonNumber(r.rms);
    j["evaluations"] = r.evaluations;
    j["converged"] = r.converged;
    j["shots"] = std::move(shots);
    return JsonText(j) + "\n";
  }
  s = "fitted:  ";
  for (std::size_t i = 0; i < p.fitted.size(); ++i) {
    const Parameter& f = *p.fitted[i];
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
  AddModel(app, opt.model);
  AddChart(app, "draw modelled against measured values (.png or .svg)", opt.chart);

  app.option_defaults()->group("Flight parameters (for columns the file lacks; the fitted ones' start)");
  AddModelValues(app, opt.model, opt.form, opt.ball, opt.given, opt.units);

  app.option_defaults()->group("Fit");
  AddFile(app, "--shots", "the measured shots, CSV with the sweep's columns (- for stdin)", opt.shotsGiven)
      ->required();
  AddValue(app, "--fit", "LIST",
           "the parameters to fit, e.g. k,k-prime,mass (default k,k-prime;\n"
           "with --model ball, e.g. cd0,cd1,cd2,cl0,cl1,cl2,spin-decay, default cd0,cl1)",
           [&opt](const std::string& text) {
             std::string error;
             return ParseFittedList(text, opt.fitted, error, opt.model) ? std::string() : error;
           });
  AddWhole(app, "--threads", "N", "worker threads", 1, 1024, opt.threads, "the core count");
  AddMaxTicks(app, "stop each flight after N ticks if still flying", opt.model, opt.maxTicks);
  AddChoice(app, "--format", "how the fit is printed", {{"text", false}, {"json", true}}, opt.json);
  app.footer("Exit status: 0 the fit ran, 3 some shot does not come down at the values found or the\n"
             "fit did not converge, 2 the command line or the shots were refused, or the fit cannot\n"
             "move (nothing was run).");
  app.final_callback([&opt] {
    opt.shots = opt.shotsGiven.value_or("");
    const std::string refusal = FinishModelValues(opt.model, opt.given, opt.ball);
    if (!refusal.empty()) throw CLI::ValidationError(refusal);
  });
}

bool ParseFittedList(const std::string& text, std::vector<const Parameter*>& out, std::string& error, Model m) {
  out.clear();
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t comma = std::min(text.find(',', pos), text.size());
    const std::string name = text.substr(pos, comma - pos);
    const Parameter* f = FindByOption(m, name);
    if (!f) {
      error = "--fit: unknown parameter '" + name + "' (any of " + OptionNames(m) + ")";
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
  if (!ReadShots(opt.shots, opt.form, opt.units, file, error, opt.model, opt.ball)) return Refuse("--shots: " + error);
  // The spin is the file's form when it has spin columns: values of the other form
  // from the command line would be silently set aside.
  if (file.spinColumns != SpinForm::None) {
    for (const Parameter* g : opt.given) {
      const SpinForm form = SpinFormOf(g->ball);
      if (form != SpinForm::None && form != file.spinColumns) {
        return Refuse(SpinFormRefusal(true, true) + " (the file gives one, the command line the other)");
      }
    }
  }

  FitProblem p;
  p.model = opt.model;
  p.shots = file.shots;
  p.fitted = opt.fitted.empty() ? DefaultFitted(opt.model) : opt.fitted;
  for (const Parameter* f : p.fitted) p.start.push_back(opt.model == Model::Form ? ValueIn(opt.form, *f) : ValueIn(opt.ball, *f));
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
  if (!r.converged) {
    const std::string text = "vendrel-flight: fit: did not converge within " + std::to_string(r.evaluations) +
                             " evaluations; the values are the best found\n";
    std::fputs(text.c_str(), stderr);
    return 3;
  }
  return 0;
}

}  // namespace vendrel::cli
