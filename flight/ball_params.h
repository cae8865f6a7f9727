#pragma once
// The ball model's parameters: one plain record in the units people give them. How
// each is named, bounded and explained is its row of the one parameter table
// (flight/parameters.h).

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel {

/// One shot of the ball model, as a person would describe it.
struct BallParams {
  // The shot.
  double speed = 74.66;        ///< m/s, ball speed at launch
  double angle = 10.9;         ///< degrees above the horizontal
  double direction = 0.0;      ///< degrees, positive to the right of the target line
  double totalSpin = 2686.0;   ///< rpm
  double spinAxis = 0.0;       ///< degrees; positive tilts the axis so the ball curves right
  double backSpin = 0.0;       ///< rpm, used instead of the two above when spinAsComponents
  double sideSpin = 0.0;       ///< rpm, positive curves right
  bool spinAsComponents = false;
  // The ball.
  double mass = 45.93;         ///< g
  double diameter = 42.67;     ///< mm
  // Its aerodynamics: Cd and Cl as quadratics in the spin ratio S = r·ω/|v − w|,
  // held at S = spinRatioCap, Cd rising by up to dragCrisis below the critical
  // Reynolds number, and the spin's exponential decay. Where the defaults come from:
  // ball_params.cpp.
  double cd0 = 0.161, cd1 = 0.717, cd2 = -0.638;
  double cl0 = 0.0504, cl1 = 1.2031, cl2 = -1.1490;
  double spinRatioCap = 0.75;
  double dragCrisis = 0.1;          ///< Cd added at zero speed, falling linearly to 0 at:
  double crisisReynolds = 100000.0; ///< the critical Reynolds number
  double spinDecay = 4.0;      ///< % of the spin lost per second
  // The air.
  double temperature = 15.0;   ///< °C
  double altitude = 0.0;       ///< m above sea level: gives the pressure when `pressure` is NaN
  double pressure = NAN;       ///< hPa at the course; NaN: the standard atmosphere's at `altitude`
  double humidity = 0.0;       ///< % relative humidity
  double windSpeed = 0.0;      ///< m/s at `windHeight`
  double windDirection = 0.0;  ///< degrees it blows from: 0 head, 90 from the right, 180 tail
  double windHeight = 10.0;    ///< m, the height the wind speed is measured at
  // The ground: flat, at height 0, with the constants of one surface (SetSurface in
  // flight/ball_ground.h names them; the defaults are the fairway's). Where they come
  // from: ball_ground.cpp.
  double bounceE0 = 0.255;     ///< restitution of a slow impact
  double bounceE1 = 0.01875;   ///< s/m, its fall with the normal impact speed
  double bounceE2 = 0.0004515; ///< s²/m², the fall's curvature (held at its least value beyond)
  double friction = 0.4;       ///< ball–turf friction coefficient, bouncing and sliding
  double crater = 12.0;        ///< degrees the crater tilts the ground at 18.6 m/s and 44.4°
  double rollResistance = 0.6;  ///< the rolling ball's deceleration over g
  // The integration.
  double gravity = 9.80665;    ///< m/s²
  double dt = 0.05;            ///< s, the time step
};

/// The first value of `p` its parameter refuses, as the form's refusal line naming
/// the parameter `--option` (or by its key when `byKey`); empty when every value is
/// taken. A NaN pressure means "not given" and is taken.
std::string BallParamsRefusal(const BallParams& p, bool byKey = false);

/// The same, then the rules that join parameters: the drag coefficient must not fall
/// below 0 at any spin ratio up to the cap (the ball would gain energy and speed up
/// without bound). Every front end checks a shot with this before it flies.
std::string BallShotRefusal(const BallParams& p, bool byKey = false);

/// The rules that join parameters alone, for a shot whose every value is already
/// known to be in range (a sweep's, read range by range).
std::string BallJointRefusal(const BallParams& p, bool byKey = false);

/// The refusal for a shot that gives its spin both as total spin and axis and as back
/// and side spin, naming the options (or the keys when `byKey`): empty when it gives
/// one form at most.
std::string SpinFormRefusal(bool totalOrAxisGiven, bool backOrSideGiven, bool byKey = false);

/// The refusal of a tick bound (`--max-ticks`, or `max_ticks` by key) given for a ball's
/// flight, which that bound would not move: it ends by itself within kBallMaxFlightSeconds.
std::string BallTickBoundRefusal(bool byKey = false);

/// The back and side spin of a total spin about an axis tilted `axisDegrees`: the
/// total times the axis's cosine and sine (CosSinDegrees).
void SpinComponents(double total, double axisDegrees, double& back, double& side);

/// The two forms a shot's spin is given in, as launch monitors report it.
enum class SpinForm { None, TotalAndAxis, BackAndSide };

/// The form the ball's value `m` gives the spin in: total spin and the spin axis one,
/// back and side spin the other, every other value none.
constexpr SpinForm SpinFormOf(double BallParams::*m) {
  if (m == &BallParams::totalSpin || m == &BallParams::spinAxis) return SpinForm::TotalAndAxis;
  if (m == &BallParams::backSpin || m == &BallParams::sideSpin) return SpinForm::BackAndSide;
  return SpinForm::None;
}

}  // namespace vendrel
