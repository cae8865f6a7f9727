#include "cli/report.h"

#include "cli/number_text.h"
#include "platform/number_text.h"

namespace vendrel::cli {
namespace {

std::string Carry(const FlightOutcome& out, const char* unchanged) {
  return out.carryChanged ? FormatJsonNumber(out.carry) : std::string(unchanged);
}

}  // namespace

std::string FlightJson(const FlightOutcome& out) {
  std::string s = "{";
  s += "\"ticks\": " + std::to_string(out.ticks);
  s += ", \"end\": \"" + std::string(FlightEndName(out.end)) + "\"";
  s += std::string(", \"landed\": ") + (out.landed() ? "true" : "false");
  s += ", \"carry\": " + Carry(out, "null");
  s += ", \"distance\": " + FormatJsonNumber(out.distance);
  s += ", \"landing\": {\"x\": " + FormatJsonNumber(out.landing[1]) +
       ", \"y\": " + FormatJsonNumber(out.landing[2]) +
       ", \"z\": " + FormatJsonNumber(out.landing[3]) + "}";
  s += ", \"apex\": " + FormatJsonNumber(out.apex);
  s += "}\n";
  return s;
}

std::string FlightText(const FlightOutcome& out) {
  const char* endText = out.end == FlightEnd::Ground       ? "ground (came down below zero height)"
                        : out.end == FlightEnd::NotANumber ? "nan (the height is not a number)"
                                                           : "max-ticks (still in the air)";
  std::string s;
  s += "ticks:    " + std::to_string(out.ticks) + "\n";
  s += "end:      " + std::string(endText) + "\n";
  s += "landed:   " + std::string(out.landed() ? "yes" : "no") + "\n";
  s += "carry:    " + (out.carryChanged ? afx::FormatNumber(out.carry) + " m" : std::string("unchanged")) + "\n";
  s += "distance: " + afx::FormatNumber(out.distance) + " m\n";
  s += "landing:  x " + afx::FormatNumber(out.landing[1]) + " m, y " + afx::FormatNumber(out.landing[2]) +
       " m, z " + afx::FormatNumber(out.landing[3]) + " m\n";
  s += "apex:     " + afx::FormatNumber(out.apex) + " m\n";
  return s;
}

int ExitStatusFor(const FlightOutcome& out) { return out.landed() ? 0 : 3; }

}  // namespace vendrel::cli
