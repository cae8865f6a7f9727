// The kernel's lane operations on avx512 registers; this unit alone is compiled for them.
#include "flight/lanes_loop.h"
#include "flight/lanes_ops.h"
#include "tests/lanes/lane_ops_isa.h"

namespace vendrel::test {

#if defined(__AVX512F__)
void LaneOpsAvx512(const double* a, const double* b, int n, const LaneOpsOut& out) {
  ApplyLaneOps<lanes::GroupOps<lanes::Avx512Ops, 2>>(a, b, n, out);
}
#endif

}  // namespace vendrel::test
