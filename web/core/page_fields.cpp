#include "web/core/page_fields.h"

#include <array>

#include "res/resource_ids.h"

namespace vendrel::web {
namespace {

constexpr std::array<PageField, 9> kFields{{
    {IDC_BALL_MASS, &FlightForm::ballMass},
    {IDC_GRAVITY, &FlightForm::gravity},
    {IDC_K, &FlightForm::k},
    {IDC_SIDE_SPIN, &FlightForm::sideSpin},
    {IDC_BACK_SPIN, &FlightForm::backSpin},
    {IDC_K_PRIME, &FlightForm::kPrime},
    {IDC_LAUNCH_ANGLE, &FlightForm::launchAngle},
    {IDC_LAUNCH_SPEED, &FlightForm::launchSpeed},
    {IDC_TIME_STEP, &FlightForm::timeStep},
}};

}  // namespace

std::span<const PageField> ExchangeOrder() { return kFields; }

const PageField* FieldById(int id) {
  for (const PageField& f : kFields) {
    if (f.id == id) return &f;
  }
  return nullptr;
}

const PageField* FieldByName(std::string_view name) {
  for (const PageField& f : kFields) {
    if (f.name() == name) return &f;
  }
  return nullptr;
}

}  // namespace vendrel::web
