#pragma once
// Every parameter of every flight model, described once: how each front end names it,
// what it measures, its range and default, the record member it sets, and a line of
// help. The command line's options and manual, the CSV columns and JSON keys, the web
// edition's API keys and link names and the Python keywords are all derived from this
// table, so a new parameter is one row here (and its physics), nothing in a front end.
//
// Rows keep the order people see: the options, the CSV columns and the keywords come
// in this order. A row applies to the models whose record member it names.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "flight/ball_params.h"
#include "flight/flight_records.h"
#include "flight/units.h"

namespace vendrel {

enum class Model { Form, Ball };

/// The tick bound a flight takes when none is given, and the largest any front end
/// takes (about 30 years of 1 ms ticks).
inline constexpr std::int64_t kDefaultMaxTicks = 10'000'000;
inline constexpr std::int64_t kMaxTicksLimit = 1'000'000'000'000;

struct Parameter {
  std::string_view option;  ///< the command line's option without "--", the page link's name: "side-spin"
  std::string_view key;     ///< JSON, CSV, the web API and Python: "side_spin"
  std::string_view label;   ///< a chart's axis: "side spin", "K"
  Quantity quantity;        ///< its unit in each system (flight/units.h)
  double min;               ///< inclusive, in the model's unit
  double max;
  double defaultValue;                 ///< the default of every model that names no other
  std::optional<double> ballDefault{};  ///< the ball model's own default, if it differs
  std::optional<double> ballMin{};      ///< the ball model's own range, if it differs
  std::optional<double> ballMax{};
  double FlightForm::*form = nullptr;  ///< the member it sets in the form's model; null: not that model's
  double BallParams::*ball = nullptr;  ///< the member it sets in the ball model; null: not that model's
  /// A launch value: the shot's own, as a launch monitor measures it. The other ball
  /// rows are conditions (air, wind, surface) and the model's constants, which a
  /// session sets once for all its shots.
  bool launch = false;
  std::string_view help{};             ///< what it is, one line: "Launch speed"
  std::string_view note{};             ///< a further sentence for the manual, if any

