#pragma once
// STAND-IN until the ball model lands: flies a shot with the form's model (the
// window's flight) at the form's default constants. It has no ground phase, so the
// total is the carry and the ball rests where it lands. The range server takes any
// ShotFlyer; replacing this one is the one line in MakeRangeFlyer.

#include <memory>

#include "range/shot_launch.h"

namespace vendrel::range {

class FormFlyer final : public ShotFlyer {
 public:
  ShotResult Fly(const ShotLaunch& launch) const override;
  std::string Conditions() const override;
};

/// The flyer the range flies its shots with.
std::unique_ptr<ShotFlyer> MakeRangeFlyer();

}  // namespace vendrel::range
