#include "cli/fit_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <memory>

#include "cli/chart.h"
#include "cli/declare.h"
#include "cli/refuse.h"
#include "number_text/number_text.h"
#include "cli/shots_csv.h"
#include "cli/study_charts.h"
#include "flight/shot_fit.h"

namespace vendrel::cli {
namespace {

std::string JsonString(const std::string& s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') q += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      q += buf;
      continue;
    }
    q += c;
  }
  return q + "\"";
}

std::string Report(const FitOptions& opt, const ShotsFile& file, const FitProblem& p, const FitResult& r) {
  const Units u = opt.units;
  std::string s;
  if (opt.json) {
    s = "{\"fitted\": {";
    for (std::size_t i = 0; i < p.fitted.size(); ++i) {
      const Parameter& f = ParameterFor(p.fitted[i]);
      s += (i ? ", \"" : "\"") + std::string(f.key) + "\": " + FormatJsonNumber(FromModel(f, u, r.values[i]));
    }
    s += "}, \"rms\": " + FormatJsonNumber(r.rms) + ", \"evaluations\": " + std::to_string(r.evaluations) +
         ", \"shots\": [";
    for (std::size_t i = 0; i < file.shots.size(); ++i) {
      s += (i ? ", {" : "{") + std::string("\"name\": ") + JsonString(file.names[i]) +
           ", \"line\": " + std::to_string(file.lines[i]);
      for (std::size_t t = 0; t < kShotTargets; ++t) {
        if (!file.shots[i].measured[t]) continue;
        s += std::string(", \"") + TargetColumn(static_cast<ShotTarget>(t)) + "\": {\"measured\": " +
             FormatJsonNumber(*file.given[i][t]) + ", \"modelled\": " +
             FormatJsonNumber(LengthFromModel(u, ModelledTarget(r.modelled[i], static_cast<ShotTarget>(t)))) + "}";
      }
      s += "}";
    }
    return s + "]}\n";
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
  // A table: one line per shot, measured / modelled for each target.
  std::size_t width = 4;
  for (const std::string& n : file.names) width = std::max(width, n.size());
  std::string head = "shot" + std::string(width - 4 + 2, ' ');
  for (std::size_t t = 0; t < kShotTargets; ++t) {
    if (!file.targetColumns[t]) continue;
    std::string col = std::string(TargetColumn(static_cast<ShotTarget>(t))) + " (" + LengthUnit(u) + ")";
    col.resize(std::max<std::size_t>(col.size(), 22), ' ');
    head += col;
  }
  while (!head.empty() && head.back() == ' ') head.pop_back();
  s += head + "\n";
  for (std::size_t i = 0; i < file.shots.size(); ++i) {
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
  s += "(measured / modelled)\n";
  return s;
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

  const FitResult r = FitShots(p);
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
