#pragma once
// Many ball shots for Python: the keywords of vendrel.fly(model="ball") as numbers or
// arrays that broadcast together, one shot per element, flown in the vector lanes of
// every core with the bits of the single shot. The sweep of the command line, as
// arrays.

#include <pybind11/pybind11.h>

#include <functional>

#include "python/ball.h"
#include "python/parameters.h"
#include "python/progress.h"

namespace vendrel::python {

/// Whether any keyword given (form keyword i when `given(i)`, a ball-only keyword when
/// not None) is an array rather than a single number.
bool AnyBallArray(const FlightArgs& flight, const std::function<bool(std::size_t)>& given,
                  const BallOnlyArgs& ballOnly);

/// Every shot of the broadcast keywords, on `threads` threads (0: every core): a dict of
/// arrays of the broadcast shape with the keys of fly()'s arrays and landing_angle,
/// flight_time, lateral and total. Every shot is read and checked before any flies, with
/// the single shot's refusals (naming the element); `progress` hears of the shots flown.
py::dict FlyBallArrays(const FlightArgs& flight, const std::function<bool(std::size_t)>& given,
                       const BallOnlyArgs& ballOnly, unsigned threads, Progress& progress);

}  // namespace vendrel::python
