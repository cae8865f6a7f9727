// The ball model's shots: any values of its rows, each byte pair placing one row's
// value between its ends (or past them), are either refused by the check every front
// end makes or fly to a finite end within the time bound, never NaN.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "flight/ball_flight.h"
#include "flight/parameters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendrel;
  BallParams p;
  std::size_t at = 0;
  for (const Parameter& row : ParametersOf(Model::Ball)) {
    if (at + 2 > size) break;
    // 0..65535 spans a little past each end, so refusals are met too.
    const double u = (data[at] * 256.0 + data[at + 1]) / 65535.0 * 1.2 - 0.1;
    at += 2;
    const double lo = row.Min(Model::Ball), hi = row.Max(Model::Ball);
    ValueIn(p, row) = lo + u * (hi - lo);
  }
  if (at < size) p.spinAsComponents = (data[at] & 1) != 0;
  if (p.dt < 0.001) p.dt = 0.001;  // the smallest steps only cost time: 60 s at 1 ms is enough
  if (!BallShotRefusal(p).empty()) return 0;
  const BallSummary s = FlyBall(p);
  if (!std::isfinite(s.distance) || !std::isfinite(s.apex) || !std::isfinite(s.lateral) ||
      !std::isfinite(s.landingAngle) || !std::isfinite(s.flightTime)) {
    std::abort();
  }
  if (s.end == FlightEnd::NotANumber) std::abort();
  return 0;
}
