#pragma once
// The force on the ball: gravity, the back-spin and side-spin forces, and drag.
// It depends only on the velocity and six parameters of the flight state; spins
// enter in rpm and the mass in grams, as the form gives them.

#include <cmath>

#include "flight/flight_records.h"

namespace vendrel {

/// Every intermediate value of one force evaluation, in the order it is formed.
/// Components are indexed 1 to 3 like the flight vectors (index 0 unused).
struct ForceTerms {
  double s = 0.0;   ///< speed
  double h = 0.0;   ///< normaliser of the back-spin direction (equals w·s)
  double Lb = 0.0;  ///< back-spin force magnitude, signed
  double w = 0.0;   ///< horizontal speed
  double Ls = 0.0;  ///< side-spin force magnitude, signed
  double Dm = 0.0;  ///< drag magnitude
  double G[4]{}, B[4]{}, S[4]{}, D[4]{};
  double F[4]{};    ///< the total
};

namespace detail {

inline double Square(double base) { return base * base; }

// Signed square root of a spin rate: a negative spin never reaches sqrt.
inline double SignedRoot(double omega) {
  return omega >= 0.0 ? std::sqrt(omega) : -std::sqrt(-omega);
}

}  // namespace detail

/// The signed roots of the two spins, which every evaluation of one step shares: the
/// spins cannot change between the evaluations of a step.
struct SpinRoots {
  double back = 0.0;
  double side = 0.0;
};

inline SpinRoots RootsOfSpins(const FlightState& st) {
  return {detail::SignedRoot(st.backSpin), detail::SignedRoot(st.sideSpin)};
}

/// Evaluates the force for the velocity in `st.vel` without touching the record.
// Every sum and product below is formed in exactly the written order; the reference
// values depend on it to the last bit.
inline ForceTerms EvaluateForce(const FlightState& st, SpinRoots roots) {
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

  // Powers at exponent 2.0. Correctly rounded, such a power is the product of the base
  // with itself, which is what optimised builds make of pow(b, 2.0) anyway; writing
  // the product keeps unoptimised builds off a library pow that can miss the last bit,
  // so every build flies the same flight.
  const double P1 = detail::Square(vx * vx + vy * vy);
  const double P2 = detail::Square(vz * vy);
  const double P3 = detail::Square(vz * vx);
  t.h = std::sqrt(P1 + (P2 + P3));

  t.Lb = roots.back * K * t.s;
  // With no horizontal motion the back-spin direction is undefined (0/0): the ball
  // gets no back-spin force rather than a NaN.
  if (t.h != 0.0) {
    t.B[1] = -((vx * vz) * t.Lb) / t.h;
    t.B[2] = -((vy * vz) * t.Lb) / t.h;
    t.B[3] = ((vx * vx + vy * vy) * t.Lb) / t.h;
  }

  t.w = std::sqrt(vx * vx + vy * vy);

  t.Ls = roots.side * K * t.s;
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

/// Fills `force`[1..3] for the velocity in `vel`[1..3] and the parameters in the
/// record. Leaves every other field, and `force`[0] and [4], as they are.
inline void ComputeForces(FlightState& st, SpinRoots roots) {
  const ForceTerms t = EvaluateForce(st, roots);
  st.force[1] = t.F[1];
  st.force[2] = t.F[2];
  st.force[3] = t.F[3];
}

inline ForceTerms EvaluateForce(const FlightState& st) { return EvaluateForce(st, RootsOfSpins(st)); }
inline void ComputeForces(FlightState& st) { ComputeForces(st, RootsOfSpins(st)); }

}  // namespace vendrel
