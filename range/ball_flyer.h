#pragma once
// Flies a shot with the ball model and its ground phase, in its default air on the
// default surface at the default constants. The range server takes any ShotFlyer; the
// conditions it flies in are one BallParams.

#include <memory>

#include "flight/ball_params.h"
#include "range/shot_launch.h"

namespace vendrel::range {

class BallFlyer final : public ShotFlyer {
 public:
  explicit BallFlyer(const BallParams& conditions = BallParams{}) : conditions_(conditions) {}
  ShotResult Fly(const ShotLaunch& launch) const override;
  std::string Conditions() const override;

 private:
  BallParams conditions_;  ///< air, wind and constants; the launch values are the shot's
};

/// The flyer the range flies its shots with.
std::unique_ptr<ShotFlyer> MakeRangeFlyer();

}  // namespace vendrel::range
