#include "cli/dispersion_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <limits>
#include <memory>

#include "cli/chart_drawing.h"
#include "cli/chart_figures.h"
#include "cli/declare.h"
#include "cli/flight_row.h"
#include "json_text/json_text.h"
#include "cli/output_file.h"
#include "cli/progress_line.h"
#include "cli/refuse.h"
#include "flight/ball_flight.h"
#include "flight/parallel_runs.h"
#include "number_text/number_text.h"

namespace vendrel::cli {
namespace {

Json Figures(const MeanSd& m, Units u) {
  return {{"mean", JsonNumber(LengthFromModel(u, m.mean))}, {"sd", JsonNumber(LengthFromModel(u, m.sd))},
          {"count", m.count}};
}

std::string Text(const char* name, const MeanSd& m, Units u) {
  if (m.count == 0) return std::string(name) + "no flight\n";
  const std::string unit = std::string(" ") + LengthUnit(u);
  return std::string(name) + "mean " + FormatNumber(LengthFromModel(u, m.mean)) + unit + ", sd " +
         FormatNumber(LengthFromModel(u, m.sd)) + unit + " (" + std::to_string(m.count) + " flights)\n";
}

Json EllipseJson(const Ellipse& e, Units u) {
  const auto L = [u](double v) { return JsonNumber(LengthFromModel(u, v)); };
  return {{"x", L(e.centreX)}, {"y", L(e.centreY)}, {"major", L(e.major)}, {"minor", L(e.minor)},
          {"angle", JsonNumber(e.angle)}};
}

// "ellipse:  95% of the landing points: ..." when two or more points make one.
std::string EllipseText(const char* name, const char* points, const Ellipse& e, std::int64_t count, Units u) {
  if (count < 2) return std::string(name) + "needs two flights that came down\n";
  const auto L = [u](double v) { return FormatNumber(LengthFromModel(u, v)) + " " + LengthUnit(u); };
  return std::string(name) + "95% of the " + points + ": centre x " + L(e.centreX) + ", y " + L(e.centreY) +
         "; semi-axes " + L(e.major) + " and " + L(e.minor) + "; major axis at " + FormatNumber(e.angle) +
         " deg from downrange\n";
}

// The figures; a ball shot's also where the shots came to rest.
std::string Report(const DispersionOptions& opt, const DispersionStats& st) {
  const Units u = opt.units;
  const bool ball = opt.model == Model::Ball;
  if (opt.json) {
    Json j;
    j["samples"] = opt.samples;
    j["seed"] = opt.seed;
    j["carry"] = Figures(st.carry, u);
    j["distance"] = Figures(st.distance, u);
    j["lateral"] = Figures(st.lateral, u);
    j["ellipse"] = EllipseJson(st.ellipse, u);
    if (ball) {
      j["total"] = Figures(st.total, u);
      j["rest_ellipse"] = EllipseJson(st.restEllipse, u);
    }
    return JsonText(j) + "\n";
  }
  std::string s = "flights:  " + std::to_string(opt.samples) + " (seed " + std::to_string(opt.seed) + ")\n";
  s += Text("carry:    ", st.carry, u);
  s += Text("distance: ", st.distance, u);
  s += Text("lateral:  ", st.lateral, u);
  s += EllipseText("ellipse:  ", "landing points", st.ellipse, st.distance.count, u);
  if (ball) {
    s += Text("total:    ", st.total, u);
    s += EllipseText("rest ellipse: ", "rest points", st.restEllipse, st.total.count, u);
  }
  return s;
}

}  // namespace

void DeclareDispersion(CLI::App& app, DispersionOptions& opt) {
  app.option_defaults()->group("Units and charts");
  AddUnits(app, opt.units);
  AddModel(app, opt.model);
  AddChart(app, "draw the landing points, their mean and the 95% ellipse (.png or .svg)", opt.chart);

  app.option_defaults()->group("Flight parameters (the values the draws centre on)");
  AddModelValues(app, opt.model, opt.form, opt.ball, opt.given, opt.units);

  app.option_defaults()->group("Dispersion");
  AddWhole(app, "--samples", "N", "the number of flights", 1, std::numeric_limits<std::int64_t>::max(), opt.samples);
  AddWhole(app, "--seed", "S", "the seed of the draws", 0, std::numeric_limits<std::int64_t>::max(), opt.seed);
  // Standard deviations in the user's units; only the speed's differ from the model's.
  // The last three are the ball model's own.
  struct Spread {
    const char* key;
    const char* help;
    double LaunchSpread::*sd;
    double BallLaunchSpread::*ballSd;
  };
  static const Spread spreads[] = {
      {"angle", "standard deviation of the launch angle", &LaunchSpread::angle, &BallLaunchSpread::angle},
      {"speed", "standard deviation of the launch speed", &LaunchSpread::speed, &BallLaunchSpread::speed},
      {"side_spin", "standard deviation of the side spin", &LaunchSpread::sideSpin, &BallLaunchSpread::sideSpin},
      {"back_spin", "standard deviation of the back spin", &LaunchSpread::backSpin, &BallLaunchSpread::backSpin},
      {"direction", "ball model: standard deviation of the direction", nullptr, &BallLaunchSpread::direction},
      {"total_spin", "ball model: standard deviation of the total spin", nullptr, &BallLaunchSpread::totalSpin},
      {"spin_axis", "ball model: standard deviation of the spin axis", nullptr, &BallLaunchSpread::spinAxis},
  };
  for (const Spread& s : spreads) {
    const Parameter& f = *FindByKey(Model::Ball, s.key);
    const std::string name = "--" + std::string(f.option) + "-sd";
    AddValue(app, name, "X",
             std::string(s.help) + " (0 or more, in the parameter's unit, default 0)",
             [&opt, &f, &s, name](const std::string& text) {
               const std::optional<double> v = ReadDecimal(text);
               if (!v || !(*v >= 0.0)) return name + ": '" + text + "' is not a number of 0 or more";
               if (s.sd != nullptr) opt.spread.*(s.sd) = ToModel(f, opt.units, *v);
               else opt.ballOnlySpreads.push_back(name);
               opt.ballSpread.*(s.ballSd) = ToModel(f, opt.units, *v);
               return std::string();
             });
  }
  AddWhole(app, "--threads", "N", "worker threads", 1, 1024, opt.threads, "the core count");
  AddMaxTicks(app, "stop each flight after N ticks if still flying", opt.model, opt.maxTicks);
  AddWhole(app, "--max-flights", "N", "refuse more than N samples", 1, std::numeric_limits<std::int64_t>::max(),
           opt.maxFlights);
  AddChoice(app, "--format", "how the figures are printed", {{"text", false}, {"json", true}}, opt.json);
  AddFile(app, "--output",
          "also write every flight as a sweep row (the ball model: its parameters, then\n"
          "its results with total and rest) (- for stdout)",
          opt.output);

  app.footer("Exit status: 0 every flight came down (or its height became not a number), 3 some\n"
             "flight was still up at the tick bound, 2 the command line was refused (nothing was run).");
  app.final_callback([&opt] {
    const std::string refusal = FinishModelValues(opt.model, opt.given, opt.ball);
    if (!refusal.empty()) throw CLI::ValidationError(refusal);
    if (opt.model == Model::Form && !opt.ballOnlySpreads.empty()) {
      throw CLI::ValidationError(opt.ballOnlySpreads.front() + ": only with --model ball");
    }
    if (opt.model == Model::Ball) {
      const std::string unflown = BallSpreadRefusal(opt.ballSpread, opt.ball.spinAsComponents);
      if (!unflown.empty()) throw CLI::ValidationError(unflown);
    }
    if (opt.samples > opt.maxFlights) {
      throw CLI::ValidationError("--samples: " + std::to_string(opt.samples) + " flights exceed --max-flights " +
                                 std::to_string(opt.maxFlights));
    }
  });
}

int RunDispersion(const DispersionOptions& opt) {
  // Every output is opened before the flights, so a bad path costs nothing.
  std::string error;
  if (const std::string why = UnwritableOutput({{"--output", opt.output}, {"--chart", opt.chart}}); !why.empty()) {
    return Refuse(why);
  }
  OutputFile rows;
  if (opt.output && !rows.Open(*opt.output, error)) return Refuse("--output: " + error);
  std::unique_ptr<QGuiApplication> app;
  ChartFile chart;
  if (opt.chart) {
    app = ChartApplication();
    if (!chart.Open(*opt.chart, error)) return Refuse("--chart: " + error);
  }

  std::vector<FlightForm> forms;
  std::vector<FlightSummary> flights;
  std::vector<BallSummary> balls;
  DispersionStats st;
  const auto seed = static_cast<std::uint64_t>(opt.seed);
  if (opt.model == Model::Ball) {
    // A shot's parameters are drawn again from its index when its row is written: only
    // a block of them is kept at a time, its outcomes for good (a shot's parameters take
    // twice the room of its outcome).
    constexpr std::int64_t kBlock = 1 << 16;
    balls.reserve(static_cast<std::size_t>(opt.samples));
    flights.reserve(static_cast<std::size_t>(opt.samples));
    for (std::int64_t first = 0; first < opt.samples; first += kBlock) {
      const std::int64_t n = std::min(kBlock, opt.samples - first);
      for (const BallSummary& s :
           FlyBallsParallel(DispersedBalls(opt.ball, opt.ballSpread, seed, first, n), static_cast<int>(opt.threads))) {
        balls.push_back(s);
        flights.push_back(BallAsFlightSummary(s));
      }
    }
    st = SummariseBallDispersion(balls);
  } else {
    forms = DispersedForms(opt.form, opt.spread, seed, opt.samples);
    ProgressLine progress(opt.samples, "flights");
    flights = RunFlightsParallel(forms, opt.maxTicks, static_cast<int>(opt.threads), BestLanePath(), progress.meter());
    st = SummariseDispersion(flights);
  }

  if (opt.output) {
    const bool ball = opt.model == Model::Ball;
    std::string text = ball ? BallRowHeader() : FlightRowHeader();
    for (std::size_t i = 0; i < flights.size(); ++i) {
      if (ball) {
        const BallParams shot = DispersedBall(opt.ball, opt.ballSpread, seed, i);
        AppendBallRow(text, BallParamsOf(shot, opt.units), shot.spinAsComponents, balls[i], opt.units);
      } else {
        AppendFlightRow(text, ParamsOf(forms[i], opt.units), flights[i], opt.units);
      }
      if (text.size() > (1u << 20)) {
        std::fwrite(text.data(), 1, text.size(), rows.get());
        text.clear();
      }
    }
    std::fwrite(text.data(), 1, text.size(), rows.get());
    if (!rows.Close(error)) return Refuse(error);
  }
  if (opt.chart &&
      !chart.Write(DispersionFigure(flights, st, seed, opt.units, balls), error)) {
    return Refuse(error);
  }

  const std::string report = Report(opt, st);
  std::fputs(report.c_str(), opt.output == "-" ? stderr : stdout);
  for (const FlightSummary& f : flights) {
    if (!f.landed()) return 3;  // as a single flight still up at the tick bound
  }
  return 0;
}

}  // namespace vendrel::cli
