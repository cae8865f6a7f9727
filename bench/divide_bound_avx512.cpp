// The divide unit's pace, and the ball's bare lane steps, on the avx512 registers; this unit
// alone is compiled for them.
#include "bench/ball_lane_steps.h"
#include "bench/divide_bound.h"
#include "flight/lanes_ops.h"

namespace vendrel::bench {

#if defined(__AVX512F__)
void DivideBoundAvx512(std::int64_t steps, double* sink) { DivideBoundLoop<lanes::Avx512Ops>(steps, sink); }
void BallDivideBoundAvx512(bool wind, std::int64_t steps, double* sink) {
  BallDivideBoundLoop<lanes::Avx512Ops>(wind, steps, sink);
}
void BallLaneStepsAvx512(const kernel::BallConsts<double>& c, const double* v0, double u0, int stepsPerFlight,
                         std::int64_t passes, double* sink) {
  BallLaneStepsLoop<lanes::Avx512Ops, lanes::kBallRegisters>(c, v0, u0, stepsPerFlight, passes, sink);
}
#endif

}  // namespace vendrel::bench
