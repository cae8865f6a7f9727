#include "cli/declare.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <limits>

#include "cli/chart_drawing.h"
#include "number_text/number_text.h"
#include "cli/refuse.h"
#include "flight/ball_params.h"
#include "flight/ball_ground.h"
#include "flight/form_value.h"
#include "number_text/number_text.h"

namespace vendrel::cli {
namespace {

// The callback's refusal leaves the parser as the line the user sees.
void Throw(const std::string& refusal) {
  if (!refusal.empty()) throw CLI::ValidationError(refusal);
}

std::string WholeRange(std::int64_t min, std::int64_t max) {
  return max == std::numeric_limits<std::int64_t>::max()
             ? "at least " + std::to_string(min)
             : std::to_string(min) + " to " + std::to_string(max);
}

std::string ModelName(Model m) { return m == Model::Form ? "form" : "ball"; }

// One model's range and default of a row, for its usage.
std::string RowRange(const Parameter& p, Model m) {
  const Parameter q = ForModel(p, m);
  return AllowedRange(q) + (q.Unit().empty() ? "" : " ") + std::string(q.Unit()) + ", default " +
         (std::isnan(q.defaultValue) ? std::string("none") : FormatNumber(q.defaultValue));
}

// The usage of a row: each of its models' range and default.
std::string RowHelp(const Parameter& p) {
  const bool form = p.AppliesTo(Model::Form), ball = p.AppliesTo(Model::Ball);
  const auto one = [&p](Model m) { return RowRange(p, m); };
  if (form && ball) return one(Model::Form) + "; ball: " + one(Model::Ball);
  return (ball ? "ball model only: " : "form model only: ") + one(ball ? Model::Ball : Model::Form);
}

// A row's value as a person in `units` gives it, read against model `m`'s range and
// kept in the model's unit.
bool ReadRowValue(const Parameter& p, Model m, Units units, const std::string& text, const std::string& name,
                  double& out, std::string& refusal) {
  double v = 0.0;
  if (!ReadFormValue(InUnits(ForModel(p, m), units), text, name, v, refusal)) return false;
  out = ToModel(p, units, v);
  return true;
}

}  // namespace

CLI::Option* AddValue(CLI::App& app, const std::string& name, const std::string& valueName,
                      const std::string& help, TakeValue take) {
  // Every occurrence is collected, so that a second one is refused in our words.
  return app
      .add_option_function<std::vector<std::string>>(
          name,
          [name, take = std::move(take)](const std::vector<std::string>& texts) {
            if (texts.empty()) return;
            if (texts.size() > 1) Throw(name + ": given more than once");
            Throw(take(texts.front()));
          },
          help)
      ->type_name(valueName)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

CLI::Option* AddRepeatable(CLI::App& app, const std::string& name, const std::string& valueName,
                           const std::string& help, TakeValue take) {
  return app
      .add_option_function<std::vector<std::string>>(
          name,
          [take = std::move(take)](const std::vector<std::string>& texts) {
            for (const std::string& text : texts) Throw(take(text));
          },
          help)
      ->type_name(valueName)
      ->allow_extra_args(false)  // one value per occurrence: what follows is the next option's
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

static CLI::Option* WholeOption(CLI::App& app, const std::string& name, const std::string& valueName,
                                const std::string& help, std::int64_t min, std::int64_t max,
                                const std::string& shownDefault, std::function<void(std::int64_t)> set) {
  const std::string range = WholeRange(min, max);
  return AddValue(app, name, valueName, help + " (" + range + ", default " + shownDefault + ")",
                  [name, min, max, range, set = std::move(set)](const std::string& text) {
                    std::int64_t v = 0;
                    if (!ParseWhole(text, min, max, v)) {
                      // Digits refused even from 0 are beyond the largest: "at least" would not say why.
                      const bool open = max == std::numeric_limits<std::int64_t>::max();
                      const std::string digits = text.substr(text.rfind('+', 0) == 0 ? 1 : 0);
                      const bool beyond = open && !digits.empty() &&
                                          digits.find_first_not_of("0123456789") == std::string::npos &&
                                          !ParseWhole(digits, 0, max, v);
                      return name + ": " + Quoted(text) + " is not a whole number " +
                             (beyond ? "from " + std::to_string(min) + " to " + std::to_string(max)
                                     : (open ? "of " : "from ") + range);
                    }
                    set(v);
                    return std::string();
                  });
}

CLI::Option* AddWhole(CLI::App& app, const std::string& name, const std::string& valueName,
                      const std::string& help, std::int64_t min, std::int64_t max, std::int64_t& target,
                      const std::string& defaultText) {
  return WholeOption(app, name, valueName, help, min, max,
                     defaultText.empty() ? std::to_string(target) : defaultText,
                     [&target](std::int64_t v) { target = v; });
}

CLI::Option* AddWhole(CLI::App& app, const std::string& name, const std::string& valueName,
                      const std::string& help, std::int64_t min, std::int64_t max, unsigned& target,
                      const std::string& defaultText) {
  return WholeOption(app, name, valueName, help, min, max,
                     defaultText.empty() ? std::to_string(target) : defaultText,
                     [&target](std::int64_t v) { target = static_cast<unsigned>(v); });
}

CLI::Option* AddMaxTicks(CLI::App& app, const std::string& help, const Model& model, std::int64_t& target) {
  return WholeOption(app, "--max-ticks", "N", "form model only: " + help, 1, kMaxTicksLimit, std::to_string(target),
                     [&model, &target](std::int64_t v) {
                       if (model == Model::Ball) Throw(BallTickBoundRefusal());
                       target = v;
                     });
}

CLI::Option* AddChoiceIndex(CLI::App& app, const std::string& name, const std::string& help,
                            std::vector<std::string> words, std::size_t current,
                            std::function<void(std::size_t)> set) {
  std::string list;
  for (std::size_t i = 0; i < words.size(); ++i) {
    list += i == 0 ? "" : i + 1 == words.size() ? " or " : ", ";
    list += words[i];
  }
  std::string valueName;
  for (const std::string& w : words) valueName += (valueName.empty() ? "" : "|") + w;
  const std::string shownDefault = current < words.size() ? ", default " + words[current] : "";
  return AddValue(app, name, valueName, help + " (" + list + shownDefault + ")",
                  [name, words, list, set = std::move(set)](const std::string& text) {
                    for (std::size_t i = 0; i < words.size(); ++i) {
                      if (words[i] == text) {
                        set(i);
                        return std::string();
                      }
                    }
                    return name + ": " + Quoted(text) + " is not one of " + list;
                  });
}

CLI::Option* AddFile(CLI::App& app, const std::string& name, const std::string& help,
                     std::optional<std::string>& target) {
  return AddValue(app, name, "FILE", help, [name, &target](const std::string& text) {
    if (text.empty()) return name + ": missing file name";
    target = text;
    return std::string();
  });
}

CLI::Option* AddFlag(CLI::App& app, const std::string& name, const std::string& help, bool& target) {
  return AddFlag(app, name, help, [&target] { target = true; });
}

CLI::Option* AddFlag(CLI::App& app, const std::string& name, const std::string& help,
                     std::function<void()> given) {
  // A bare flag reads as "true"; anything after '=' is a value it does not take.
  const CLI::Validator noValue([](const std::string& text) { return text == "true" ? "" : std::string("takes no value"); },
                               "", "no value");
  return app.add_flag_function(name, [given = std::move(given)](std::int64_t) { given(); }, help)->check(noValue);
}

CLI::Option* AddUnits(CLI::App& app, Units& units) {
  return AddChoice(app, "--units",
                   "speeds and lengths in and out: m/s and metres, or mph and yards\n"
                   "(the ball model's air: temperature in °F, altitude and wind height in ft, pressure in inHg)",
                   {{"metric", Units::Metric}, {"imperial", Units::Imperial}}, units);
}

CLI::Option* AddChart(CLI::App& app, const std::string& help, std::optional<std::string>& target) {
  return AddValue(app, "--chart", "FILE", help, [&target](const std::string& text) {
    std::string error;
    if (!ChartPathAccepted(text, error)) return "--chart: " + error;
    target = text;
    return std::string();
  });
}

CLI::Option* AddModel(CLI::App& app, Model& model) {
  return AddChoice(app, "--model", "the flight model: the form's, or a real ball in real air",
                   {{"form", Model::Form}, {"ball", Model::Ball}}, model);
}

namespace {

// Sets a named surface's ground in `ball`, keeping the constants given on their own.
std::function<bool(std::string_view)> SurfaceKeepingGiven(BallParams& ball, const std::vector<const Parameter*>& given) {
  return [&ball, &given](std::string_view name) { return SetSurfaceKeeping(ball, name, given); };
}

}  // namespace

CLI::Option* AddSurface(CLI::App& app, const Model& model, const std::function<bool(std::string_view)>& set) {
  const std::string list = SurfaceList();
  return AddValue(app, "--surface", "NAME",
                  "ball model only: the ground's constants as a named set, each still\nsettable on its own (" + list +
                      ", default " + std::string(SurfaceNames().front()) + ")",
                  [list, &model, set](const std::string& text) {
                    if (model != Model::Ball) return std::string("--surface: only with --model ball");
                    if (!set(text)) return "--surface: " + Quoted(text) + " is not one of " + list;
                    return std::string();
                  });
}

void AddModelValues(CLI::App& app, const Model& model, FlightForm& form, BallParams& ball,
                    std::vector<const Parameter*>& given, const Units& units) {
  AddSurface(app, model, SurfaceKeepingGiven(ball, given));
  for (const Parameter& p : AllParameters()) {
    const std::string name = "--" + std::string(p.option);
    AddValue(app, name, "X", RowHelp(p), [&p, name, &model, &form, &ball, &given, &units](const std::string& text) {
      if (!p.AppliesTo(model)) {
        return name + ": only with --model " + ModelName(model == Model::Form ? Model::Ball : Model::Form);
      }
      std::string refusal;
      double v = 0.0;
      if (!ReadRowValue(p, model, units, text, name, v, refusal)) return refusal;
      if (model == Model::Form) ValueIn(form, p) = v;
      else ValueIn(ball, p) = v;
      given.push_back(&p);
      return std::string();
    });
  }
}

void AddConditionValues(CLI::App& app, BallParams& ball, std::vector<const Parameter*>& given, const Units& units) {
  static constexpr Model kBall = Model::Ball;
  AddSurface(app, kBall, SurfaceKeepingGiven(ball, given));
  for (const Parameter& p : ParametersOf(Model::Ball)) {
    if (p.launch) continue;
    const std::string name = "--" + std::string(p.option);
    AddValue(app, name, "X", std::string(p.help) + "; " + RowRange(p, Model::Ball),
             [&p, name, &ball, &given, &units](const std::string& text) {
               std::string refusal;
               double v = 0.0;
               if (!ReadRowValue(p, Model::Ball, units, text, name, v, refusal)) return refusal;
               ValueIn(ball, p) = v;
               given.push_back(&p);
               return std::string();
             });
  }
}

std::string FinishModelValues(Model model, const std::vector<const Parameter*>& given, BallParams& ball) {
  if (model != Model::Ball) return {};
  bool polar = false, components = false;
  for (const Parameter* p : given) {
    polar = polar || SpinFormOf(p->ball) == SpinForm::TotalAndAxis;
    components = components || SpinFormOf(p->ball) == SpinForm::BackAndSide;
  }
  ball.spinAsComponents = components;
  const std::string refusal = SpinFormRefusal(polar, components);
  return refusal.empty() ? BallShotRefusal(ball) : refusal;
}

void AddModelRanges(CLI::App& app, const Model& model, std::array<ParamRange, kFormParameterCount>& formRanges,
                    std::vector<ParamRange>& ballRanges, const Units& units) {
  for (const Parameter& p : AllParameters()) {
    const std::string name = "--" + std::string(p.option);
    AddValue(app, name, "X", RowHelp(p), [&p, name, &model, &formRanges, &ballRanges, &units](const std::string& text) {
      if (!p.AppliesTo(model)) {
        return name + ": only with --model " + ModelName(model == Model::Form ? Model::Ball : Model::Form);
      }
      const std::size_t i = ParametersOf(model).IndexOf(p);
      ParamRange& range = model == Model::Form ? formRanges[i] : ballRanges[i];
      std::string refusal;
      ReadParamRange(InUnits(ForModel(p, model), units), text, name, range, refusal);
      return refusal;
    });
  }
}

}  // namespace vendrel::cli
