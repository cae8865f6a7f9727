#pragma once
// One classical fourth-order Runge-Kutta step of the flight.

#include "flight/flight_records.h"

namespace vendrel {

/// Advances the flight by `dt` from `vel`/`pos`, taking the stage-1 force from
/// `force` as it stands (it is not evaluated again). Writes `velNext` and `posNext`.
/// `vel` is the step's scratch velocity: on return it holds the stage-4 velocity and
/// `force` the force there, which the next step takes as its stage-1 force. The
/// repaint that follows each step is the run control's business.
void StepRK4(FlightState& st);

}  // namespace vendrel
