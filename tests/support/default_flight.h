#pragma once
// The flight of the form's defaults as the flight model flies it. Its figures (the
// landing tick, the carry) are pinned once, by the flight's own tests; the front ends'
// tests compare with this run instead of repeating them.

#include "flight/windowless_run.h"

namespace vendrel::test {

/// The default form's whole run, computed once.
const FlightOutcome& DefaultFlight();

}  // namespace vendrel::test
