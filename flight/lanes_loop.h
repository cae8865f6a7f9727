#pragma once
// Whole flights in the lanes of vector registers: the loop that ticks a block of lanes
// through the flight kernel until flights end, and the data it shares with whoever
// feeds it. Each instruction set instantiates RunPacks in its own translation unit,
// compiled for that instruction set. Every function here is a template over the
// instruction set's operations, so no unit's copy can stand in for another's; for the
// same reason RunPacks calls nothing from the standard library.
//
// Besides the kernel's operations, the operations type supplies
//   Ops::kLanes                       flights per V
//   Ops::Load(const double*)          a V from kLanes consecutive doubles
//   Ops::Store(double*, V)            the reverse
//   Ops::Bits(mask)                   bit i set where lane i of the mask holds

#include <cstddef>
#include <cstdint>
#include <utility>

#include "flight/flight_kernel.h"

namespace vendrel::lanes {

/// The lanes of one block, one array per quantity. Between ticks `v`, `p` and `f` hold
/// the start of the next step; `landing` the position the last tick's step started
/// from, which is what a flight that has just ended reports.
template <int N>
struct LaneBlock {
  alignas(64) double v[3][N];
  alignas(64) double p[3][N];
  alignas(64) double f[3][N];
  alignas(64) double landing[3][N];
  alignas(64) double m[N];
  alignas(64) double dt[N];
  alignas(64) double negMg[N];
  alignas(64) double rbK[N];
  alignas(64) double rsK[N];
  alignas(64) double kp[N];
  alignas(64) double apex[N];
  alignas(64) std::int64_t ticks[N];
};

/// Whoever hands flights to a block and takes their outcomes.
class LaneFeed {
 public:
  /// Reports the flights of the lanes whose bit is set and puts new ones (or copies of
  /// running ones) into them; returns the number of lanes still flying.
  virtual int HandleEnded(std::uint64_t bits) = 0;
  /// Whether the block is to end at once, its flights left unreported; asked every
  /// kLookPasses passes. Defined beside the runners, outside every instruction set's
  /// unit.
  virtual bool Stopped();

 protected:
  ~LaneFeed() = default;
};

/// Several registers' worth of flights as one number: every operation is written out
/// for each register in turn, so that the registers' independent chains of divisions
/// and square roots interleave and keep the divide unit busy.
template <class Inner, int K>
struct GroupOps {
  using IV = typename Inner::V;
  using IM = decltype(IV{} != IV{});
  static constexpr int kLanes = Inner::kLanes * K;
  using Seq = std::make_integer_sequence<int, K>;

  template <class T>
  struct Group {
    T r[K];

    template <class Fn, int... I>
    [[gnu::always_inline]] static auto Map(Fn fn, const Group& a, const Group& b,
                                           std::integer_sequence<int, I...>) {
      return Group<decltype(fn(a.r[0], b.r[0]))>{{fn(a.r[I], b.r[I])...}};
    }
    template <int... I>
    [[gnu::always_inline]] static Group Negate(const Group& a, std::integer_sequence<int, I...>) {
      return {{-a.r[I]...}};
    }

