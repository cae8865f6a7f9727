#pragma once
// Many flights at once: every combination of the parameter ranges, of either model,
// run in the vector lanes of worker threads, written as CSV in nested-loop order
// whatever the thread count.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/options.h"
#include "flight/ball_flight.h"
#include "flight/lanes.h"

namespace vendrel::cli {

/// Runs the sweep and writes its CSV (or, with --best, the header and the best row).
/// Returns the exit status.
int RunSweep(const SweepOptions& opt, std::FILE* out);
/// The same on a chosen lane path (the benchmarks and tests compare them); the rows
/// are the same on every path.
/// `every`, when given, receives every flight's summary in sweep order (for a chart);
/// the form's flights fill only its FlightSummary part.
int RunSweep(const SweepOptions& opt, std::FILE* out, LanePath path, std::vector<BallSummary>* every = nullptr);

/// Why the sweep's ball shots cannot all be flown (values each in range that join
/// into a shot the model refuses), or an empty string. Nothing is flown or written
/// before this says yes.
std::string SweepRefusal(const SweepOptions& opt);

/// The CSV header of a sweep of the form's model; of model `m`'s.
const char* SweepHeader();
const char* SweepHeader(Model m);

}  // namespace vendrel::cli
