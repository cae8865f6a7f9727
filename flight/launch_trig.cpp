#include "flight/launch_trig.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

// Three evaluations, each more accurate and slower than the one before, each followed by
// a test whether its error interval rounds to one double. A table of sin and cos at
// multiples of 1/128 with short series decides all but about one argument in a thousand;
// double-double Taylor series (error below 2^-100, assumed 2^-90) all but a vanishing
// share; an exact fixed-point series the rest. Only +, -, * and / on doubles and integer
// arithmetic are used, each in a fixed order, so every platform computes the same bits.

namespace vendrel {
namespace launch_trig {
namespace {

// ---- Double-double arithmetic (no fused multiply-add: Dekker's splitting) ----

struct DD {
  double hi;
  double lo;
};

DD TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// Needs |a| >= |b| (or a == 0).
DD FastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

DD Split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

DD TwoProd(double a, double b) {
  const double p = a * b;
  const DD x = Split(a);
  const DD y = Split(b);
  return {p, (((x.hi * y.hi - p) + x.hi * y.lo) + x.lo * y.hi) + x.lo * y.lo};
}

// Relative error below 3 * 2^-106.
DD Add(DD x, DD y) {
  const DD s = TwoSum(x.hi, y.hi);
  const DD t = TwoSum(x.lo, y.lo);
  const DD v = FastTwoSum(s.hi, s.lo + t.hi);
  return FastTwoSum(v.hi, t.lo + v.lo);
}

// Relative error below 7 * 2^-106.
DD Mul(DD x, DD y) {
  const DD c = TwoProd(x.hi, y.hi);
  const double t = x.hi * y.lo + x.lo * y.hi;
  return FastTwoSum(c.hi, c.lo + t);
}

// 1/n! as hi + lo, both rounded to nearest, signed as the series use them.
// sin(d) = d * (S0 + S1 z + S2 z^2 + ...), cos(d) = C0 + C1 z + ..., z = d^2.
// For |d| <= 0.786 the first omitted terms are below 2^-110.
constexpr DD kSin[] = {
    {0x1p+0, 0},                                          // 1/1!
    {-0x1.5555555555555p-3, -0x1.5555555555555p-57},      // 1/3!
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},        // 1/5!
    {-0x1.a01a01a01a01ap-13, -0x1.a01a01a01a01ap-73},     // 1/7!
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6cp-73},        // 1/9!
    {-0x1.ae64567f544e4p-26, 0x1.c062e06d1f209p-80},      // 1/11!
    {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},       // 1/13!
    {-0x1.ae7f3e733b81fp-41, -0x1.1d8656b0ee8cbp-97},     // 1/15!
    {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},      // 1/17!
    {-0x1.2f49b46814157p-57, -0x1.2650f61dbdcb4p-112},    // 1/19!
    {0x1.71b8ef6dcf572p-66, -0x1.d043ae40c4647p-120},     // 1/21!
    {-0x1.761b41316381ap-75, 0x1.3423c7d91404fp-130},     // 1/23!
    {0x1.3f3ccdd165fa9p-84, -0x1.58ddadf344487p-139},     // 1/25!
    {-0x1.d1ab1c2dccea3p-94, -0x1.054d0c78aea14p-149},    // 1/27!
};
constexpr DD kCos[] = {
    {0x1p+0, 0},                                          // 1/0!
    {-0x1p-1, 0},                                         // 1/2!
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},        // 1/4!
    {-0x1.6c16c16c16c17p-10, 0x1.f49f49f49f49fp-65},      // 1/6!
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},       // 1/8!
    {-0x1.27e4fb7789f5cp-22, -0x1.cbbc05b4fa99ap-76},     // 1/10!
    {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},      // 1/12!
    {-0x1.93974a8c07c9dp-37, -0x1.05d6f8a2efd1fp-92},     // 1/14!
    {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},      // 1/16!
    {-0x1.6827863b97d97p-53, -0x1.eec01221a8b0bp-107},    // 1/18!
    {0x1.e542ba4020225p-62, 0x1.ea72b4afe3c2fp-120},      // 1/20!
    {-0x1.0ce396db7f853p-70, 0x1.aebcdbd20331cp-124},     // 1/22!
    {0x1.f2cf01972f578p-80, -0x1.9ada5fcc1ab14p-135},     // 1/24!
    {-0x1.88e85fc6a4e5ap-89, 0x1.71c37ebd1654p-143},      // 1/26!
    {0x1.0a18a2635085dp-98, 0x1.b9e2e28e1aa54p-153},      // 1/28!
};

