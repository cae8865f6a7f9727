#pragma once
// The units a person reads and writes: metric (the model's own units) or imperial.
// Each parameter of flight/parameters.h says which kind of quantity it is; the kind
// says how it converts. The model always runs in its own units: values are converted
// only where they enter or leave the program, with the exact factors below.

#include <string_view>

namespace vendrel {

enum class Units { Metric, Imperial };

/// What a value measures, and so how it reads in each system of units.
enum class Quantity {
  Coefficient,   ///< no unit
  Angle,         ///< deg in both
  SpinRate,      ///< rpm in both
  Mass,          ///< g in both
  Acceleration,  ///< m/s^2 in both
  Time,          ///< s in both
  Speed,         ///< m/s, or mph
  Distance,      ///< m, or yd: carry, positions
  Height,        ///< m, or ft: altitudes
  Temperature,   ///< °C, or °F
  Pressure,      ///< hPa, or inHg
  Millimetres,   ///< mm in both: a ball's diameter
  Percent,       ///< % in both
  PercentPerSecond,  ///< %/s in both
  PerSpeed,          ///< s/m in both: a coefficient per m/s of impact speed
  PerSpeedSquared,   ///< s^2/m^2 in both
};

inline constexpr double kMetresPerYard = 0.9144;
inline constexpr double kMetresPerFoot = 0.3048;
inline constexpr double kMetresPerSecondPerMph = 0.44704;
inline constexpr double kHectopascalsPerInchOfMercury = 33.8638866667;  // at 0 °C

/// "metric" or "imperial"; false (and `units` unchanged) for anything else.
bool ParseUnits(std::string_view text, Units& units);

/// A value of `q` as a person in `u` gives it, in the model's unit; and back.
double ToModel(Quantity q, Units u, double v);
double FromModel(Quantity q, Units u, double v);
/// The unit a person in `u` reads: "deg", "mph", ""...
std::string_view UnitText(Quantity q, Units u);

// The two kinds every result has.
inline double LengthToModel(Units u, double v) { return ToModel(Quantity::Distance, u, v); }
inline double LengthFromModel(Units u, double v) { return FromModel(Quantity::Distance, u, v); }
inline double SpeedToModel(Units u, double v) { return ToModel(Quantity::Speed, u, v); }
inline double SpeedFromModel(Units u, double v) { return FromModel(Quantity::Speed, u, v); }
inline const char* LengthUnit(Units u) { return u == Units::Imperial ? "yd" : "m"; }
inline const char* SpeedUnit(Units u) { return u == Units::Imperial ? "mph" : "m/s"; }

}  // namespace vendrel
