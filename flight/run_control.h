#pragma once
// Turns the form into a running flight and drives it tick by tick to its end.
// The run control owns nothing: it works on the form and the flight state its owner
// (the dialog, the command line, a test) gives it, and reaches the outside world only
// through FlightHost.

#include "flight/flight_records.h"

namespace vendrel {

/// What the run control needs from whoever shows the flight.
class FlightHost {
 public:
  virtual ~FlightHost() = default;
  /// Start timer 1 with a 1 ms period; a running timer 1 is replaced, never doubled.
  virtual void StartTimer() = 0;
  /// Kill timer 1; harmless when none runs.
  virtual void KillTimer() = 0;
  /// Ask for a repaint of the whole drawing area without erasing it.
  virtual void RequestRepaint() = 0;
  /// The form's carry changed after a landing: show it.
  virtual void ShowCarry() = 0;
};

/// How a tick ended.
enum class TickEnd {
  Flying,      ///< still in the air
  Ground,      ///< the height at the start of the step was below zero
  NotANumber,  ///< the height was not a number
};

struct TickResult {
  TickEnd end = TickEnd::Flying;
  bool carryChanged = false;  ///< a landing wrote a new carry into the form
};

class RunControl {
 public:
  RunControl(FlightForm& form, FlightState& state, FlightHost& host)
      : form_(form), state_(state), host_(host) {}

  /// The calculate button's work once the form has been exchanged: copy every
  /// parameter into the flight state, form the launch velocity and the time step,
  /// and start the flight.
  void CalculateFromForm();

  /// Launch velocity from the form's launch angle (degrees) and speed (m/s).
  void ComputeLaunchVelocity();
  /// Back to the launch point: origin, launch velocity, first tick pending.
  void ResetFlight();
  /// Reset, evaluate the force at launch and start the timer.
  void StartFlight();

  /// One tick of the run: advance, step, request the repaint, test for the landing.
  TickResult Tick();
  /// Ends a run without a result; there is no resuming.
  void Stop();

  // The single-field commits of the edit boxes, once the form has been exchanged.
  void CommitMass();
  void CommitLiftCoef();
  void CommitSideSpin();
  void CommitBackSpin();
  void CommitDragCoef();
  void CommitLaunch();  ///< launch angle or speed: only the launch velocity changes
  void CommitTimeStep();

 private:
  FlightForm& form_;
  FlightState& state_;
  FlightHost& host_;
};

/// Horizontal distance of a position from the origin, lateral offset included.
double HorizontalDistance(const Vec5& pos);

/// How a tick ends whose step started at this height.
TickEnd EndOfHeight(double height);

/// The carry the field would show for a landing at this distance, or false when the
/// field stays unchanged (zero, not a number, or infinite).
bool CarryForDistance(double distance, double& carry);

}  // namespace vendrel
