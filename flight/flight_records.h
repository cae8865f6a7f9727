#pragma once
// The data the flight model and the main window share: the form the user edits,
// the working record of one flight, and the view flag.

#include <array>
#include <cstdint>

namespace vendrel {

/// A vector of the flight model: five doubles of which only indices 1 (downrange x),
/// 2 (lateral y) and 3 (height z, up; the ground is z = 0) carry data. Indices 0 and 4
/// exist but take part in no computation.
using Vec5 = std::array<double, 5>;

/// The values the user edits, and the carry result. All 0.0 until the dialog loads
/// the defaults.
struct FlightForm {
  double ballMass = 0.0;     ///< g
  double gravity = 0.0;      ///< m/s²
  double k = 0.0;            ///< lift coefficient "K"
  double sideSpin = 0.0;     ///< rpm, signed
  double backSpin = 0.0;     ///< rpm, signed
  double kPrime = 0.0;       ///< drag coefficient "K'"
  double launchAngle = 0.0;  ///< degrees above the horizontal
  double launchSpeed = 0.0;  ///< m/s
  double timeStep = 0.0;     ///< s
  double carry = 0.0;        ///< m, whole metres; written by a landing
};

/// The working record of one flight. Masses stay in grams, so forces are in g·m/s²
/// and every acceleration is a force divided by `mass`.
struct FlightState {
  double mass = 0.0;      ///< g
  double gravity = 0.0;   ///< m/s²
  double liftCoef = 0.0;  ///< "K"
  double sideSpin = 0.0;  ///< rpm
  double backSpin = 0.0;  ///< rpm
  Vec5 vel{};             ///< velocity at the start of the step; the step's scratch velocity
  Vec5 velNext{};         ///< velocity at the end of the step
  Vec5 pos{};             ///< position at the start of the step, m
  Vec5 posNext{};         ///< position at the end of the step, m
  double dragCoef = 0.0;  ///< "K'"
  Vec5 force{};           ///< force of the latest evaluation, at the `vel` of that moment
  Vec5 launchVel{};       ///< m/s
  double dt = 0.0;        ///< s
  std::int32_t firstTick = 0;  ///< 1 from a reset until the first tick has been handled
};

/// The view draws the axes and the newest segment only while `drawMode` equals this.
inline constexpr std::int32_t kDrawModeRunStarted = 99;

}  // namespace vendrel
