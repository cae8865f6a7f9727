// Every combination of the nine parameters at their minimum, maximum and default ends
// in a defined way, and drawing its last segment is safe.
#include <chrono>
#include <cmath>

#include <gtest/gtest.h>

#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "platform/gdi.h"
#include "ui/trajectory_view.h"

namespace vendrel {
namespace {

TEST(ParameterRange, EveryCornerEndsInADefinedWay) {
  const auto fields = ParametersOf(Model::Form);
  constexpr int kCombinations = 19683;  // 3^9
  constexpr std::int64_t kTickBound = 1000;
  PixelBuffer surface = MakeSurface(view::kClientWidth, view::kClientHeight);
  CDC dc(&surface);
  CPen pen;
  view::CreateLinePen(pen);
  dc.SelectObject(&pen);

  int ends[3] = {0, 0, 0};
  for (int combo = 0; combo < kCombinations; ++combo) {
    FlightForm form = DefaultForm();
    int rest = combo;
    for (const Parameter& f : fields) {
      const double choices[3] = {f.min, f.max, f.defaultValue};
      form.*(f.form) = choices[rest % 3];
      rest /= 3;
    }
    const FlightOutcome out = RunFlight(form, kTickBound);
    ++ends[static_cast<int>(out.end)];
    const double z = out.landing[3];
    switch (out.end) {
      case FlightEnd::Ground:
        ASSERT_LT(z, 0.0) << combo;
        ASSERT_GE(out.ticks, 2) << "the first tick never lands: " << combo;
        break;
      case FlightEnd::NotANumber:
        ASSERT_TRUE(std::isnan(z)) << combo;
        break;
      case FlightEnd::MaxTicks:
        ASSERT_EQ(out.ticks, kTickBound) << combo;
        ASSERT_GE(z, 0.0) << combo;
        break;
    }
    if (out.carryChanged) {
      ASSERT_TRUE(std::isfinite(out.carry)) << combo;
      ASSERT_EQ(out.carry, std::trunc(out.carry)) << combo;
      ASSERT_GE(out.carry, 0.0) << combo;
    }
    view::DrawAxes(dc);
    view::DrawSegment(dc, out.state.pos, out.state.posNext);
  }
  // All three endings occur over the corners.
  EXPECT_GT(ends[0], 0);
  EXPECT_GT(ends[1], 0);
  EXPECT_GT(ends[2], 0);
}

}  // namespace
}  // namespace vendrel
