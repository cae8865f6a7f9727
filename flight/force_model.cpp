#include "flight/force_model.h"

#include <cmath>

namespace vendrel {
namespace {

// Signed square root of a spin rate: a negative spin never reaches sqrt.
inline double SignedRoot(double omega) {
  return omega >= 0.0 ? std::sqrt(omega) : -std::sqrt(-omega);
}

}  // namespace

// Every sum and product below is formed in exactly the written order; the reference
// values depend on it to the last bit.
ForceTerms EvaluateForce(const FlightState& st) {
  ForceTerms t;
  const double vx = st.vel[1];
  const double vy = st.vel[2];
  const double vz = st.vel[3];
  const double m = st.mass;
  const double K = st.liftCoef;

  t.G[1] = 0.0;
  t.G[2] = 0.0;
  t.G[3] = -(m * st.gravity);

  t.s = std::sqrt((vz * vz + vx * vx) + vy * vy);

  const double P1 = std::pow(vx * vx + vy * vy, 2.0);
  const double P2 = std::pow(vz * vy, 2.0);
  const double P3 = std::pow(vz * vx, 2.0);
  t.h = std::sqrt(P1 + (P2 + P3));

  t.Lb = SignedRoot(st.backSpin) * K * t.s;
  // With no horizontal motion the back-spin direction is undefined (0/0): the ball
  // gets no back-spin force rather than a NaN.
  if (t.h != 0.0) {
    t.B[1] = -((vx * vz) * t.Lb) / t.h;
    t.B[2] = -((vy * vz) * t.Lb) / t.h;
    t.B[3] = ((vx * vx + vy * vy) * t.Lb) / t.h;
  }

  t.w = std::sqrt(vx * vx + vy * vy);

  t.Ls = SignedRoot(st.sideSpin) * K * t.s;
  if (t.w != 0.0) {  // likewise the side-spin direction
    t.S[1] = -(vy / t.w) * t.Ls;
    t.S[2] = (vx / t.w) * t.Ls;
  }
  t.S[3] = 0.0;

  t.Dm = st.dragCoef * t.s * t.s;
  // A ball at rest feels gravity alone.
  if (t.s != 0.0) {
    t.D[1] = -(t.Dm * vx) / t.s;
    t.D[2] = -(t.Dm * vy) / t.s;
    t.D[3] = -(t.Dm * vz) / t.s;
  }

  t.F[1] = t.S[1] + t.B[1] + t.G[1] + t.D[1];
  t.F[2] = t.B[2] + t.G[2] + t.D[2] + t.S[2];
  t.F[3] = t.S[3] + t.B[3] + t.G[3] + t.D[3];
  return t;
}

void ComputeForces(FlightState& st) {
  const ForceTerms t = EvaluateForce(st);
  st.force[1] = t.F[1];
  st.force[2] = t.F[2];
  st.force[3] = t.F[3];
}

}  // namespace vendrel
