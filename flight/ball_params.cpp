#include "flight/ball_params.h"

#include <array>
#include <cmath>

#include "flight/parameters.h"
#include "flight/form_value.h"

namespace vendrel {
namespace {

// The defaults. Lift: the quadratic of Ferguson, McNally & McPhee (2022), "A
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
using P = BallParams;
constexpr BallParams kD{};

constexpr std::array<BallParamInfo, 34> kInfos{{
    {"speed", "speed", "m/s", &P::speed, 0.0, 120.0, kD.speed, "ball speed at launch"},
    {"angle", "angle", "deg", &P::angle, 0.0, 90.0, kD.angle, "vertical launch angle above the horizontal"},
    {"direction", "direction", "deg", &P::direction, -90.0, 90.0, kD.direction,
     "horizontal launch angle, positive to the right of the target line"},
    {"total_spin", "total-spin", "rpm", &P::totalSpin, 0.0, 20000.0, kD.totalSpin, "spin rate at launch"},
    {"spin_axis", "spin-axis", "deg", &P::spinAxis, -90.0, 90.0, kD.spinAxis,
     "tilt of the spin axis; positive curves the ball to the right"},
    {"back_spin", "back-spin", "rpm", &P::backSpin, -20000.0, 20000.0, kD.backSpin,
     "back spin, instead of total spin and spin axis"},
    {"side_spin", "side-spin", "rpm", &P::sideSpin, -20000.0, 20000.0, kD.sideSpin,
     "side spin, positive curves the ball to the right, instead of total spin and spin axis"},
    {"mass", "mass", "g", &P::mass, 1.0, 1000.0, kD.mass, "ball mass"},
    {"diameter", "diameter", "mm", &P::diameter, 10.0, 200.0, kD.diameter, "ball diameter"},
    {"cd0", "cd0", "", &P::cd0, -10.0, 10.0, kD.cd0, "drag coefficient: constant term in the spin ratio"},
    {"cd1", "cd1", "", &P::cd1, -10.0, 10.0, kD.cd1, "drag coefficient: linear term"},
    {"cd2", "cd2", "", &P::cd2, -10.0, 10.0, kD.cd2, "drag coefficient: quadratic term"},
    {"cl0", "cl0", "", &P::cl0, -10.0, 10.0, kD.cl0, "lift coefficient: constant term in the spin ratio"},
    {"cl1", "cl1", "", &P::cl1, -10.0, 10.0, kD.cl1, "lift coefficient: linear term"},
    {"cl2", "cl2", "", &P::cl2, -10.0, 10.0, kD.cl2, "lift coefficient: quadratic term"},
    {"spin_ratio_cap", "spin-ratio-cap", "", &P::spinRatioCap, 0.0, 10.0, kD.spinRatioCap,
     "spin ratio above which the coefficients stay as they are there"},
    {"drag_crisis", "drag-crisis", "", &P::dragCrisis, 0.0, 10.0, kD.dragCrisis,
     "drag coefficient added at rest by the drag crisis, falling to 0 at the critical Reynolds number"},
    {"crisis_reynolds", "crisis-reynolds", "", &P::crisisReynolds, 1000.0, 10000000.0, kD.crisisReynolds,
     "critical Reynolds number of the drag crisis"},
    {"spin_decay", "spin-decay", "%/s", &P::spinDecay, 0.0, 100.0, kD.spinDecay,
     "share of the spin lost per second"},
    {"temperature", "temperature", "degC", &P::temperature, -40.0, 60.0, kD.temperature, "air temperature"},
    {"altitude", "altitude", "m", &P::altitude, -500.0, 5000.0, kD.altitude,
     "height above sea level (the standard atmosphere's pressure there)"},
    {"pressure", "pressure", "hPa", &P::pressure, 300.0, 1100.0, kD.pressure,
     "air pressure at the course, instead of the altitude"},
    {"humidity", "humidity", "%", &P::humidity, 0.0, 100.0, kD.humidity, "relative humidity"},
    {"wind_speed", "wind-speed", "m/s", &P::windSpeed, 0.0, 50.0, kD.windSpeed,
     "wind speed at the wind height"},
    {"wind_direction", "wind-direction", "deg", &P::windDirection, 0.0, 360.0, kD.windDirection,
     "where the wind blows from: 0 against the shot, 90 from the right, 180 behind it"},
    {"wind_height", "wind-height", "m", &P::windHeight, 0.1, 100.0, kD.windHeight,
     "height the wind speed is measured at"},
    {"bounce_e0", "bounce-e0", "", &P::bounceE0, 0.0, 1.0, kD.bounceE0,
     "coefficient of restitution of a slow impact on the ground"},
    {"bounce_e1", "bounce-e1", "s/m", &P::bounceE1, 0.0, 1.0, kD.bounceE1,
     "fall of the restitution per m/s of normal impact speed"},
    {"bounce_e2", "bounce-e2", "s^2/m^2", &P::bounceE2, 0.0, 0.1, kD.bounceE2,
     "curvature of the restitution's fall, held at its least value beyond"},
    {"friction", "friction", "", &P::friction, 0.01, 2.0, kD.friction,
     "friction coefficient between ball and turf, bouncing and sliding"},
    {"crater", "crater", "deg", &P::crater, 0.0, 60.0, kD.crater,
     "tilt of the ground by the ball's crater at an impact of 18.6 m/s and 44.4 deg"},
    {"roll_resistance", "roll-resistance", "", &P::rollResistance, 0.001, 2.0, kD.rollResistance,
     "rolling resistance: the rolling ball's deceleration over g"},
    {"gravity", "gravity", "m/s^2", &P::gravity, 0.1, 100.0, kD.gravity, "gravitational acceleration"},
    {"dt", "dt", "s", &P::dt, 0.0001, 0.1, kD.dt, "time step of the integration"},
}};

}  // namespace

std::span<const BallParamInfo> BallParamInfos() { return kInfos; }

const BallParamInfo* FindBallParam(std::string_view key) {
  for (const BallParamInfo& i : BallParamInfos()) {
    if (i.key == key) return &i;
  }
  return nullptr;
}

std::string BallParamsRefusal(const BallParams& p, bool byKey) {
  for (const BallParamInfo& i : BallParamInfos()) {
    const double v = p.*(i.member);
    if (i.member == &P::pressure && std::isnan(v)) continue;
    // The form's wording, through a field that carries the range alone.
    const Parameter field{.option = i.option, .key = i.key, .label = {}, .quantity = Quantity::Coefficient,
                          .min = i.min, .max = i.max, .defaultValue = i.defaultValue};
    const std::string name = byKey ? std::string(i.key) : "--" + std::string(i.option);
    std::string refusal = FormValueRefusal(field, v, name);
    if (!refusal.empty()) return refusal;
  }
  return {};
}

std::string SpinFormRefusal(bool totalOrAxisGiven, bool backOrSideGiven) {
  if (totalOrAxisGiven && backOrSideGiven)
    return "--back-spin/--side-spin: give the spin either as total spin and spin axis or as back and side spin, not both";
  return {};
}

}  // namespace vendrel
