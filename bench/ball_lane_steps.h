#pragma once
// The ball's steps in the lanes with nothing else: no landings, launches or feeding. A
// sweep's ratio to the divide unit's pace can never beat this loop's, so the two
// together tell the step's own share from what each shot adds.

#include <cstdint>

#include "flight/flight_kernel.h"
#include "flight/lanes_loop.h"

namespace vendrel::bench {

/// `passes` calm steps of every lane of K registers of Inner from the launch `l`, stepped
/// as the sweep steps them (lanes::StepBallRegisters), each lane's speed a little apart so
/// that no register repeats another; every lane starts over after `stepsPerFlight`
/// steps, as a sweep's flights do.
template <class Inner, int K>
void BallLaneStepsLoop(const kernel::BallConsts<double>& one, const double* v0, double u0,
                       int stepsPerFlight, std::int64_t passes, double* sink) {
  using V = typename Inner::V;
  constexpr int L = Inner::kLanes;
  constexpr int N = K * L;
  alignas(64) double column[lanes::kBallConstCount][N];
  for (int i = 0; i < lanes::kBallConstCount; ++i) {
    for (int j = 0; j < N; ++j) column[i][j] = *lanes::BallConstSlot(one, i);
  }
  alignas(64) double start[4][N];
  for (int j = 0; j < N; ++j) {
    for (int k = 0; k < 3; ++k) start[k][j] = v0[k] * (1.0 + 0.001 * j);
    start[3][j] = u0;
  }
  kernel::BallConsts<V> c[K];
  const V zero = Inner::Splat(0.0);
  V v[K][3], p[K][3], u[K];
  for (int k = 0; k < K; ++k) {
    for (int i = 0; i < lanes::kBallConstCount; ++i) *lanes::BallConstSlot(c[k], i) = Inner::Load(column[i] + k * L);
    for (int i = 0; i < 3; ++i) {
      v[k][i] = Inner::Load(start[i] + k * L);
      p[k][i] = zero;
    }
    u[k] = Inner::Load(start[3] + k * L);
  }
  V total = zero;
  int left = stepsPerFlight;
  for (std::int64_t pass = 1; pass <= passes; ++pass) {
    if (--left == 0) {
      left = stepsPerFlight;
      for (int k = 0; k < K; ++k) {
        for (int i = 0; i < 3; ++i) {
          total = total + p[k][i];
          v[k][i] = Inner::Load(start[i] + k * L);
          p[k][i] = zero;
        }
        u[k] = Inner::Load(start[3] + k * L);
      }
    }
    kernel::BallStep<Inner, false> st[K];
    for (int k = 0; k < K; ++k) st[k].Start(c[k], v[k], p[k], u[k]);
    lanes::StepBallRegisters<Inner, false, K>(c, st);
    for (int k = 0; k < K; ++k) {
      for (int i = 0; i < 3; ++i) {
        v[k][i] = st[k].vNext[i];
        p[k][i] = st[k].pNext[i];
      }
      u[k] = st[k].u[2];
    }
  }
  for (int k = 0; k < K; ++k) total = total + p[k][0] + p[k][1] + p[k][2];
  alignas(64) double out[L];
  Inner::Store(out, total);
  for (int j = 0; j < L; ++j) sink[0] += out[j];
}

// Each instruction set's loop on the registers a thread keeps (lanes::kBallRegisters).
void BallLaneStepsAvx2(const kernel::BallConsts<double>& c, const double* v0, double u0, int stepsPerFlight,
                       std::int64_t passes, double* sink);
void BallLaneStepsAvx512(const kernel::BallConsts<double>& c, const double* v0, double u0, int stepsPerFlight,
                         std::int64_t passes, double* sink);

}  // namespace vendrel::bench
