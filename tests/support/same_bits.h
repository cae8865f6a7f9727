#pragma once
// Bit equality of numbers and flight records: the flight is deterministic, so every
// front end must give the same bits, not merely close values.

#include <cstdint>
#include <cstring>
#include <string>

#include "flight/flight_records.h"

namespace vendrel::test {

/// True when both doubles have the same bits (NaNs of any payload count as equal).
bool SameBits(double a, double b);

/// Calls `visit` with each member of both records in turn. A record's padding holds
/// whatever its last copy left there, so records are compared member by member. The
/// binding names every member: one added to the record stops this from compiling until
/// it is named here too.
template <class Visit>
void ForEachMember(const FlightState& a, const FlightState& b, Visit&& visit) {
  const auto& [aMass, aGravity, aLift, aSide, aBack, aVel, aVelNext, aPos, aPosNext, aDrag, aForce,
               aLaunchVel, aDt, aFirstTick] = a;
  const auto& [bMass, bGravity, bLift, bSide, bBack, bVel, bVelNext, bPos, bPosNext, bDrag, bForce,
               bLaunchVel, bDt, bFirstTick] = b;
  visit(aMass, bMass);
  visit(aGravity, bGravity);
  visit(aLift, bLift);
  visit(aSide, bSide);
  visit(aBack, bBack);
  visit(aVel, bVel);
  visit(aVelNext, bVelNext);
  visit(aPos, bPos);
  visit(aPosNext, bPosNext);
  visit(aDrag, bDrag);
  visit(aForce, bForce);
  visit(aLaunchVel, bLaunchVel);
  visit(aDt, bDt);
  visit(aFirstTick, bFirstTick);
}

/// Bit for bit the same record, member by member, NaNs included.
bool Same(const FlightState& a, const FlightState& b);
/// Every member's bits, as text: two records give the same text when Same says so.
std::string Describe(const FlightState& s);

/// The form holds doubles only, so its bytes are its members.
inline bool Same(const FlightForm& a, const FlightForm& b) {
  static_assert(sizeof(FlightForm) % sizeof(double) == 0 && alignof(FlightForm) == alignof(double));
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace vendrel::test
