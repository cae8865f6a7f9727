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

/// The ball model's constants, a row of a block's `consts` each, in this order.
template <class V>
inline constexpr V kernel::BallConsts<V>::*kBallConstMembers[] = {
    &kernel::BallConsts<V>::k,         &kernel::BallConsts<V>::cd0,       &kernel::BallConsts<V>::cd1,
    &kernel::BallConsts<V>::cd2,       &kernel::BallConsts<V>::cl0,       &kernel::BallConsts<V>::cl1,
    &kernel::BallConsts<V>::cl2,       &kernel::BallConsts<V>::cap,       &kernel::BallConsts<V>::ax,
    &kernel::BallConsts<V>::ay,        &kernel::BallConsts<V>::az,        &kernel::BallConsts<V>::negG,
    &kernel::BallConsts<V>::dt,        &kernel::BallConsts<V>::halfDt,    &kernel::BallConsts<V>::sixthDt,
    &kernel::BallConsts<V>::decayHalf, &kernel::BallConsts<V>::decayFull, &kernel::BallConsts<V>::wx,
    &kernel::BallConsts<V>::wy,        &kernel::BallConsts<V>::invHeight, &kernel::BallConsts<V>::crisis,
    &kernel::BallConsts<V>::reScale};
inline constexpr int kBallConstCount =
    static_cast<int>(sizeof kBallConstMembers<double> / sizeof kBallConstMembers<double>[0]);
static_assert(sizeof(kernel::BallConsts<double>) == kBallConstCount * sizeof(double), "every constant has a row");

/// The row that holds the constant `m`.
constexpr int BallConstRow(double kernel::BallConsts<double>::*m) {
  for (int i = 0; i < kBallConstCount; ++i) {
    if (kBallConstMembers<double>[i] == m) return i;
  }
  return -1;
}
inline constexpr int kBallDtRow = BallConstRow(&kernel::BallConsts<double>::dt);
inline constexpr int kBallAxisRows[3] = {BallConstRow(&kernel::BallConsts<double>::ax),
                                         BallConstRow(&kernel::BallConsts<double>::ay),
                                         BallConstRow(&kernel::BallConsts<double>::az)};

// A constant table of members, not one of addresses built at every call: refilling a
// block loads every constant of every register.
template <class V>
[[gnu::always_inline]] inline V* BallConstSlot(kernel::BallConsts<V>& c, int i) {
  return &(c.*kBallConstMembers<V>[i]);
}
template <class V>
[[gnu::always_inline]] inline const V* BallConstSlot(const kernel::BallConsts<V>& c, int i) {
  return &(c.*kBallConstMembers<V>[i]);
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

/// The steps of K registers of ball flights, their stages staggered: slot i puts the
/// root and division of register i mod K's stage i / K into the divide unit, then does
/// the rest of the slot before's stage. While one register waits on the divide unit,
/// the others' arithmetic goes on, and what waits is never more than a stage's work:
/// taking every register's stage at once filled the processor's window with work that
/// waited on the divisions, and the unit stood idle between stages.
template <class Inner, bool kWind, int K, int I = 0>
[[gnu::always_inline]] inline void StepBallRegisters(const kernel::BallConsts<typename Inner::V>* c,
                                                     kernel::BallStep<Inner, kWind>* st) {
  if constexpr (I < 4 * K) st[I % K].template Root<I / K>();
  if constexpr (I > 0) st[(I - 1) % K].template Finish<(I - 1) / K>(c[(I - 1) % K]);
  if constexpr (I < 4 * K) StepBallRegisters<Inner, kWind, K, I + 1>(c, st);
}

/// Ticks every lane of `b` (K registers of Inner) until the feed has no flights left; a
/// lane ends when its step ends below the ground (or not a number) or after its own
/// `maxTicks`.
template <class Inner, int K, bool kWind, int N>
void RunBallPacks(BallLaneBlock<N>& b, LaneFeed& feed) {
  constexpr int L = Inner::kLanes;
  static_assert(N == K * L && N <= 64);
  using V = typename Inner::V;
  constexpr std::uint64_t kRegister = L == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << L) - 1;
  const V zero = Inner::Splat(0.0);
  for (;;) {
    kernel::BallConsts<V> c[K];
    V v[K][3], p[K][3], u[K], apex[K];
    for (int k = 0; k < K; ++k) {
      for (int i = 0; i < kBallConstCount; ++i) *BallConstSlot(c[k], i) = Inner::Load(b.consts[i] + k * L);
      for (int i = 0; i < 3; ++i) {
        v[k][i] = Inner::Load(b.v[i] + k * L);
        p[k][i] = Inner::Load(b.p[i] + k * L);
      }
      u[k] = Inner::Load(b.u + k * L);
      apex[k] = Inner::Load(b.apex + k * L);
    }
    std::int64_t passLimit = b.maxTicks[0] - b.ticks[0];
    for (int i = 1; i < N; ++i) {
      if (b.maxTicks[i] - b.ticks[i] < passLimit) passLimit = b.maxTicks[i] - b.ticks[i];
    }
    for (std::int64_t pass = 1;; ++pass) {
      kernel::BallStep<Inner, kWind> st[K];
      for (int k = 0; k < K; ++k) st[k].Start(c[k], v[k], p[k], u[k]);
      StepBallRegisters<Inner, kWind, K>(c, st);
      std::uint64_t ended = 0;
      for (int k = 0; k < K; ++k) {
        apex[k] = Inner::Max(st[k].pNext[2], apex[k]);
        ended |= (~Inner::Bits(st[k].pNext[2] >= zero) & kRegister) << (k * L);
      }
      if (pass >= passLimit) {
        for (int i = 0; i < N; ++i) {
          if (pass >= b.maxTicks[i] - b.ticks[i]) ended |= std::uint64_t{1} << i;
        }
      }
      if (ended == 0) {
        for (int k = 0; k < K; ++k) {
          for (int i = 0; i < 3; ++i) {
            v[k][i] = st[k].vNext[i];
            p[k][i] = st[k].pNext[i];
          }
          u[k] = st[k].u[2];
        }
        continue;
      }
      for (int k = 0; k < K; ++k) {
        for (int i = 0; i < 3; ++i) {
          Inner::Store(b.v0[i] + k * L, v[k][i]);
          Inner::Store(b.p0[i] + k * L, p[k][i]);
          Inner::Store(b.v[i] + k * L, st[k].vNext[i]);
          Inner::Store(b.p[i] + k * L, st[k].pNext[i]);
        }
        Inner::Store(b.u + k * L, st[k].u[2]);
        Inner::Store(b.apex + k * L, apex[k]);
      }
      for (int i = 0; i < N; ++i) b.ticks[i] += pass;
      if (feed.HandleEnded(ended) == 0) return;
      break;
    }
  }
}

// Ball flights in flight per thread: K registers whose stages StepBallRegisters staggers.
// The divide unit kept busy 81 % of the time with three on AVX-512, 88 % with four (AVX2
// 62 and 71 %); more than four gained under 2 % on AVX-512 and 2 to 5 % on AVX2.
inline constexpr int kBallRegisters = 4;
inline constexpr int kBallScalarLanes = kBallRegisters;
inline constexpr int kBallAvx2Lanes = kBallRegisters * 4;
inline constexpr int kBallAvx512Lanes = kBallRegisters * 8;

void RunBallPacksAvx2(BallLaneBlock<kBallAvx2Lanes>& b, LaneFeed& feed, bool wind);
void RunBallPacksAvx512(BallLaneBlock<kBallAvx512Lanes>& b, LaneFeed& feed, bool wind);

}  // namespace vendrel::lanes
