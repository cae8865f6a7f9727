#pragma once
// The force on the ball for one flight record: gravity, the back-spin and side-spin
// forces, and drag. It depends only on the velocity and six parameters of the flight
// state; spins enter in rpm and the mass in grams, as the form gives them. The
// arithmetic itself is the flight kernel's.

#include <cmath>

#include "flight/flight_kernel.h"
#include "flight/flight_records.h"

namespace vendrel {

/// Every intermediate value of one force evaluation (components indexed 1 to 3).
using ForceTerms = kernel::ForceTerms<double>;

/// The signed roots of the two spins, which every evaluation of one step shares: the
/// spins cannot change between the evaluations of a step.
struct SpinRoots {
  double back = 0.0;
  double side = 0.0;
};

namespace detail {
// Signed square root of a spin rate: a negative spin never reaches sqrt.
inline double SignedRoot(double omega) {
  return omega >= 0.0 ? std::sqrt(omega) : -std::sqrt(-omega);
}
}  // namespace detail

inline SpinRoots RootsOfSpins(const FlightState& st) {
  return {detail::SignedRoot(st.backSpin), detail::SignedRoot(st.sideSpin)};
}

/// The record's parameters as the kernel's force takes them, the products of the spin
/// roots and K formed as the force's left-to-right products would form them.
inline kernel::ForceParams<double> ForceParamsOf(const FlightState& st, SpinRoots roots) {
  return {roots.back * st.liftCoef, roots.side * st.liftCoef, st.dragCoef, -(st.mass * st.gravity)};
}

/// Evaluates the force for the velocity in `st.vel` without touching the record.
inline ForceTerms EvaluateForce(const FlightState& st, SpinRoots roots) {
  ForceTerms t;
  kernel::EvaluateForce<kernel::ScalarOps>(ForceParamsOf(st, roots), st.vel[1], st.vel[2],
                                           st.vel[3], t);
  return t;
}

/// Fills `force`[1..3] for the velocity in `vel`[1..3] and the parameters in the
/// record. Leaves every other field, and `force`[0] and [4], as they are.
inline void ComputeForces(FlightState& st, SpinRoots roots) {
  kernel::Force<kernel::ScalarOps>(ForceParamsOf(st, roots), st.vel[1], st.vel[2], st.vel[3],
                                   &st.force[1]);
}

inline ForceTerms EvaluateForce(const FlightState& st) { return EvaluateForce(st, RootsOfSpins(st)); }
inline void ComputeForces(FlightState& st) { ComputeForces(st, RootsOfSpins(st)); }

}  // namespace vendrel
