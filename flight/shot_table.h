#pragma once
// The table of measured shots a fit reads, whatever it comes from (a CSV file, a
// mapping of arrays): which columns it knows, which it ignores, what the targets need
// and which measured values are acceptable. Front ends read their own format and ask
// these rules, so every one of them takes and refuses the same tables.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "flight/parameters.h"
#include "flight/shot_fit.h"
#include "flight/units.h"

namespace vendrel {

/// What a column of a shot table holds.
struct ShotColumn {
  enum class Kind {
    Launch,   ///< a parameter of the model, by its key ("side_spin")
    Target,   ///< a measured target: distance, apex or lateral (and the ball's carry, landing_angle, total)
    Name,     ///< the shot's label
    Ignored,  ///< a sweep's result column that is not a target: ticks, end, carry, landing_angle
  };
  Kind kind = Kind::Ignored;
  const Parameter* field = nullptr;  ///< Launch
  ShotTarget target{};               ///< Target
};

/// The column called `name` in a table of model `m`'s shots, or nothing for a column
/// the table does not know. The ball model's carry is its distance: either name
/// gives that target.
std::optional<ShotColumn> FindShotColumn(std::string_view name, Model m = Model::Form);

/// Every known column, for a refusal: "angle, speed, ..., name (and a sweep's ticks, end, carry,
/// landing_angle)".
std::string KnownShotColumns(Model m = Model::Form);

/// The column of a target: "distance", "apex", "lateral", "landing_angle", "total".
const char* ShotTargetColumn(ShotTarget t);

/// How a target is named in model `m`'s reports and JSON: the column's name, but the
/// ball model calls its distance "carry".
const char* ShotTargetName(ShotTarget t, Model m);

/// What a target measures (a length, or the landing angle's degrees), for its units.
Quantity ShotTargetQuantity(ShotTarget t);

/// Whether model `m` has target `t` (the form's has no landing angle and no total).
bool ModelHasTarget(Model m, ShotTarget t);

/// Model `m`'s target columns, for messages: "distance, apex, lateral".
std::string TargetColumnNames(Model m);

/// Why a table with these target columns gives a fit nothing to meet, or an empty
/// string: it needs a distance or an apex (or, for the ball, a landing angle or a
/// total), and a lateral offset is weighed against a distance. `carryColumn`: the
/// table has a sweep's carry column (the whole-metre result), which a refusal then
/// points at.
std::string ShotTargetsRefusal(const std::array<bool, kShotTargets>& targets, bool carryColumn,
                               Model m = Model::Form);

/// Why `v` cannot be a measured value of `t` ("is not a number", "is out of range
/// (...)"), or an empty string: a distance, apex or total is finite and greater than
/// zero, a landing angle greater than 0 and at most 90 degrees, a lateral offset finite.
std::string MeasuredValueRefusal(ShotTarget t, double v);

}  // namespace vendrel
