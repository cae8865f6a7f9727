#pragma once
// Measured shots from a CSV file (RFC 4180, see csv_reader.h) with the sweep's column
// names: the launch values (any column missing takes the command line's value) and the
// measured targets distance, apex and lateral, checked by the shot table's rules
// (flight/shot_table.h). A sweep's own CSV reads back as shots.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "flight/ball_params.h"
#include "flight/flight_records.h"
#include "flight/parameters.h"
#include "flight/shot_fit.h"
#include "flight/units.h"

namespace vendrel::cli {

struct ShotsFile {
  std::vector<Shot> shots;           ///< in the model's units
  /// The measured targets as the file gives them, in its units: reports show these
  /// rather than a conversion there and back.
  std::vector<std::array<std::optional<double>, kShotTargets>> given;
  std::vector<std::string> names;    ///< the `name` column, or "shot N"
  std::vector<int> lines;            ///< each shot's line in the file
  std::array<bool, kShotTargets> targetColumns{};  ///< which targets the file has
  Model model = Model::Form;
  /// The ball model's spin columns: none, total spin and axis, or back and side spin.
  SpinForm spinColumns = SpinForm::None;
};

/// Reads the text of a shots file named `fileName` (for messages). Values are in
/// `units`; missing launch columns take `base`'s values (`ballBase`'s with the ball
/// model, whose columns are its parameters' keys; its spin is the file's form when the
/// file has spin columns). On a refusal returns false with `error` naming the file, the
/// line and the column.
bool ParseShots(std::string_view text, const std::string& fileName, const FlightForm& base, Units units,
                ShotsFile& out, std::string& error, Model model = Model::Form, const BallParams& ballBase = {});

/// Reads the file at `path` ("-" for standard input).
bool ReadShots(const std::string& path, const FlightForm& base, Units units, ShotsFile& out,
               std::string& error, Model model = Model::Form, const BallParams& ballBase = {});

}  // namespace vendrel::cli