// pi/2 = kPio2[0] + kPio2[1] + kPio2[2] to about 2^-160.
constexpr double kPio2[] = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54,
                            -0x1.f1976b7ed8fbcp-110};

// Horner's rule: the terms from `firstDouble` on are below 2^-50 of the result, so they
// are summed in plain double (adding under 2^-100), the rest in double-double.
// Per step the product and the sum add at most 10 * 2^-106 of values below 1, and the
// terms shrink by z <= 0.62 a step, so the sum stays below 30 * 2^-106 of a result of
// at least 0.7 (of d for the sine), before the reduction's 2^-106.
template <std::size_t N>
DD Horner(const DD (&c)[N], std::size_t firstDouble, DD z) {
  double q = c[N - 1].hi;
  for (std::size_t k = N - 1; k-- > firstDouble;) q = q * z.hi + c[k].hi;
  DD p{q, 0.0};
  for (std::size_t k = firstDouble; k-- > 0;) p = Add(Mul(p, z), c[k]);
  return p;
}

// ---- Fixed point with 32-bit words: w[0] is the integer part, w[i] weighs 2^(-32 i) ----

constexpr int kMaxWords = 32;
using Fixed = std::array<std::uint32_t, kMaxWords>;

Fixed FromDouble(double x) {  // 2^-27 <= x < 2: exact in the first four words
  Fixed f{};
  int e = 0;
  const double m = std::frexp(x, &e);  // x = m * 2^e, 0.5 <= m < 1
  const auto bits = static_cast<std::uint64_t>(std::ldexp(m, 53));
  for (int j = 0; j < 53; ++j) {
    if (((bits >> j) & 1) == 0) continue;
    const int p = e - 53 + j;  // this bit weighs 2^p
    const int i = (31 - p) / 32;
    f[i] |= std::uint32_t{1} << (p + 32 * i);
  }
  return f;
}

