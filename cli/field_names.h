#pragma once
// What the command line calls the form's fields: the option names and the CSV columns.

#include <span>
#include <string_view>

#include "flight/form_fields.h"

namespace vendrel::cli {

struct FieldNames {
  double FlightForm::*member;
  std::string_view option;  ///< without the dashes: "angle", "side-spin", ...
  std::string_view column;  ///< CSV column: "angle", "side_spin", ...
};

/// The names of a field of FormFields().
const FieldNames& NamesOf(const FormField& field);

/// The field with this option name (without the dashes), if any.
const FormField* FindFieldByOption(std::string_view option);

}  // namespace vendrel::cli
