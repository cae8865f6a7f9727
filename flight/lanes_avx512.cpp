// The lanes, and batches of ball landings, on 512-bit registers. This unit alone is
// compiled for AVX-512; it is entered only once the processor has been found to have it.
#include "flight/ball_landing.h"
#include "flight/lanes_loop.h"
#include "flight/lanes_ops.h"

namespace vendrel::lanes {

#if defined(__AVX512F__)
void RunPacksAvx512(LaneBlock<kAvx512Lanes>& b, std::int64_t maxTicks, LaneFeed& feed) {
  RunPacks<GroupOps<Avx512Ops, kAvx512Lanes / Avx512Ops::kLanes>>(b, maxTicks, feed);
}

void RunBallPacksAvx512(BallLaneBlock<kBallAvx512Lanes>& b, LaneFeed& feed, bool wind) {
  if (wind) {
    RunBallPacks<Avx512Ops, kBallRegisters, true>(b, feed);
  } else {
    RunBallPacks<Avx512Ops, kBallRegisters, false>(b, feed);
  }
}
#endif

}  // namespace vendrel::lanes

namespace vendrel::landing {

#if defined(__AVX512F__)
void GroundFractionsAvx512(Batch& b) {
  GroundFractions<lanes::GroupOps<lanes::Avx512Ops, kBatch / lanes::Avx512Ops::kLanes>>(b);
}
#endif

}  // namespace vendrel::landing
