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
    return h + "ticks,end,carry,apex,landing_angle,flight_time,lateral,total\n";
  }();
  return header;
}

void AppendBallRow(std::string& s, std::span<const double> params, bool components, const BallSummary& r, Units u) {
  const auto fields = ParametersOf(Model::Ball);
  for (std::size_t i = 0; i < params.size(); ++i) {
    const double BallParams::*m = fields[i].ball;
    const bool unused = components ? m == &BallParams::totalSpin || m == &BallParams::spinAxis
                                   : m == &BallParams::backSpin || m == &BallParams::sideSpin;
    if (!unused && !std::isnan(params[i])) AppendNumber(s, params[i]);
    s += ',';
  }
  s += std::to_string(r.ticks);
  s += ',';
  s += FlightEndName(r.end);
  for (double v : {LengthFromModel(u, r.distance), LengthFromModel(u, r.apex), r.landingAngle, r.flightTime,
                   LengthFromModel(u, r.lateral), LengthFromModel(u, r.total)}) {
    s += ',';
    AppendNumber(s, v);
  }
  s += '\n';
}

std::array<double, kFormParameterCount> ParamsOf(const FlightForm& form, Units u) {
  std::array<double, kFormParameterCount> p{};
  const auto fields = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = FromModel(fields[i], u, form.*(fields[i].form));
  return p;
}

}  // namespace vendrel::cli
