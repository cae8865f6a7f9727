// The lanes, and batches of ball landings, on 256-bit registers. This unit alone is
// compiled for AVX2; it is entered only once the processor has been found to have it.
#include "flight/ball_landing.h"
#include "flight/lanes_loop.h"
#include "flight/lanes_ops.h"

namespace vendrel::lanes {

#if defined(__AVX2__)
void RunPacksAvx2(LaneBlock<kAvx2Lanes>& b, std::int64_t maxTicks, LaneFeed& feed) {
  RunPacks<GroupOps<Avx2Ops, kAvx2Lanes / Avx2Ops::kLanes>>(b, maxTicks, feed);
}

void RunBallPacksAvx2(BallLaneBlock<kBallAvx2Lanes>& b, LaneFeed& feed, bool wind) {
  if (wind) {
    RunBallPacks<Avx2Ops, kBallRegisters, true>(b, feed);
  } else {
    RunBallPacks<Avx2Ops, kBallRegisters, false>(b, feed);
  }
}
#endif

}  // namespace vendrel::lanes

namespace vendrel::landing {

#if defined(__AVX2__)
void GroundFractionsAvx2(Batch& b) {
  GroundFractions<lanes::GroupOps<lanes::Avx2Ops, kBatch / lanes::Avx2Ops::kLanes>>(b);
}
#endif

}  // namespace vendrel::landing
