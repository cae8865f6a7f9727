// The divide unit's pace, and the ball's bare lane steps, on the avx2 registers; this unit
// alone is compiled for them.
#include "bench/ball_lane_steps.h"
#include "bench/divide_bound.h"
#include "flight/lanes_ops.h"

namespace vendrel::bench {

#if defined(__AVX2__)
void DivideBoundAvx2(std::int64_t steps, double* sink) { DivideBoundLoop<lanes::Avx2Ops>(steps, sink); }
void BallDivideBoundAvx2(bool wind, std::int64_t steps, double* sink) {
  BallDivideBoundLoop<lanes::Avx2Ops>(wind, steps, sink);
}
void BallLaneStepsAvx2(const kernel::BallConsts<double>& c, const double* v0, double u0, int stepsPerFlight,
                        std::int64_t passes, double* sink) {
  BallLaneStepsLoop<lanes::Avx2Ops, lanes::kBallRegisters>(c, v0, u0, stepsPerFlight, passes, sink);
}
#endif

}  // namespace vendrel::bench
