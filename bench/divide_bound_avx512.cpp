// The divide unit's pace on the avx512 registers; this unit alone is compiled for them.
#include "bench/divide_bound.h"
#include "flight/lanes_ops.h"

namespace vendrel::bench {

#if defined(__AVX512F__)
void DivideBoundAvx512(std::int64_t steps, double* sink) { DivideBoundLoop<lanes::Avx512Ops>(steps, sink); }
void BallDivideBoundAvx512(bool wind, std::int64_t steps, double* sink) {
  BallDivideBoundLoop<lanes::Avx512Ops>(wind, steps, sink);
}
#endif

}  // namespace vendrel::bench
