#include "cli/sweep_command.h"

#include <CLI/CLI.hpp>

#include <limits>
#include <string>

#include "cli/declare.h"
#include "cli/output_file.h"
#include "cli/refuse.h"
#include "cli/sweep.h"

namespace vendrel::cli {
namespace {

constexpr std::int64_t kMaxTicksLimit = 1'000'000'000'000;  // as for the single flight

}  // namespace

void DeclareSweep(CLI::App& app, SweepOptions& opt) {
  app.option_defaults()->group("Flight parameters (X or START:STOP:STEP; every combination is flown)");
  AddFormRanges(app, opt.ranges);

  app.option_defaults()->group("Sweep");
  AddWhole(app, "--max-ticks", "N", "stop each flight after N ticks if still flying", 1, kMaxTicksLimit,
           opt.maxTicks);
  AddWhole(app, "--threads", "N", "worker threads", 1, 1024, opt.threads, "the core count");
  AddWhole(app, "--max-flights", "N", "refuse sweeps larger than N flights", 1,
           std::numeric_limits<std::int64_t>::max(), opt.maxFlights);
  AddChoice(app, "--best", "print the header and only the best row by",
            {{"carry", BestBy::Carry}, {"distance", BestBy::Distance}, {"apex", BestBy::Apex}}, opt.best);
  AddFile(app, "--output", "write the CSV there instead of standard output", opt.output);
  AddFlag(app, "--no-progress", "no progress bar on a terminal", [&opt] { opt.progress = false; });

  app.final_callback([&opt] {
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
  std::string error;
  OutputFile file;
  if (!file.Open(opt.output.value_or("-"), error)) return Refuse("--output: " + error);
  const int status = RunSweep(opt, file.get());
  if (!file.Close(error)) return Refuse(error);
  return status;
}

}  // namespace vendrel::cli
