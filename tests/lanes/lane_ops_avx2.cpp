// The kernel's lane operations on avx2 registers; this unit alone is compiled for them.
#include "flight/lanes_loop.h"
#include "flight/lanes_ops.h"
#include "tests/lanes/lane_ops_isa.h"

namespace vendrel::test {

#if defined(__AVX2__)
void LaneOpsAvx2(const double* a, const double* b, int n, const LaneOpsOut& out) {
  ApplyLaneOps<lanes::GroupOps<lanes::Avx2Ops, 2>>(a, b, n, out);
}
#endif

}  // namespace vendrel::test
