#include "flight/parameters.h"

#include "flight/ball_ground.h"

#include <cstdlib>
#include <vector>

namespace vendrel {
namespace {

std::vector<const Parameter*> RowsOf(Model m) {
  std::vector<const Parameter*> rows;
  for (const Parameter& p : kParameterTable) {
    if (p.AppliesTo(m)) rows.push_back(&p);
  }
  return rows;
}

template <class Pred>
const Parameter* Find(Model m, Pred pred) {
  for (const Parameter& p : ParametersOf(m)) {
    if (pred(p)) return &p;
  }
  return nullptr;
}

}  // namespace

std::size_t ParameterList::IndexOf(const Parameter& p) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i] == &p) return i;
  }
  return rows_.size();
}

ParameterList ParametersOf(Model m) {
  static const std::vector<const Parameter*> form = RowsOf(Model::Form);
  static const std::vector<const Parameter*> ball = RowsOf(Model::Ball);
  return ParameterList(m == Model::Form ? form : ball);
}

const Parameter* FindByOption(Model m, std::string_view option) {
  return Find(m, [option](const Parameter& p) { return p.option == option; });
}

const Parameter* FindByKey(Model m, std::string_view key) {
  return Find(m, [key](const Parameter& p) { return p.key == key; });
}

std::string OptionNames(Model m) {
  std::string s;
  for (const Parameter& p : ParametersOf(m)) (s += s.empty() ? "" : ", ") += p.option;
  return s;
}

std::string KeyNames(Model m) {
  std::string s;
  for (const Parameter& p : ParametersOf(m)) (s += s.empty() ? "" : ", ") += p.key;
  return s;
}

const Parameter& ParameterFor(double FlightForm::*member) {
  for (const Parameter& p : kParameterTable) {
    if (p.form != nullptr && p.form == member) return p;
  }
  std::abort();  // the carry has no row; every other member has one
}

const Parameter& ParameterFor(double BallParams::*member) {
  for (const Parameter& p : kParameterTable) {
    if (p.ball != nullptr && p.ball == member) return p;
  }
  std::abort();
}

Parameter ForModel(const Parameter& p, Model m) {
  Parameter q = p;
  q.min = p.Min(m);
  q.max = p.Max(m);
  q.defaultValue = p.Default(m);
  q.ballMin = q.ballMax = q.ballDefault = std::nullopt;
  return q;
}

Parameter InUnits(const Parameter& p, Units u) {
  Parameter q = p;
  q.min = FromModel(p, u, p.min);
  q.max = FromModel(p, u, p.max);
  q.defaultValue = FromModel(p, u, p.defaultValue);
  if (p.ballDefault) q.ballDefault = FromModel(p, u, *p.ballDefault);
  if (p.ballMin) q.ballMin = FromModel(p, u, *p.ballMin);
  if (p.ballMax) q.ballMax = FromModel(p, u, *p.ballMax);
  return q;
}

void LoadDefaults(FlightForm& form) {
  for (const Parameter& p : ParametersOf(Model::Form)) ValueIn(form, p) = p.Default(Model::Form);
}

FlightForm DefaultForm() {
  FlightForm form;
  LoadDefaults(form);
  return form;
}

bool SetSurfaceKeeping(BallParams& ball, std::string_view name, std::span<const Parameter* const> given) {
  const BallParams before = ball;
  if (!SetSurface(ball, name)) return false;
  for (const Parameter* p : given) {
    if (p->ball != nullptr) ball.*(p->ball) = before.*(p->ball);
  }
  return true;
}

}  // namespace vendrel