    friend Group operator+(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x + y; }, a, b, Seq{});
    }
    friend Group operator-(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x - y; }, a, b, Seq{});
    }
    friend Group operator*(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x * y; }, a, b, Seq{});
    }
    friend Group operator/(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x / y; }, a, b, Seq{});
    }
    friend Group operator-(const Group& a) { return Negate(a, Seq{}); }
    friend auto operator!=(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x != y; }, a, b, Seq{});
    }
    friend auto operator>(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x > y; }, a, b, Seq{});
    }
    friend auto operator>=(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x >= y; }, a, b, Seq{});
    }
    friend auto operator<(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x < y; }, a, b, Seq{});
    }
    friend auto operator==(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x == y; }, a, b, Seq{});
    }
    friend Group operator&(const Group& a, const Group& b) {
      return Map([](const T& x, const T& y) { return x & y; }, a, b, Seq{});
    }
  };
  using V = Group<IV>;
  using Mask = Group<IM>;

  template <int... I>
  static V Splat(double x, std::integer_sequence<int, I...>) {
    return {{((void)I, Inner::Splat(x))...}};
  }
  static V Splat(double x) { return Splat(x, Seq{}); }

  template <int... I>
  static V Sqrt(const V& a, std::integer_sequence<int, I...>) {
    return {{Inner::Sqrt(a.r[I])...}};
  }
  static V Sqrt(const V& a) { return Sqrt(a, Seq{}); }

  template <int... I>
  static V Select(const Mask& m, const V& a, const V& b, std::integer_sequence<int, I...>) {
    return {{Inner::Select(m.r[I], a.r[I], b.r[I])...}};
  }
  static V Select(const Mask& m, const V& a, const V& b) { return Select(m, a, b, Seq{}); }

  template <int... I>
  static V Min(const V& a, const V& b, std::integer_sequence<int, I...>) {
    return {{Inner::Min(a.r[I], b.r[I])...}};
  }
  static V Min(const V& a, const V& b) { return Min(a, b, Seq{}); }
  template <int... I>
  static V Max(const V& a, const V& b, std::integer_sequence<int, I...>) {
    return {{Inner::Max(a.r[I], b.r[I])...}};
  }
  static V Max(const V& a, const V& b) { return Max(a, b, Seq{}); }
  template <int... I>
  static V Floor(const V& a, std::integer_sequence<int, I...>) {
    return {{Inner::Floor(a.r[I])...}};
  }
  static V Floor(const V& a) { return Floor(a, Seq{}); }

  // Each register's root, then its quotient, in program order: the divide unit takes the
  // oldest work that is ready, so the first register's quotient goes ahead of the later
  // registers' roots and its chain resumes sooner.
  [[gnu::always_inline]] static void SqrtDivide(const V& x, const V& n, V& r, V& q) {
    for (int k = 0; k < K; ++k) {
      r.r[k] = Inner::Sqrt(x.r[k]);
      q.r[k] = n.r[k] / r.r[k];
    }
  }

  template <int... I>
  static V Load(const double* src, std::integer_sequence<int, I...>) {
    return {{Inner::Load(src + I * Inner::kLanes)...}};
  }
  static V Load(const double* src) { return Load(src, Seq{}); }

  static void Store(double* dst, const V& a) {
    for (int k = 0; k < K; ++k) Inner::Store(dst + k * Inner::kLanes, a.r[k]);
  }
  static std::uint64_t Bits(const Mask& m) {
    std::uint64_t bits = 0;
    for (int k = 0; k < K; ++k) bits |= Inner::Bits(m.r[k]) << (k * Inner::kLanes);
    return bits;
  }
};

/// Passes between asking the feed whether to stop: kStopLookTicks of
/// flight/stop_request.h, which is no business of this header.
inline constexpr std::int64_t kLookPasses = 4096;

