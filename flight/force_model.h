#pragma once
// The force on the ball: gravity, the back-spin and side-spin forces, and drag.
// It depends only on the velocity and six parameters of the flight state; spins
// enter in rpm and the mass in grams, as the form gives them.

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

/// Evaluates the force for the velocity in `st.vel` without touching the record.
ForceTerms EvaluateForce(const FlightState& st);

/// Fills `force`[1..3] for the velocity in `vel`[1..3] and the parameters in the
/// record. Leaves every other field, and `force`[0] and [4], as they are.
void ComputeForces(FlightState& st);

}  // namespace vendrel
