#include "flight/shot_table.h"

#include <cmath>

namespace vendrel {
namespace {

// A sweep's result columns that are not targets: a sweep's CSV reads back as shots.
constexpr std::string_view kIgnored[] = {"ticks", "end", "carry", "landing_angle"};

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
  if (const Parameter* p = FindByKey(Model::Form, name)) return ShotColumn{ShotColumn::Kind::Launch, p, {}};
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
  return KeyNames(Model::Form) + ", distance, apex, lateral, name (and a sweep's ticks, end, carry, landing_angle)";
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