/// Ticks every lane of `b` until the feed has no flights left or asks to stop. Each pass
/// of the loop is one tick of every lane: the step, the apex, and the run control's
/// landing test on the height the step started from. A lane also ends once it has had
/// `maxTicks` ticks (at least 1).
template <class Ops, int N>
void RunPacks(LaneBlock<N>& b, std::int64_t maxTicks, LaneFeed& feed) {
  static_assert(N == Ops::kLanes && N <= 64);
  using V = typename Ops::V;
  constexpr std::uint64_t kAll = N == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << N) - 1;
  const V zero = Ops::Splat(0.0);
  for (;;) {
    kernel::StepParams<V> q{{Ops::Load(b.rbK), Ops::Load(b.rsK), Ops::Load(b.kp), Ops::Load(b.negMg)},
                            Ops::Load(b.m),
                            Ops::Load(b.dt)};
    V v[3], p[3], f[3];
    for (int c = 0; c < 3; ++c) {
      v[c] = Ops::Load(b.v[c]);
      p[c] = Ops::Load(b.p[c]);
      f[c] = Ops::Load(b.f[c]);
    }
    V apex = Ops::Load(b.apex);
    // Ticks count once per pass for the whole block; a lane's count is its count at
    // load plus the passes since. The first pass at which some lane runs out of ticks:
    std::int64_t passLimit = maxTicks;
    for (int i = 0; i < N; ++i) {
      if (maxTicks - b.ticks[i] < passLimit) passLimit = maxTicks - b.ticks[i];
    }
    // One test of the pass count a pass covers both the tick bounds and the looks at
    // the feed's stop.
    std::int64_t look = passLimit < kLookPasses ? passLimit : kLookPasses;
    for (std::int64_t pass = 1;; ++pass) {
      V v4[3], vn[3], pn[3];
      kernel::StepRK4<Ops>(q, v, p, f, v4, vn, pn);
      apex = Ops::Select(p[2] > apex, p[2], apex);
      // Landed (the height is not >= 0, NaN included) or out of ticks.
      std::uint64_t ended = ~Ops::Bits(p[2] >= zero) & kAll;
      if (pass >= look) {
        if (pass >= passLimit) {
          for (int i = 0; i < N; ++i) {
            if (pass >= maxTicks - b.ticks[i]) ended |= std::uint64_t{1} << i;
          }
        } else {
          if (feed.Stopped()) return;
          look = passLimit - pass > kLookPasses ? pass + kLookPasses : passLimit;
        }
      }
      if (ended == 0) {
        for (int c = 0; c < 3; ++c) {
          v[c] = vn[c];
          p[c] = pn[c];
        }
        continue;
      }
      for (int c = 0; c < 3; ++c) {
        Ops::Store(b.landing[c], p[c]);
        Ops::Store(b.v[c], vn[c]);
        Ops::Store(b.p[c], pn[c]);
        Ops::Store(b.f[c], f[c]);
      }
      Ops::Store(b.apex, apex);
      for (int i = 0; i < N; ++i) b.ticks[i] += pass;
      if (feed.HandleEnded(ended) == 0) return;
      break;  // lanes were refilled: load the block again
    }
  }
}

// Flights in flight per thread on each path: registers enough that the divide unit
// never waits for one register's chain of dependent divisions (three vector registers,
// four lone doubles: fewer left the unit idle a tenth or more of the time, more gained
// nothing).
inline constexpr int kScalarLanes = 4;
inline constexpr int kAvx2Lanes = 3 * 4;
inline constexpr int kAvx512Lanes = 3 * 8;

// RunPacks for each instruction set, each compiled for it in its own unit.
void RunPacksAvx2(LaneBlock<kAvx2Lanes>& b, std::int64_t maxTicks, LaneFeed& feed);
void RunPacksAvx512(LaneBlock<kAvx512Lanes>& b, std::int64_t maxTicks, LaneFeed& feed);

// ---- The ball model's flights ----

/// The ball model's constants in the order BallConstsOf loads them.
inline constexpr int kBallConstCount = 22;
inline constexpr int kBallDtSlot = 12;  ///< where BallConstSlot keeps dt
inline constexpr int kBallAxSlot = 8;   ///< and ax, ay, az from here

template <class V>
[[gnu::always_inline]] inline V* BallConstSlot(kernel::BallConsts<V>& c, int i) {
  V* const slots[kBallConstCount] = {&c.k,   &c.cd0,       &c.cd1,       &c.cd2,     &c.cl0, &c.cl1,
                                     &c.cl2, &c.cap,       &c.ax,        &c.ay,      &c.az,  &c.negG,
                                     &c.dt,  &c.halfDt,    &c.sixthDt,   &c.decayHalf,
                                     &c.decayFull, &c.wx,  &c.wy,        &c.invHeight,
                                     &c.crisis, &c.reScale};
  return slots[i];
}

