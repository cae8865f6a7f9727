#pragma once
// Whether a value can be a parameter's, and the one line that says why not. Every
// front end that takes values from outside the window (the command line, the web
// edition's API, the Python module) refuses them with these words, each naming the
// parameter its own way.

#include <string>
#include <string_view>

#include "flight/parameters.h"

namespace vendrel {

/// The field's range as the refusals show it: "0 to 90", "0.00001 to 0.1".
std::string AllowedRange(const Parameter& field);

/// Why `value` cannot be `field`'s, as one line that names the field as `name`:
///   "--angle: '95' is out of range (allowed: 0 to 90)"
///   "angle: 'nan' is not a number (allowed: 0 to 90)"
/// Empty when the field takes the value. The quoted text is `written`, how the value
/// was given, or the value's own text when `written` is empty.
std::string FormValueRefusal(const Parameter& field, double value, std::string_view name,
                             std::string_view written = {});

/// Reads `text` as a value of `field`: a plain decimal with nothing around it
/// (ReadDecimal) within the field's range. On a refusal returns false, leaves
/// `value` alone and sets `refusal` to the line that names the field as `name`.
bool ReadFormValue(const Parameter& field, std::string_view text, std::string_view name,
                   double& value, std::string& refusal);

}  // namespace vendrel
