// The launch angle's sine and cosine against MPFR's correctly rounded values.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "flight/launch_trig.h"

namespace vendrel {
namespace {

namespace lt = launch_trig;

struct Big {
  explicit Big(mpfr_prec_t bits) { mpfr_init2(v, bits); }
  ~Big() { mpfr_clear(v); }
  mpfr_t v;
};

// sin(x) or cos(x) to `bits` bits, rounded to nearest.
void Reference(Big& out, double x, bool cosine) {
  Big in(53);
  mpfr_set_d(in.v, x, MPFR_RNDN);
  if (cosine) {
    mpfr_cos(out.v, in.v, MPFR_RNDN);
  } else {
    mpfr_sin(out.v, in.v, MPFR_RNDN);
  }
}

double Rounded(double x, bool cosine) {
  Big r(53);
  Reference(r, x, cosine);
  return mpfr_get_d(r.v, MPFR_RNDN);
}

double Radians(double degrees) { return degrees / 360.0 * 6.283185307179586; }

// Both functions at x against MPFR.
struct Checker {
  Big in{53}, out{53};
  int wrong = 0;
  void Check(double x) {
    mpfr_set_d(in.v, x, MPFR_RNDN);
    mpfr_sin(out.v, in.v, MPFR_RNDN);
    Compare(x, "sin", LaunchSin(x));
    mpfr_cos(out.v, in.v, MPFR_RNDN);
    Compare(x, "cos", LaunchCos(x));
  }
  void Compare(double x, const char* f, double got) {
    const double want = mpfr_get_d(out.v, MPFR_RNDN);
    if (std::memcmp(&got, &want, sizeof got) != 0 && ++wrong <= 10)
      ADD_FAILURE() << f << "(" << std::hexfloat << x << ") = " << got
                    << ", correctly rounded " << want;
  }
};

TEST(LaunchTrig, EveryThousandthOfADegree) {
  Checker c;
  int afterTable = 0, afterSeries = 0;
  for (int i = 0; i <= 90000; ++i) {
    const double x = Radians(i / 1000.0);
    c.Check(x);
    for (const bool cosine : {false, true}) {
      double r = 0.0;
      if (x < 0x1p-27 || lt::TableSinCos(x, cosine, r)) continue;
      ++afterTable;
      afterSeries += !lt::DoubleDoubleSinCos(x, cosine, r);
    }
  }
  EXPECT_EQ(c.wrong, 0);
  std::printf("of 180002 values %d went on to the series, %d to the exact path\n", afterTable,
              afterSeries);
}

TEST(LaunchTrig, RandomAnglesAndArguments) {
  std::mt19937_64 gen(20261208);
  auto unit = [&] { return static_cast<double>(gen() >> 11) * 0x1p-53; };
  Checker c;
  for (int i = 0; i < 1000000; ++i) c.Check(Radians(90.0 * unit()));
  // The whole promised range, negative arguments and past pi/2 included, and small
  // arguments on both sides of the shortcut at 2^-27.
  for (int i = 0; i < 20000; ++i) c.Check(kLaunchTrigDomain * (2.0 * unit() - 1.0));
  for (int i = 0; i < 2000; ++i) c.Check(std::ldexp(1.0 + unit(), -40 + i % 25));
  EXPECT_EQ(c.wrong, 0);
}

// The rounding tests are only as sound as the error bounds they assume.
TEST(LaunchTrig, ErrorsStayFarInsideTheAssumedBounds) {
  double worstSeries = 0.0, worstTable = 0.0;
  Big diff(256);
  auto error = [&](double x, bool cosine, double hi, double lo) {
    Reference(diff, x, cosine);
    mpfr_sub_d(diff.v, diff.v, hi, MPFR_RNDN);
    mpfr_sub_d(diff.v, diff.v, lo, MPFR_RNDN);
    return std::fabs(mpfr_get_d(diff.v, MPFR_RNDN));
  };
  for (int i = 0; i <= 9000; ++i) {
    const double x = i == 0 ? 0x1p-27 : Radians(i / 100.0);
    for (const bool cosine : {false, true}) {
      double hi = 0.0, lo = 0.0, err = 0.0;
      lt::EvaluateDoubleDouble(x, cosine, hi, lo);
      worstSeries = std::max(worstSeries, error(x, cosine, hi, lo) / std::fabs(hi));
      lt::EvaluateFromTable(x, cosine, hi, lo, err);
      worstTable = std::max(worstTable, error(x, cosine, hi, lo) / err);
    }
  }
  EXPECT_LT(worstSeries, lt::kDoubleDoubleError / 64) << std::hexfloat << worstSeries;
  EXPECT_LT(worstTable, 0.25) << worstTable;
}

TEST(LaunchTrig, ExactPathAgreesWithMpfr) {
  for (int i = 0; i <= 9000; i += 3) {
    const double x = i == 0 ? 0x1p-27 : Radians(i / 100.0);
    for (const bool cosine : {false, true})
      ASSERT_EQ(lt::ExactSinCos(x, cosine), Rounded(x, cosine)) << cosine << " " << x;
  }
  EXPECT_EQ(lt::ExactSinCos(kLaunchTrigDomain, true), Rounded(kLaunchTrigDomain, true));
}

TEST(LaunchTrig, RoundingTestDecidesOnlyClearCases) {
  struct Case {
    const char* name;
    double hi, lo;
    bool decided;
    double result;
  };
  const double err = 0x1p-90;
  const Case cases[] = {
      {"far from a boundary", 1.0, 0x1p-60, true, 1.0},
      {"just under the midpoint above 1", 1.0, 0x1p-53 - 0x1p-80, true, 1.0},
      {"just over it", 1.0, 0x1p-53 + 0x1p-80, true, 1.0 + 0x1p-52},
      {"straddling it", 1.0, 0x1p-53 - 0x1p-95, false, 0},
      {"below 1 the unit is half as large", 1.0, -0x1p-54 - 0x1p-80, true, 1.0 - 0x1p-53},
      {"straddling the midpoint below 1", 1.0, -0x1p-54 + 0x1p-95, false, 0},
      {"negative values mirror", -0.5, -0x1p-54 - 0x1p-80, true, -0.5 - 0x1p-53},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double out = 0.0;
    ASSERT_EQ(lt::RoundIfDecided(c.hi, c.lo, err, out), c.decided);
    if (c.decided) {
      EXPECT_EQ(out, c.result);
    }
  }
}

TEST(LaunchTrig, EdgesAndOutsideTheRange) {
  EXPECT_EQ(LaunchSin(0.0), 0.0);
  EXPECT_TRUE(std::signbit(LaunchSin(-0.0)));
  EXPECT_EQ(LaunchCos(0.0), 1.0);
  EXPECT_EQ(LaunchSin(0x1p-1074), 0x1p-1074);
  EXPECT_EQ(LaunchCos(0x1p-1074), 1.0);
  // The largest angle: cos of the double nearest pi/2 is tiny and positive.
  EXPECT_EQ(LaunchCos(Radians(90.0)), 0x1.1a62633145c07p-54);
  EXPECT_EQ(LaunchSin(Radians(90.0)), 1.0);
  const double past = std::nextafter(kLaunchTrigDomain, 2.0);
  EXPECT_EQ(LaunchSin(past), std::sin(past));
  EXPECT_EQ(LaunchCos(-3.0), std::cos(-3.0));
  EXPECT_TRUE(std::isnan(LaunchSin(NAN)));
  EXPECT_TRUE(std::isnan(LaunchCos(INFINITY)));
}

}  // namespace
}  // namespace vendrel
