#include "cli/flight_command.h"

#include <CLI/CLI.hpp>
#include <QFile>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/convergence.h"
#include "cli/declare.h"
#include "cli/output_file.h"
#include "cli/picture.h"
#include "cli/refuse.h"
#include "cli/report.h"
#include "cli/trajectory.h"
#include "flight/sync_run.h"

namespace vendrel::cli {
namespace {

constexpr std::int64_t kMaxTicksLimit = 1'000'000'000'000;  // about 30 years of 1 ms ticks

bool OpenPng(const std::string& path, QFile& file, std::string& error) {
  const bool ok = path == "-" ? file.open(stdout, QIODevice::WriteOnly)
                              : (file.setFileName(QString::fromStdString(path)), file.open(QIODevice::WriteOnly));
  if (!ok) error = "cannot write " + path + ": " + file.errorString().toStdString();
  return ok;
}

}  // namespace

void DeclareFlight(CLI::App& app, FlightOptions& opt) {
  app.option_defaults()->group("Flight parameters (ranges are inclusive; defaults as in the window's form)");
  AddFormValues(app, opt.form);

  app.option_defaults()->group("One flight");
  AddWhole(app, "--max-ticks", "N", "stop after N ticks if the ball is still flying", 1, kMaxTicksLimit,
           opt.maxTicks);
  AddChoice(app, "--format", "how the outcome is printed", {{"text", Format::Text}, {"json", Format::Json}},
            opt.format);
  CLI::Option* trajectory =
      AddFile(app, "--trajectory", "write every tick's position and velocity as CSV (- for stdout)",
              opt.trajectory);
  CLI::Option* png = AddFile(app, "--png", "draw the flight as the window's view draws it (- for stdout)", opt.png);
  AddRepeatable(app, "--overlay", "LIST",
                "with --png: one more flight on the same picture; LIST is\n"
                "name=value,... overriding the main flight (repeatable)",
                [&opt](const std::string& text) {
                  Overrides o;
                  std::string refusal;
                  if (!ReadOverrides(text, o, refusal)) return "--overlay: " + refusal;
                  opt.overlays.push_back(std::move(o));
                  return std::string();
                })
      ->needs(png);
  // The check runs its own flights and writes neither a trajectory nor a picture.
  AddFlag(app, "--converge", "run at dt, dt/2 and dt/4 and report how much the result moves", opt.converge)
      ->excludes(trajectory)
      ->excludes(png);

  app.final_callback([&opt] {
    if (opt.trajectory == "-" && opt.png == "-") {
      throw CLI::ValidationError("--png: standard output already takes the trajectory");
    }
  });
}

int RunFlightCommand(const FlightOptions& opt) {
  if (opt.converge) return RunConvergence(opt, stdout);

  // Every output is opened before the run, so a bad path costs nothing.
  std::string error;
  OutputFile trajectoryFile;
  std::optional<TrajectoryWriter> trajectory;
  if (opt.trajectory) {
    if (!trajectoryFile.Open(*opt.trajectory, error)) return Refuse("--trajectory: " + error);
    trajectory.emplace(trajectoryFile.get());
  }
  QFile pngFile;
  std::unique_ptr<Picture> picture;
  if (opt.png) {
    if (!OpenPng(*opt.png, pngFile, error)) return Refuse("--png: " + error);
    picture = std::make_unique<Picture>();
  }

  FlightForm form = opt.form;
  const FlightOutcome out = RunFlight(form, opt.maxTicks, [&](std::int64_t tick, const FlightState& st) {
    if (trajectory) trajectory->OnTick(tick, st);
    if (picture) picture->OnTick(tick, st);
  });
  if (!trajectoryFile.Close(error)) return Refuse(error);

  if (picture) {
    // Later flights draw over the earlier ones, as runs accumulate in the window.
    for (const Overrides& overlay : opt.overlays) {
      FlightForm more = form;
      for (const auto& [field, value] : overlay) more.*(field->member) = value;
      RunFlight(more, opt.maxTicks, [&](std::int64_t tick, const FlightState& st) { picture->OnTick(tick, st); });
    }
    if (!picture->Save(pngFile)) return Refuse("writing " + *opt.png + " failed");
    pngFile.close();
  }

  const std::string report = opt.format == Format::Json ? FlightJson(out) : FlightText(out);
  const bool toStdout = opt.trajectory == "-" || opt.png == "-";
  std::fputs(report.c_str(), toStdout ? stderr : stdout);
  return ExitStatusFor(out);
}

}  // namespace vendrel::cli
