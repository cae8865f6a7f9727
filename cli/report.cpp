#include "cli/report.h"

#include "json_text/json_text.h"
#include "number_text/number_text.h"

namespace vendrel::cli {
namespace {

Json SummaryJson(const FlightSummary& out, Units u) {
  const auto L = [u](double v) { return JsonNumber(LengthFromModel(u, v)); };
  Json j;
  j["ticks"] = out.ticks;
  j["end"] = FlightEndName(out.end);
  j["landed"] = out.landed();
  j["carry"] = out.carryChanged ? L(out.carry) : Json(nullptr);
  j["distance"] = L(out.distance);
  j["landing"] = {{"x", L(out.landing[1])}, {"y", L(out.landing[2])}, {"z", L(out.landing[3])}};
  j["apex"] = L(out.apex);
  return j;
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

std::string FlightJson(const FlightOutcome& out, Units u) { return JsonText(SummaryJson(out, u)) + "\n"; }
std::string FlightText(const FlightOutcome& out, Units u) { return SummaryText(out, u); }

std::string BallFlightJson(const BallSummary& out, Units u) {
  Json j = SummaryJson(BallAsFlightSummary(out), u);
  j["landing_angle"] = JsonNumber(out.landingAngle);
  j["flight_time"] = JsonNumber(out.flightTime);
  j["lateral"] = JsonNumber(LengthFromModel(u, out.lateral));
  j["total"] = JsonNumber(LengthFromModel(u, out.total));
  j["roll"] = JsonNumber(LengthFromModel(u, out.roll));
  j["rest"] = {{"x", JsonNumber(LengthFromModel(u, out.rest[0]))}, {"y", JsonNumber(LengthFromModel(u, out.rest[1]))}};
  j["bounces"] = out.bounces;
  j["time_to_rest"] = JsonNumber(out.timeToRest);
  return JsonText(j) + "\n";
}

std::string BallFlightText(const BallSummary& out, Units u) {
  const auto L = [u](double v) { return FormatNumber(LengthFromModel(u, v)); };
  const std::string m = std::string(" ") + LengthUnit(u);
  std::string s = SummaryText(BallAsFlightSummary(out), u);
  s += "landing angle: " + FormatNumber(out.landingAngle) + " deg\n";
  s += "flight time: " + FormatNumber(out.flightTime) + " s\n";
  s += "lateral:  " + L(out.lateral) + m + "\n";
  s += "total:    " + L(out.total) + m + "\n";
  s += "roll:     " + L(out.roll) + m + "\n";
  s += "rest:     x " + L(out.rest[0]) + m + ", y " + L(out.rest[1]) + m + "\n";
  s += "bounces:  " + std::to_string(out.bounces) + "\n";
  s += "time to rest: " + FormatNumber(out.timeToRest) + " s\n";
  return s;
}

int ExitStatusFor(const FlightSummary& out) { return out.landed() ? 0 : 3; }

}  // namespace vendrel::cli
