#include "tests/support/default_flight.h"

#include "flight/parameters.h"

namespace vendrel::test {

const FlightOutcome& DefaultFlight() {
  static const FlightOutcome outcome = [] {
    FlightForm form = DefaultForm();
    return RunFlight(form, 1000000);
  }();
  return outcome;
}

}  // namespace vendrel::test
