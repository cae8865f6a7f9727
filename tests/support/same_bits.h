#pragma once
// Bit equality of numbers and flight records: the flight is deterministic, so every
// front end must give the same bits, not merely close values.

#include <cstddef>
#include <cstring>

#include "flight/flight_records.h"

namespace vendrel::test {

/// True when both doubles have the same bits (NaNs of any payload count as equal).
bool SameBits(double a, double b);

/// Bit for bit the same record, NaNs included; padding is not compared.
inline bool Same(const FlightState& a, const FlightState& b) {
  constexpr std::size_t size = offsetof(FlightState, firstTick) + sizeof a.firstTick;
  return std::memcmp(&a, &b, size) == 0;
}
inline bool Same(const FlightForm& a, const FlightForm& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace vendrel::test
