#include "flight/run_control.h"

#include <cmath>

#include "flight/force_model.h"
#include "flight/launch_trig.h"
#include "flight/rk4.h"

namespace vendrel {

namespace {
constexpr double kTwoPi = 6.283185307179586;
}

double HorizontalDistance(const Vec5& pos) {
  return std::sqrt(pos[1] * pos[1] + pos[2] * pos[2]);
}

TickEnd EndOfHeight(double height) {
  if (height >= 0.0) return TickEnd::Flying;  // exactly zero is not a landing
  return std::isnan(height) ? TickEnd::NotANumber : TickEnd::Ground;
}

bool CarryForDistance(double distance, double& carry) {
  // Only a distance greater than zero counts (zero and NaN fail the test). Truncating
  // as a double gives the whole metres of any finite distance without an integer
  // conversion that could overflow; an infinite one has no whole metres to show.
  if (!(distance > 0.0) || std::isinf(distance)) return false;
  carry = std::trunc(distance);
  return true;
}

void RunControl::CalculateFromForm() {
  state_.mass = form_.ballMass;
  state_.gravity = form_.gravity;
  state_.backSpin = form_.backSpin;
  state_.liftCoef = form_.k;
  state_.dragCoef = form_.kPrime;
  state_.sideSpin = form_.sideSpin;
  ComputeLaunchVelocity();
  state_.dt = form_.timeStep;
  StartFlight();
}

void RunControl::ComputeLaunchVelocity() {
  const double angle = form_.launchAngle;
  const double speed = form_.launchSpeed;
  state_.launchVel[1] = LaunchCos(angle / 360.0 * kTwoPi) * speed;
  state_.launchVel[2] = 0.0;
  state_.launchVel[3] = LaunchSin(angle / 360.0 * kTwoPi) * speed;
}

void RunControl::ResetFlight() {
  state_.firstTick = 1;
  for (int i = 0; i <= 4; ++i) {
    state_.vel[i] = state_.launchVel[i];
    state_.velNext[i] = 0.0;
    state_.pos[i] = 0.0;
    state_.posNext[i] = 0.0;
  }
}

void RunControl::StartFlight() {
  ResetFlight();
  ComputeForces(state_);
  host_.StartTimer();
}

TickResult RunControl::Tick() {
  if (state_.firstTick == 1) {
    state_.firstTick = 0;
  } else {
    for (int i = 1; i <= 3; ++i) state_.vel[i] = state_.velNext[i];
    for (int i = 1; i <= 3; ++i) state_.pos[i] = state_.posNext[i];
  }
  StepRK4(state_);
  // The view draws only the newest segment, so every step is followed by its repaint.
  host_.RequestRepaint();

  TickResult result;
  result.end = EndOfHeight(state_.pos[3]);
  if (result.end == TickEnd::Flying) return result;

  host_.KillTimer();
  double carry = 0.0;
  if (CarryForDistance(HorizontalDistance(state_.pos), carry)) {
    form_.carry = carry;
    result.carryChanged = true;
    host_.ShowCarry();
  }
  return result;
}

void RunControl::Stop() { host_.KillTimer(); }

void RunControl::CommitMass() { state_.mass = form_.ballMass; }
void RunControl::CommitLiftCoef() { state_.liftCoef = form_.k; }
void RunControl::CommitSideSpin() { state_.sideSpin = form_.sideSpin; }
void RunControl::CommitBackSpin() { state_.backSpin = form_.backSpin; }
void RunControl::CommitDragCoef() { state_.dragCoef = form_.kPrime; }
void RunControl::CommitLaunch() { ComputeLaunchVelocity(); }
void RunControl::CommitTimeStep() { state_.dt = form_.timeStep; }

}  // namespace vendrel
