// The kernel's minimum, maximum and floor give a lone double's
// values on every instruction set's registers, at the values where the instructions'
// own rules could differ from the comparisons they stand for: NaN on either side,
// zeros of both signs, infinities, the smallest subnormal, halves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "flight/flight_kernel.h"
#include "flight/lanes.h"
#include "tests/lanes/lane_ops_isa.h"

namespace vendrel::test {
namespace {

bool Same(double x, double y) {
  return (std::isnan(x) && std::isnan(y)) || std::memcmp(&x, &y, sizeof x) == 0;
}

TEST(LaneOps, EveryInstructionSetGivesTheScalarValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {std::numeric_limits<double>::quiet_NaN(), 0.0, -0.0, inf, -inf, 0.75, -0.5,
                           2.5, -2.5, 1.5, 4.9e-324, 1e308, -1e308, 9007199254740993.0, 3.0, 1e-300};
  std::vector<double> a, b;
  for (double x : values) {
    for (double y : values) {
      a.push_back(x);
      b.push_back(y);
    }
  }
  const int n = static_cast<int>(a.size());
  std::vector<double> out[3];
  for (auto& o : out) o.assign(a.size(), 0.0);
  const LaneOpsOut into{out[0].data(), out[1].data(), out[2].data()};
  std::vector<std::pair<LanePath, LaneOpsFn>> sets;
#if VENDREL_X86_LANES
  if (LanePathAvailable(LanePath::Avx2)) sets.emplace_back(LanePath::Avx2, LaneOpsAvx2);
  if (LanePathAvailable(LanePath::Avx512)) sets.emplace_back(LanePath::Avx512, LaneOpsAvx512);
#endif
  using S = kernel::ScalarOps;
  for (const auto& [path, ops] : sets) {
    ops(a.data(), b.data(), n, into);
    for (int i = 0; i < n; ++i) {
      const double want[3] = {S::Min(a[i], b[i]), S::Max(a[i], b[i]), S::Floor(a[i])};
      for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(Same(out[k][i], want[k]))
            << LanePathName(path) << " operation " << k << " of " << a[i] << ", " << b[i] << ": " << out[k][i]
            << " against " << want[k];
      }
    }
  }
}

}  // namespace
}  // namespace vendrel::test
