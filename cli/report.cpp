#include "cli/report.h"

#include "number_text/number_text.h"

namespace vendrel::cli {
namespace {

std::string Carry(const FlightSummary& out, Units u, const char* unchanged) {
  return out.carryChanged ? FormatJsonNumber(LengthFromModel(u, out.carry)) : std::string(unchanged);
}

std::string SummaryJson(const FlightSummary& out, Units u) {
  const auto L = [u](double v) { return LengthFromModel(u, v); };
  std::string s = "{";
  s += "\"ticks\": " + std::to_string(out.ticks);
  s += ", \"end\": \"" + std::string(FlightEndName(out.end)) + "\"";
  s += std::string(", \"landed\": ") + (out.landed() ? "true" : "false");
  s += ", \"carry\": " + Carry(out, u, "null");
  s += ", \"distance\": " + FormatJsonNumber(L(out.distance));
  s += ", \"landing\": {\"x\": " + FormatJsonNumber(L(out.landing[1])) +
       ", \"y\": " + FormatJsonNumber(L(out.landing[2])) +
       ", \"z\": " + FormatJsonNumber(L(out.landing[3])) + "}";
  s += ", \"apex\": " + FormatJsonNumber(L(out.apex));
  return s;
}

std::string SummaryText(const FlightSummary& out, Units u) {
  const auto L = [u](double v) { return LengthFromModel(u, v); };
  const std::string m = std::string(" ") + LengthUnit(u);
  const char* endText = out.end == FlightEnd::Ground       ? "ground (came down below zero height)"
                        : out.end == FlightEnd::NotANumber ? "nan (the height is not a number)"
                                                           : "max-ticks (still in the air)";
  std::string s;
  s += "ticks:    " + std::to_string(out.ticks) + "\n";
  s += "end:      " + std::string(endText) + "\n";
  s += "landed:   " + std::string(out.landed() ? "yes" : "no") + "\n";
  s += "carry:    " + (out.carryChanged ? FormatNumber(L(out.carry)) + m : std::string("unchanged")) + "\n";
  s += "distance: " + FormatNumber(L(out.distance)) + m + "\n";
  s += "landing:  x " + FormatNumber(L(out.landing[1])) + m + ", y " + FormatNumber(L(out.landing[2])) +
       m + ", z " + FormatNumber(L(out.landing[3])) + m + "\n";
  s += "apex:     " + FormatNumber(L(out.apex)) + m + "\n";
  return s;
}

}  // namespace

std::string FlightJson(const FlightOutcome& out, Units u) { return SummaryJson(out, u) + "}\n"; }
std::string FlightText(const FlightOutcome& out, Units u) { return SummaryText(out, u); }

std::string BallFlightJson(const BallSummary& out, Units u) {
  return SummaryJson(BallAsFlightSummary(out), u) + ", \"landing_angle\": " + FormatJsonNumber(out.landingAngle) +
         ", \"flight_time\": " + FormatJsonNumber(out.flightTime) +
         ", \"lateral\": " + FormatJsonNumber(LengthFromModel(u, out.lateral)) + "}\n";
}

std::string BallFlightText(const BallSummary& out, Units u) {
  return SummaryText(BallAsFlightSummary(out), u) + "landing angle: " + FormatNumber(out.landingAngle) +
         " deg\nflight time: " + FormatNumber(out.flightTime) + " s\nlateral:  " +
         FormatNumber(LengthFromModel(u, out.lateral)) + " " + LengthUnit(u) + "\n";
}

int ExitStatusFor(const FlightSummary& out) { return out.landed() ? 0 : 3; }

}  // namespace vendrel::cli
