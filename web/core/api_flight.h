#pragma once
// The flights of the JavaScript API: parameters checked as the command line checks
// its options (with its messages), whole runs over the same run control, and the
// trajectory's rows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "flight/ball_flight.h"
#include "flight/flight_records.h"
#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "flight/trajectory.h"

namespace vendrel::web {

/// A trajectory keeps every row in memory, so without an explicit bound it stops
/// sooner: a million rows (64 MB) outlast any flight that lands.
inline constexpr std::int64_t kTrajectoryDefaultMaxTicks = 1'000'000;

struct ApiRequest {
  Model model = Model::Form;
  FlightForm form = DefaultForm();
  BallParams ball{};                     ///< the ball model's shot
  bool spinAsAxis = false;               ///< total_spin or spin_axis given
  std::optional<std::int64_t> maxTicks;  ///< the caller's bound, if any
  std::vector<const Parameter*> given;   ///< the ball's rows set one by one, which a surface keeps
};

/// Sets the parameter `key` (a key of the table, "model", "surface" or "max_ticks") from a
/// number or from text. The model ("form" or "ball") is set first: a key of the other
/// model is refused, as are spin given in both forms. On a refusal returns false and `error` holds the command line's message
/// for the same value; the request is unchanged.
bool SetApiNumber(ApiRequest& request, std::string_view key, double value, std::string& error);
bool SetApiText(ApiRequest& request, std::string_view key, std::string_view text,
                std::string& error);

/// The whole flight, as `vendrel-flight` runs it (the form's model).
FlightOutcome FlyApi(const ApiRequest& request);
/// The same with the ball model.
BallSummary FlyBallApi(const ApiRequest& request);

/// The rows `vendrel-flight --trajectory` writes (flight/trajectory.h), the form's model.
std::vector<TrajectoryRow> TrajectoryApi(const ApiRequest& request);
/// The same with the ball model, each row with its phase.
std::vector<BallTrajectoryRow> BallTrajectoryApi(const ApiRequest& request);

}  // namespace vendrel::web
