// The divide unit's pace on the avx2 registers; this unit alone is compiled for them.
#include "bench/divide_bound.h"
#include "flight/lanes_ops.h"

namespace vendrel::bench {

#if defined(__AVX2__)
void DivideBoundAvx2(std::int64_t steps, double* sink) { DivideBoundLoop<lanes::Avx2Ops>(steps, sink); }
void BallDivideBoundAvx2(bool wind, std::int64_t steps, double* sink) {
  BallDivideBoundLoop<lanes::Avx2Ops>(wind, steps, sink);
}
#endif

}  // namespace vendrel::bench
