#pragma once
// Where the ball stops: its bounces on flat ground at height 0 and its roll, after the
// ball model's landing. Every part has a closed form (an impact is one map of velocity
// and spin, a hop a parabola, the slide and the roll constant decelerations), so the
// whole ground phase is a handful of events rather than steps: it runs after the
// flight, the same code for a lone flight and for each flight out of the lanes, and so
// gives the same bits on every path.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

struct BallParams;

/// The surface's constants and the ball's, in the form the ground phase uses them.
struct BallGround {
  double e0 = 0.0, e1 = 0.0, e2 = 0.0;  ///< restitution e(v) = e0 − e1·v + e2·v², v the normal impact speed
  double friction = 0.0;                ///< ball–turf friction coefficient
  double crater = 0.0;                  ///< degrees of crater tilt at 18.6 m/s and 44.4°
  double rollDecel = 0.0;               ///< m/s², the rolling ball's deceleration
  double gravity = 0.0;                 ///< m/s²
  double radius = 0.0;                  ///< m
};

/// The ground constants of a shot whose parameters BallParamsRefusal takes.
BallGround GroundOf(const BallParams& p);

/// The named surfaces, in the order a help text lists them: "fairway" (the default),
/// "rough", "green", then "fairway-firm", "fairway-soft", "green-firm", "green-soft".
std::span<const std::string_view> SurfaceNames();

/// Sets every ground constant of `p` to the surface `name`'s; false (and `p`
/// unchanged) for a name that is none of SurfaceNames().
bool SetSurface(BallParams& p, std::string_view name);

/// The names as a sentence lists them: "fairway, rough, ... or green-soft".
std::string SurfaceList();

/// The coefficient of restitution at normal impact speed `v` (m/s): falls with the
/// speed to its least value and stays there, within [0, 1].
double Restitution(const BallGround& g, double v);

/// One impact of a ball with velocity `v` (m/s; v[2] < 0) and spin `spin` (the surface
/// speed vector r·ω, m/s) on the ground: both are replaced by their values as the ball
/// leaves. The ball never leaves faster than it came.
void Bounce(const BallGround& g, double* v, double* spin);

enum class BallPhase : std::uint8_t { Flight, Bounce, Roll };

/// The phase as a trajectory's rows name it: "flight", "bounce", "roll" (sliding or
/// rolling on the ground).
std::string_view BallPhaseName(BallPhase phase);

/// One piece of the ground phase: from time `t0`, position `p` and velocity `v`, under
/// the constant acceleration `a`, until the next piece's `t0` (or the rest).
struct GroundPiece {
  double t0 = 0.0;
  double p[3]{}, v[3]{}, a[3]{};
  BallPhase phase = BallPhase::Bounce;
};

/// Where a ball comes to rest.
struct GroundEnd {
  double rest[2]{};      ///< m, downrange and right
  double time = 0.0;     ///< s, of the rest since launch
  std::int64_t bounces = 0;  ///< impacts the ball left the ground again after
};

/// The most bounces a ball makes before it is taken to roll.
inline constexpr std::int64_t kMaxBounces = 32;

/// The ground phase of a ball landing at `p` (m; p[2] = 0) at time `t` with velocity
/// `v` and spin `spin` (surface speed vector r·ω): its bounces, slide and roll until it
/// rests. `pieces`, when given, receives the pieces in their order.
GroundEnd RollOut(const BallGround& g, const double* p, double t, const double* v, const double* spin,
                  std::vector<GroundPiece>* pieces = nullptr);

}  // namespace vendrel
