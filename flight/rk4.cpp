#include "flight/rk4.h"

#include "flight/force_model.h"

namespace vendrel {

void StepRK4(FlightState& st) {
  double v[4], a1[4], a2[4], a3[4], a4[4], p2[4], p3[4], p4[4];
  const double m = st.mass;
  const double dt = st.dt;
  const SpinRoots roots = RootsOfSpins(st);

  for (int i = 1; i <= 3; ++i) {
    v[i] = st.vel[i];
    a1[i] = st.force[i] / m;
  }
  // Each stage velocity is built on the start velocity v, and the force is
  // evaluated only once all three components of `vel` hold it.
  for (int i = 1; i <= 3; ++i) p2[i] = st.vel[i] = (a1[i] * dt) / 2.0 + v[i];
  ComputeForces(st, roots);
  for (int i = 1; i <= 3; ++i) a2[i] = st.force[i] / m;

  for (int i = 1; i <= 3; ++i) p3[i] = st.vel[i] = (a2[i] * dt) / 2.0 + v[i];
  ComputeForces(st, roots);
  for (int i = 1; i <= 3; ++i) a3[i] = st.force[i] / m;

  for (int i = 1; i <= 3; ++i) p4[i] = st.vel[i] = a3[i] * dt + v[i];
  ComputeForces(st, roots);
  for (int i = 1; i <= 3; ++i) a4[i] = st.force[i] / m;

  for (int i = 1; i <= 3; ++i) {
    const double sumA = 2.0 * a3[i] + 2.0 * a2[i] + a4[i] + a1[i];
    st.velNext[i] = (sumA * dt) / 6.0 + v[i];
    const double sumP = 2.0 * p3[i] + 2.0 * p2[i] + p4[i] + v[i];  // p1 is v
    st.posNext[i] = (sumP * dt) / 6.0 + st.pos[i];
  }
}

}  // namespace vendrel
