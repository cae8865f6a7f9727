#pragma once
// Many flights at once: every combination of the parameter ranges, run on worker
// threads, written as CSV in nested-loop order whatever the thread count.

#include <cstdio>
#include <string>

#include "cli/options.h"

namespace vendrel::cli {

/// Runs the sweep and writes its CSV (or, with --best, the header and the best row).
/// Returns the exit status.
int RunSweep(const SweepOptions& opt, std::FILE* out);

/// The CSV header of a sweep.
const char* SweepHeader();

}  // namespace vendrel::cli
