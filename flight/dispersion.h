#pragma once
// Shot dispersion: flights whose launch values are drawn from normal distributions
// around one form, and what their landings come to (means, spreads, the 95% ellipse
// of the landing points). Only the drawing and the statistics live here; flying the
// forms is the lanes' job.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "flight/ball_flight.h"
#include "flight/ball_params.h"
#include "flight/flight_records.h"
#include "flight/flight_summary.h"

namespace vendrel {

/// Standard deviations of the launch values, in the form's units (degrees, m/s, rpm).
/// Zero keeps a value as the form has it.
struct LaunchSpread {
  double angle = 0.0;
  double speed = 0.0;
  double sideSpin = 0.0;
  double backSpin = 0.0;
};

/// The form of flight `index` of the run seeded `seed`: each launch value drawn around
/// the base form's and clipped to its field's range. Four draws are made for every
/// flight whatever the spreads, so a spread on one value never changes the others'.
FlightForm DispersedForm(const FlightForm& base, const LaunchSpread& sd, std::uint64_t seed,
                         std::uint64_t index);
/// Flights 0 to n − 1.
std::vector<FlightForm> DispersedForms(const FlightForm& base, const LaunchSpread& sd,
                                       std::uint64_t seed, std::int64_t n);

/// Standard deviations of the ball model's launch values, in its units.
struct BallLaunchSpread {
  double angle = 0.0;
  double speed = 0.0;
  double sideSpin = 0.0;
  double backSpin = 0.0;
  double direction = 0.0;
  double totalSpin = 0.0;
  double spinAxis = 0.0;
};

/// The ball model's shot `index` of the run seeded `seed`: each launch value drawn
/// around the base shot's and clipped to the ball model's range. Seven draws for
/// every shot, the first four as the form's (angle, speed, side spin, back spin).
BallParams DispersedBall(const BallParams& base, const BallLaunchSpread& sd, std::uint64_t seed,
                         std::uint64_t index);
/// Shots `first` to `first + n − 1`.
std::vector<BallParams> DispersedBalls(const BallParams& base, const BallLaunchSpread& sd, std::uint64_t seed,
                                       std::int64_t first, std::int64_t n);

/// The refusal of a spread of the spin form the shots do not fly (back or side spin
/// when they fly total spin and axis, or the other way round): it would be drawn and
/// never flown. Names the spread as the option `--back-spin-sd` (or by its key,
/// `back_spin_sd`, when `byKey`); empty when every spread given is flown.
std::string BallSpreadRefusal(const BallLaunchSpread& sd, bool spinAsComponents, bool byKey = false);

/// Mean and sample standard deviation (n − 1) over `count` values; 0 spread for one.
struct MeanSd {
  double mean = 0.0;
  double sd = 0.0;
  std::int64_t count = 0;
};

/// The ellipse holding 95% of a two-dimensional normal distribution fitted to the
/// landing points (downrange x, lateral y), in metres.
struct Ellipse {
  double centreX = 0.0;
  double centreY = 0.0;
  double major = 0.0;     ///< semi-axis along `angle`
  double minor = 0.0;
  double angle = 0.0;     ///< degrees from the downrange axis toward positive lateral
};

struct DispersionStats {
  MeanSd carry;     ///< over flights whose carry field would change
  MeanSd distance;  ///< over flights that came down (ground)
  MeanSd lateral;   ///< likewise, landing y
  Ellipse ellipse;  ///< likewise
  // Ball shots only: where they came to rest, over the shots that came down.
  MeanSd total;         ///< tee to rest
  Ellipse restEllipse;  ///< of the rest points
};

/// Statistics of the flights' outcomes, summed in the order given, so the bits do not
/// depend on which thread flew which flight.
DispersionStats SummariseDispersion(std::span<const FlightSummary> flights);
/// The same of ball shots (their carry is their distance), with their totals and rests.
DispersionStats SummariseBallDispersion(std::span<const BallSummary> shots);

/// Chi-square quantile of two degrees of freedom at 95%: −2 ln 0.05.
inline constexpr double kChiSquare2At95 = 5.991464547107982;

}  // namespace vendrel
