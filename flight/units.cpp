#include "flight/units.h"

#include <array>

namespace vendrel {
namespace {

// A kind's units and how its imperial values convert. Each conversion is the one
// exact operation (or two, for an offset) a person would write, so a value converted
// there and back gives its own bits wherever that is possible.
struct Conversion {
  std::string_view metric;
  std::string_view imperial;
  double (*toModel)(double);
  double (*fromModel)(double);
};

double Same(double v) { return v; }

constexpr std::array<Conversion, 16> kConversions{{
    {"", "", Same, Same},
    {"deg", "deg", Same, Same},
    {"rpm", "rpm", Same, Same},
    {"g", "g", Same, Same},
    {"m/s^2", "m/s^2", Same, Same},
    {"s", "s", Same, Same},
    {"m/s", "mph", [](double v) { return v * kMetresPerSecondPerMph; },
     [](double v) { return v / kMetresPerSecondPerMph; }},
    {"m", "yd", [](double v) { return v * kMetresPerYard; }, [](double v) { return v / kMetresPerYard; }},
    {"m", "ft", [](double v) { return v * kMetresPerFoot; }, [](double v) { return v / kMetresPerFoot; }},
    {"°C", "°F", [](double v) { return (v - 32.0) / 1.8; }, [](double v) { return v * 1.8 + 32.0; }},
    {"hPa", "inHg", [](double v) { return v * kHectopascalsPerInchOfMercury; },
     [](double v) { return v / kHectopascalsPerInchOfMercury; }},
    {"mm", "mm", Same, Same},
    {"%", "%", Same, Same},
    {"%/s", "%/s", Same, Same},
    {"s/m", "s/m", Same, Same},
    {"s^2/m^2", "s^2/m^2", Same, Same},
}};

const Conversion& Of(Quantity q) { return kConversions[static_cast<std::size_t>(q)]; }

}  // namespace

bool ParseUnits(std::string_view text, Units& units) {
  if (text == "metric") units = Units::Metric;
  else if (text == "imperial") units = Units::Imperial;
  else return false;
  return true;
}

double ToModel(Quantity q, Units u, double v) { return u == Units::Imperial ? Of(q).toModel(v) : v; }
double FromModel(Quantity q, Units u, double v) { return u == Units::Imperial ? Of(q).fromModel(v) : v; }
std::string_view UnitText(Quantity q, Units u) { return u == Units::Imperial ? Of(q).imperial : Of(q).metric; }

}  // namespace vendrel
