#include "flight/form_fields.h"

#include <array>
#include <cstdlib>

namespace vendrel {
namespace {

constexpr std::array<FormField, 9> kFields{{
    {"deg", &FlightForm::launchAngle, 0.0, 90.0, 15.0},
    {"m/s", &FlightForm::launchSpeed, 0.0, 100.0, 60.0},
    {"rpm", &FlightForm::sideSpin, -100000.0, 100000.0, 0.0},
    {"rpm", &FlightForm::backSpin, -100000.0, 100000.0, 2000.0},
    {"", &FlightForm::k, 0.0, 10.0, 0.01},
    {"", &FlightForm::kPrime, 0.0, 10.0, 0.02},
    {"g", &FlightForm::ballMass, 0.0, 10000.0, 46.0},
    {"m/s^2", &FlightForm::gravity, 0.0, 10000.0, 9.8},
    {"s", &FlightForm::timeStep, 0.00001, 0.1, 0.01},
}};

}  // namespace

std::span<const FormField> FormFields() { return kFields; }

const FormField& FormFieldFor(double FlightForm::*member) {
  for (const FormField& f : kFields) {
    if (f.member == member) return f;
  }
  std::abort();  // the carry has no range; every other member is in the table
}

void LoadDefaults(FlightForm& form) {
  for (const FormField& f : kFields) form.*(f.member) = f.defaultValue;
}

FlightForm DefaultForm() {
  FlightForm form;
  LoadDefaults(form);
  return form;
}

}  // namespace vendrel
