#pragma once
// The nine editable parameters of the form: their allowed ranges (inclusive) and
// defaults. The dialog validates against these and the command line checks its
// options against the same table.

#include <optional>
#include <span>
#include <string_view>

#include "flight/flight_records.h"

namespace vendrel {

struct FormField {
  std::string_view option;     ///< command-line name: "angle", "side-spin", ...
  std::string_view column;     ///< CSV column name: "angle", "side_spin", ...
  std::string_view unit;       ///< for messages: "deg", "rpm", ...
  double FlightForm::*member;  ///< the form value it edits
  double min;
  double max;
  double defaultValue;

  bool InRange(double v) const { return v >= min && v <= max; }
};

/// The fields in the order the command line lists them (and sweeps nest them):
/// angle, speed, side spin, back spin, K, K', mass, gravity, time step.
std::span<const FormField> FormFields();

/// The field with this command-line name, if any.
const FormField* FindFormField(std::string_view option);

/// The field that edits this member of the form.
const FormField& FormFieldFor(double FlightForm::*member);

/// Loads every default into the form. The carry is a result and stays as it is.
void LoadDefaults(FlightForm& form);

/// A form holding the defaults and a carry of 0.
FlightForm DefaultForm();

}  // namespace vendrel
