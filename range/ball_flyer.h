#pragma once
// Flies a shot with the ball model and its ground phase, in the air, the wind and on
// the surface it was made with, at its constants. The range server takes any
// ShotFlyer; the conditions it flies in are one BallParams.

#include <memory>
#include <string>

#include "flight/ball_params.h"
#include "range/shot_launch.h"

namespace vendrel::range {

class BallFlyer final : public ShotFlyer {
 public:
  explicit BallFlyer(const BallParams& conditions = BallParams{}) : conditions_(conditions) {}
  ShotResult Fly(const ShotLaunch& launch) const override;
  std::string Refusal(const ShotLaunch& launch) const override;
  std::string Conditions() const override;

 private:
  BallParams ParamsOf(const ShotLaunch& launch) const;

  BallParams conditions_;  ///< air, wind and constants; the launch values are the shot's
};

/// Why `conditions` cannot fly every shot a message may bring (the fastest too: a
/// step fine enough for a slow ball may blow up with a fast one), in the command
/// line's words; empty when they can.
std::string ConditionsRefusal(const BallParams& conditions);

/// The flyer the range flies its shots with: `conditions` without its launch values.
std::unique_ptr<ShotFlyer> MakeRangeFlyer(const BallParams& conditions = BallParams{});

}  // namespace vendrel::range
