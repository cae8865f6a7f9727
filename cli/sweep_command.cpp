#include "cli/sweep_command.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>
#include <string>

#include "cli/chart_drawing.h"
#include "cli/declare.h"
#include "flight/ball_ground.h"
#include "cli/chart_figures.h"
#include "cli/output_file.h"
#include "cli/refuse.h"
#include "cli/sweep.h"

namespace vendrel::cli {
namespace {

// The parameters that take more than one value.
std::vector<std::size_t> Swept(const SweepOptions& opt) {
  std::vector<std::size_t> swept;
  const std::span<const ParamRange> ranges = opt.Ranges();
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    if (ranges[i].Count() > 1) swept.push_back(i);
  }
  return swept;
}

std::vector<double> ValuesOf(const ParamRange& r) {
  std::vector<double> v;
  for (std::int64_t i = 0; i < r.Count(); ++i) v.push_back(r.Value(i));
  return v;
}

// The chart of a sweep over one parameter (lines) or two (a heat map); `every` holds
// the flights in sweep order.
Figure SweepFigure(const SweepOptions& opt, const std::vector<BallSummary>& every) {
  const std::vector<std::size_t> swept = Swept(opt);
  const auto fields = ParametersOf(opt.model);
  const std::span<const ParamRange> ranges = opt.Ranges();
  const Parameter& fx = fields[swept[0]];
  const std::vector<double> xs = ValuesOf(ranges[swept[0]]);
  if (swept.size() == 1) return SweepLineFigure(fx, xs, every, opt.units, opt.model);
  const Parameter& fy = fields[swept[1]];
  const std::vector<double> ys = ValuesOf(ranges[swept[1]]);
  // The later parameter varies faster in the sweep; the map's rows run along y.
  std::vector<double> values(xs.size() * ys.size());
  for (std::size_t i = 0; i < xs.size(); ++i) {
    for (std::size_t j = 0; j < ys.size(); ++j) {
      const BallSummary& s = every[i * ys.size() + j];
      const double v = s.end != FlightEnd::Ground ? std::nan("")
                       : opt.best == BestBy::Apex  ? s.apex
                       : opt.best == BestBy::Total ? s.total
                                                   : s.distance;
      values[j * xs.size() + i] = v;
    }
  }
  const std::string quantity = opt.best == BestBy::Apex       ? "apex"
                               : opt.best == BestBy::Total    ? "total"
                               : opt.best == BestBy::Distance ? "distance"
                                                              : "carry";
  return SweepHeatFigure(fx, xs, fy, ys, values, quantity, opt.units);
}

}  // namespace

void DeclareSweep(CLI::App& app, SweepOptions& opt) {
  app.option_defaults()->group("Units and charts");
  AddUnits(app, opt.units);
  AddModel(app, opt.model);
  AddChart(app, "draw carry, apex and lateral (with --model ball also landing angle,\n"
                "flight time and total) against one swept parameter, or a heat map\n"
                "over two (.png or .svg)", opt.chart);

  app.option_defaults()->group("Flight parameters (X or START:STOP:STEP; every combination is flown)");
  AddSurface(app, opt.model, [&opt](std::string_view name) { return SetSurface(opt.ballBase, name); });
  AddModelRanges(app, opt.model, opt.ranges, opt.ballRanges, opt.units);

  app.option_defaults()->group("Sweep");
  AddMaxTicks(app, "stop each flight after N ticks if still flying", opt.model, opt.maxTicks);
  AddWhole(app, "--threads", "N", "worker threads", 1, 1024, opt.threads, "the core count");
  AddWhole(app, "--max-flights", "N", "refuse sweeps larger than N flights", 1,
           std::numeric_limits<std::int64_t>::max(), opt.maxFlights);
  AddChoice(app, "--best", "print the header and only the best row by",
            {{"carry", BestBy::Carry}, {"distance", BestBy::Distance}, {"apex", BestBy::Apex}, {"total", BestBy::Total}},
            opt.best);
  AddFile(app, "--output", "write the CSV there instead of standard output", opt.output);
  AddFlag(app, "--no-progress", "no progress bar on a terminal", [&opt] { opt.progress = false; });

  app.footer("Exit status: 0 the sweep ran (whatever its flights' ends), 2 the command line was refused\n"
             "(nothing was run).");
  app.final_callback([&opt, &app] {
    const auto fields = ParametersOf(opt.model);
    bool polar = false, components = false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const bool defaulted = app.get_option("--" + std::string(fields[i].option))->count() == 0;
      if (opt.model == Model::Form) {
        opt.defaulted[i] = defaulted;
        continue;
      }
      opt.ballDefaulted[i] = defaulted;
      const SpinForm form = defaulted ? SpinForm::None : SpinFormOf(fields[i].ball);
      polar = polar || form == SpinForm::TotalAndAxis;
      components = components || form == SpinForm::BackAndSide;
    }
    if (const std::string both = SpinFormRefusal(polar, components); !both.empty()) throw CLI::ValidationError(both);
    opt.ballSpinAsComponents = components;
    if (opt.best == BestBy::Total && opt.model != Model::Ball) {
      throw CLI::ValidationError("--best total: only with --model ball");
    }
    if (opt.chart && (Swept(opt).empty() || Swept(opt).size() > 2)) {
      throw CLI::ValidationError("--chart: a sweep has a chart over one or two swept parameters, this one sweeps " +
                                 std::to_string(Swept(opt).size()) + (Swept(opt).size() > 2 ? " (three or more)" : ""));
    }
    const std::int64_t size = SweepSize(opt);
    if (size > opt.maxFlights) {
      throw CLI::ValidationError(
          "sweep: " +
          (size == std::numeric_limits<std::int64_t>::max() ? std::string("too many") : std::to_string(size)) +
          " flights exceed --max-flights " + std::to_string(opt.maxFlights));
    }
  });
}

int RunSweepCommand(const SweepOptions& opt) {
  // A ball shot the model refuses is refused before any output is opened.
  if (const std::string refusal = SweepRefusal(opt); !refusal.empty()) return Refuse(refusal);
  if (const std::string why = UnwritableOutput({{"--chart", opt.chart}, {"--output", opt.output}}); !why.empty()) {
    return Refuse(why);
  }
  // The chart's file is opened before the flights too, so a bad path costs nothing.
  std::string error;
  std::unique_ptr<QGuiApplication> app;
  ChartFile chart;
  if (opt.chart) {
    app = ChartApplication();
    if (!chart.Open(*opt.chart, error)) return Refuse("--chart: " + error);
  }
  std::vector<BallSummary> every;
  const int status = WriteOutput(opt.output, "--output", [&](std::FILE* out) {
    return RunSweep(opt, out, BestLanePath(), opt.chart ? &every : nullptr);
  });
  if (status != 0 || !opt.chart) return status;
  if (!chart.Write(SweepFigure(opt, every), error)) return Refuse(error);
  return status;
}

}  // namespace vendrel::cli
