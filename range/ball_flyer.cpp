#include "range/ball_flyer.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "flight/ball_flight.h"
#include "flight/parameters.h"
#include "range/shot_message.h"

namespace vendrel::range {

BallParams BallFlyer::ParamsOf(const ShotLaunch& launch) const {
  BallParams p = conditions_;
  p.speed = launch.speed;
  p.angle = launch.verticalAngle;
  p.direction = launch.horizontalAngle;
  p.totalSpin = launch.totalSpin;
  p.spinAxis = launch.spinAxis;
  p.spinAsComponents = false;
  return p;
}

std::string BallFlyer::Refusal(const ShotLaunch& launch) const { return BallShotRefusal(ParamsOf(launch), true); }

ShotResult BallFlyer::Fly(const ShotLaunch& launch) const {
  const BallSummary s = FlyBall(ParamsOf(launch));
  ShotResult r;
  r.carry = s.distance;
  r.apex = s.apex;
  r.landingAngle = s.landingAngle;
  r.lateral = s.lateral;
  r.total = s.total;
  r.restX = s.rest[0];
  r.restY = s.rest[1];
  r.flightTime = s.flightTime;
  return r;
}

std::string BallFlyer::Conditions() const {
  nlohmann::ordered_json j;
  j["model"] = "ball";
  for (const Parameter& row : ParametersOf(Model::Ball)) {
    const double v = ValueIn(conditions_, row);
    if (row.launch) continue;  // the shot's own
    // A pressure not given is the standard atmosphere's at the altitude: null.
    if (std::isnan(v)) j[std::string(row.key)] = nullptr;
    else j[std::string(row.key)] = v;
  }
  return j.dump();
}

std::string ConditionsRefusal(const BallParams& conditions) {
  BallParams fastest = conditions;
  fastest.speed = kFastestShot;
  return BallShotRefusal(fastest);
}

std::unique_ptr<ShotFlyer> MakeRangeFlyer(const BallParams& conditions) {
  return std::make_unique<BallFlyer>(conditions);
}

}  // namespace vendrel::range
