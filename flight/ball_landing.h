#pragma once
// Where the path inside a ball flight's last step meets the ground, written once over
// the kernel's operations: a lone flight takes it on doubles, a sweep on a batch of
// landings in vector registers, and every lane gives the lone flight's bits.
//
// Besides the kernel's operations (flight/flight_kernel.h), `Ops` supplies
//   Ops::Floor(V)      the largest integer not above each lane (exact)
//   mask & mask        both comparisons hold
//   ==, <              besides the kernel's comparisons
//   Ops::Store(double*, V)

namespace vendrel {
enum class LanePath;
}

namespace vendrel::landing {

/// Landings waiting to be worked out together: each slot the ends of a flight's last
/// step (which ends below the ground), and the fraction of it where the ground lies.
inline constexpr int kBatch = 16;
struct Batch {
  alignas(64) double p0[3][kBatch];
  alignas(64) double v0[3][kBatch];
  alignas(64) double p1[3][kBatch];
  alignas(64) double v1[3][kBatch];
  alignas(64) double dt[kBatch];
  alignas(64) double frac[kBatch];
};

/// The path inside the last step: the cubic Hermite through both ends, s from 0 to 1.
template <class Ops, class V = typename Ops::V>
struct Hermite {
  V p0[3], v0[3], p1[3], v1[3];
  V dt;

