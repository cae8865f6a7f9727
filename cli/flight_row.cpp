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

std::array<double, kFormParameterCount> ParamsOf(const FlightForm& form, Units u) {
  std::array<double, kFormParameterCount> p{};
  const auto fields = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = FromModel(fields[i], u, form.*(fields[i].form));
  return p;
}

}  // namespace vendrel::cli
