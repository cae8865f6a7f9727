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
  // The model is set first, whatever the keys' order.
  if (request.model == Model::Ball) {
    error = BallTickBoundRefusal();
    return false;
  }
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

const Parameter* Field(const ApiRequest& request, std::string_view key, std::string& error) {
  const Parameter* field = FindByKey(request.model, key);
  if (field != nullptr) return field;
  const Model other = request.model == Model::Form ? Model::Ball : Model::Form;
  if (const Parameter* theirs = FindByKey(other, key)) {
    error = OptionName(*theirs) + ": only with --model " + (other == Model::Form ? "form" : "ball");
  } else {
    error = "unknown parameter " + Quote(key) + " (known: " + KeyNames(request.model) +
            (request.model == Model::Ball ? ", surface" : "") + ", model, max_ticks)";
  }
  return nullptr;
}

bool SetModel(ApiRequest& request, std::string_view text, std::string& error) {
  if (text != "form" && text != "ball") {
    error = "--model: " + Quote(text) + " is not one of form or ball";
    return false;
  }
  request.model = text == "ball" ? Model::Ball : Model::Form;
  return true;
}

// The ground's constants as a named set; a constant set on its own keeps its value.
bool SetSurfaceOf(ApiRequest& request, std::string_view text, std::string& error) {
  if (request.model != Model::Ball) {
    error = "--surface: only with --model ball";
    return false;
  }
  if (!SetSurfaceKeeping(request.ball, text, request.given)) {
    error = "--surface: " + Quote(text) + " is not one of " + SurfaceList();
    return false;
  }
  return true;
}

// Sets a value the row's range took; refuses a ball's spin given in the other form too.
bool Store(ApiRequest& request, const Parameter& field, double value, std::string& error) {
  if (request.model == Model::Form) {
    ValueIn(request.form, field) = value;
    return true;
  }
  const bool axis = request.spinAsAxis || SpinFormOf(field.ball) == SpinForm::TotalAndAxis;
  const bool components = request.ball.spinAsComponents || SpinFormOf(field.ball) == SpinForm::BackAndSide;
  error = SpinFormRefusal(axis, components);
  if (!error.empty()) return false;
  request.spinAsAxis = axis;
  request.ball.spinAsComponents = components;
  ValueIn(request.ball, field) = value;
  request.given.push_back(&field);
  return true;
}

}  // namespace

bool SetApiNumber(ApiRequest& request, std::string_view key, double value, std::string& error) {
  if (key == "max_ticks") return SetMaxTicks(request, NumberText(value), value, error);
  if (key == "model") return SetModel(request, NumberText(value), error);
  if (key == "surface") return SetSurfaceOf(request, NumberText(value), error);
  const Parameter* field = Field(request, key, error);
  if (field == nullptr) return false;
  error = FormValueRefusal(ForModel(*field, request.model), value, OptionName(*field));
  if (!error.empty()) return false;
  return Store(request, *field, value, error);
}

bool SetApiText(ApiRequest& request, std::string_view key, std::string_view text,
                std::string& error) {
  if (key == "max_ticks") {
    const std::optional<double> value =
        IsWholeText(text) ? ReadDecimal(text) : std::optional<double>();
    return SetMaxTicks(request, text, value, error);
  }
  if (key == "model") return SetModel(request, text, error);
  if (key == "surface") return SetSurfaceOf(request, text, error);
  const Parameter* field = Field(request, key, error);
  if (field == nullptr) return false;
  // Text is read as the command line reads its options: a plain decimal, nothing around it.
  double value = 0.0;
  if (!ReadFormValue(ForModel(*field, request.model), text, OptionName(*field), value, error)) return false;
  return Store(request, *field, value, error);
}

FlightOutcome FlyApi(const ApiRequest& request) {
  FlightForm form = request.form;
  return RunFlight(form, request.maxTicks.value_or(kDefaultMaxTicks));
}

BallSummary FlyBallApi(const ApiRequest& request) { return FlyBall(request.ball); }

std::vector<TrajectoryRow> TrajectoryApi(const ApiRequest& request) {
  return FlyTrajectory(request.form, request.maxTicks.value_or(kTrajectoryDefaultMaxTicks));
}

std::vector<BallTrajectoryRow> BallTrajectoryApi(const ApiRequest& request) {
  return FlyBallTrajectory(request.ball);
}

}  // namespace vendrel::web
