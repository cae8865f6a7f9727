#include "cli/units.h"

namespace vendrel::cli {

bool ParseUnits(std::string_view text, Units& units) {
  if (text == "metric") units = Units::Metric;
  else if (text == "imperial") units = Units::Imperial;
  else return false;
  return true;
}

double LengthToModel(Units u, double v) { return u == Units::Imperial ? v * kMetresPerYard : v; }
double LengthFromModel(Units u, double v) { return u == Units::Imperial ? v / kMetresPerYard : v; }
double SpeedToModel(Units u, double v) { return u == Units::Imperial ? v * kMetresPerSecondPerMph : v; }
double SpeedFromModel(Units u, double v) { return u == Units::Imperial ? v / kMetresPerSecondPerMph : v; }

const char* LengthUnit(Units u) { return u == Units::Imperial ? "yd" : "m"; }
const char* SpeedUnit(Units u) { return u == Units::Imperial ? "mph" : "m/s"; }

namespace {
bool IsSpeed(const FormField& f) { return f.member == &FlightForm::launchSpeed; }
}  // namespace

double FieldToModel(const FormField& f, Units u, double v) { return IsSpeed(f) ? SpeedToModel(u, v) : v; }
double FieldFromModel(const FormField& f, Units u, double v) { return IsSpeed(f) ? SpeedFromModel(u, v) : v; }
std::string_view FieldUnit(const FormField& f, Units u) { return IsSpeed(f) ? SpeedUnit(u) : f.unit; }

FormField InUnits(const FormField& f, Units u) {
  FormField g = f;
  g.min = FieldFromModel(f, u, f.min);
  g.max = FieldFromModel(f, u, f.max);
  g.defaultValue = FieldFromModel(f, u, f.defaultValue);
  g.unit = FieldUnit(f, u);
  return g;
}

}  // namespace vendrel::cli