/// The lanes of one block of ball flights. Between ticks `v`, `p`, `u` hold the start
/// of the next step; when a flight ends, `v0`/`p0` the start of its last step and
/// `v`/`p` its end.
template <int N>
struct BallLaneBlock {
  alignas(64) double consts[kBallConstCount][N];
  alignas(64) double v[3][N];
  alignas(64) double p[3][N];
  alignas(64) double v0[3][N];
  alignas(64) double p0[3][N];
  alignas(64) double u[N];
  alignas(64) double apex[N];
  std::int64_t ticks[N];
  std::int64_t maxTicks[N];
};

/// Ticks every lane of `b` until the feed has no flights left; a lane ends when its
/// step ends below the ground (or not a number) or after its own `maxTicks`.
template <class Ops, bool kWind, int N>
void RunBallPacks(BallLaneBlock<N>& b, LaneFeed& feed) {
  static_assert(N == Ops::kLanes && N <= 64);
  using V = typename Ops::V;
  constexpr std::uint64_t kAll = N == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << N) - 1;
  const V zero = Ops::Splat(0.0);
  for (;;) {
    kernel::BallConsts<V> c;
    for (int i = 0; i < kBallConstCount; ++i) *BallConstSlot(c, i) = Ops::Load(b.consts[i]);
    V v[3], p[3];
    for (int k = 0; k < 3; ++k) {
      v[k] = Ops::Load(b.v[k]);
      p[k] = Ops::Load(b.p[k]);
    }
    V u = Ops::Load(b.u);
    V apex = Ops::Load(b.apex);
    std::int64_t passLimit = b.maxTicks[0] - b.ticks[0];
    for (int i = 1; i < N; ++i) {
      if (b.maxTicks[i] - b.ticks[i] < passLimit) passLimit = b.maxTicks[i] - b.ticks[i];
    }
    for (std::int64_t pass = 1;; ++pass) {
      V vn[3], pn[3], un;
      kernel::StepBall<Ops, kWind>(c, v, p, u, vn, pn, un);
      apex = Ops::Max(pn[2], apex);
      std::uint64_t ended = ~Ops::Bits(pn[2] >= zero) & kAll;
      if (pass >= passLimit) {
        for (int i = 0; i < N; ++i) {
          if (pass >= b.maxTicks[i] - b.ticks[i]) ended |= std::uint64_t{1} << i;
        }
      }
      if (ended == 0) {
        for (int k = 0; k < 3; ++k) {
          v[k] = vn[k];
          p[k] = pn[k];
        }
        u = un;
        continue;
      }
      for (int k = 0; k < 3; ++k) {
        Ops::Store(b.v0[k], v[k]);
        Ops::Store(b.p0[k], p[k]);
        Ops::Store(b.v[k], vn[k]);
        Ops::Store(b.p[k], pn[k]);
      }
      Ops::Store(b.u, un);
      Ops::Store(b.apex, apex);
      for (int i = 0; i < N; ++i) b.ticks[i] += pass;
      if (feed.HandleEnded(ended) == 0) return;
      break;
    }
  }
}

// Ball flights in flight per thread (one register a thread left the ball's chain of
// dependent operations waiting). The 256-bit divide unit is quick enough that three
// registers still left it idle between a stage's root and division and the next stage's
// (four stepped about 5 % faster); 512-bit registers run out of names first, and a
// fourth made the step slower.
inline constexpr int kBallScalarLanes = 4;
inline constexpr int kBallAvx2Lanes = 4 * 4;
inline constexpr int kBallAvx512Lanes = 3 * 8;

void RunBallPacksAvx2(BallLaneBlock<kBallAvx2Lanes>& b, LaneFeed& feed, bool wind);
void RunBallPacksAvx512(BallLaneBlock<kBallAvx512Lanes>& b, LaneFeed& feed, bool wind);

}  // namespace vendrel::lanes
