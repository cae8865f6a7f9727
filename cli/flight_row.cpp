#include "cli/flight_row.h"

#include "cli/sweep.h"
#include "number_text/number_text.h"
#include "flight/parameters.h"

namespace vendrel::cli {

const char* FlightRowHeader() { return SweepHeader(); }

void AppendFlightRow(std::string& s, std::span<const double, kFormParameterCount> params, const FlightSummary& r, Units u) {
  for (double p : params) {
    AppendNumber(s, p);
    s += ',';
  }
  s += std::to_string(r.ticks);
  s += ',';
  s += FlightEndName(r.end);
  s += ',';
  if (r.carryChanged) AppendNumber(s, LengthFromModel(u, r.carry));
  for (double v : {r.distance, r.landing[2], r.apex}) {  // lateral: pos[2] on the last tick
    s += ',';
    AppendNumber(s, LengthFromModel(u, v));
  }
  s += '\n';
}

std::string BallRowHeader() {
  std::string h;
  for (const Parameter& p : ParametersOf(Model::Ball)) (h += p.key) += ',';
  return h + "ticks,end,carry,distance,lateral,apex,landing_angle,flight_time,total,roll,rest_x,rest_y,bounces,"
             "time_to_rest\n";
}

void AppendBallRow(std::string& s, const BallParams& shot, const BallSummary& r, Units u) {
  for (const Parameter& p : ParametersOf(Model::Ball)) {
    AppendNumber(s, FromModel(p, u, shot.*(p.ball)));
    s += ',';
  }
  s += std::to_string(r.ticks);
  s += ',';
  s += FlightEndName(r.end);
  for (double v : {r.distance, r.distance, r.lateral, r.apex}) {  // the carry is the distance
    s += ',';
    AppendNumber(s, LengthFromModel(u, v));
  }
  for (double v : {r.landingAngle, r.flightTime}) {
    s += ',';
    AppendNumber(s, v);
  }
  for (double v : {r.total, r.roll, r.rest[0], r.rest[1]}) {
    s += ',';
    AppendNumber(s, LengthFromModel(u, v));
  }
  s += ',';
  s += std::to_string(r.bounces);
  s += ',';
  AppendNumber(s, r.timeToRest);
  s += '\n';
}

std::array<double, kFormParameterCount> ParamsOf(const FlightForm& form, Units u) {
  std::array<double, kFormParameterCount> p{};
  const auto fields = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = FromModel(fields[i], u, form.*(fields[i].form));
  return p;
}

}  // namespace vendrel::cli
