#include "range/form_flyer.h"

#include <cmath>
#include <cstdio>

#include "flight/form_fields.h"
#include "flight/launch_trig.h"
#include "flight/sync_run.h"

namespace vendrel::range {
namespace {

constexpr double kTwoPi = 6.283185307179586;
// A shot that has not come down after this many ticks (a thousand seconds at the
// default step) is counted where it is.
constexpr std::int64_t kMaxTicks = 100000;

std::string Number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

}  // namespace

ShotResult FormFlyer::Fly(const ShotLaunch& launch) const {
  FlightForm form = DefaultForm();
  form.launchSpeed = launch.speed;
  form.launchAngle = launch.verticalAngle;
  form.backSpin = launch.backSpin;
  // The form's side spin bends toward positive y, which is left of the target line.
  form.sideSpin = -launch.sideSpin;
  const FlightOutcome out = RunFlight(form, kMaxTicks);
  // On the last tick `pos` is the first point below the ground, (ticks - 1) steps after
  // the launch, and `velNext` the velocity a step on: near enough for a stand-in.
  const Vec5& v = out.state.velNext;
  const double horizontal = std::sqrt(v[1] * v[1] + v[2] * v[2]);
  const double landingAngle = std::atan2(-v[3], horizontal) / kTwoPi * 360.0;
  // The form flies along x; the horizontal launch angle turns the whole flight.
  const double turn = launch.horizontalAngle / 360.0 * kTwoPi;
  const double c = LaunchCos(turn), s = LaunchSin(turn);
  const double x = out.landing[1], left = out.landing[2];
  ShotResult r;
  r.carry = out.distance;
  r.apex = out.apex;
  r.landingAngle = landingAngle;
  r.restX = x * c + left * s;
  r.restY = x * s - left * c;
  r.lateral = r.restY;
  r.total = r.carry;
  r.flightTime = static_cast<double>(out.ticks - 1) * form.timeStep;
  return r;
}

std::string FormFlyer::Conditions() const {
  const FlightForm form = DefaultForm();
  return "{\"model\":\"form\",\"ground\":false,\"k\":" + Number(form.k) + ",\"k_prime\":" + Number(form.kPrime) +
         ",\"mass\":" + Number(form.ballMass) + ",\"gravity\":" + Number(form.gravity) + ",\"dt\":" +
         Number(form.timeStep) + "}";
}

std::unique_ptr<ShotFlyer> MakeRangeFlyer() { return std::make_unique<FormFlyer>(); }

}  // namespace vendrel::range
