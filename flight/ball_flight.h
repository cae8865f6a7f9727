#pragma once
// The ball model's flights: a real ball in real air. Drag and lift depend on the spin
// ratio, the spin decays, the air's density comes from its temperature, pressure and
// humidity, and the wind blows with a height profile. One shot flies through the
// flight kernel's StepBall, as many do in the vector lanes, with the same bits.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "flight/ball_ground.h"
#include "flight/ball_params.h"
#include "flight/flight_kernel.h"
#include "flight/lanes.h"
#include "flight/flight_summary.h"

namespace vendrel {

/// What one ball shot came to: the form's summary (`landing` is the interpolated
/// point where the path meets the ground, `distance` its horizontal distance from the
/// tee, `ticks` the steps taken in the air), three more results of the flight, and
/// where the ball came to rest after its bounces and roll. A flight that did not reach
/// the ground rests where it ended.
struct BallSummary : FlightSummary {
  double landingAngle = 0.0;  ///< degrees below the horizontal at the landing
  double flightTime = 0.0;    ///< s, launch to landing
  double lateral = 0.0;       ///< m, positive right of the target line (landing[2])
  double total = 0.0;         ///< m, horizontal distance from the tee to the rest point
  double roll = 0.0;          ///< m, total − distance (negative: the ball came back)
  double rest[2]{};           ///< m, the rest point: downrange, right
  std::int64_t bounces = 0;   ///< times the ball left the ground again after an impact
  double timeToRest = 0.0;    ///< s, launch to rest
};

/// The summary as the form's record reports it: the carry is the distance.
inline FlightSummary BallAsFlightSummary(const BallSummary& s) {
  FlightSummary f = s;
  f.carryChanged = true;
  f.carry = s.distance;
  return f;
}

/// The longest flight before a run is ended, in seconds of flight time.
inline constexpr double kBallMaxFlightSeconds = 60.0;

/// Air density, kg/m³, of moist air at `temperature` (°C), `pressure` (hPa) and
/// `humidity` (% relative), as an ideal mixture of dry air and water vapour.
double AirDensity(double temperature, double pressure, double humidity);
/// The standard atmosphere's pressure at `altitude` (m), hPa.
double StandardPressure(double altitude);
/// Saturation vapour pressure over water at `temperature` (°C), hPa.
double SaturationVapourPressure(double temperature);

/// A shot made ready to fly: its constants, its launch and its step bound.
struct BallLaunch {
  kernel::BallConsts<double> consts{};
  double v[3]{};          ///< launch velocity, m/s: downrange, right, up
  double u = 0.0;         ///< surface speed of the spin, r·ω, m/s
  double density = 0.0;   ///< kg/m³
  bool windy = false;     ///< whether the wind's terms are needed
  std::int64_t maxSteps = 0;
  BallGround ground{};    ///< the surface it lands on
};

/// The constants and launch of a shot whose parameters BallParamsRefusal takes.
BallLaunch LaunchBall(const BallParams& p);

/// One point of a shot: time, position and velocity (downrange, right, up), and
/// whether the ball is in its flight, bouncing, or on the ground (sliding or rolling).
struct BallPoint {
  double t = 0.0;
  double p[3]{};
  double v[3]{};
  BallPhase phase = BallPhase::Flight;
};
/// Called with every step's end while the ball is in the air (step from 1), once more
/// with the landing point itself, then on the same time grid through the bounces and
/// the roll, with a point at each impact, and last with the rest point.
using BallObserver = std::function<void(std::int64_t step, const BallPoint&)>;

/// The flight alone: flies one shot until it lands, or for kBallMaxFlightSeconds, and
/// leaves the ground phase's results at the landing.
BallSummary FlyBallInAir(const BallParams& p, const BallObserver& observe = {});

/// The whole shot: the flight, then the bounces and roll to the rest point.
BallSummary FlyBall(const BallParams& p, const BallObserver& observe = {});

/// The ground phase's results of a summary whose flight ended at `landing` (the last
/// point FinishBall gives) with the spin's surface speed `u` about the unit axis
/// (ax, ay, az). `observe`, when given, sees its points from step `step` + 1 on, on
/// the grid of `dt`.
void FinishGround(const BallGround& g, const BallPoint& landing, double u, double ax, double ay,
                  double az, BallSummary& s, double dt = 0.0, std::int64_t step = 0,
                  const BallObserver& observe = {});

/// The summary of a flight whose last step went from (p0, v0) to (p1, v1) after
/// `steps` steps of `dt`: where the path crosses the ground inside the step, on the
/// cubic through both ends with their velocities as slopes. A flight that did not
/// reach the ground reports the step's end. `last`, when given, takes that point.
BallSummary FinishBall(const double* p0, const double* v0, const double* p1, const double* v1,
                       double dt, std::int64_t steps, double apex, FlightEnd end,
                       BallPoint* last = nullptr);

/// Flies every shot in the vector lanes of `threads` threads (0: one per core); the
/// summaries come in the shots' order with the bits FlyBall gives (FlyBallInAir's
/// without `ground`).
std::vector<BallSummary> FlyBallsParallel(std::span<const BallParams> shots, int threads,
                                          LanePath path = BestLanePath(), bool ground = true);

/// Flies the given launches in the lanes on the calling thread; `done` gets each
/// one's index in `launches` and its summary, in the order they end.
void FlyBallsInLanes(LanePath path, std::span<const BallLaunch> launches,
                     const std::function<void(std::size_t, const BallSummary&)>& done);

}  // namespace vendrel
