#include "cli/flight_command.h"

#include <CLI/CLI.hpp>
#include <QFile>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/chart_drawing.h"
#include "cli/chart_flights.h"
#include "cli/convergence.h"
#include "cli/declare.h"
#include "cli/output_file.h"
#include "cli/picture.h"
#include "cli/progress_line.h"
#include "cli/refuse.h"
#include "cli/report.h"
#include "cli/trajectory.h"
#include "flight/windowless_run.h"

namespace vendrel::cli {
namespace {

bool OpenPng(const std::string& path, QFile& file, std::string& error) {
  const bool ok = path == "-" ? file.open(stdout, QIODevice::WriteOnly)
                              : (file.setFileName(QString::fromStdString(path)), file.open(QIODevice::WriteOnly));
  if (!ok) error = "cannot write " + path + ": " + file.errorString().toStdString();
  return ok;
}

// The files a flight writes as it flies: the trajectory's CSV and the picture.
struct FlightFiles {
  OutputFile trajectoryFile;
  std::optional<TrajectoryWriter> trajectory;
  QFile pngFile;
  std::unique_ptr<Picture> picture;

  /// Opens what the options ask for; 0, or the refusal's exit status.
  int Open(const FlightOptions& opt) {
    std::string error;
    if (opt.trajectory) {
      if (!trajectoryFile.Open(*opt.trajectory, error)) return Refuse("--trajectory: " + error);
      trajectory.emplace(trajectoryFile.get(), opt.units, opt.model == Model::Ball);
    }
    if (opt.png) {
      if (!OpenPng(*opt.png, pngFile, error)) return Refuse("--png: " + error);
      picture = std::make_unique<Picture>();
    }
    return 0;
  }