  constexpr bool AppliesTo(Model m) const { return m == Model::Form ? form != nullptr : ball != nullptr; }
  constexpr double Default(Model m) const {
    return m == Model::Ball && ballDefault ? *ballDefault : defaultValue;
  }
  constexpr double Min(Model m) const { return m == Model::Ball && ballMin ? *ballMin : min; }
  constexpr double Max(Model m) const { return m == Model::Ball && ballMax ? *ballMax : max; }
  constexpr bool InRange(double v) const { return v >= min && v <= max; }
  /// Its unit as a person in `u` reads it: "deg", "mph", "" for a coefficient.
  std::string_view Unit(Units u = Units::Metric) const { return UnitText(quantity, u); }
};

// clang-format off
// The ball model's defaults and where they come from: flight/ball_params.cpp. Its
// pressure defaults to NaN: the standard atmosphere's at the altitude.
inline constexpr std::array kParameterTable{
    Parameter{.option = "angle", .key = "angle", .label = "launch angle",
              .quantity = Quantity::Angle,
              .min = 0.0, .max = 90.0, .defaultValue = 15.0, .ballDefault = 10.9, .ballMin = -90.0,
              .form = &FlightForm::launchAngle, .ball = &BallParams::angle, .launch = true,
              .help = "Launch angle above the ground, in degrees",
              .note = "The ball model also takes angles below 0, as a launch monitor measures a putt or a "
                      "topped shot: the ball lands at once and the ground phase takes it on."},
    Parameter{.option = "speed", .key = "speed", .label = "launch speed",
              .quantity = Quantity::Speed,
              .min = 0.0, .max = 100.0, .defaultValue = 60.0, .ballDefault = 74.66, .ballMax = 120.0,
              .form = &FlightForm::launchSpeed, .ball = &BallParams::speed, .launch = true, .help = "Launch speed"},
    Parameter{.option = "direction", .key = "direction", .label = "direction",
              .quantity = Quantity::Angle,
              .min = -90.0, .max = 90.0, .defaultValue = 0.0,
              .ball = &BallParams::direction, .launch = true,
              .help = "Horizontal launch angle, positive to the right of the target line"},
    Parameter{.option = "total-spin", .key = "total_spin", .label = "total spin",
              .quantity = Quantity::SpinRate,
              .min = 0.0, .max = 20000.0, .defaultValue = 2686.0,
              .ball = &BallParams::totalSpin, .launch = true, .help = "Spin rate at launch in revolutions per minute"},
    Parameter{.option = "spin-axis", .key = "spin_axis", .label = "spin axis",
              .quantity = Quantity::Angle,
              .min = -180.0, .max = 180.0, .defaultValue = 0.0,
              .ball = &BallParams::spinAxis, .launch = true,
              .help = "Tilt of the spin axis in degrees; positive curves the ball to the right",
              .note = "Beyond 90 either way the ball has top spin (180: top spin alone), as back spin below 0 "
                      "gives it."},
    Parameter{.option = "side-spin", .key = "side_spin", .label = "side spin",
              .quantity = Quantity::SpinRate,
              .min = -100000.0, .max = 100000.0, .defaultValue = 0.0, .ballMin = -20000.0, .ballMax = 20000.0,
              .form = &FlightForm::sideSpin, .ball = &BallParams::sideSpin, .launch = true,
              .help = "Side spin in revolutions per minute",
              .note = "Positive side spin curves the ball towards positive y (to the right)."},
    Parameter{.option = "back-spin", .key = "back_spin", .label = "back spin",
              .quantity = Quantity::SpinRate,
              .min = -100000.0, .max = 100000.0, .defaultValue = 2000.0, .ballDefault = 0.0,
              .ballMin = -20000.0, .ballMax = 20000.0,
              .form = &FlightForm::backSpin, .ball = &BallParams::backSpin, .launch = true,
              .help = "Back spin in revolutions per minute",
              .note = "The ball model takes back and side spin instead of total spin and spin axis."},
    Parameter{.option = "k", .key = "k", .label = "K",
              .quantity = Quantity::Coefficient,
              .min = 0.0, .max = 10.0, .defaultValue = 0.01,
              .form = &FlightForm::k, .help = "Lift coefficient K of the spin force"},
    Parameter{.option = "k-prime", .key = "k_prime", .label = "K'",
              .quantity = Quantity::Coefficient,
              .min = 0.0, .max = 10.0, .defaultValue = 0.02,
              .form = &FlightForm::kPrime, .help = "Drag coefficient K'"},
    Parameter{.option = "mass", .key = "mass", .label = "ball mass",
              .quantity = Quantity::Mass,
              .min = 0.0, .max = 10000.0, .defaultValue = 46.0, .ballDefault = 45.93,
              .ballMin = 1.0, .ballMax = 1000.0,
              .form = &FlightForm::ballMass, .ball = &BallParams::mass, .help = "Mass of the ball in grams"},
    Parameter{.option = "diameter", .key = "diameter", .label = "ball diameter",
              .quantity = Quantity::Millimetres,
              .min = 10.0, .max = 200.0, .defaultValue = 42.67,
              .ball = &BallParams::diameter, .help = "Diameter of the ball in millimetres"},
    Parameter{.option = "cd0", .key = "cd0", .label = "Cd0",
              .quantity = Quantity::Coefficient, .min = -10.0, .max = 10.0, .defaultValue = 0.161,
              .ball = &BallParams::cd0, .help = "Drag coefficient: constant term in the spin ratio"},
    Parameter{.option = "cd1", .key = "cd1", .label = "Cd1",
              .quantity = Quantity::Coefficient, .min = -10.0, .max = 10.0, .defaultValue = 0.717,
              .ball = &BallParams::cd1, .help = "Drag coefficient: linear term"},
    Parameter{.option = "cd2", .key = "cd2", .label = "Cd2",
              .quantity = Quantity::Coefficient, .min = -10.0, .max = 10.0, .defaultValue = -0.638,
              .ball = &BallParams::cd2, .help = "Drag coefficient: quadratic term"},
    Parameter{.option = "cl0", .key = "cl0", .label = "Cl0",
              .quantity = Quantity::Coefficient, .min = -10.0, .max = 10.0, .defaultValue = 0.0504,
              .ball = &BallParams::cl0, .help = "Lift coefficient: constant term in the spin ratio"},
    Parameter{.option = "cl1", .key = "cl1", .label = "Cl1",
              .quantity = Quantity::Coefficient, .min = -10.0, .max = 10.0, .defaultValue = 1.2031,
              .ball = &BallParams::cl1, .help = "Lift coefficient: linear term"},
    Parameter{.option = "cl2", .key = "cl2", .label = "Cl2",
              .quantity = Quantity::Coefficient, .min = -10.0, .max = 10.0, .defaultValue = -1.1490,
              .ball = &BallParams::cl2, .help = "Lift coefficient: quadratic term"},
    Parameter{.option = "spin-ratio-cap", .key = "spin_ratio_cap", .label = "spin ratio cap",
              .quantity = Quantity::Coefficient, .min = 0.0, .max = 10.0, .defaultValue = 0.75,
              .ball = &BallParams::spinRatioCap,
              .help = "Spin ratio above which the coefficients stay as they are there"},
    Parameter{.option = "drag-crisis", .key = "drag_crisis", .label = "drag crisis",
              .quantity = Quantity::Coefficient, .min = 0.0, .max = 10.0, .defaultValue = 0.1,
              .ball = &BallParams::dragCrisis,
              .help = "Drag coefficient added at rest, falling to 0 at the critical Reynolds number"},
    Parameter{.option = "crisis-reynolds", .key = "crisis_reynolds", .label = "critical Reynolds number",
              .quantity = Quantity::Coefficient, .min = 1000.0, .max = 10000000.0, .defaultValue = 100000.0,
              .ball = &BallParams::crisisReynolds, .help = "Critical Reynolds number of the drag crisis"},
    Parameter{.option = "spin-decay", .key = "spin_decay", .label = "spin decay",
              .quantity = Quantity::PercentPerSecond, .min = 0.0, .max = 100.0, .defaultValue = 4.0,
              .ball = &BallParams::spinDecay, .help = "Share of the spin lost per second"},
    Parameter{.option = "temperature", .key = "temperature", .label = "air temperature",
              .quantity = Quantity::Temperature, .min = -40.0, .max = 60.0, .defaultValue = 15.0,
              .ball = &BallParams::temperature, .help = "Air temperature"},
    Parameter{.option = "altitude", .key = "altitude", .label = "altitude",
              .quantity = Quantity::Height, .min = -500.0, .max = 5000.0, .defaultValue = 0.0,
              .ball = &BallParams::altitude,
              .help = "Height above sea level (the standard atmosphere's pressure there)"},
    Parameter{.option = "pressure", .key = "pressure", .label = "air pressure",
              .quantity = Quantity::Pressure, .min = 300.0, .max = 1100.0, .defaultValue = std::numeric_limits<double>::quiet_NaN(),
              .ball = &BallParams::pressure,
              .help = "Air pressure at the course, instead of the altitude",
              .note = "Not given, it is the standard atmosphere's at the altitude."},
    Parameter{.option = "humidity", .key = "humidity", .label = "humidity",
              .quantity = Quantity::Percent, .min = 0.0, .max = 100.0, .defaultValue = 0.0,
              .ball = &BallParams::humidity, .help = "Relative humidity"},
    Parameter{.option = "wind-speed", .key = "wind_speed", .label = "wind speed",
              .quantity = Quantity::Speed, .min = 0.0, .max = 50.0, .defaultValue = 0.0,
              .ball = &BallParams::windSpeed, .help = "Wind speed at the wind height"},
    Parameter{.option = "wind-direction", .key = "wind_direction", .label = "wind direction",
              .quantity = Quantity::Angle, .min = 0.0, .max = 360.0, .defaultValue = 0.0,
              .ball = &BallParams::windDirection,
              .help = "Where the wind blows from: 0 against the shot, 90 from the right, 180 behind it"},
    Parameter{.option = "wind-height", .key = "wind_height", .label = "wind height",
              .quantity = Quantity::Height, .min = 0.1, .max = 100.0, .defaultValue = 10.0,
              .ball = &BallParams::windHeight, .help = "Height the wind speed is measured at"},
    Parameter{.option = "bounce-e0", .key = "bounce_e0", .label = "restitution",
              .quantity = Quantity::Coefficient, .min = 0.0, .max = 1.0, .defaultValue = 0.255,
              .ball = &BallParams::bounceE0, .help = "Coefficient of restitution of a slow impact on the ground"},
    Parameter{.option = "bounce-e1", .key = "bounce_e1", .label = "restitution's fall",
              .quantity = Quantity::PerSpeed, .min = 0.0, .max = 1.0, .defaultValue = 0.01875,
              .ball = &BallParams::bounceE1, .help = "Fall of the restitution per m/s of normal impact speed"},
    Parameter{.option = "bounce-e2", .key = "bounce_e2", .label = "restitution's curvature",
              .quantity = Quantity::PerSpeedSquared, .min = 0.0, .max = 0.1, .defaultValue = 0.0004515,
              .ball = &BallParams::bounceE2,
              .help = "Curvature of the restitution's fall, held at its least value beyond"},
    Parameter{.option = "friction", .key = "friction", .label = "friction",
              .quantity = Quantity::Coefficient, .min = 0.01, .max = 2.0, .defaultValue = 0.4,
              .ball = &BallParams::friction, .help = "Friction coefficient between ball and turf, bouncing and sliding"},
    Parameter{.option = "crater", .key = "crater", .label = "crater",
              .quantity = Quantity::Angle, .min = 0.0, .max = 60.0, .defaultValue = 12.0,
              .ball = &BallParams::crater,
              .help = "Tilt of the ground by the ball's crater at an impact of 18.6 m/s and 44.4 deg"},
    Parameter{.option = "roll-resistance", .key = "roll_resistance", .label = "rolling resistance",
              .quantity = Quantity::Coefficient, .min = 0.001, .max = 2.0, .defaultValue = 0.6,
              .ball = &BallParams::rollResistance,
              .help = "Rolling resistance: the rolling ball's deceleration over g"},
    Parameter{.option = "gravity", .key = "gravity", .label = "gravity",
              .quantity = Quantity::Acceleration,
              .min = 0.0, .max = 10000.0, .defaultValue = 9.8, .ballDefault = 9.80665,
              .ballMin = 0.1, .ballMax = 100.0,
              .form = &FlightForm::gravity, .ball = &BallParams::gravity, .help = "Gravitational acceleration",
              .note = "(The window always uses its default.)"},
    Parameter{.option = "dt", .key = "dt", .label = "time step",
              .quantity = Quantity::Time,
              .min = 0.00001, .max = 0.1, .defaultValue = 0.01, .ballDefault = 0.05, .ballMin = 0.0001,
              .form = &FlightForm::timeStep, .ball = &BallParams::dt, .help = "Time step of the integration"},
};
// clang-format on

/// How many rows apply to model `m`.
constexpr std::size_t ParameterCount(Model m) {
  std::size_t n = 0;
  for (const Parameter& p : kParameterTable) n += p.AppliesTo(m) ? 1 : 0;
  return n;
}

/// The form's model has a fixed count, so its values fit in arrays.
inline constexpr std::size_t kFormParameterCount = ParameterCount(Model::Form);

/// The rows of one model, in the table's order.
class ParameterList {
 public:
  class Iterator {
   public:
    using value_type = Parameter;
    using difference_type = std::ptrdiff_t;
    Iterator() = default;
    explicit Iterator(const Parameter* const* at) : at_(at) {}
    const Parameter& operator*() const { return **at_; }
    const Parameter* operator->() const { return *at_; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator was = *this;
      ++at_;
      return was;
    }
    bool operator==(const Iterator&) const = default;

