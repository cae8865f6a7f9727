#include "flight/shot_table.h"

#include <cmath>

namespace vendrel {
namespace {

// A sweep's result columns that are not targets: a sweep's CSV reads back as shots.
constexpr std::string_view kIgnored[] = {"ticks", "end", "carry", "landing_angle"};
constexpr std::string_view kBallIgnored[] = {"ticks", "end", "flight_time"};

}  // namespace

const char* ShotTargetColumn(ShotTarget t) {
  switch (t) {
    case ShotTarget::Distance: return "distance";
    case ShotTarget::Apex: return "apex";
    case ShotTarget::Lateral: return "lateral";
    case ShotTarget::LandingAngle: return "landing_angle";
    case ShotTarget::Total: return "total";
  }
  return "";
}

const char* ShotTargetName(ShotTarget t, Model m) {
  return m == Model::Ball && t == ShotTarget::Distance ? "carry" : ShotTargetColumn(t);
}

Quantity ShotTargetQuantity(ShotTarget t) {
  return t == ShotTarget::LandingAngle ? Quantity::Angle : Quantity::Distance;
}

bool ModelHasTarget(Model m, ShotTarget t) {
  return m == Model::Ball || (t != ShotTarget::LandingAngle && t != ShotTarget::Total);
}

std::string TargetColumnNames(Model m) {
  if (m == Model::Ball) return "carry or distance, apex, landing_angle, lateral, total";
  return "distance, apex, lateral";
}

std::optional<ShotColumn> FindShotColumn(std::string_view name, Model m) {
  if (const Parameter* p = FindByKey(m, name)) return ShotColumn{ShotColumn::Kind::Launch, p, {}};
  if (m == Model::Ball && name == "carry") return ShotColumn{ShotColumn::Kind::Target, nullptr, ShotTarget::Distance};
  for (std::size_t t = 0; t < kShotTargets; ++t) {
    const auto target = static_cast<ShotTarget>(t);
    if (ModelHasTarget(m, target) && name == ShotTargetColumn(target)) {
      return ShotColumn{ShotColumn::Kind::Target, nullptr, target};
    }
  }
  if (name == "name") return ShotColumn{ShotColumn::Kind::Name, nullptr, {}};
  for (std::string_view ignored : m == Model::Ball ? std::span<const std::string_view>(kBallIgnored)
                                                   : std::span<const std::string_view>(kIgnored)) {
    if (name == ignored) return ShotColumn{};
  }
  return std::nullopt;
}

std::string KnownShotColumns(Model m) {
  if (m == Model::Ball) {
    return KeyNames(m) + ", carry, distance, apex, landing_angle, lateral, total, name (and a sweep's ticks, end, "
                         "flight_time)";
  }
  return KeyNames(m) + ", distance, apex, lateral, name (and a sweep's ticks, end, carry, landing_angle)";
}

std::string ShotTargetsRefusal(const std::array<bool, kShotTargets>& targets, bool carryColumn, Model m) {
  const auto has = [&](ShotTarget t) { return targets[static_cast<std::size_t>(t)]; };
  if (has(ShotTarget::Lateral) && !has(ShotTarget::Distance)) {
    return m == Model::Ball
               ? "column 'lateral' needs a carry column (the lateral error is weighed against the carry)"
               : "column 'lateral' needs a distance column (the lateral error is weighed against the distance)";
  }
  if (!has(ShotTarget::Distance) && !has(ShotTarget::Apex) && !has(ShotTarget::LandingAngle) &&
      !has(ShotTarget::Total)) {
    return "no target columns (" + TargetColumnNames(m) + "): nothing to fit" +
           (carryColumn && m == Model::Form ? "; carry is the whole-metre result, name a measured carry 'distance'"
                                            : "");
  }
  return {};
}

std::string MeasuredValueRefusal(ShotTarget t, double v) {
  if (std::isnan(v)) return "is not a number";
  const std::string name = ShotTargetColumn(t);
  if (t == ShotTarget::Lateral) return std::isfinite(v) ? "" : "is out of range (a measured " + name + " is finite)";
  if (t == ShotTarget::LandingAngle) {
    return v > 0.0 && v <= 90.0 ? "" : "is out of range (a measured landing angle is greater than 0 and at most 90 deg)";
  }
  return std::isfinite(v) && v > 0.0 ? "" : "is out of range (a measured " + name + " is greater than zero)";
}

}  // namespace vendrel
