// The ball model's exponential, logarithm, power and arc tangent against MPFR.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <random>

#include "flight/dispersion.h"
#include "flight/launch_trig.h"
#include "flight/normal_draws.h"
#include "flight/portable_math.h"

namespace vendrel {
namespace {

struct Big {
  Big() { mpfr_init2(v, 200); }
  ~Big() { mpfr_clear(v); }
  mpfr_t v;
};

// |got − exact| in units of the last place of the correctly rounded result.
double Ulps(double got, const Big& exact) {
  const double r = mpfr_get_d(exact.v, MPFR_RNDN);
  const double ulp = std::nextafter(std::fabs(r), INFINITY) - std::fabs(r);
  Big d;
  mpfr_sub_d(d.v, exact.v, got, MPFR_RNDN);
  return std::fabs(mpfr_get_d(d.v, MPFR_RNDN)) / ulp;
}

template <class Fn>
double Worst(int n, double lo, double hi, std::uint64_t seed, Fn check) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> x(lo, hi);
  double worst = 0.0;
  for (int i = 0; i < n; ++i) worst = std::max(worst, check(x(gen)));
  return worst;
}

TEST(PortableMath, ExpLogPowAtan2StayWithinAFewUnitsOfTheExactValue) {
  Big in, in2, out;
  const double expErr = Worst(200000, -745.0, 709.0, 1, [&](double x) {
    mpfr_set_d(in.v, x, MPFR_RNDN);
    mpfr_exp(out.v, in.v, MPFR_RNDN);
    return Ulps(PortableExp(x), out);
  });
  // The spin's decay factors per step, exp(−λ·dt/2), sit just below 1.
  const double decayErr = Worst(200000, -0.5, 0.0, 2, [&](double x) {
    mpfr_set_d(in.v, x, MPFR_RNDN);
    mpfr_exp(out.v, in.v, MPFR_RNDN);
    return Ulps(PortableExp(x), out);
  });
  const double logErr = Worst(200000, 1e-300, 1e300, 3, [&](double x) {
    mpfr_set_d(in.v, x, MPFR_RNDN);
    mpfr_log(out.v, in.v, MPFR_RNDN);
    return Ulps(PortableLog(x), out);
  });
  const double logNearOne = Worst(200000, 0.5, 2.0, 4, [&](double x) {
    mpfr_set_d(in.v, x, MPFR_RNDN);
    mpfr_log(out.v, in.v, MPFR_RNDN);
    return x == 1.0 ? 0.0 : Ulps(PortableLog(x), out);
  });
  // The standard atmosphere's pressure ratio to its power 5.256.
  const double powErr = Worst(200000, 0.5, 1.1, 5, [&](double x) {
    mpfr_set_d(in.v, x, MPFR_RNDN);
    mpfr_set_d(in2.v, 5.25587611, MPFR_RNDN);
    mpfr_pow(out.v, in.v, in2.v, MPFR_RNDN);
    return Ulps(PortablePow(x, 5.25587611), out);
  });
  std::mt19937_64 gen(6);
  std::uniform_real_distribution<double> any(-100.0, 100.0);
  double atanErr = 0.0;
  for (int i = 0; i < 200000; ++i) {
    const double y = any(gen), x = i % 7 == 0 ? 0.0 : any(gen);
    mpfr_set_d(in.v, y, MPFR_RNDN);
    mpfr_set_d(in2.v, x, MPFR_RNDN);
    mpfr_atan2(out.v, in.v, in2.v, MPFR_RNDN);
    atanErr = std::max(atanErr, Ulps(PortableAtan2(y, x), out));
  }
  EXPECT_LE(expErr, 1.0);
  EXPECT_LE(decayErr, 1.0);
  EXPECT_LE(logErr, 1.0);
  EXPECT_LE(logNearOne, 3.0);
  EXPECT_LE(powErr, 8.0);
  EXPECT_LE(atanErr, 5.0);
  std::printf("worst errors in units of the last place: exp %.3g (decay factors %.3g), log %.3g "
              "(near 1: %.3g), pow %.3g, atan2 %.3g\n",
              expErr, decayErr, logErr, logNearOne, powErr, atanErr);
}

// The ellipse's constant, −2 ln 0.05, is written out: it must be the double nearest it.
TEST(PortableMath, TheChiSquareQuantileIsCorrectlyRounded) {
  Big v;
  mpfr_set_str(v.v, "0.05", 10, MPFR_RNDN);  // the exact 0.05, which no double is
  mpfr_log(v.v, v.v, MPFR_RNDN);
  mpfr_mul_si(v.v, v.v, -2, MPFR_RNDN);
  EXPECT_EQ(kChiSquare2At95, mpfr_get_d(v.v, MPFR_RNDN));
}

TEST(PortableMath, EdgesAndQuadrants) {
  EXPECT_EQ(PortableExp(0.0), 1.0);
  EXPECT_EQ(PortableExp(-800.0), 0.0);
  EXPECT_EQ(PortableExp(710.0), INFINITY);
  EXPECT_TRUE(std::isnan(PortableExp(NAN)));
  EXPECT_TRUE(std::isnan(PortablePow(-1.0, 2.0)));
  EXPECT_TRUE(std::isnan(PortablePow(0.0, 2.0)));
  EXPECT_EQ(PortableAtan2(0.0, 1.0), 0.0);
  EXPECT_EQ(PortableAtan2(0.0, 0.0), 0.0);
  EXPECT_EQ(PortableAtan2(1.0, 0.0), 0x1.921fb54442d18p+0);
  EXPECT_EQ(PortableAtan2(-1.0, 0.0), -0x1.921fb54442d18p+0);
  EXPECT_EQ(PortableAtan2(0.0, -1.0), 0x1.921fb54442d18p+1);
  EXPECT_NEAR(PortableAtan2(-1.0, -1.0), -3.0 * 0x1.921fb54442d18p-1, 1e-15);
  EXPECT_TRUE(std::isnan(PortableAtan2(NAN, 1.0)));
}

TEST(PortableMath, DegreesReduceExactlyToTheLaunchTrigonometry) {
  // Every angle that differs by a half or whole turn gives the same magnitudes.
  for (double d : {0.0, 12.5, 45.0, 89.75}) {
    double c0, s0, c1, s1, c2, s2, c3, s3;
    CosSinDegrees(d, c0, s0);
    CosSinDegrees(180.0 - d, c1, s1);
    CosSinDegrees(d + 360.0, c2, s2);
    CosSinDegrees(-d, c3, s3);
    EXPECT_EQ(c0, -c1) << d;
    EXPECT_EQ(s0, s1) << d;
    EXPECT_EQ(c0, c2) << d;
    EXPECT_EQ(s0, s2) << d;
    EXPECT_EQ(c0, c3) << d;
    EXPECT_EQ(s0, -s3) << d;
    EXPECT_EQ(s0, LaunchSin(d / 360.0 * 6.283185307179586));
  }
  double c, s;
  CosSinDegrees(180.0, c, s);
  EXPECT_EQ(c, -1.0);
  EXPECT_EQ(s, 0.0);
  CosSinDegrees(270.0, c, s);
  EXPECT_EQ(s, -1.0);
}

}  // namespace
}  // namespace vendrel
