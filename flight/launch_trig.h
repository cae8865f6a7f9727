#pragma once

// Sine and cosine of the launch angle, correctly rounded, so that every build (desktop,
// WebAssembly, Python) forms the same launch velocity whatever its C library does.

namespace vendrel {

/// Largest |x| (radians) for which LaunchSin and LaunchCos are correctly rounded. The
/// form's launch angles, 0 to 90 degrees, give 0 <= x <= 1.5707963267948966.
inline constexpr double kLaunchTrigDomain = 1.6;

/// sin(x) rounded to nearest for |x| <= kLaunchTrigDomain. Outside that range (and for
/// NaN or an infinity) it returns std::sin(x), which the form's range never reaches.
double LaunchSin(double x);

/// cos(x) rounded to nearest for |x| <= kLaunchTrigDomain; outside, std::cos(x).
double LaunchCos(double x);

// The three ways a value is found, each tried when the one before cannot decide;
// exposed for the tests.
namespace launch_trig {

/// hi + lo rounded to double when every value within err of it rounds the same way.
bool RoundIfDecided(double hi, double lo, double err, double& out);

/// sin(x) or cos(x) as hi + lo from a table at multiples of 1/128 and short series,
/// for 2^-27 <= x <= 1.6; err bounds the error (about 2^-63 of the result).
void EvaluateFromTable(double x, bool cosine, double& hi, double& lo, double& err);

/// EvaluateFromTable and the rounding test: false when it cannot decide.
bool TableSinCos(double x, bool cosine, double& out);

/// Relative error bound of the double-double evaluation that the rounding test assumes
/// (the evaluation's own error is below 2^-100).
inline constexpr double kDoubleDoubleError = 0x1p-90;

/// sin(x) or cos(x) as hi + lo from double-double series, for 2^-27 <= x <= 1.6.
void EvaluateDoubleDouble(double x, bool cosine, double& hi, double& lo);

/// EvaluateDoubleDouble and the rounding test: false when it cannot decide.
bool DoubleDoubleSinCos(double x, bool cosine, double& out);

/// The exact evaluation in fixed point, for 2^-27 <= x <= 1.6: slow, always decides.
double ExactSinCos(double x, bool cosine);

}  // namespace launch_trig
}  // namespace vendrel
