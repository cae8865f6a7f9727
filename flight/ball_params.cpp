#include "flight/ball_params.h"

#include <cmath>

#include "flight/parameters.h"
#include "flight/form_value.h"

namespace vendrel {

// The defaults (BallParams, and the table's rows). Lift: the quadratic of Ferguson, McNally & McPhee (2022), "A
// comparison of golf ball aerodynamic models", doi:10.5703/1288284317493, held at
// S = 0.75, as published. Drag: their quadratic's shape (cd2/cd1 kept), scaled and
// shifted (cd0, and cd1 and cd2 by one factor, 0.772) together with the drag
// crisis: the rise of a dimpled ball's drag below a Reynolds number of about 10^5
// (Bearman & Harvey 1976, Aeronaut. Q. 27, 112-122; Choi, Jeon & Choi 2006, Phys.
// Fluids 18, 041702), taken as linear toward zero speed with a round 0.1 at rest.
// The two drag constants were fitted to the published tour averages per club in
// docs/examples/tour-averages.csv (carry, apex and landing angle of all twelve clubs
// at once, none per club). Spin decay: 4 % a second, the figure launch-monitor
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

std::string SpinFormRefusal(bool totalOrAxisGiven, bool backOrSideGiven, bool byKey) {
  if (!totalOrAxisGiven || !backOrSideGiven) return {};
  return std::string(byKey ? "back_spin/side_spin" : "--back-spin/--side-spin") +
         ": give the spin either as total spin and spin axis or as back and side spin, not both";
}

}  // namespace vendrel
