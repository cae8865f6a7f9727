#include "flight/flight_summary.h"

namespace vendrel {

const char* FlightEndName(FlightEnd end) {
  switch (end) {
    case FlightEnd::Ground: return "ground";
    case FlightEnd::NotANumber: return "nan";
    case FlightEnd::MaxTicks: break;
  }
  return "max-ticks";
}

}  // namespace vendrel
