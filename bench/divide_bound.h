#pragma once
// The pace the divide unit allows: the divisions and square roots of one lane-step of
// the flight (42 and 9, none of which any reordering may remove), made independent of
// each other so that nothing but the unit's throughput limits them. A sweep cannot
// step its lanes faster than this on the same registers.

#include <cstdint>

namespace vendrel::bench {

inline constexpr int kDivisionsPerLaneStep = 42;
inline constexpr int kRootsPerLaneStep = 9;

/// `steps` lane-steps' worth of divisions and roots in every lane of Ops::V: seven
/// chains of six divisions and three of three roots a pass, the chains independent.
/// Writes a value of every chain to `sink` so that none can be left out.
template <class Ops>
void DivideBoundLoop(std::int64_t steps, double* sink) {
  using V = typename Ops::V;
  // Read at run time: c / (c / y) can round back to y exactly, and a compiler that
  // knew c would fold every chain to a constant.
  volatile double cIn = 3.1415926535897931, eIn = 2.7182818284590451;
  const V c = Ops::Splat(cIn);
  const V e = Ops::Splat(eIn);
  // Quotients c / y alternate between two values with full mantissas, as do the roots
  // of e·z on their way to e: no operand lets the unit take a shortcut.
  V d0 = Ops::Splat(1.1), d1 = Ops::Splat(1.2), d2 = Ops::Splat(1.3), d3 = Ops::Splat(1.4),
    d4 = Ops::Splat(1.5), d5 = Ops::Splat(1.6), d6 = Ops::Splat(1.7);
  V r0 = Ops::Splat(1.9), r1 = Ops::Splat(2.1), r2 = Ops::Splat(2.3);
  for (std::int64_t i = 0; i < steps; ++i) {
    for (int k = 0; k < 6; ++k) {
      d0 = c / d0;
      d1 = c / d1;
      d2 = c / d2;
      d3 = c / d3;
      d4 = c / d4;
      d5 = c / d5;
      d6 = c / d6;
    }
    for (int k = 0; k < 3; ++k) {
      r0 = Ops::Sqrt(e * r0);
      r1 = Ops::Sqrt(e * r1);
      r2 = Ops::Sqrt(e * r2);
    }
  }
  static_assert(7 * 6 == kDivisionsPerLaneStep && 3 * 3 == kRootsPerLaneStep);
  const V all = d0 + d1 + d2 + d3 + d4 + d5 + d6 + r0 + r1 + r2;
  double lanes[Ops::kLanes];
  Ops::Store(lanes, all);
  for (int i = 0; i < Ops::kLanes; ++i) sink[0] += lanes[i];
}

// Each instruction set's loop, from a unit compiled for it; `steps` passes of the
// register, Ops::kLanes lane-steps each.
void DivideBoundAvx2(std::int64_t steps, double* sink);
void DivideBoundAvx512(std::int64_t steps, double* sink);

/// The ball model's lane-step: one division and one root per force evaluation (four
/// each), and three roots more for the wind's height profile. As above, the chains
/// are independent: one chain per operation of a lane-step.
inline constexpr int kBallDivisionsPerLaneStep = 4;
inline constexpr int kBallRootsPerLaneStep = 4;
inline constexpr int kBallWindRootsPerLaneStep = 3;

template <class Ops, int kRoots>
void BallDivideBoundLoop(std::int64_t steps, double* sink) {
  using V = typename Ops::V;
  volatile double cIn = 3.1415926535897931, eIn = 2.7182818284590451;
  const V c = Ops::Splat(cIn);
  const V e = Ops::Splat(eIn);
  V d[kBallDivisionsPerLaneStep], r[kRoots];
  for (int k = 0; k < kBallDivisionsPerLaneStep; ++k) d[k] = Ops::Splat(1.1 + 0.1 * k);
  for (int k = 0; k < kRoots; ++k) r[k] = Ops::Splat(1.9 + 0.2 * k);
  for (std::int64_t i = 0; i < steps; ++i) {
    for (int k = 0; k < kBallDivisionsPerLaneStep; ++k) d[k] = c / d[k];
    for (int k = 0; k < kRoots; ++k) r[k] = Ops::Sqrt(e * r[k]);
  }
  V all = d[0];
  for (int k = 1; k < kBallDivisionsPerLaneStep; ++k) all = all + d[k];
  for (int k = 0; k < kRoots; ++k) all = all + r[k];
  double lanes[Ops::kLanes];
  Ops::Store(lanes, all);
  for (int i = 0; i < Ops::kLanes; ++i) sink[0] += lanes[i];
}

template <class Ops>
void BallDivideBoundLoop(bool wind, std::int64_t steps, double* sink) {
  if (wind) {
    BallDivideBoundLoop<Ops, kBallRootsPerLaneStep + kBallWindRootsPerLaneStep>(steps, sink);
  } else {
    BallDivideBoundLoop<Ops, kBallRootsPerLaneStep>(steps, sink);
  }
}

void BallDivideBoundAvx2(bool wind, std::int64_t steps, double* sink);
void BallDivideBoundAvx512(bool wind, std::int64_t steps, double* sink);

}  // namespace vendrel::bench
