#include "cli/field_names.h"

#include <array>
#include <cstdlib>

namespace vendrel::cli {
namespace {

constexpr std::array<FieldNames, 9> kNames{{
    {&FlightForm::launchAngle, "angle", "angle"},
    {&FlightForm::launchSpeed, "speed", "speed"},
    {&FlightForm::sideSpin, "side-spin", "side_spin"},
    {&FlightForm::backSpin, "back-spin", "back_spin"},
    {&FlightForm::k, "k", "k"},
    {&FlightForm::kPrime, "k-prime", "k_prime"},
    {&FlightForm::ballMass, "mass", "mass"},
    {&FlightForm::gravity, "gravity", "gravity"},
    {&FlightForm::timeStep, "dt", "dt"},
}};

}  // namespace

const FieldNames& NamesOf(const FormField& field) {
  for (const FieldNames& n : kNames) {
    if (n.member == field.member) return n;
  }
  std::abort();  // every field of the form has its names
}

const FormField* FindFieldByOption(std::string_view option) {
  for (const FormField& f : FormFields()) {
    if (NamesOf(f).option == option) return &f;
  }
  return nullptr;
}

}  // namespace vendrel::cli
