#pragma once
// What one whole flight came to: the one record every way of running flights gives
// back (a single run, the lanes, the parallel runner) and the sweep's rows extend.

#include <cstdint>

#include "flight/flight_records.h"

namespace vendrel {

enum class FlightEnd { Ground, NotANumber, MaxTicks };

/// What one whole run came to.
struct FlightSummary {
  std::int64_t ticks = 0;    ///< the tick the run ended on, or the tick bound
  FlightEnd end = FlightEnd::MaxTicks;
  bool carryChanged = false; ///< false: the carry field would stay as it was
  double carry = 0.0;        ///< the form's carry after the run
  double distance = 0.0;     ///< horizontal distance of `pos` on the last tick
  Vec5 landing{};            ///< `pos` on the last tick
  double apex = 0.0;         ///< highest `pos`[3] over all ticks

  bool landed() const { return end != FlightEnd::MaxTicks; }
};

/// Short name of an end, as the command line prints it: "ground", "nan", "max-ticks".
const char* FlightEndName(FlightEnd end);

}  // namespace vendrel
