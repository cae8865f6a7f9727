#include "cli/chart_flights.h"

#include "cli/chart_figures.h"
#include "flight/ball_flight.h"
#include "flight/trajectory.h"
#include "flight/windowless_run.h"

namespace vendrel::cli {

Figure ChartOfFlights(const FlightForm& main, const std::vector<FlightForm>& overlays, std::int64_t maxTicks,
                      Units units) {
  std::vector<ChartedFlight> flights;
  std::vector<FlightForm> forms{main};
  forms.insert(forms.end(), overlays.begin(), overlays.end());
  for (const FlightForm& f : forms) {
    ChartedFlight c;
    c.form = f;
    FlightForm form = f;
    c.path.Add(Vec5{});  // the launch point
    c.summary = RunFlight(form, maxTicks, [&](std::int64_t, const FlightState& st) { c.path.Add(st.posNext); });
    flights.push_back(std::move(c));
  }
  return FlightFigure(flights, units);
}

Figure ChartOfConvergence(const FlightForm& form, std::int64_t maxTicks, Units units) {
  constexpr std::int64_t kTickBudget = 1000000;
  std::vector<double> steps;
  std::vector<FlightSummary> flights;
  double dt = form.timeStep;
  // The halved steps may go below the form's minimum: they are not form values.
  for (int k = 0; k < 12; ++k) {
    FlightForm f = form;
    f.timeStep = dt;
    flights.push_back(RunFlight(f, maxTicks));
    steps.push_back(dt);
    if (k >= 2 && (!flights.back().landed() || flights.back().ticks * 2 > kTickBudget)) break;
    dt = dt / 2.0;
  }
  return ConvergenceFigure(steps, flights, units);
}

Figure ChartOfBallFlight(const BallParams& p, Units units) {
  ChartedFlight c;
  c.form = DefaultForm();  // names nothing: one flight has no legend
  const BallSummary s = FlyBallRows(
      p, [&c](const BallTrajectoryRow& r) { c.path.Add(Vec5{0.0, r.row.x, r.row.y, r.row.z, 0.0}); });
  c.summary = BallAsFlightSummary(s);
  c.rests = s.end == FlightEnd::Ground;
  c.rest = {s.rest[0], s.rest[1]};
  c.total = s.total;
  return FlightFigure({c}, units);
}

Figure ChartOfBallConvergence(const BallParams& p, Units units) {
  constexpr std::int64_t kStepBudget = 1000000;
  std::vector<double> steps;
  std::vector<FlightSummary> flights;
  BallParams q = p;
  for (int k = 0; k < 12; ++k) {
    flights.push_back(BallAsFlightSummary(FlyBall(q)));
    steps.push_back(q.dt);
    if (k >= 2 && (!flights.back().landed() || flights.back().ticks * 2 > kStepBudget)) break;
    q.dt = q.dt / 2.0;
  }
  return ConvergenceFigure(steps, flights, units);
}

}  // namespace vendrel::cli