// Truncated product: at most one unit of the last word low.
Fixed Mul(const Fixed& a, const Fixed& b, int n) {
  std::array<std::uint32_t, 2 * kMaxWords + 1> p{};  // p[k + 1] weighs 2^(-32 k)
  for (int i = n - 1; i >= 0; --i) {
    std::uint64_t carry = 0;
    for (int j = n - 1; j >= 0; --j) {
      const std::uint64_t t = std::uint64_t{a[i]} * b[j] + p[i + j + 1] + carry;
      p[i + j + 1] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    p[i] = static_cast<std::uint32_t>(carry);
  }
  Fixed r{};
  for (int k = 0; k < n; ++k) r[k] = p[k + 1];
  return r;
}

// Truncated quotient by a small integer: less than one unit of the last word low.
void DivSmall(Fixed& a, std::uint32_t d, int n) {
  std::uint64_t rem = 0;
  for (int i = 0; i < n; ++i) {
    const std::uint64_t cur = (rem << 32) | a[i];
    a[i] = static_cast<std::uint32_t>(cur / d);
    rem = cur % d;
  }
}

void AddTo(Fixed& a, const Fixed& b, int n) {
  std::uint64_t carry = 0;
  for (int i = n - 1; i >= 0; --i) {
    const std::uint64_t t = std::uint64_t{a[i]} + b[i] + carry;
    a[i] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
}

// a - b for a >= b.
Fixed Sub(const Fixed& a, const Fixed& b, int n) {
  Fixed r{};
  std::uint64_t borrow = 0;
  for (int i = n - 1; i >= 0; --i) {
    const std::uint64_t t = std::uint64_t{a[i]} - b[i] - borrow;
    r[i] = static_cast<std::uint32_t>(t);
    borrow = (t >> 32) & 1;
  }
  return r;
}

bool Less(const Fixed& a, const Fixed& b, int n) {
  for (int i = 0; i < n; ++i)
    if (a[i] != b[i]) return a[i] < b[i];
  return false;
}

bool IsZero(const Fixed& a, int n) {
  for (int i = 0; i < n; ++i)
    if (a[i] != 0) return false;
  return true;
}

Fixed Units(std::uint32_t count, int n) {  // count units of the last word
  Fixed f{};
  f[n - 1] = count;
  return f;
}

// Rounded to nearest, ties to even; a is not zero.
double ToDouble(const Fixed& a, int n) {
  int lead = 0;  // index of the leading one, counting bits from the top of w[0]
  while (a[lead / 32] == 0) lead += 32;
  lead += std::countl_zero(a[lead / 32]);
  auto bit = [&](int g) -> std::uint64_t {
    return g < 32 * n ? (a[g / 32] >> (31 - g % 32)) & 1 : 0;
  };
  std::uint64_t m = 0;
  for (int g = lead; g < lead + 53; ++g) m = (m << 1) | bit(g);
  const bool half = bit(lead + 53) != 0;
  bool sticky = false;
  for (int g = lead + 54; g < 32 * n && !sticky; ++g) sticky = bit(g) != 0;
  if (half && (sticky || (m & 1) != 0)) ++m;
  return std::ldexp(static_cast<double>(m), 31 - lead - 52);
}

}  // namespace

bool RoundIfDecided(double hi, double lo, double err, double& out) {
  // Rounding hi + y is monotonic in y, so equal ends settle the whole interval.
  const double down = hi + (lo - err);
  const double up = hi + (lo + err);
  if (down != up) return false;
  out = up;
  return true;
}

void EvaluateDoubleDouble(double x, bool cosine, double& hi, double& lo) {
  // Below pi/4 the series in x; above, in d = pi/2 - x, which keeps cos near pi/2
  // accurate to its last bit. kPio2[0] - x is exact for 0.5 <= x <= 1.6: both are
  // multiples of 2^-53 and the difference is below 1.
  DD d{x, 0.0};
  bool useCos = cosine;
  if (x > 0.785) {
    const DD s = TwoSum(kPio2[0] - x, kPio2[1]);
    d = FastTwoSum(s.hi, s.lo + kPio2[2]);
    useCos = !cosine;
  }
  const DD z = Mul(d, d);
  const DD v = useCos ? Horner(kCos, 9, z) : Mul(d, Horner(kSin, 8, z));
  hi = v.hi;
  lo = v.lo;
}

bool DoubleDoubleSinCos(double x, bool cosine, double& out) {
  double hi = 0.0;
  double lo = 0.0;
  EvaluateDoubleDouble(x, cosine, hi, lo);
  return RoundIfDecided(hi, lo, std::fabs(hi) * kDoubleDoubleError, out);
}

namespace {

struct TableEntry {
  DD sin;
  DD cos;
};
constexpr int kTableSize = 206;  // a = i/128 up to 205/128 > 1.6

// Built once, by the double-double series, on first use.
const std::array<TableEntry, kTableSize>& Table() {
  static const std::array<TableEntry, kTableSize> table = [] {
    std::array<TableEntry, kTableSize> t{};
    for (int i = 0; i < kTableSize; ++i) {
      const double a = i / 128.0;
      EvaluateDoubleDouble(a, false, t[i].sin.hi, t[i].sin.lo);
      EvaluateDoubleDouble(a, true, t[i].cos.hi, t[i].cos.lo);
    }
    return t;
  }();
  return table;
}

}  // namespace

void EvaluateFromTable(double x, bool cosine, double& hi, double& lo, double& err) {
  // x = a + h with a = i/128 and |h| <= 1/256 (the difference is exact). Then
  //   sin x = sin a + cos a * h + (cos a * (sin h - h) + sin a * (cos h - 1))
  //   cos x = cos a - sin a * h + (-sin a * (sin h - h) + cos a * (cos h - 1))
  // where the bracket is below 2^-17 of |base| + |slope * h| and needs only double.
  const int i = static_cast<int>(x * 128.0 + 0.5);
  const double h = x - i / 128.0;
  const TableEntry& e = Table()[i];
  const DD base = cosine ? e.cos : e.sin;
  const DD slope = cosine ? DD{-e.sin.hi, -e.sin.lo} : e.cos;
  const double z = h * h;
  const double sinMinusH = h * z * (-1.0 / 6.0 + z * (1.0 / 120.0 - z * (1.0 / 5040.0)));
  const double cosMinusOne = z * (-0.5 + z * (1.0 / 24.0 - z * (1.0 / 720.0)));
  const DD p = TwoProd(slope.hi, h);
  const DD s = TwoSum(base.hi, p.hi);
  const double bracket = slope.hi * sinMinusH + base.hi * cosMinusOne;
  const DD r = FastTwoSum(s.hi, (((base.lo + p.lo) + slope.lo * h) + s.lo) + bracket);
  hi = r.hi;
  lo = r.lo;
  // The bracket's own error (about 8 units of its last place), the five roundings of the
  // low sum and the table's 2^-99 stay below 2^-66 of |base| + |slope * h|. Near pi/2
  // the cosine cancels, the bound stays large against it, and the test sends it on.
  err = (std::fabs(base.hi) + std::fabs(p.hi)) * 0x1p-63;
}

bool TableSinCos(double x, bool cosine, double& out) {
  double hi = 0.0;
  double lo = 0.0;
  double err = 0.0;
  EvaluateFromTable(x, cosine, hi, lo, err);
  return RoundIfDecided(hi, lo, err, out);
}

double ExactSinCos(double x, bool cosine) {
  // Taylor series, the positive and the negative terms summed apart. Every term is
  // truncated, never high, and at most 8 units low (each is the previous times x/k
  // with x/k < 0.8, plus two truncations); the series stops at the first term that
  // truncates to zero, and its remainder is below that term. More words until the
  // error interval lies on one side of a rounding boundary: sin and cos of a nonzero
  // double are never a boundary themselves.
  double last = 0.0;
  for (int n = 8; n <= kMaxWords; n *= 2) {
    const Fixed xf = FromDouble(x);
    Fixed pos = xf;
    if (cosine) pos = Fixed{1};  // the integer 1
    Fixed neg{};
    Fixed t = xf;
    std::uint32_t terms = 1;
    for (std::uint32_t k = 2;; ++k) {
      t = Mul(t, xf, n);
      DivSmall(t, k, n);
      if (IsZero(t, n)) break;
      if ((k % 2 == 0) != cosine) continue;
      AddTo(k % 4 < 2 ? pos : neg, t, n);
      ++terms;
    }
    const bool negative = Less(pos, neg, n);
    const Fixed v = negative ? Sub(neg, pos, n) : Sub(pos, neg, n);
    const Fixed err = Units(16 * (terms + 2), n);
    last = negative ? -ToDouble(v, n) : ToDouble(v, n);
    if (!Less(err, v, n)) continue;
    Fixed up = v;
    AddTo(up, err, n);
    if (ToDouble(Sub(v, err, n), n) == ToDouble(up, n)) return last;
  }
  return last;  // not reached: the hardest doubles need far fewer than 1024 bits
}

namespace {

double Evaluate(double x, bool cosine) {
  double r = 0.0;
  if (TableSinCos(x, cosine, r) || DoubleDoubleSinCos(x, cosine, r)) return r;
  return ExactSinCos(x, cosine);
}

}  // namespace
}  // namespace launch_trig

double LaunchSin(double x) {
  if (!(std::fabs(x) <= kLaunchTrigDomain)) return std::sin(x);
  if (x < 0.0) return -LaunchSin(-x);
  if (x < 0x1p-27) return x;  // x - x^3/6 is within a quarter unit of x
  return launch_trig::Evaluate(x, false);
}

double LaunchCos(double x) {
  if (!(std::fabs(x) <= kLaunchTrigDomain)) return std::cos(x);
  x = std::fabs(x);
  if (x < 0x1p-27) return 1.0;  // 1 - x^2/2 is within a quarter unit of 1
  return launch_trig::Evaluate(x, true);
}

}  // namespace vendrel
