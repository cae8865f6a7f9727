#include "flight/dispersion.h"

#include <algorithm>
#include <cmath>

#include "flight/normal_draws.h"
#include "flight/parameters.h"

namespace vendrel {
namespace {

double Drawn(double FlightForm::*member, const FlightForm& base, double sd, double z) {
  const Parameter& f = ParameterFor(member);
  const double v = base.*member + sd * z;
  return std::clamp(v, f.min, f.max);
}

double DrawnBall(double BallParams::*member, const BallParams& base, double sd, double z) {
  const Parameter& row = ParameterFor(member);
  return std::clamp(base.*member + sd * z, row.Min(Model::Ball), row.Max(Model::Ball));
}

// Mean and spread in two passes, in the order given.
template <typename Summary, typename Pick>
MeanSd Spread(std::span<const Summary> flights, Pick pick) {
  MeanSd r;
  double sum = 0.0;
  for (const Summary& s : flights) {
    double v = 0.0;
    if (pick(s, v)) {
      sum += v;
      ++r.count;
    }
  }
  if (r.count == 0) return r;
  r.mean = sum / static_cast<double>(r.count);
  double sq = 0.0;
  for (const Summary& s : flights) {
    double v = 0.0;
    if (pick(s, v)) sq += (v - r.mean) * (v - r.mean);
  }
  r.sd = r.count > 1 ? std::sqrt(sq / static_cast<double>(r.count - 1)) : 0.0;
  return r;
}

bool CameDown(const FlightSummary& s) { return s.end == FlightEnd::Ground; }

// The 95% ellipse of the points `pick(s, x, y)` gives, whose lateral y has the spread
// `y`; the centre's x is their mean in the same order.
template <typename Summary, typename Pick>
Ellipse EllipseOf(std::span<const Summary> flights, const MeanSd& y, Pick pick) {
  const MeanSd x = Spread(flights, [&pick](const Summary& s, double& v) {
    double unused = 0.0;
    return pick(s, v, unused);
  });
  Ellipse e;
  e.centreX = x.mean;
  e.centreY = y.mean;
  if (x.count < 2) return e;
  double sxx = 0.0, syy = 0.0, sxy = 0.0;
  for (const Summary& s : flights) {
    double px = 0.0, py = 0.0;
    if (!pick(s, px, py)) continue;
    const double dx = px - e.centreX;
    const double dy = py - e.centreY;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
  }
  const double n1 = static_cast<double>(x.count - 1);
  sxx /= n1;
  syy /= n1;
  sxy /= n1;
  // Eigenvalues of the covariance matrix [[sxx, sxy], [sxy, syy]].
  const double mid = (sxx + syy) / 2.0;
  const double half = (sxx - syy) / 2.0;
  const double r = std::sqrt(half * half + sxy * sxy);
  const double big = mid + r;
  const double small = std::max(mid - r, 0.0);
  e.major = std::sqrt(kChiSquare2At95 * big);
  e.minor = std::sqrt(kChiSquare2At95 * small);
  e.angle = std::atan2(2.0 * sxy, sxx - syy) / 2.0 / 6.283185307179586 * 360.0;
  return e;
}

}  // namespace

FlightForm DispersedForm(const FlightForm& base, const LaunchSpread& sd, std::uint64_t seed,
                         std::uint64_t index) {
  RandomStream draws(seed, index);
  const double zAngle = draws.NextNormal();
  const double zSpeed = draws.NextNormal();
  const double zSide = draws.NextNormal();
  const double zBack = draws.NextNormal();
  FlightForm form = base;
  form.launchAngle = Drawn(&FlightForm::launchAngle, base, sd.angle, zAngle);
  form.launchSpeed = Drawn(&FlightForm::launchSpeed, base, sd.speed, zSpeed);
  form.sideSpin = Drawn(&FlightForm::sideSpin, base, sd.sideSpin, zSide);
  form.backSpin = Drawn(&FlightForm::backSpin, base, sd.backSpin, zBack);
  return form;
}

BallParams DispersedBall(const BallParams& base, const BallLaunchSpread& sd, std::uint64_t seed,
                         std::uint64_t index) {
  RandomStream draws(seed, index);
  double z[7];
  for (double& d : z) d = draws.NextNormal();
  BallParams p = base;
  p.angle = DrawnBall(&BallParams::angle, base, sd.angle, z[0]);
  p.speed = DrawnBall(&BallParams::speed, base, sd.speed, z[1]);
  p.sideSpin = DrawnBall(&BallParams::sideSpin, base, sd.sideSpin, z[2]);
  p.backSpin = DrawnBall(&BallParams::backSpin, base, sd.backSpin, z[3]);
  p.direction = DrawnBall(&BallParams::direction, base, sd.direction, z[4]);
  p.totalSpin = DrawnBall(&BallParams::totalSpin, base, sd.totalSpin, z[5]);
  p.spinAxis = DrawnBall(&BallParams::spinAxis, base, sd.spinAxis, z[6]);
  return p;
}

std::vector<BallParams> DispersedBalls(const BallParams& base, const BallLaunchSpread& sd, std::uint64_t seed,
                                       std::int64_t first, std::int64_t n) {
  std::vector<BallParams> shots;
  shots.reserve(static_cast<std::size_t>(n));
  for (std::int64_t i = first; i < first + n; ++i) {
    shots.push_back(DispersedBall(base, sd, seed, static_cast<std::uint64_t>(i)));
  }
  return shots;
}

std::string BallSpreadRefusal(const BallLaunchSpread& sd, bool spinAsComponents, bool byKey) {
  struct Spin {
    double BallLaunchSpread::*sd;
    double BallParams::*value;
  };
  static constexpr Spin kSpins[] = {{&BallLaunchSpread::backSpin, &BallParams::backSpin},
                                    {&BallLaunchSpread::sideSpin, &BallParams::sideSpin},
                                    {&BallLaunchSpread::totalSpin, &BallParams::totalSpin},
                                    {&BallLaunchSpread::spinAxis, &BallParams::spinAxis}};
  const auto name = [byKey](double BallParams::*value) {
    const Parameter& p = ParameterFor(value);
    return byKey ? std::string(p.key) + "_sd" : "--" + std::string(p.option) + "-sd";
  };
  const SpinForm flown = spinAsComponents ? SpinForm::BackAndSide : SpinForm::TotalAndAxis;
  for (const Spin& s : kSpins) {
    if (SpinFormOf(s.value) == flown || !(sd.*(s.sd) > 0.0)) continue;
    const Spin* a = spinAsComponents ? &kSpins[0] : &kSpins[2];
    return name(s.value) + ": the shots fly " +
           (spinAsComponents ? "back and side spin, not total spin and spin axis"
                             : "total spin and spin axis, not back and side spin") +
           ": spread those with " + name(a[0].value) + " and " + name(a[1].value);
  }
  return {};
}

std::vector<FlightForm> DispersedForms(const FlightForm& base, const LaunchSpread& sd,
                                       std::uint64_t seed, std::int64_t n) {
  std::vector<FlightForm> forms;
  forms.reserve(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n; ++i) {
    forms.push_back(DispersedForm(base, sd, seed, static_cast<std::uint64_t>(i)));
  }
  return forms;
}

DispersionStats SummariseDispersion(std::span<const FlightSummary> flights) {
  DispersionStats st;
  st.carry = Spread(flights, [](const FlightSummary& s, double& v) {
    v = s.carry;
    return s.carryChanged;
  });
  st.distance = Spread(flights, [](const FlightSummary& s, double& v) {
    v = s.distance;
    return CameDown(s);
  });
  st.lateral = Spread(flights, [](const FlightSummary& s, double& v) {
    v = s.landing[2];
    return CameDown(s);
  });
  st.ellipse = EllipseOf(flights, st.lateral, [](const FlightSummary& s, double& x, double& y) {
    x = s.landing[1];
    y = s.landing[2];
    return CameDown(s);
  });
  return st;
}

DispersionStats SummariseBallDispersion(std::span<const BallSummary> shots) {
  std::vector<FlightSummary> flights;
  flights.reserve(shots.size());
  for (const BallSummary& s : shots) {
    // A ball's carry is its distance: a shot still in the air at the flight's bound has none.
    flights.push_back(BallAsFlightSummary(s));
    flights.back().carryChanged = CameDown(s);
  }
  DispersionStats st = SummariseDispersion(flights);
  // A shot that did not come down rests where its flight ended: it has no roll to count.
  st.total = Spread(shots, [](const BallSummary& s, double& v) {
    v = s.total;
    return CameDown(s);
  });
  const MeanSd restY = Spread(shots, [](const BallSummary& s, double& v) {
    v = s.rest[1];
    return CameDown(s);
  });
  st.restEllipse = EllipseOf(shots, restY, [](const BallSummary& s, double& x, double& y) {
    x = s.rest[0];
    y = s.rest[1];
    return CameDown(s);
  });
  return st;
}

}  // namespace vendrel
