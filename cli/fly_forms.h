#pragma once
// A list of flights flown on worker threads in the lanes of the best vector path.
// Every flight comes out with the same bits whichever thread and lane flew it.

#include <cstdint>
#include <span>
#include <vector>

#include "flight/flight_records.h"
#include "flight/sync_run.h"

namespace vendrel::cli {

/// The summaries in the order of the forms. `threads` 0: the core count.
std::vector<FlightSummary> FlyForms(std::span<const FlightForm> forms, unsigned threads, std::int64_t maxTicks);

}  // namespace vendrel::cli