  V At(int i, const V& s) const { return Cubic(s, p0[i], dt * v0[i], p1[i], dt * v1[i]); }
  V Slope(int i, const V& s) const {  // d/dt
    const V six = Ops::Splat(6.0), three = Ops::Splat(3.0), four = Ops::Splat(4.0), two = Ops::Splat(2.0);
    const V d00 = six * s * s - six * s;
    return ((d00 * p0[i] - d00 * p1[i]) / dt + (three * s * s - four * s + Ops::Splat(1.0)) * v0[i]) +
           (three * s * s - two * s) * v1[i];
  }
  /// The cubic from a0 to a1 whose changes over the step are d0 and d1 at its ends.
  static V Cubic(const V& s, const V& a0, const V& d0, const V& a1, const V& d1) {
    const V one = Ops::Splat(1.0), two = Ops::Splat(2.0), three = Ops::Splat(3.0);
    const V t = one - s;
    return (((one + two * s) * t * t) * a0 + (s * t * t) * d0) + (s * s * (three - two * s)) * a1 +
           (s * s * (s - one)) * d1;
  }
};

/// Halvings of the step's bracket on the ground, as many as the bits let them shrink it.
inline constexpr int kHalvings = 60;
/// The first halvings are exact: their ends are multiples of 2^-i that need no more than
/// 53 bits, so the ith midpoint is the bracket's start plus 2^-(i+1).
inline constexpr int kExactHalvings = 53;

/// The fraction `lo` of the step that kHalvings halvings of [0, 1] leave, keeping the end
/// whose height is >= 0 as `lo` (the path starts at or above the ground and ends below).
///
/// Halving one step after another waits on each height in turn; instead the halvings
/// are foretold from a guess at the root (every exact halving's midpoint follows from
/// the outcomes before it), their heights are taken without waiting on one another, and
/// the halvings go on one at a time from the first whose height contradicts the
/// forecast. The result is that of the plain halving loop, bit for bit, whatever the
/// guess.
template <class Ops, class V = typename Ops::V>
V GroundFraction(const Hermite<Ops>& h) {
  const V zero = Ops::Splat(0.0), one = Ops::Splat(1.0);
  // The guess: the straight line's crossing, then Newton's steps on the cubic, each lane
  // keeping the last step that stayed inside [0, 1).
  const V z0 = h.At(2, zero), z1 = h.At(2, one);
  V g = z0 / (z0 - z1);
  auto going = zero == zero;
  for (int i = 0; i < 3; ++i) {
    const V slope = h.Slope(2, g) * h.dt;
    const V next = g - h.At(2, g) / slope;
    going = going & ((next >= zero) & (next < one));
    g = Ops::Select(going, next, g);
  }
  // The guess to 53 bits: its binary digits are the forecast of the exact halvings
  // (halving i keeps the upper half where digit i + 1 after the point is 1, which is
  // where the guess lies at or above the midpoint). Powers of two keep all of it exact.
  constexpr double kUnit = 9007199254740992.0;  // 2^53
  const V guess = Ops::Select((g > zero) & (g < one), Ops::Floor(g * Ops::Splat(kUnit)) * Ops::Splat(1.0 / kUnit),
                              Ops::Splat(0.5));
  // The height's terms taken once (At's own).
  const V dz0 = h.dt * h.v0[2], dz1 = h.dt * h.v1[2];
  auto height = [&](const V& s) { return Hermite<Ops>::Cubic(s, h.p0[2], dz0, h.p1[2], dz1); };
  // The first halving whose height contradicts the forecast, and the bracket the
  // forecast (true until then) leaves before it; kExactHalvings where none does.
  V first = Ops::Splat(kExactHalvings);
  V lo = zero, hi = one;
  double scale = 1.0;  // 2^i
  for (int i = 0; i < kExactHalvings; ++i) {
    const V start = Ops::Floor(guess * Ops::Splat(scale)) * Ops::Splat(1.0 / scale);
    const V mid = start + Ops::Splat(0.5 / scale);
    const auto fresh = Ops::Splat(i) < first;
    const auto contradicts = (height(mid) >= zero) != (guess >= mid);
    const auto here = fresh & contradicts;
    first = Ops::Select(here, Ops::Splat(i), first);
    lo = Ops::Select(here, start, lo);
    hi = Ops::Select(here, start + Ops::Splat(1.0 / scale), hi);
    scale *= 2.0;
    if (Ops::Bits(Ops::Splat(i) < first) == 0) break;
  }
  const auto none = Ops::Splat(kExactHalvings) == first;
  const V start = Ops::Floor(guess * Ops::Splat(kUnit)) * Ops::Splat(1.0 / kUnit);
  lo = Ops::Select(none, start, lo);
  hi = Ops::Select(none, start + Ops::Splat(1.0 / kUnit), hi);
  // The halvings from each lane's first contradiction on, one at a time.
  double from[Ops::kLanes];
  Ops::Store(from, first);
  double earliest = from[0];
  for (int k = 1; k < Ops::kLanes; ++k) earliest = from[k] < earliest ? from[k] : earliest;
  for (int i = static_cast<int>(earliest); i < kHalvings; ++i) {
    const V mid = (lo + hi) / Ops::Splat(2.0);
    const auto on = Ops::Splat(i) >= first;
    const auto up = height(mid) >= zero;
    lo = Ops::Select(on & up, mid, lo);
    hi = Ops::Select(on, Ops::Select(up, hi, mid), hi);
  }
  return lo;
}

/// The ground's fraction for every slot of `b`, on registers of kBatch lanes in all.
template <class Ops, class V = typename Ops::V>
void GroundFractions(Batch& b) {
  static_assert(Ops::kLanes == kBatch);
  Hermite<Ops> h;
  for (int i = 0; i < 3; ++i) {
    h.p0[i] = Ops::Load(b.p0[i]);
    h.v0[i] = Ops::Load(b.v0[i]);
    h.p1[i] = Ops::Load(b.p1[i]);
    h.v1[i] = Ops::Load(b.v1[i]);
  }
  h.dt = Ops::Load(b.dt);
  Ops::Store(b.frac, GroundFraction(h));
}

// Each instruction set's, compiled for it in the lanes' units.
void GroundFractionsAvx2(Batch& b);
void GroundFractionsAvx512(Batch& b);

/// GroundFractions on the path's registers; none for the scalar path, or where the
/// machine lacks the path.
using Batcher = void (*)(Batch&);
Batcher BatcherFor(LanePath path);

}  // namespace vendrel::landing
