#pragma once
// Exponential, power, arc tangent and the sine and cosine of any angle in degrees, the
// same bits on every build (desktop, WebAssembly, Python), whatever its C library
// does: built from +, -, *, /, sqrt, floor, frexp and ldexp alone, each in a fixed
// order. Not correctly rounded, but within a few units in the last place (the tests
// measure it against MPFR), and deterministic by construction. The ball model calls
// them once per flight, never per step.

namespace vendrel {

/// e^x within one unit in the last place; 0 below -745.2, +inf above 709.79, NaN for NaN.
double PortableExp(double x);

/// x^y = e^(y ln x) for finite x > 0 (NaN otherwise); the error grows with |y ln x|
/// (a few units in the last place for |y ln x| < 10).
double PortablePow(double x, double y);

/// The angle of the point (x, y) from the positive x axis, radians in [-pi, pi], to a
/// few units in the last place; 0 for (0, 0), NaN when either is NaN.
double PortableAtan2(double y, double x);

/// Cosine and sine of `degrees` for any finite angle up to ±720: the angle is brought
/// exactly into [-90, 90] (a quarter turn's symmetry) before the launch trigonometry's
/// correctly rounded sine and cosine.
void CosSinDegrees(double degrees, double& c, double& s);

}  // namespace vendrel
