#include "web/core/api_flight.h"

#include <cmath>
#include <optional>

#include "flight/form_value.h"
#include "number_text/number_text.h"
#include "web/core/page_fields.h"

namespace vendrel::web {
namespace {

std::string Quote(std::string_view s) { return "'" + std::string(s) + "'"; }

std::string NumberText(double v) { return FormatNumber(v); }

std::string OptionName(const Parameter& p) { return "--" + std::string(p.option); }

bool SetMaxTicks(ApiRequest& request, std::string_view text, std::optional<double> value,
                 std::string& error) {
  // Whole numbers only: the double of every whole number up to the limit is exact.
  if (!value || !(*value >= 1.0 && *value <= static_cast<double>(kMaxTicksLimit)) ||
      std::trunc(*value) != *value) {
    error = "--max-ticks: " + Quote(text) + " is not a whole number from 1 to " +
            std::to_string(kMaxTicksLimit);
    return false;
  }
  request.maxTicks = static_cast<std::int64_t>(*value);
  return true;
}

bool IsWholeText(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

const Parameter* Field(std::string_view key, std::string& error) {
  const Parameter* field = FindByKey(Model::Form, key);
  if (field == nullptr) {
    error = "unknown parameter " + Quote(key) + " (known: " + KeyNames(Model::Form) + ", max_ticks)";
  }
  return field;
}

}  // namespace

bool SetApiNumber(ApiRequest& request, std::string_view key, double value, std::string& error) {
  if (key == "max_ticks") return SetMaxTicks(request, NumberText(value), value, error);
  const Parameter* field = Field(key, error);
  if (field == nullptr) return false;
  error = FormValueRefusal(*field, value, OptionName(*field));
  if (!error.empty()) return false;
  ValueIn(request.form, *field) = value;
  return true;
}

bool SetApiText(ApiRequest& request, std::string_view key, std::string_view text,
                std::string& error) {
  if (key == "max_ticks") {
    const std::optional<double> value =
        IsWholeText(text) ? ReadDecimal(text) : std::optional<double>();
    return SetMaxTicks(request, text, value, error);
  }
  const Parameter* field = Field(key, error);
  if (field == nullptr) return false;
  // Text is read as the command line reads its options: a plain decimal, nothing around it.
  return ReadFormValue(*field, text, OptionName(*field), ValueIn(request.form, *field), error);
}

FlightOutcome FlyApi(const ApiRequest& request) {
  FlightForm form = request.form;
  return RunFlight(form, request.maxTicks.value_or(kDefaultMaxTicks));
}

std::vector<TrajectoryRow> TrajectoryApi(const ApiRequest& request) {
  return FlyTrajectory(request.form, request.maxTicks.value_or(kTrajectoryDefaultMaxTicks));
}

}  // namespace vendrel::web
