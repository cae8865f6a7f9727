#include "web/core/page_fields.h"

#include <array>

#include "res/resource_ids.h"

namespace vendrel::web {
namespace {

constexpr std::array<PageField, 9> kFields{{
    {IDC_BALL_MASS, "mass", "mass", &FlightForm::ballMass},
    {IDC_GRAVITY, "gravity", "gravity", &FlightForm::gravity},
    {IDC_K, "k", "k", &FlightForm::k},
    {IDC_SIDE_SPIN, "side-spin", "side_spin", &FlightForm::sideSpin},
    {IDC_BACK_SPIN, "back-spin", "back_spin", &FlightForm::backSpin},
    {IDC_K_PRIME, "k-prime", "k_prime", &FlightForm::kPrime},
    {IDC_LAUNCH_ANGLE, "angle", "angle", &FlightForm::launchAngle},
    {IDC_LAUNCH_SPEED, "speed", "speed", &FlightForm::launchSpeed},
    {IDC_TIME_STEP, "dt", "dt", &FlightForm::timeStep},
}};

template <typename Pred>
const PageField* Find(Pred pred) {
  for (const PageField& f : kFields) {
    if (pred(f)) return &f;
  }
  return nullptr;
}

}  // namespace

std::span<const PageField> ExchangeOrder() { return kFields; }

const PageField* FieldById(int id) {
  return Find([id](const PageField& f) { return f.id == id; });
}
const PageField* FieldByName(std::string_view name) {
  return Find([name](const PageField& f) { return f.name == name; });
}
const PageField* FieldByKey(std::string_view key) {
  return Find([key](const PageField& f) { return f.key == key; });
}

}  // namespace vendrel::web
