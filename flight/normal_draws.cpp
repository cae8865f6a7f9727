#include "flight/normal_draws.h"

#include <cmath>

namespace vendrel {
namespace {

std::uint64_t Mix64(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

RandomStream::RandomStream(std::uint64_t seed, std::uint64_t index)
    : state_(Mix64(seed ^ Mix64(index + 0x632BE59BD9B4E019ull))) {}

std::uint64_t RandomStream::NextBits() {
  state_ += 0x9E3779B97F4A7C15ull;
  return Mix64(state_);
}

double RandomStream::NextUniform() {
  return static_cast<double>(NextBits() >> 11) * 0x1p-53;
}

double RandomStream::NextNormal() {
  if (haveSpare_) {
    haveSpare_ = false;
    return spare_;
  }
  double u = 0.0, v = 0.0, s = 0.0;
  do {
    u = 2.0 * NextUniform() - 1.0;
    v = 2.0 * NextUniform() - 1.0;
    s = u * u + v * v;
  } while (!(s < 1.0 && s > 0.0));
  const double f = std::sqrt(-2.0 * PortableLog(s) / s);  // sqrt is correctly rounded
  spare_ = v * f;
  haveSpare_ = true;
  return u * f;
}

double PortableLog(double x) {
  // x = m · 2^e with m in [√½, √2); log m = 2 atanh(t), t = (m − 1)/(m + 1), |t| < 0.172,
  // whose odd series to t^23 is below the last bit.
  int e = 0;
  double m = std::frexp(x, &e);
  if (m < 0.70710678118654752) {
    m = m * 2.0;
    e = e - 1;
  }
  const double t = (m - 1.0) / (m + 1.0);
  const double t2 = t * t;
  double p = 1.0 / 23.0;
  for (int k = 21; k >= 1; k -= 2) p = p * t2 + 1.0 / k;
  constexpr double kLn2Hi = 0x1.62e42fefa3800p-1;  // ln 2 split so that e · kLn2Hi is exact
  constexpr double kLn2Lo = 0x1.ef35793c76730p-45;
  const double de = static_cast<double>(e);
  return de * kLn2Hi + (2.0 * t * p + de * kLn2Lo);
}

}  // namespace vendrel
