#pragma once
// Many flights at once: every combination of the parameter ranges, run on worker
// threads, written as CSV in nested-loop order whatever the thread count.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/options.h"
#include "flight/lanes.h"

namespace vendrel::cli {

/// Runs the sweep and writes its CSV (or, with --best, the header and the best row).
/// Returns the exit status.
int RunSweep(const SweepOptions& opt, std::FILE* out);
/// The same on a chosen lane path (the benchmarks and tests compare them); the rows
/// are the same on every path.
/// `every`, when given, receives every flight's summary in sweep order (for a chart).
int RunSweep(const SweepOptions& opt, std::FILE* out, LanePath path, std::vector<FlightSummary>* every = nullptr);

/// The CSV header of a sweep.
const char* SweepHeader();

}  // namespace vendrel::cli
