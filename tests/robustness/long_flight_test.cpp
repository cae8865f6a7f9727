// A flight of a million ticks keeps the command line's memory flat.
#include <gtest/gtest.h>

#include "tests/support/process.h"

namespace vendrel {
namespace {

TEST(LongFlight, PeakMemoryDoesNotGrowWithTheTicks) {
#ifdef VENDREL_SANITIZED
  GTEST_SKIP() << "resident memory means nothing under the sanitizers";
#endif
  // Lift far above gravity: the ball never comes down.
  const std::vector<std::string> base = {"--k", "10", "--format", "json", "--trajectory", "/dev/null"};
  auto shortRun = base, longRun = base;
  shortRun.insert(shortRun.end(), {"--max-ticks", "10000"});
  longRun.insert(longRun.end(), {"--max-ticks", "1000000"});
  const auto a = test::RunFlightTool(shortRun);
  const auto b = test::RunFlightTool(longRun);
  ASSERT_EQ(a.status, 3) << a.err;
  ASSERT_EQ(b.status, 3) << b.err;
  EXPECT_NE(b.out.find("\"ticks\": 1000000"), std::string::npos) << b.out;
  EXPECT_LE(b.peakRssKiB - a.peakRssKiB, 1024) << a.peakRssKiB << " KiB for 10,000 ticks, "
                                               << b.peakRssKiB << " KiB for 1,000,000";
}

}  // namespace
}  // namespace vendrel
