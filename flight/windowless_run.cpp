#include "flight/windowless_run.h"

namespace vendrel {

FlightOutcome RunFlight(FlightForm& form, std::int64_t maxTicks, const TickObserver& observe,
                        const StopRequest* stop) {
  FlightOutcome out;
  FlightState& st = out.state;
  WindowlessHost host;
  RunControl run(form, st, host);
  run.CalculateFromForm();

  bool apexSeen = false;
  TickResult result;
  // The ticks go in stretches between looks at the stop request, so the loop of
  // ticks itself has nothing more to test.
  while (host.timerRunning && out.ticks < maxTicks) {
    if (stop && stop->Requested()) break;
    const std::int64_t until = maxTicks - out.ticks > kStopLookTicks ? out.ticks + kStopLookTicks : maxTicks;
    while (host.timerRunning && out.ticks < until) {
      ++out.ticks;
      result = run.Tick();
      if (observe) observe(out.ticks, st);
      if (!apexSeen || st.pos[3] > out.apex) {
        out.apex = st.pos[3];
        apexSeen = true;
      }
    }
  }

  switch (result.end) {
    case TickEnd::Ground: out.end = FlightEnd::Ground; break;
    case TickEnd::NotANumber: out.end = FlightEnd::NotANumber; break;
    case TickEnd::Flying: out.end = FlightEnd::MaxTicks; break;
  }
  out.carryChanged = result.carryChanged;
  out.carry = form.carry;
  out.landing = st.pos;
  out.distance = HorizontalDistance(st.pos);
  return out;
}

}  // namespace vendrel
