#pragma once
// The one feeder of a block of lanes, for either model: it fills the lanes, reports the
// flights that end and refills their lanes. A lane without a flight to take shadows a
// running lane, which keeps its arithmetic on ordinary values and makes it end together
// with that lane; its results are never reported.
//
// The model's side `M` supplies
//   M::Block                           the block RunPacks or RunBallPacks ticks
//   bool M::Take(Block&, int lane)     loads the next flight into the lane; false when none is left
//   void M::Copy(Block&, int to, int from)  makes lane `to` a copy of lane `from`
//   void M::Report(Block&, int lane)   hands on the outcome of the lane's ended flight
//   bool M::Stopped()                  whether the run is to end at once

#include <cstdint>

#include "flight/lanes_loop.h"

namespace vendrel::lanes {

template <class M, int N>
class LaneFeeder final : public LaneFeed {
 public:
  explicit LaneFeeder(M& model) : model_(model) {}

  /// Loads every lane; false when there was no flight at all.
  bool Fill() {
    for (int i = 0; i < N; ++i) active_[i] = Take(i);
    return Shadow();
  }

  int HandleEnded(std::uint64_t bits) override {
    if (Stopped()) return 0;
    for (int i = 0; i < N; ++i) {
      if (!(bits >> i & 1) || !active_[i]) continue;
      model_.Report(block, i);
      active_[i] = Take(i);
    }
    if (!Shadow()) return 0;
    int n = 0;
    for (int i = 0; i < N; ++i) n += active_[i] ? 1 : 0;
    return n;
  }

  bool Stopped() override { return model_.Stopped(); }

  typename M::Block block{};

 private:
  bool Take(int lane) {
    if (exhausted_) return false;
    if (!model_.Take(block, lane)) exhausted_ = true;
    return !exhausted_;
  }

  // Points every idle lane at a running one; false when none runs.
  bool Shadow() {
    int live = -1;
    for (int i = 0; i < N && live < 0; ++i) {
      if (active_[i]) live = i;
    }
    if (live < 0) return false;
    for (int i = 0; i < N; ++i) {
      if (!active_[i]) model_.Copy(block, i, live);
    }
    return true;
  }

  M& model_;
  bool exhausted_ = false;
  bool active_[N]{};
};

}  // namespace vendrel::lanes
