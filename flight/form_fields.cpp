#include "flight/form_fields.h"

#include <array>
#include <cstdlib>

namespace vendrel {
namespace {

constexpr std::array<FormField, 9> kFields{{
    {"angle", "angle", "deg", &FlightForm::launchAngle, 0.0, 90.0, 15.0},
    {"speed", "speed", "m/s", &FlightForm::launchSpeed, 0.0, 100.0, 60.0},
    {"side-spin", "side_spin", "rpm", &FlightForm::sideSpin, -100000.0, 100000.0, 0.0},
    {"back-spin", "back_spin", "rpm", &FlightForm::backSpin, -100000.0, 100000.0, 2000.0},
    {"k", "k", "", &FlightForm::k, 0.0, 10.0, 0.01},
    {"k-prime", "k_prime", "", &FlightForm::kPrime, 0.0, 10.0, 0.02},
    {"mass", "mass", "g", &FlightForm::ballMass, 0.0, 10000.0, 46.0},
    {"gravity", "gravity", "m/s^2", &FlightForm::gravity, 0.0, 10000.0, 9.8},
    {"dt", "dt", "s", &FlightForm::timeStep, 0.00001, 0.1, 0.01},
}};

}  // namespace

std::span<const FormField> FormFields() { return kFields; }

const FormField* FindFormField(std::string_view option) {
  for (const FormField& f : kFields) {
    if (f.option == option) return &f;
  }
  return nullptr;
}

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
