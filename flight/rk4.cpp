#include "flight/rk4.h"

#include "flight/force_model.h"

namespace vendrel {

void StepRK4(FlightState& st) {
  const kernel::StepParams<double> q{ForceParamsOf(st, RootsOfSpins(st)), st.mass, st.dt};
  const Vec5 v = st.vel;
  kernel::StepRK4<kernel::ScalarOps>(q, &v[1], &st.pos[1], &st.force[1], &st.vel[1],
                                     &st.velNext[1], &st.posNext[1]);
}

}  // namespace vendrel
