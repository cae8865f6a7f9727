#pragma once
// Many whole flights at once, several in the lanes of one vector register and several
// registers in flight per thread. Every flight comes out bit for bit as RunFlight would
// give it: the lanes run the same flight kernel, its branches per-lane selects. The
// instruction set is chosen at run time, so the program still runs on any x86-64;
// without a vector unit it can use, the lanes are plain doubles.

#include <cstdint>
#include <functional>

#include "flight/flight_records.h"
#include "flight/flight_summary.h"
#include "flight/stop_request.h"
#include "flight/windowless_run.h"

namespace vendrel {

enum class LanePath {
  Scalar,  ///< RunFlight, one flight after another
  Avx2,    ///< 256-bit registers
  Avx512,  ///< 512-bit registers
};

/// Whether this build and this machine have the path's instruction set (the scalar
/// path always does).
bool LanePathAvailable(LanePath path);
/// The widest available path.
LanePath BestLanePath();
/// "scalar", "avx2", "avx512".
const char* LanePathName(LanePath path);
/// Flights in flight at once per thread on the path (on the scalar path's when the
/// machine lacks it).
int LaneCount(LanePath path);

/// Hands out the next flight: its id (any number, given back with its outcome) and
/// its form. Returns false once there are none left, and keeps doing so.
using NextFlight = std::function<bool(std::int64_t& id, FlightForm& form)>;
/// Receives the outcome of one flight. Outcomes come in the order flights end, not
/// the order they were handed out.
using FlightDone = std::function<void(std::int64_t id, const FlightSummary& summary)>;

/// Runs every flight `next` hands out, each until the run control ends it or
/// `maxTicks` ticks have passed, on the calling thread. A lane whose flight ends
/// takes the next flight at once, so long and short flights mix freely. A path the
/// machine cannot take falls back to the scalar one. With a bound below one tick the
/// flights go through RunFlight. Once `stop` is requested the call returns within
/// kStopLookTicks ticks, taking no more flights and reporting none of those in flight.
void RunFlightsInLanes(LanePath path, std::int64_t maxTicks, const NextFlight& next,
                       const FlightDone& done, const StopRequest* stop = nullptr);

}  // namespace vendrel
