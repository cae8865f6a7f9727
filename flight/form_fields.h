#pragma once
// The nine editable parameters of the form: their allowed ranges (inclusive) and
// defaults. The dialog validates against these, and every other front end checks its
// values against the same table (flight/form_value.h). What a front end calls a field
// is its own business.

#include <span>
#include <string_view>

#include "flight/flight_records.h"

namespace vendrel {

struct FormField {
  std::string_view unit;       ///< for messages: "deg", "rpm", ...
  double FlightForm::*member;  ///< the form value it edits
  double min;
  double max;
  double defaultValue;

  bool InRange(double v) const { return v >= min && v <= max; }
};

/// The fields in the form's order: angle, speed, side spin, back spin, K, K', mass,
/// gravity, time step.
std::span<const FormField> FormFields();

/// The field that edits this member of the form.
const FormField& FormFieldFor(double FlightForm::*member);

/// Loads every default into the form. The carry is a result and stays as it is.
void LoadDefaults(FlightForm& form);

/// A form holding the defaults and a carry of 0.
FlightForm DefaultForm();

}  // namespace vendrel
