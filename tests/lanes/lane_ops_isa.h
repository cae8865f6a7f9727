#pragma once
// The kernel's per-lane operations on each instruction set's registers, applied over
// arrays for the tests: every unit that defines them is compiled for its set alone.

namespace vendrel::test {

/// For i < n (a multiple of 16): min[i] = Min(a[i], b[i]), max[i] = Max(a[i], b[i]),
/// floor[i] = Floor(a[i]).
struct LaneOpsOut {
  double* min;
  double* max;
  double* floor;
};
using LaneOpsFn = void (*)(const double* a, const double* b, int n, const LaneOpsOut& out);

void LaneOpsAvx2(const double* a, const double* b, int n, const LaneOpsOut& out);
void LaneOpsAvx512(const double* a, const double* b, int n, const LaneOpsOut& out);

template <class Ops>
void ApplyLaneOps(const double* a, const double* b, int n, const LaneOpsOut& out) {
  for (int i = 0; i < n; i += Ops::kLanes) {
    const auto x = Ops::Load(a + i), y = Ops::Load(b + i);
    Ops::Store(out.min + i, Ops::Min(x, y));
    Ops::Store(out.max + i, Ops::Max(x, y));
    Ops::Store(out.floor + i, Ops::Floor(x));
  }
}

}  // namespace vendrel::test
