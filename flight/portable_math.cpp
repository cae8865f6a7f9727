#include "flight/portable_math.h"

#include <cmath>

#include "flight/launch_trig.h"
#include "flight/normal_draws.h"

namespace vendrel {
namespace {

// ln 2 split so that k * kLn2Hi is exact for |k| < 2^11.
constexpr double kLn2Hi = 0x1.62e42fefa3800p-1;
constexpr double kLn2Lo = 0x1.ef35793c76730p-45;
constexpr double kInvLn2 = 0x1.71547652b82fep+0;
constexpr double kPi = 0x1.921fb54442d18p+1;
constexpr double kHalfPi = 0x1.921fb54442d18p+0;
constexpr double kTwoPi = 6.283185307179586;

// atan(t) for |t| <= tan(pi/16) < 0.2: odd series to t^27, whose next term is below
// 2^-62 of the result.
double AtanSmall(double t) {
  const double t2 = t * t;
  double p = -1.0 / 27.0;
  for (int k = 25; k >= 3; k -= 2) p = p * t2 + ((k / 2) % 2 == 0 ? 1.0 : -1.0) / k;
  return t + t * (t2 * p);
}

}  // namespace

double PortableExp(double x) {
  if (std::isnan(x)) return x;
  if (x > 709.79) return INFINITY;
  if (x < -745.2) return 0.0;
  // x = k ln 2 + r with |r| <= ln 2 / 2 + a little; e^r by its Taylor series to r^13.
  const double k = std::floor(x * kInvLn2 + 0.5);
  const double r = (x - k * kLn2Hi) - k * kLn2Lo;
  double p = 1.0 / 6227020800.0;  // 1/13!
  double fact = 6227020800.0;
  for (int n = 12; n >= 2; --n) {
    fact = fact / (n + 1);
    p = p * r + 1.0 / fact;
  }
  const double er = 1.0 + (r + r * (r * p));
  // Scaling by 2^k in two halves keeps the intermediate finite near the ends.
  const int ki = static_cast<int>(k);
  return std::ldexp(std::ldexp(er, ki / 2), ki - ki / 2);
}

double PortablePow(double x, double y) {
  if (!(x > 0.0) || std::isinf(x)) return NAN;
  return PortableExp(y * PortableLog(x));
}

double PortableAtan2(double y, double x) {
  if (std::isnan(x) || std::isnan(y)) return NAN;
  const double ax = std::fabs(x);
  const double ay = std::fabs(y);
  if (ax == 0.0 && ay == 0.0) return std::signbit(x) ? std::copysign(kPi, y) : y;
  const bool steep = ay > ax;
  const double a = steep ? ax / ay : ay / ax;  // in [0, 1]
  // Two halvings of the angle: atan a = 2 atan(a / (1 + sqrt(1 + a^2))).
  const double a1 = a / (1.0 + std::sqrt(1.0 + a * a));
  const double a2 = a1 / (1.0 + std::sqrt(1.0 + a1 * a1));
  double r = 4.0 * AtanSmall(a2);
  if (steep) r = kHalfPi - r;
  if (std::signbit(x)) r = kPi - r;
  return std::signbit(y) ? -r : r;
}

void CosSinDegrees(double degrees, double& c, double& s) {
  double d = degrees;
  // Exact by Sterbenz's lemma in the ranges used.
  if (d > 180.0) d = d - 360.0;
  if (d < -180.0) d = d + 360.0;
  double sign = 1.0;
  if (d > 90.0) {
    d = 180.0 - d;
    sign = -1.0;
  } else if (d < -90.0) {
    d = -180.0 - d;
    sign = -1.0;
  }
  const double x = d / 360.0 * kTwoPi;
  c = sign * LaunchCos(x);
  s = LaunchSin(x);
}

}  // namespace vendrel
