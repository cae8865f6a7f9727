#include "flight/ball_ground.h"

#include <array>
#include <cmath>

#include "flight/ball_params.h"
#include "flight/portable_math.h"

namespace vendrel {
namespace {

constexpr double kTwoPi = 6.283185307179586;
// A rebound slower than this (a hop of about a centimetre) ends the bouncing: the ball
// rolls from there.
constexpr double kHopSpeed = 0.5;

// The surfaces. The impact is Penner's (A. R. Penner, "The run of a golf ball", Can.
// J. Phys. 80, 931-940, 2002): the ball's crater tilts the ground it bounces off by
// 15.4° × (v / 18.6 m/s) × (θ / 44.4°) for impact speed v and angle θ; the normal
// speed's coefficient of restitution falls with the normal speed, e = 0.510 − 0.0375 v
// + 0.000903 v², held at its least value (0.12) beyond 20.8 m/s, his fit to the
// bounces of balls on a green measured by Haake (S. J. Haake, "The impact of golf
// balls with natural turf", J. Sports Turf Res. Inst. 67, 1991); and the tangential
// impulse of a rigid ball under Coulomb friction (μ = 0.4) either slides through the
// impact or stops the contact point's slip, whichever is less (the grip-slip impact of
// R. Cross, "Grip-slip behavior of a bouncing ball", Am. J. Phys. 70, 1093-1102, 2002).
// The green is Penner's as it stands, with rolling resistance for a stimpmeter reading
// of 10 ft (the stimpmeter's ball leaves at 1.83 m/s: 0.056 g). The fairway keeps his
// friction and the shape of his restitution; three constants were fitted so that the
// tour averages' driver, 7-iron and PW roll out to the totals of
// docs/examples/tour-totals.csv (README: how near): half his rebound (fairway turf
// takes more of an impact than a green's firm surface), a shallower crater (12°: a
// steep iron's crater stops it dead at 18°, while it still checks a driver's hops) and
// a rolling resistance of 0.6 g (a fairway's longer grass; a lumped constant over the
// roll, whose drag grows with speed). The rough: half the fairway's rebound, more
// friction, a deeper crater (25°), and a ball that rolls in it slows at 1 g.
// Firm and soft fairways and greens are the same impact with the ground's give changed
// (a round choice, not a measurement): firm, a quarter less crater, a tenth more
// rebound (the whole restitution curve scaled) and a surface a third quicker; soft, a
// quarter more crater, a fifth less rebound and a surface a third slower. The greens'
// rolling resistances are those of stimpmeter readings of 12 ft (firm) and 8 ft (soft).
struct Surface {
  std::string_view name;
  double e0, e1, e2, friction, crater, rollResistance;
};
constexpr std::array<Surface, 7> kSurfaces{{
    {"fairway", 0.255, 0.01875, 0.0004515, 0.4, 12.0, 0.6},
    {"rough", 0.1275, 0.009375, 0.00022575, 0.6, 25.0, 1.0},
    {"green", 0.510, 0.0375, 0.000903, 0.4, 15.4, 0.056},
    {"fairway-firm", 0.2805, 0.020625, 0.00049665, 0.4, 9.0, 0.4},
    {"fairway-soft", 0.204, 0.015, 0.0003612, 0.4, 15.0, 0.8},
    {"green-firm", 0.561, 0.04125, 0.0009933, 0.4, 11.55, 0.047},
    {"green-soft", 0.408, 0.03, 0.0007224, 0.4, 19.25, 0.07},
}};
constexpr auto kSurfaceNames = [] {
  std::array<std::string_view, kSurfaces.size()> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = kSurfaces[i].name;
  return names;
}();

double Dot(const double* a, const double* b) { return (a[0] * b[0] + a[1] * b[1]) + a[2] * b[2]; }

// a × b into c.
void Cross(const double* a, const double* b, double* c) {
  c[0] = a[1] * b[2] - a[2] * b[1];
  c[1] = a[2] * b[0] - a[0] * b[2];
  c[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

std::span<const std::string_view> SurfaceNames() { return kSurfaceNames; }

std::string SurfaceList() {
  std::string list;
  const auto names = SurfaceNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    list += i == 0 ? "" : i + 1 == names.size() ? " or " : ", ";
    list += names[i];
  }
  return list;
}

bool SetSurface(BallParams& p, std::string_view name) {
  for (const Surface& s : kSurfaces) {
    if (s.name != name) continue;
    p.bounceE0 = s.e0;
    p.bounceE1 = s.e1;
    p.bounceE2 = s.e2;
    p.friction = s.friction;
    p.crater = s.crater;
    p.rollResistance = s.rollResistance;
    return true;
  }
  return false;
}

std::string_view BallPhaseName(BallPhase phase) {
  switch (phase) {
    case BallPhase::Bounce: return "bounce";
    case BallPhase::Roll: return "roll";
    case BallPhase::Flight: break;
  }
  return "flight";
}

BallGround GroundOf(const BallParams& p) {
  BallGround g;
  g.e0 = p.bounceE0;
  g.e1 = p.bounceE1;
  g.e2 = p.bounceE2;
  g.friction = p.friction;
  g.crater = p.crater;
  g.rollDecel = p.rollResistance * p.gravity;
  g.gravity = p.gravity;
  g.radius = p.diameter / 2000.0;
  return g;
}

double Restitution(const BallGround& g, double v) {
  // The quadratic falls until its vertex, e1 / (2 e2), and is held there.
  double at = v > 0.0 ? v : 0.0;
  if (g.e2 > 0.0 && at > g.e1 / (2.0 * g.e2)) at = g.e1 / (2.0 * g.e2);
  const double e = (g.e0 - g.e1 * at) + g.e2 * (at * at);
  return e > 1.0 ? 1.0 : e > 0.0 ? e : 0.0;
}

void Bounce(const BallGround& g, double* v, double* spin) {
  const double hs = std::sqrt(v[0] * v[0] + v[1] * v[1]);
  const double speed = std::sqrt(hs * hs + v[2] * v[2]);
  // The direction of travel over the ground; a ball falling straight down has none, and
  // its crater no tilt.
  double d[2] = {1.0, 0.0};
  double cosC = 1.0, sinC = 0.0;
  if (hs > 0.0) {
    d[0] = v[0] / hs;
    d[1] = v[1] / hs;
    const double angle = PortableAtan2(-v[2], hs) / kTwoPi * 360.0;  // below the horizontal
    double tilt = g.crater * (speed / 18.6) * (angle / 44.4);
    // Beyond a face square to the ball the crater would turn it back on itself.
    if (tilt > 90.0 - angle) tilt = 90.0 - angle;
    if (tilt > 0.0) CosSinDegrees(tilt, cosC, sinC);
  }
  // The crater's face: its normal leans back toward the ball, t1 runs up the face along
  // the travel, t2 across it.
  const double n[3] = {-(sinC * d[0]), -(sinC * d[1]), cosC};
  const double t1[3] = {cosC * d[0], cosC * d[1], sinC};
  const double t2[3] = {-d[1], d[0], 0.0};
  const double in = -Dot(v, n);  // the normal speed into the face
  if (!(in > 0.0)) return;       // not moving into the ground: no impact
  const double e = Restitution(g, in);
  // The contact point's slip: the centre's velocity less spin × (−r n), in the face.
  double sn[3];
  Cross(spin, n, sn);
  const double w[3] = {v[0] - sn[0], v[1] - sn[1], v[2] - sn[2]};
  const double s1 = Dot(w, t1), s2 = Dot(w, t2);
  const double slip = std::sqrt(s1 * s1 + s2 * s2);
  // The friction impulse per unit mass opposes the slip: at most μ times the normal
  // impulse (sliding throughout), at least what stops the slip (a solid sphere's
  // 2/7 of it: the ball grips and leaves rolling).
  double j1 = 0.0, j2 = 0.0;
  if (slip > 0.0) {
    const double slide = g.friction * ((1.0 + e) * in);
    const double grip = 2.0 / 7.0 * slip;
    const double j = slide < grip ? slide : grip;
    j1 = -(j * (s1 / slip));
    j2 = -(j * (s2 / slip));
  }
  const double J[3] = {j1 * t1[0] + j2 * t2[0], j1 * t1[1] + j2 * t2[1], j1 * t1[2] + j2 * t2[2]};
  const double normal = (1.0 + e) * in;
  double out[3];
  for (int i = 0; i < 3; ++i) out[i] = (v[i] + J[i]) + normal * n[i];
  // The torque of the impulse about the centre: Δ(r·ω) = −(5/2) n × J.
  double nj[3];
  Cross(n, J, nj);
  for (int i = 0; i < 3; ++i) spin[i] = spin[i] - 2.5 * nj[i];
  // Top spin can hand the ball more speed than friction takes; it never leaves faster
  // than it came.
  const double outSpeed = std::sqrt(Dot(out, out));
  const double scale = outSpeed > speed ? speed / outSpeed : 1.0;
  for (int i = 0; i < 3; ++i) v[i] = out[i] * scale;
}

namespace {

// Appends a piece and advances its start by `dt` under its acceleration.
void Advance(std::vector<GroundPiece>* pieces, double t, double* p, double* v, const double* a,
             double dt, BallPhase phase) {
  if (pieces) {
    GroundPiece piece;
    piece.t0 = t;
    piece.phase = phase;
    for (int i = 0; i < 3; ++i) {
      piece.p[i] = p[i];
      piece.v[i] = v[i];
      piece.a[i] = a[i];
    }
    pieces->push_back(piece);
  }
  for (int i = 0; i < 3; ++i) {
    p[i] = (v[i] * dt + (a[i] / 2.0) * (dt * dt)) + p[i];
    v[i] = a[i] * dt + v[i];
  }
}

}  // namespace

GroundEnd RollOut(const BallGround& g, const double* landing, double t, const double* vLand,
                  const double* spinLand, std::vector<GroundPiece>* pieces) {
  GroundEnd end;
  double p[3] = {landing[0], landing[1], 0.0};
  double v[3] = {vLand[0], vLand[1], vLand[2]};
  double spin[3] = {spinLand[0], spinLand[1], spinLand[2]};
  // Bounces: an impact, then a hop under gravity alone (a few metres and a fraction of
  // a second near the ground, where the ball is slow: the air and the spin's lift are
  // left out), until the rebound is too slow to leave the ground.
  for (;;) {
    Bounce(g, v, spin);
    // (A gravity the checks refuse, none or negative, ends the bouncing too.)
    if (!(v[2] >= kHopSpeed) || end.bounces >= kMaxBounces || !(g.gravity > 0.0)) break;
    ++end.bounces;
    const double up = v[2];
    const double hop = 2.0 * up / g.gravity;
    const double a[3] = {0.0, 0.0, -g.gravity};
    Advance(pieces, t, p, v, a, hop, BallPhase::Bounce);
    p[2] = 0.0;  // the parabola's exact end
    v[2] = -up;
    t = t + hop;
  }
  v[2] = 0.0;
  // On the ground the contact point's slip is v − spin × ẑ. Sliding friction μg
  // opposes it, and the slip falls at 7/2 of that rate (the solid sphere of the impact)
  // in a fixed direction until the ball rolls; a back-spinning ball can stop or come
  // back that way.
  const double slip[2] = {v[0] - spin[1], v[1] + spin[0]};
  const double slipSpeed = std::sqrt(slip[0] * slip[0] + slip[1] * slip[1]);
  const double decel = g.friction * g.gravity;
  // Without friction or rolling resistance (values the checks refuse) the ball would
  // slide or roll for ever: it rests where that would begin instead.
  if (slipSpeed > 0.0 && std::isfinite(slipSpeed) && decel > 0.0 && std::isfinite(decel)) {
    const double slide = slipSpeed / (3.5 * decel);
    const double a[3] = {-(decel * (slip[0] / slipSpeed)), -(decel * (slip[1] / slipSpeed)), 0.0};
    Advance(pieces, t, p, v, a, slide, BallPhase::Roll);
    t = t + slide;
  }
  // Rolling: a constant deceleration to rest.
  const double speed = std::sqrt(v[0] * v[0] + v[1] * v[1]);
  if (speed > 0.0 && std::isfinite(speed) && g.rollDecel > 0.0 && std::isfinite(g.rollDecel)) {
    const double roll = speed / g.rollDecel;
    const double a[3] = {-(g.rollDecel * (v[0] / speed)), -(g.rollDecel * (v[1] / speed)), 0.0};
    Advance(pieces, t, p, v, a, roll, BallPhase::Roll);
    t = t + roll;
  }
  end.rest[0] = p[0];
  end.rest[1] = p[1];
  end.time = t;
  return end;
}

}  // namespace vendrel