  /// Closes the trajectory and writes the picture; 0, or the refusal's exit status.
  int Close(const FlightOptions& opt) {
    std::string error;
    if (!trajectoryFile.Close(error)) return Refuse(error);
    if (picture) {
      // The file is buffered: a full disk shows only once it is closed.
      bool saved = picture->Save(pngFile);
      pngFile.close();
      saved = saved && pngFile.error() == QFileDevice::NoError;
      if (!saved) return Refuse("writing " + (*opt.png == "-" ? std::string("standard output") : *opt.png) + " failed");
    }
    return 0;
  }
};

// The report goes to standard error when standard output carries a file.
void WriteReport(const FlightOptions& opt, const std::string& report) {
  const bool toStdout = opt.trajectory == "-" || opt.png == "-";
  std::fputs(report.c_str(), toStdout ? stderr : stdout);
}

// One ball flight: its report, trajectory and picture.
int RunBallFlight(const FlightOptions& opt) {
  FlightFiles files;
  if (const int status = files.Open(opt)) return status;
  // The picture draws the bounces and the roll on the view's scale as the flight.
  std::optional<TrajectoryRow> previous;
  const BallSummary out = FlyBallRows(opt.ball, [&](const BallTrajectoryRow& row) {
    if (files.trajectory) files.trajectory->Row(row);
    if (files.picture && previous) files.picture->OnSegment(*previous, row.row);
    previous = row.row;
  });
  if (const int status = files.Close(opt)) return status;
  WriteReport(opt, opt.format == Format::Json ? BallFlightJson(out, opt.units) : BallFlightText(out, opt.units));
  return ExitStatusFor(out);
}

// A flight that stays up runs to its tick bound: how far it is toward that.
std::string FlightProgressText(const ProgressMeter::Status& s) {
  ProgressMeter::Status toBound = s;
  toBound.total = 0;
  std::string text = "flight: " + ProgressText(toBound, "ticks") + " (the bound is " + std::to_string(s.total) + ")";
  if (s.secondsLeft >= 0.0) {
    text += ", the bound in " + std::to_string(static_cast<long long>(s.secondsLeft + 0.5)) + " s";
  }
  return text;
}

}  // namespace

void DeclareFlight(CLI::App& app, FlightOptions& opt) {
  app.option_defaults()->group("Units and charts");
  AddUnits(app, opt.units);
  AddModel(app, opt.model);
  AddChart(app, "draw the flight and its overlays (or, with --converge, the\n"
                "distance against the step) as a chart (.png or .svg)", opt.chart);

  app.option_defaults()->group("Flight parameters (ranges are inclusive; defaults as in the window's form)");
  AddModelValues(app, opt.model, opt.form, opt.ball, opt.given, opt.units);

  app.option_defaults()->group("One flight");
  AddMaxTicks(app, "stop after N ticks if the ball is still flying", opt.model, opt.maxTicks);
  AddChoice(app, "--format", "how the outcome is printed", {{"text", Format::Text}, {"json", Format::Json}},
            opt.format);
  CLI::Option* trajectory =
      AddFile(app, "--trajectory", "write every tick's position and velocity as CSV (- for stdout)",
              opt.trajectory);
  CLI::Option* png = AddFile(app, "--png", "draw the flight as the window's view draws it (- for stdout)", opt.png);
  AddRepeatable(app, "--overlay", "LIST",
                "with --png or --chart: one more flight on the same picture; LIST\n"
                "is name=value,... overriding the main flight (repeatable)",
                [&opt](const std::string& text) {
                  // Before its names are read: the ball's would be called unknown.
                  if (opt.model == Model::Ball) return std::string("--overlay: only with --model form");
                  Overrides o;
                  std::string refusal;
                  if (!ReadOverrides(text, o, refusal, opt.units)) return "--overlay: " + refusal;
                  opt.overlays.push_back(std::move(o));
                  return std::string();
                });
  // The check runs its own flights and writes neither a trajectory nor a picture.
  AddFlag(app, "--converge", "run at dt, dt/2 and dt/4 and report how much the result moves", opt.converge)
      ->excludes(trajectory)
      ->excludes(png);

  app.final_callback([&opt] {
    const std::string refusal = FinishModelValues(opt.model, opt.given, opt.ball);
    if (!refusal.empty()) throw CLI::ValidationError(refusal);
    if (opt.model == Model::Ball && !opt.overlays.empty()) {
      throw CLI::ValidationError("--overlay: only with --model form");
    }
    if (!opt.overlays.empty() && !opt.png && !opt.chart) {
      throw CLI::ValidationError("--overlay: only with --png or --chart");
    }
    if (opt.trajectory == "-" && opt.png == "-") {
      throw CLI::ValidationError("--png: standard output already takes the trajectory");
    }
  });
}

int RunFlightCommand(const FlightOptions& opt) {
  // Every output is opened before the run, so a bad path costs nothing; and every path
  // is checked before any is opened, so a refusal empties no file.
  std::string error;
  if (const std::string why =
          UnwritableOutput({{"--chart", opt.chart}, {"--trajectory", opt.trajectory}, {"--png", opt.png}});
      !why.empty()) {
    return Refuse(why);
  }
  std::unique_ptr<QGuiApplication> app;
  ChartFile chart;
  if (opt.chart) {
    app = ChartApplication();
    if (!chart.Open(*opt.chart, error)) return Refuse("--chart: " + error);
  }
  if (opt.model == Model::Ball) {
    if (opt.converge) {
      const int status = RunBallConvergence(opt, stdout);
      if (opt.chart && !chart.Write(ChartOfBallConvergence(opt.ball, opt.units), error)) return Refuse(error);
      return status;
    }
    const int status = RunBallFlight(opt);
    if (opt.chart && status != kUsageError && !chart.Write(ChartOfBallFlight(opt.ball, opt.units), error)) {
      return Refuse(error);
    }
    return status;
  }
  if (opt.converge) {
    const int status = RunConvergence(opt, stdout);
    if (opt.chart && !chart.Write(ChartOfConvergence(opt.form, opt.maxTicks, opt.units), error)) return Refuse(error);
    return status;
  }

  FlightFiles files;
  if (const int status = files.Open(opt)) return status;

  FlightForm form = opt.form;
  FlightOutcome out;
  {
    ProgressLine progress(opt.maxTicks, "ticks", true, FlightProgressText);
    TickTally ticks(progress.meter());
    out = RunFlight(form, opt.maxTicks, [&](std::int64_t tick, const FlightState& st) {
      if (files.trajectory) files.trajectory->OnTick(tick, st);
      if (files.picture) files.picture->OnTick(tick, st);
      ticks.Tick();
    });
  }  // the line ends before anything else is written

  if (files.picture) {
    // Later flights draw over the earlier ones, as runs accumulate in the window.
    for (const Overrides& overlay : opt.overlays) {
      FlightForm more = form;
      for (const auto& [field, value] : overlay) more.*(field->form) = value;
      RunFlight(more, opt.maxTicks, [&](std::int64_t tick, const FlightState& st) { files.picture->OnTick(tick, st); });
    }
  }
  if (const int status = files.Close(opt)) return status;

  if (opt.chart) {
    std::vector<FlightForm> overlays;
    for (const Overrides& overlay : opt.overlays) {
      FlightForm more = opt.form;
      for (const auto& [field, value] : overlay) more.*(field->form) = value;
      overlays.push_back(more);
    }
    if (!chart.Write(ChartOfFlights(opt.form, overlays, opt.maxTicks, opt.units), error)) return Refuse(error);
  }

  WriteReport(opt, opt.format == Format::Json ? FlightJson(out, opt.units) : FlightText(out, opt.units));
  return ExitStatusFor(out);
}

}  // namespace vendrel::cli
