// vendrel-flight: the flight model from the command line.
#include <QFile>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/output_file.h"
#include "cli/picture.h"
#include "cli/report.h"
#include "cli/sweep.h"
#include "cli/trajectory.h"
#include "flight/sync_run.h"


namespace vendrel::cli {
namespace {

constexpr int kUsageError = 2;

int Refuse(const std::string& message) {
  std::fprintf(stderr, "vendrel-flight: %s\n", message.c_str());
  return kUsageError;
}

bool OpenPng(const std::string& path, QFile& file, std::string& error) {
  const bool ok = path == "-" ? file.open(stdout, QIODevice::WriteOnly)
                              : (file.setFileName(QString::fromStdString(path)), file.open(QIODevice::WriteOnly));
  if (!ok) error = "cannot write " + path + ": " + file.errorString().toStdString();
  return ok;
}

int RunSingle(const FlightOptions& opt) {
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

int RunSweepCommand(const SweepOptions& opt) {
  std::string error;
  OutputFile file;
  if (!file.Open(opt.output.value_or("-"), error)) return Refuse("--output: " + error);
  const int status = RunSweep(opt, file.get());
  if (!file.Close(error)) return Refuse(error);
  return status;
}

}  // namespace
}  // namespace vendrel::cli

int main(int argc, char** argv) {
  using namespace vendrel::cli;
  const std::vector<std::string> args(argv + 1, argv + argc);
  Command cmd;
  std::string error;
  if (!ParseCommandLine(args, cmd, error)) return Refuse(error);
  switch (cmd.mode) {
    case Mode::Help:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case Mode::Version:
      std::printf("vendrel-flight %s\n", VENDREL_VERSION);
      return 0;
    case Mode::Sweep:
      return RunSweepCommand(cmd.sweep);
    case Mode::Flight:
      break;
  }
  return RunSingle(cmd.flight);
}
