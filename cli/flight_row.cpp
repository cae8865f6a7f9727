#include "cli/flight_row.h"

#include <cmath>

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

const std::string& BallRowHeader() {
  static const std::string header = [] {
    std::string h;
    for (const Parameter& f : ParametersOf(Model::Ball)) (h += f.key) += ',';
    return h + "ticks,end,carry,distance,lateral,apex,landing_angle,flight_time,total,roll,rest_x,rest_y,"
               "bounces,time_to_rest\n";
  }();
  return header;
}

void AppendBallRow(std::string& s, std::span<const double> params, bool components, const BallSummary& r, Units u) {
  const auto fields = ParametersOf(Model::Ball);
  for (std::size_t i = 0; i < params.size(); ++i) {
    const bool unused = SpinFormOf(fields[i].ball) == (components ? SpinForm::TotalAndAxis : SpinForm::BackAndSide);
    if (!unused && !std::isnan(params[i])) AppendNumber(s, params[i]);
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

std::vector<double> BallParamsOf(const BallParams& shot, Units u) {
  std::vector<double> p;
  for (const Parameter& f : ParametersOf(Model::Ball)) p.push_back(FromModel(f, u, shot.*(f.ball)));
  return p;
}

}  // namespace vendrel::cli
