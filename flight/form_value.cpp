#include "flight/form_value.h"

#include <cmath>
#include <optional>

#include "number_text/number_text.h"

namespace vendrel {
namespace {

std::string Refusal(const Parameter& field, std::string_view name, std::string_view written,
                    const char* what) {
  std::string s(name);
  s += ": '";
  s += written;
  s += "' ";
  s += what;
  s += " (allowed: " + AllowedRange(field) + ")";
  return s;
}

}  // namespace

std::string AllowedRange(const Parameter& field) {
  return FormatNumber(field.min) + " to " + FormatNumber(field.max);
}

std::string FormValueRefusal(const Parameter& field, double value, std::string_view name,
                             std::string_view written) {
  if (field.InRange(value)) return {};
  const std::string own = written.empty() ? FormatNumber(value) : std::string();
  if (written.empty()) written = own;
  return Refusal(field, name, written, std::isnan(value) ? "is not a number" : "is out of range");
}

bool ReadFormValue(const Parameter& field, std::string_view text, std::string_view name,
                   double& value, std::string& refusal) {
  const std::optional<double> read = ReadDecimal(text);
  refusal = read ? FormValueRefusal(field, *read, name, text)
                 : Refusal(field, name, text, "is not a number");
  if (!refusal.empty()) return false;
  value = *read;
  return true;
}

}  // namespace vendrel
