#pragma once
// The ball's steps in the lanes with nothing else: no landings, launches or feeding. A
// sweep's ratio to the divide unit's pace can never beat this loop's, so the two
// together tell the step's own share from what each shot adds.

#include <cstdint>

#include "flight/flight_kernel.h"
#include "flight/lanes_loop.h"

namespace vendrel::bench {

/// `passes` calm steps of every lane of Ops (a lanes::GroupOps) from the launch `l`, each
/// lane's speed a little apart so that no register repeats another; every lane starts
/// over after `stepsPerFlight` steps, as a sweep's flights do.
template <class Ops>
void BallLaneStepsLoop(const kernel::BallConsts<double>& one, const double* v0, double u0,
                       int stepsPerFlight, std::int64_t passes, double* sink) {
  using V = typename Ops::V;
  constexpr int N = Ops::kLanes;
  alignas(64) double column[lanes::kBallConstCount][N];
  kernel::BallConsts<double> copy = one;
  for (int i = 0; i < lanes::kBallConstCount; ++i) {
    for (int j = 0; j < N; ++j) column[i][j] = *lanes::BallConstSlot(copy, i);
  }
  alignas(64) double start[4][N];
  for (int j = 0; j < N; ++j) {
    for (int k = 0; k < 3; ++k) start[k][j] = v0[k] * (1.0 + 0.001 * j);
    start[3][j] = u0;
  }
  kernel::BallConsts<V> c;
  for (int i = 0; i < lanes::kBallConstCount; ++i) *lanes::BallConstSlot(c, i) = Ops::Load(column[i]);
  const V zero = Ops::Splat(0.0);
  V v[3] = {Ops::Load(start[0]), Ops::Load(start[1]), Ops::Load(start[2])};
  V p[3] = {zero, zero, zero};
  V u = Ops::Load(start[3]);
  V total = zero;
  int left = stepsPerFlight;
  for (std::int64_t pass = 1; pass <= passes; ++pass) {
    if (--left == 0) {
      left = stepsPerFlight;
      for (int k = 0; k < 3; ++k) {
        total = total + p[k];
        v[k] = Ops::Load(start[k]);
        p[k] = zero;
      }
      u = Ops::Load(start[3]);
    }
    V vn[3], pn[3], un;
    kernel::StepBall<Ops, false>(c, v, p, u, vn, pn, un);
    for (int k = 0; k < 3; ++k) {
      v[k] = vn[k];
      p[k] = pn[k];
    }
    u = un;
  }
  alignas(64) double out[N];
  Ops::Store(out, total + p[0] + p[1] + p[2]);
  for (int j = 0; j < N; ++j) sink[0] += out[j];
}

// Each instruction set's loop on the lanes a thread keeps (kBallAvx2Lanes, kBallAvx512Lanes).
void BallLaneStepsAvx2(const kernel::BallConsts<double>& c, const double* v0, double u0, int stepsPerFlight,
                       std::int64_t passes, double* sink);
void BallLaneStepsAvx512(const kernel::BallConsts<double>& c, const double* v0, double u0, int stepsPerFlight,
                         std::int64_t passes, double* sink);

}  // namespace vendrel::bench
