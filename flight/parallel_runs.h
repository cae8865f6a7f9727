#pragma once
// A list of flights run on several threads, each thread keeping the lanes of its
// vector registers full. The command line's sweep and any other batch of flights go
// through here.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "flight/flight_records.h"
#include "flight/flight_summary.h"
#include "flight/lanes.h"
#include "flight/progress_meter.h"
#include "flight/stop_request.h"

namespace vendrel {

/// Runs `work` on `threads` threads (0 or less: one per core), but on no more than
/// `chunks` of them, the calling thread among them, and returns when every one has
/// finished. Where threads cannot be had (a single-threaded WebAssembly build, a
/// process at its limit), the threads there are do all the work.
void RunOnThreads(int threads, std::int64_t chunks, const std::function<void()>& work);

/// Runs every form as RunFlight would, each until the run control ends it or `maxTicks`
/// ticks have passed, on `threads` threads (0 or less: one per core) on lane path
/// `path` (one the machine lacks falls back to the scalar one). The summaries come in
/// the order of the forms, with the same bits whatever the thread count and path.
/// Each finished flight adds one to `progress`, when given. Once `stop` is requested
/// the call returns within kStopLookTicks ticks; the summaries are then incomplete, and
/// whoever requested the stop throws them away.
std::vector<FlightSummary> RunFlightsParallel(std::span<const FlightForm> forms,
                                              std::int64_t maxTicks, int threads,
                                              LanePath path = BestLanePath(),
                                              ProgressMeter* progress = nullptr,
                                              const StopRequest* stop = nullptr);

}  // namespace vendrel
