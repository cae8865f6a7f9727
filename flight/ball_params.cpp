#include "flight/ball_params.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "flight/ball_flight.h"
#include "flight/form_value.h"
#include "flight/portable_math.h"
#include "flight/parameters.h"
#include "number_text/number_text.h"

namespace vendrel {

// The defaults (BallParams, and the table's rows). Lift: the quadratic of Ferguson, McNally & McPhee (2022), "A
// comparison of golf ball aerodynamic models", doi:10.5703/1288284317493, held at
// S = 0.75, as published. Drag: their quadratic's shape (cd2/cd1 kept), scaled and
// shifted (cd0, and cd1 and cd2 by one factor, 0.772) together with the drag
// crisis: the rise of a dimpled ball's drag below a Reynolds number of about 10^5
// (Bearman & Harvey 1976, Aeronaut. Q. 27, 112-122; Choi, Jeon & Choi 2006, Phys.
// Fluids 18, 041702), taken as linear toward zero speed with a round 0.1 at rest.
// The offset, the factor and the crisis's size were fitted to the PGA Tour averages per
// club in docs/examples/tour-averages.csv (carry, apex and landing angle, none per club)
// and hold on the slower swings of lpga-averages.csv, which they were not fitted to
// (carry RMS 2.9 and 2.7 yd). Spin decay: 4 % a second, the figure launch-monitor
// makers publish. Air: the standard atmosphere at sea level, 1.2250 kg/m³.

std::string BallParamsRefusal(const BallParams& p, bool byKey) {
  for (const Parameter& row : ParametersOf(Model::Ball)) {
    const double v = ValueIn(p, row);
    if (row.ball == &BallParams::pressure && std::isnan(v)) continue;
    const std::string name = byKey ? std::string(row.key) : "--" + std::string(row.option);
    std::string refusal = FormValueRefusal(ForModel(row, Model::Ball), v, name);
    if (!refusal.empty()) return refusal;
  }
  return {};
}

namespace {

// The least of Cd = cd0 + cd1·S + cd2·S² over the spin ratios the model uses, 0 to the
// cap, and where it is. The drag crisis only adds to it.
std::pair<double, double> LeastDrag(const BallParams& p) {
  const auto cd = [&p](double S) { return (p.cd2 * S + p.cd1) * S + p.cd0; };
  std::pair<double, double> least{cd(0.0), 0.0};
  std::vector<double> at{p.spinRatioCap};
  if (p.cd2 > 0.0) at.push_back(-p.cd1 / (2.0 * p.cd2));
  for (double S : at) {
    if (S >= 0.0 && S <= p.spinRatioCap && cd(S) < least.first) least = {cd(S), S};
  }
  return least;
}

// The largest |c0 + c1·S + c2·S²| over the spin ratios 0 to the cap.
double LargestCoefficient(double c0, double c1, double c2, double cap) {
  const auto c = [&](double S) { return std::fabs((c2 * S + c1) * S + c0); };
  double most = std::max(c(0.0), c(cap));
  if (c2 != 0.0) {
    const double vertex = -c1 / (2.0 * c2);
    if (vertex > 0.0 && vertex < cap) most = std::max(most, c(vertex));
  }
  return most;
}

// The longest step the fourth-order Runge-Kutta step stays stable at for this ball in
// this air. Drag and lift make an acceleration K·|v|·v, whose rate of change is about
// 2·K·|v|; the step's region of stability reaches 2.78 along the real axis and 2.83
// along the imaginary one, so 2.5 keeps a margin. |v| is bounded by the launch speed
// and twice the wind (the profile grows above its reference height), or by the speed
// the ball would fall at, whichever is more.
double LongestStableStep(const BallParams& p) {
  const BallLaunch l = LaunchBall(p);
  const double coefficients = LargestCoefficient(p.cd0, p.cd1, p.cd2, p.spinRatioCap) + std::fabs(p.dragCrisis) +
                              LargestCoefficient(p.cl0, p.cl1, p.cl2, p.spinRatioCap);
  const double K = l.consts.k * coefficients;
  if (!(K > 0.0)) return INFINITY;
  const double rate = std::max(2.0 * K * (p.speed + 2.0 * std::fabs(p.windSpeed)), 2.0 * std::sqrt(p.gravity * K));
  return 2.5 / rate;
}

}  // namespace

std::string BallShotRefusal(const BallParams& p, bool byKey) {
  std::string refusal = BallParamsRefusal(p, byKey);
  return refusal.empty() ? BallJointRefusal(p, byKey) : refusal;
}

std::string BallJointRefusal(const BallParams& p, bool byKey) {
  // Drag below zero would feed the ball energy: it would speed up without bound.
  const auto [least, at] = LeastDrag(p);
  if (least < 0.0) {
    return std::string(byKey ? "cd0/cd1/cd2" : "--cd0/--cd1/--cd2") +
           ": the drag coefficient must not fall below 0 up to the spin ratio cap (it is " + FormatNumber(least) +
           " at spin ratio " + FormatNumber(at) + ")";
  }
  // A coarser step would make the flight blow up to infinity and call that a landing.
  const double longest = LongestStableStep(p);
  if (p.dt > longest) {
    return std::string(byKey ? "dt" : "--dt") + ": '" + FormatNumber(p.dt) +
           "' is too coarse a step for this ball's drag and lift in this air (at most " + FormatNumber(longest) + ")";
  }
  return {};
}

void SpinComponents(double total, double axisDegrees, double& back, double& side) {
  double c = 1.0, s = 0.0;
  CosSinDegrees(axisDegrees, c, s);  // the whole circle: beyond ±90 is top spin
  back = c * total;
  side = s * total;
}

std::string BallTickBoundRefusal(bool byKey) {
  return std::string(byKey ? "max_ticks" : "--max-ticks") + ": only with " +
         (byKey ? "model='form'" : "--model form") + " (a ball's flight ends by itself within " +
         FormatNumber(kBallMaxFlightSeconds) + " s)";
}

std::string SpinFormRefusal(bool totalOrAxisGiven, bool backOrSideGiven, bool byKey) {
  if (!totalOrAxisGiven || !backOrSideGiven) return {};
  return std::string(byKey ? "back_spin/side_spin" : "--back-spin/--side-spin") +
         ": give the spin either as total spin and spin axis or as back and side spin, not both";
}

}  // namespace vendrel
