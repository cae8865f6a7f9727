#pragma once
// The table of measured shots a fit reads, whatever it comes from (a CSV file, a
// mapping of arrays): which columns it knows, which it ignores, what the targets need
// and which measured values are acceptable. Front ends read their own format and ask
// these rules, so every one of them takes and refuses the same tables.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "flight/parameters.h"
#include "flight/shot_fit.h"

namespace vendrel {

/// What a column of a shot table holds.
struct ShotColumn {
  enum class Kind {
    Launch,   ///< a parameter of the form, by its key ("side_spin")
    Target,   ///< a measured target: distance, apex or lateral
    Name,     ///< the shot's label
    Ignored,  ///< a sweep's result column that is not a target: ticks, end, carry, landing_angle
  };
  Kind kind = Kind::Ignored;
  const Parameter* field = nullptr;  ///< Launch
  ShotTarget target{};               ///< Target
};

/// The column called `name`, or nothing for a column the table does not know.
std::optional<ShotColumn> FindShotColumn(std::string_view name);

/// Every known column, for a refusal: "angle, speed, ..., name (and a sweep's ticks, end, carry,
/// landing_angle)".
std::string KnownShotColumns();

/// The column of a target: "distance", "apex", "lateral".
const char* ShotTargetColumn(ShotTarget t);

/// Why a table with these target columns gives a fit nothing to meet, or an empty
/// string: it needs a distance or an apex, and a lateral offset is weighed against a
/// distance. `carryColumn`: the table has a sweep's carry column (the whole-metre
/// result), which a refusal then points at.
std::string ShotTargetsRefusal(const std::array<bool, kShotTargets>& targets, bool carryColumn);

/// Why `v` cannot be a measured value of `t` ("is not a number", "is out of range
/// (...)"), or an empty string: a distance or apex is finite and greater than zero,
/// a lateral offset finite.
std::string MeasuredValueRefusal(ShotTarget t, double v);

}  // namespace vendrel
