#include "cli/report.h"

#include <cmath>

#include "cli/number_text.h"

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
  s += "carry:    " + (out.carryChanged ? FormatDouble(out.carry) + " m" : std::string("unchanged")) + "\n";
  s += "distance: " + FormatDouble(out.distance) + " m\n";
  s += "landing:  x " + FormatDouble(out.landing[1]) + " m, y " + FormatDouble(out.landing[2]) +
       " m, z " + FormatDouble(out.landing[3]) + " m\n";
  s += "apex:     " + FormatDouble(out.apex) + " m\n";
  return s;
}

int ExitStatusFor(const FlightOutcome& out) { return out.landed() ? 0 : 3; }

int RunConvergence(const FlightOptions& opt, std::FILE* file) {
  // The halved steps may go below the form's minimum: they are not form values.
  const double dt = opt.form.timeStep;
  const double steps[3] = {dt, dt / 2.0, dt / 4.0};
  FlightOutcome runs[3];
  for (int i = 0; i < 3; ++i) {
    FlightForm form = opt.form;
    form.timeStep = steps[i];
    runs[i] = RunFlight(form, opt.maxTicks);
  }
  const double dCarry = runs[2].carry - runs[1].carry;
  const double dDistance = runs[2].distance - runs[1].distance;
  const double dApex = runs[2].apex - runs[1].apex;
  const bool converged = std::fabs(dDistance) < 0.5;  // false for NaN
  bool allLanded = true;
  for (const FlightOutcome& r : runs) allLanded = allLanded && r.landed();

  std::string s;
  if (opt.format == Format::Json) {
    s = "{\"runs\": [";
    for (int i = 0; i < 3; ++i) {
      if (i) s += ", ";
      s += "{\"dt\": " + FormatJsonNumber(steps[i]) + ", \"ticks\": " + std::to_string(runs[i].ticks) +
           ", \"end\": \"" + FlightEndName(runs[i].end) + "\", \"carry\": " + Carry(runs[i], "null") +
           ", \"distance\": " + FormatJsonNumber(runs[i].distance) +
           ", \"apex\": " + FormatJsonNumber(runs[i].apex) + "}";
    }
    s += "], \"change\": {\"carry\": " +
         (runs[1].carryChanged && runs[2].carryChanged ? FormatJsonNumber(dCarry) : "null") +
         ", \"distance\": " + FormatJsonNumber(dDistance) + ", \"apex\": " + FormatJsonNumber(dApex) +
         "}, \"converged\": " + (converged ? "true" : "false") + "}\n";
  } else {
    const char* names[3] = {"dt  ", "dt/2", "dt/4"};
    for (int i = 0; i < 3; ++i) {
      s += std::string(names[i]) + " = " + FormatDouble(steps[i]) + " s: ticks " +
           std::to_string(runs[i].ticks) + ", end " + FlightEndName(runs[i].end) + ", carry " +
           (runs[i].carryChanged ? FormatDouble(runs[i].carry) + " m" : std::string("unchanged")) +
           ", distance " + FormatDouble(runs[i].distance) + " m, apex " + FormatDouble(runs[i].apex) +
           " m\n";
    }
    s += "change from dt/2 to dt/4: carry " +
         (runs[1].carryChanged && runs[2].carryChanged ? FormatDouble(dCarry) + " m" : std::string("n/a")) +
         ", distance " + FormatDouble(dDistance) + " m, apex " + FormatDouble(dApex) + " m\n";
    s += std::string("converged: ") + (converged ? "yes" : "no") + " (the distance changed by " +
         FormatDouble(std::fabs(dDistance)) + " m; the bound is 0.5 m)\n";
  }
  std::fputs(s.c_str(), file);
  return allLanded ? 0 : 3;
}

}  // namespace vendrel::cli
