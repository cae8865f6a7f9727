#pragma once
// The units a person reads and writes: metric (the model's own metres and m/s) or
// imperial (yards and mph). The model always runs in metres and seconds; values are
// converted only where they enter or leave the program, with the exact factors.

#include <string_view>

#include "flight/form_fields.h"

namespace vendrel::cli {

enum class Units { Metric, Imperial };

inline constexpr double kMetresPerYard = 0.9144;
inline constexpr double kMetresPerSecondPerMph = 0.44704;

/// "metric" or "imperial"; false for anything else.
bool ParseUnits(std::string_view text, Units& units);

/// A length (carry, distance, lateral, apex, positions) between the model and a person.
double LengthToModel(Units u, double v);
double LengthFromModel(Units u, double v);
/// A speed (launch speed, velocities).
double SpeedToModel(Units u, double v);
double SpeedFromModel(Units u, double v);

const char* LengthUnit(Units u);  ///< "m" or "yd"
const char* SpeedUnit(Units u);   ///< "m/s" or "mph"

/// A form field's value as a person gives it, in the model's units (only the launch
/// speed changes), and back.
double FieldToModel(const FormField& f, Units u, double v);
double FieldFromModel(const FormField& f, Units u, double v);
/// The field's unit as a person reads it.
std::string_view FieldUnit(const FormField& f, Units u);

/// The field as a person in these units sees it: its range, default and unit converted
/// (only the launch speed's change). Values read against it are in the user's units.
FormField InUnits(const FormField& f, Units u);

}  // namespace vendrel::cli
