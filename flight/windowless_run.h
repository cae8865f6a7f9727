#pragma once
// Runs a whole flight without a window: a host whose timer is a plain loop. The
// command line, the sweeps, the tests and the benchmarks run flights through this,
// over the same run control the dialog drives.

#include <cstdint>
#include <functional>

#include "flight/flight_records.h"
#include "flight/flight_summary.h"
#include "flight/run_control.h"
#include "flight/stop_request.h"

namespace vendrel {

/// A host with nothing to show: its timer is whether the loop goes on.
class WindowlessHost final : public FlightHost {
 public:
  void StartTimer() override { timerRunning = true; }
  void KillTimer() override { timerRunning = false; }
  void RequestRepaint() override {}
  void ShowCarry() override {}

  bool timerRunning = false;
};

/// The summary with the record as the last tick left it.
struct FlightOutcome : FlightSummary {
  FlightState state{};
};

/// Called after every tick's step with the tick number (from 1) and the record.
using TickObserver = std::function<void(std::int64_t tick, const FlightState&)>;

/// Runs the flight the form describes, as the calculate button would, until the run
/// control ends it or `maxTicks` ticks have passed. `form.carry` takes the landing's
/// carry as the dialog's form would. Once `stop` is requested the run ends within
/// kStopLookTicks ticks, as if its bound had been reached there; whoever requested
/// the stop throws that outcome away.
FlightOutcome RunFlight(FlightForm& form, std::int64_t maxTicks,
                        const TickObserver& observe = {}, const StopRequest* stop = nullptr);

}  // namespace vendrel
