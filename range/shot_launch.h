#pragma once
// One shot as it leaves the club, in SI units, and what its flight came to. The range
// flies every shot through a ShotFlyer, so the model that flies it is one choice made
// where the server is put together.

#include <string>

namespace vendrel::range {

/// Launch values in SI units (spins in rpm). A flyer flies the total spin about its
/// axis; both forms are kept, the one the monitor gave and the one derived from it.
struct ShotLaunch {
  double speed = 0.0;            ///< ball speed, m/s
  double verticalAngle = 0.0;    ///< degrees above the horizontal
  double horizontalAngle = 0.0;  ///< degrees, positive right of the target line
  double backSpin = 0.0;         ///< rpm, positive lifts
  double sideSpin = 0.0;         ///< rpm, positive curves right
  double totalSpin = 0.0;        ///< rpm
  double spinAxis = 0.0;         ///< degrees, positive curves right
};

/// What a flight came to. Lengths in metres, lateral and rest point positive right of
/// the target line.
struct ShotResult {
  double carry = 0.0;         ///< horizontal distance of the landing point
  double apex = 0.0;          ///< highest height
  double landingAngle = 0.0;  ///< degrees below the horizontal at landing
  double lateral = 0.0;       ///< of the landing point
  double total = 0.0;         ///< horizontal distance of the rest point
  double restX = 0.0;         ///< rest point downrange
  double restY = 0.0;         ///< rest point right of the line
  double flightTime = 0.0;    ///< s, launch to landing
};

/// Flies shots. `Conditions` says, as a JSON object's text, the model, air, wind,
/// surface and constants every shot it flies is flown with; the store keeps it with
/// each shot.
class ShotFlyer {
 public:
  virtual ~ShotFlyer() = default;
  virtual ShotResult Fly(const ShotLaunch& launch) const = 0;
  /// Why the model will not fly `launch` (a spin beyond its range, say), naming the
  /// value; empty when it will.
  virtual std::string Refusal(const ShotLaunch& launch) const = 0;
  virtual std::string Conditions() const = 0;
};

}  // namespace vendrel::range
