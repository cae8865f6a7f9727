#include "flight/shot_table.h"

#include <cmath>

namespace vendrel {
namespace {

// The shot table's key of each launch parameter, as a sweep's CSV names its columns.
struct ColumnKey {
  double FlightForm::*member;
  std::string_view key;
};
constexpr ColumnKey kLaunchKeys[] = {
    {&FlightForm::launchAngle, "angle"}, {&FlightForm::launchSpeed, "speed"},
    {&FlightForm::sideSpin, "side_spin"}, {&FlightForm::backSpin, "back_spin"},
    {&FlightForm::k, "k"},                {&FlightForm::kPrime, "k_prime"},
    {&FlightForm::ballMass, "mass"},      {&FlightForm::gravity, "gravity"},
    {&FlightForm::timeStep, "dt"},
};

std::string_view KeyOf(const FormField& f) {
  for (const ColumnKey& c : kLaunchKeys) {
    if (c.member == f.member) return c.key;
  }
  return {};
}

// A sweep's result columns that are not targets: a sweep's CSV reads back as shots.
constexpr std::string_view kIgnored[] = {"ticks", "end", "carry"};

}  // namespace

const char* ShotTargetColumn(ShotTarget t) {
  switch (t) {
    case ShotTarget::Distance: return "distance";
    case ShotTarget::Apex: return "apex";
    case ShotTarget::Lateral: return "lateral";
  }
  return "";
}

std::optional<ShotColumn> FindShotColumn(std::string_view name) {
  for (const FormField& f : FormFields()) {
    if (KeyOf(f) == name) return ShotColumn{ShotColumn::Kind::Launch, &f, {}};
  }
  for (std::size_t t = 0; t < kShotTargets; ++t) {
    if (name == ShotTargetColumn(static_cast<ShotTarget>(t))) {
      return ShotColumn{ShotColumn::Kind::Target, nullptr, static_cast<ShotTarget>(t)};
    }
  }
  if (name == "name") return ShotColumn{ShotColumn::Kind::Name, nullptr, {}};
  for (std::string_view ignored : kIgnored) {
    if (name == ignored) return ShotColumn{};
  }
  return std::nullopt;
}

std::string KnownShotColumns() {
  std::string s;
  for (const FormField& f : FormFields()) (s += KeyOf(f)) += ", ";
  return s + "distance, apex, lateral, name (and a sweep's ticks, end, carry)";
}

std::string ShotTargetsRefusal(const std::array<bool, kShotTargets>& targets, bool carryColumn) {
  const auto has = [&](ShotTarget t) { return targets[static_cast<std::size_t>(t)]; };
  if (has(ShotTarget::Lateral) && !has(ShotTarget::Distance)) {
    return "column 'lateral' needs a distance column (the lateral error is weighed against the distance)";
  }
  if (!has(ShotTarget::Distance) && !has(ShotTarget::Apex)) {
    return std::string("no target columns (distance, apex, lateral): nothing to fit") +
           (carryColumn ? "; carry is the whole-metre result, name a measured carry 'distance'" : "");
  }
  return {};
}

std::string MeasuredValueRefusal(ShotTarget t, double v) {
  if (std::isnan(v)) return "is not a number";
  const std::string name = ShotTargetColumn(t);
  if (t == ShotTarget::Lateral) return std::isfinite(v) ? "" : "is out of range (a measured " + name + " is finite)";
  return std::isfinite(v) && v > 0.0 ? "" : "is out of range (a measured " + name + " is greater than zero)";
}

}  // namespace vendrel
