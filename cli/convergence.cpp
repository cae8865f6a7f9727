#include "cli/convergence.h"

#include <cmath>
#include <string>

#include "json_text/json_text.h"
#include "cli/progress_line.h"
#include "flight/ball_flight.h"
#include "flight/windowless_run.h"
#include "number_text/number_text.h"

namespace vendrel::cli {

namespace {

int Report(const FlightOptions& opt, const double (&steps)[3], const FlightSummary (&runs)[3], std::FILE* file) {
  const double dCarry = runs[2].carry - runs[1].carry;
  const double dDistance = runs[2].distance - runs[1].distance;
  const double dApex = runs[2].apex - runs[1].apex;
  const bool converged = std::fabs(dDistance) < 0.5;  // false for NaN
  bool allLanded = true;
  for (const FlightSummary& r : runs) allLanded = allLanded && r.landed();

  // Lengths in the user's units; the bound stays half a metre.
  const auto L = [&opt](double v) { return LengthFromModel(opt.units, v); };
  const std::string m = std::string(" ") + LengthUnit(opt.units);
  std::string s;
  if (opt.format == Format::Json) {
    Json list = Json::array();
    for (int i = 0; i < 3; ++i) {
      list.push_back({{"dt", JsonNumber(steps[i])},
                      {"ticks", runs[i].ticks},
                      {"end", FlightEndName(runs[i].end)},
                      {"carry", runs[i].carryChanged ? JsonNumber(L(runs[i].carry)) : Json(nullptr)},
                      {"distance", JsonNumber(L(runs[i].distance))},
                      {"apex", JsonNumber(L(runs[i].apex))}});
    }
    Json j;
    j["runs"] = list;
    j["change"] = {{"carry", runs[1].carryChanged && runs[2].carryChanged ? JsonNumber(L(dCarry)) : Json(nullptr)},
                   {"distance", JsonNumber(L(dDistance))},
                   {"apex", JsonNumber(L(dApex))}};
    j["converged"] = converged;
    s = JsonText(j) + "\n";
  } else {
    const char* names[3] = {"dt  ", "dt/2", "dt/4"};
    for (int i = 0; i < 3; ++i) {
      s += std::string(names[i]) + " = " + FormatNumber(steps[i]) + " s: ticks " +
           std::to_string(runs[i].ticks) + ", end " + FlightEndName(runs[i].end) + ", carry " +
           (runs[i].carryChanged ? FormatNumber(L(runs[i].carry)) + m : std::string("unchanged")) +
           ", distance " + FormatNumber(L(runs[i].distance)) + m + ", apex " + FormatNumber(L(runs[i].apex)) +
           m + "\n";
    }
    s += "change from dt/2 to dt/4: carry " +
         (runs[1].carryChanged && runs[2].carryChanged ? FormatNumber(L(dCarry)) + m : std::string("n/a")) +
         ", distance " + FormatNumber(L(dDistance)) + m + ", apex " + FormatNumber(L(dApex)) + m + "\n";
    s += std::string("converged: ") + (converged ? "yes" : "no") + " (the distance changed by " +
         FormatNumber(L(std::fabs(dDistance))) + m + "; the bound is 0.5 m)\n";
  }
  std::fputs(s.c_str(), file);
  return allLanded ? 0 : 3;
}

}  // namespace

int RunConvergence(const FlightOptions& opt, std::FILE* file) {
  // The halved steps may go below the form's minimum: they are not form values.
  const double dt = opt.form.timeStep;
  const double steps[3] = {dt, dt / 2.0, dt / 4.0};
  FlightSummary runs[3];
  {
    // Each run may go to the tick bound: three bounds' worth at most.
    ProgressLine progress(3 * opt.maxTicks, "ticks");
    TickTally ticks(progress.meter());
    for (int i = 0; i < 3; ++i) {
      FlightForm form = opt.form;
      form.timeStep = steps[i];
      runs[i] = RunFlight(form, opt.maxTicks, ticks.Observer());
    }
  }
  return Report(opt, steps, runs, file);
}

int RunBallConvergence(const FlightOptions& opt, std::FILE* file) {
  const double dt = opt.ball.dt;
  const double steps[3] = {dt, dt / 2.0, dt / 4.0};
  FlightSummary runs[3];
  for (int i = 0; i < 3; ++i) {
    BallParams p = opt.ball;
    p.dt = steps[i];
    runs[i] = BallAsFlightSummary(FlyBall(p));
  }
  return Report(opt, steps, runs, file);
}

}  // namespace vendrel::cli