   private:
    const Parameter* const* at_ = nullptr;
  };

  explicit ParameterList(std::span<const Parameter* const> rows) : rows_(rows) {}
  std::size_t size() const { return rows_.size(); }
  const Parameter& operator[](std::size_t i) const { return *rows_[i]; }
  Iterator begin() const { return Iterator(rows_.data()); }
  Iterator end() const { return Iterator(rows_.data() + rows_.size()); }
  /// The position of `p` in this list; size() when it is not in it.
  std::size_t IndexOf(const Parameter& p) const;

 private:
  std::span<const Parameter* const> rows_;
};

/// Every row of every model.
inline std::span<const Parameter> AllParameters() { return kParameterTable; }

/// The rows of model `m`. The form's are, in order: angle, speed, side spin, back spin,
/// K, K', mass, gravity, time step.
ParameterList ParametersOf(Model m);

/// Model `m`'s row with this option name ("side-spin") or key ("side_spin"); null if none.
const Parameter* FindByOption(Model m, std::string_view option);
const Parameter* FindByKey(Model m, std::string_view key);

/// Sets the ground of `ball` to the surface `name`'s (SetSurface), except the rows of
/// `given`, which were set on their own and keep their values whatever came first;
/// false for a name that is no surface.
bool SetSurfaceKeeping(BallParams& ball, std::string_view name, std::span<const Parameter* const> given);

/// Model `m`'s option names, or its keys, joined by ", ": for refusals that list them.
std::string OptionNames(Model m);
std::string KeyNames(Model m);

/// The row that sets this member of the form. Every member but the carry has one.
const Parameter& ParameterFor(double FlightForm::*member);
/// The row that sets this member of the ball's parameters; every member has one.
const Parameter& ParameterFor(double BallParams::*member);

/// The member a row sets in a model's record (FlightForm, BallParams); null when the
/// row is not that model's. Code that works on any model's record goes through this.
template <class Record>
constexpr double Record::*MemberOf(const Parameter& p);
template <>
constexpr double FlightForm::*MemberOf<FlightForm>(const Parameter& p) {
  return p.form;
}
template <>
constexpr double BallParams::*MemberOf<BallParams>(const Parameter& p) {
  return p.ball;
}

/// The value `p` holds in `record`; `p` must apply to the record's model.
template <class Record>
double& ValueIn(Record& record, const Parameter& p) {
  return record.*MemberOf<Record>(p);
}
template <class Record>
double ValueIn(const Record& record, const Parameter& p) {
  return record.*MemberOf<Record>(p);
}

/// A value of `p` as a person in `u` gives it, in the model's unit; and back.
inline double ToModel(const Parameter& p, Units u, double v) { return ToModel(p.quantity, u, v); }
inline double FromModel(const Parameter& p, Units u, double v) { return FromModel(p.quantity, u, v); }

/// The row as model `m` takes it: `min`, `max` and `defaultValue` hold that model's.
Parameter ForModel(const Parameter& p, Model m);

/// The row as a person in `u` sees it: its range and defaults converted, so values
/// read against it are in the person's units.
Parameter InUnits(const Parameter& p, Units u);

/// Loads every default into the form. The carry is a result and stays as it is.
void LoadDefaults(FlightForm& form);

/// A form holding the defaults and a carry of 0.
FlightForm DefaultForm();

}  // namespace vendrel
