#include "flight/ball_flight.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "flight/ball_landing.h"
#include "flight/lane_feeder.h"
#include "flight/lanes_loop.h"
#include "flight/launch_trig.h"
#include "flight/parallel_runs.h"
#include "flight/portable_math.h"
#include "flight/run_control.h"

namespace vendrel {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
// Specific gas constants of dry air (the standard atmosphere's, ISO 2533) and of water
// vapour, J/(kg·K).
constexpr double kDryAirR = 287.05287;
constexpr double kVapourR = 461.52;

using kernel::ScalarOps;

template <bool kWind>
void Step(const BallLaunch& l, const double* v, const double* p, double u, double* vn, double* pn,
          double& un) {
  kernel::StepBall<ScalarOps, kWind>(l.consts, v, p, u, vn, pn, un);
}

// The path inside a last step from its ends.
landing::Hermite<ScalarOps> HermiteOf(const double* p0, const double* v0, const double* p1, const double* v1,
                                      double dt) {
  landing::Hermite<ScalarOps> h;
  for (int i = 0; i < 3; ++i) {
    h.p0[i] = p0[i];
    h.v0[i] = v0[i];
    h.p1[i] = p1[i];
    h.v1[i] = v1[i];
  }
  h.dt = dt;
  return h;
}

double DescentDegrees(double vx, double vy, double vz) {
  return PortableAtan2(-vz, std::sqrt(vx * vx + vy * vy)) / kTwoPi * 360.0;
}

}  // namespace

double SaturationVapourPressure(double temperature) {
  // Buck, A. L. (1981), "New equations for computing vapor pressure and enhancement
  // factor", J. Appl. Meteorol. 20, 1527-1532 (the 1996 coefficients over water).
  const double t = temperature;
  return 6.1121 * PortableExp((18.678 - t / 234.5) * (t / (257.14 + t)));
}

double StandardPressure(double altitude) {
  // The troposphere of the standard atmosphere (ISO 2533:1975): 288.15 K and
  // 1013.25 hPa at sea level, 6.5 K/km lapse rate, over the geopotential height.
  constexpr double kEarthRadius = 6356766.0;
  const double geopotential = kEarthRadius * altitude / (kEarthRadius + altitude);
  const double exponent = 9.80665 / (kDryAirR * 0.0065);
  return 1013.25 * PortablePow(1.0 - 0.0065 * geopotential / 288.15, exponent);
}

double AirDensity(double temperature, double pressure, double humidity) {
  const double kelvin = temperature + 273.15;
  const double vapour = humidity / 100.0 * SaturationVapourPressure(temperature) * 100.0;  // Pa
  const double dry = pressure * 100.0 - vapour;
  return dry / (kDryAirR * kelvin) + vapour / (kVapourR * kelvin);
}

namespace {

// A sweep or a dispersion changes the launch from shot to shot but seldom the air, the
// spin's decay or the angles of the direction, the spin axis and the wind; their
// functions (exp, pow, sine and cosine) cost as much as a fifth of a short flight. Each
// thread keeps the last values it worked out with the bits of their inputs.
template <int kIn, int kOut>
struct Memo {
  double in[kIn]{};
  double out[kOut]{};
  bool valid = false;

  // Whether `now` are the inputs of the values kept; if not, they become the inputs.
  bool Holds(const double (&now)[kIn]) {
    if (valid && std::memcmp(in, now, sizeof in) == 0) return true;
    std::memcpy(in, now, sizeof in);
    valid = true;
    return false;
  }
};

thread_local Memo<4, 1> tAir;
thread_local Memo<2, 1> tDecay;
thread_local Memo<1, 2> tAngles[3];

void MemoCosSinDegrees(Memo<1, 2>& m, double degrees, double& c, double& s) {
  if (!m.Holds({degrees})) CosSinDegrees(degrees, m.out[0], m.out[1]);
  c = m.out[0];
  s = m.out[1];
}

}  // namespace

BallLaunch LaunchBall(const BallParams& p) {
  BallLaunch l;
  kernel::BallConsts<double>& c = l.consts;
  if (!tAir.Holds({p.temperature, p.pressure, p.altitude, p.humidity})) {
    const double pressure = std::isnan(p.pressure) ? StandardPressure(p.altitude) : p.pressure;
    tAir.out[0] = AirDensity(p.temperature, pressure, p.humidity);
  }
  l.density = tAir.out[0];
  const double r = p.diameter / 2000.0;
  const double area = kPi * r * r;
  c.k = l.density * area / (2.0 * (p.mass / 1000.0));
  c.cd0 = p.cd0;
  c.cd1 = p.cd1;
  c.cd2 = p.cd2;
  c.cl0 = p.cl0;
  c.cl1 = p.cl1;
  c.cl2 = p.cl2;
  c.cap = p.spinRatioCap;
  // Sutherland's law for the viscosity of air (as in the standard atmosphere,
  // ISO 2533): Reynolds number Re = ρ·s·d/μ, so s = Re·μ/(ρ·d) at the crisis.
  const double kelvin = p.temperature + 273.15;
  const double viscosity = 1.458e-6 * (kelvin * std::sqrt(kelvin)) / (kelvin + 110.4);
  c.crisis = p.dragCrisis;
  c.reScale = l.density * (p.diameter / 1000.0) / (viscosity * p.crisisReynolds);
  c.negG = -p.gravity;
  c.dt = p.dt;
  c.halfDt = p.dt / 2.0;
  c.sixthDt = p.dt / 6.0;
  if (!tDecay.Holds({p.spinDecay, p.dt})) tDecay.out[0] = PortableExp(-(p.spinDecay / 100.0) * c.halfDt);
  c.decayHalf = tDecay.out[0];
  c.decayFull = c.decayHalf * c.decayHalf;

  // Launch: vertical angle as the form's, then the horizontal direction.
  const double va = p.angle / 360.0 * kTwoPi;
  const double cosA = LaunchCos(va), sinA = LaunchSin(va);
  double cosD = 1.0, sinD = 0.0;
  MemoCosSinDegrees(tAngles[0], p.direction, cosD, sinD);
  l.v[0] = p.speed * cosA * cosD;
  l.v[1] = p.speed * cosA * sinD;
  l.v[2] = p.speed * sinA;

  // Spin: the axis for pure back spin points left of the direction of play, so that
  // axis × velocity is up; tilting it (side spin) turns the lift to the right. The
  // axis keeps its direction in space for the whole flight.
  double spin = 0.0, cosT = 1.0, sinT = 0.0;
  if (p.spinAsComponents) {
    spin = std::sqrt(p.backSpin * p.backSpin + p.sideSpin * p.sideSpin);
    if (spin > 0.0) {
      cosT = p.backSpin / spin;
      sinT = p.sideSpin / spin;
    }
  } else {
    spin = p.totalSpin;
    MemoCosSinDegrees(tAngles[1], p.spinAxis, cosT, sinT);
  }
  if (spin > 0.0) {  // without spin there is no lift: its direction is undefined
    c.ax = cosT * sinD;
    c.ay = -(cosT * cosD);
    c.az = sinT;
  }
  l.u = r * (spin / 60.0 * kTwoPi);

  // The wind blows from windDirection: toward the golfer at 0, toward the left at 90.
  double cosW = 1.0, sinW = 0.0;
  MemoCosSinDegrees(tAngles[2], p.windDirection, cosW, sinW);
  c.wx = -(p.windSpeed * cosW);
  c.wy = -(p.windSpeed * sinW);
  c.invHeight = 1.0 / p.windHeight;
  l.windy = p.windSpeed > 0.0;
  // A step outside its range (0, NaN) must not make the bound undefined: one step then.
  const double bound = std::ceil(kBallMaxFlightSeconds / p.dt);
  l.maxSteps = bound >= 1.0 && bound <= 1e9 ? static_cast<std::int64_t>(bound) : 1;
  l.ground = GroundOf(p);
  return l;
}

namespace {

// Where in the last step the ground lies (z0 >= 0 > z1): the bracket halved to the last
// bit the iterations can reach. A flight that ended otherwise ends with its step.
double GroundFractionOf(const double* p0, const double* v0, const double* p1, const double* v1, double dt,
                        FlightEnd end) {
  return end == FlightEnd::Ground ? landing::GroundFraction(HermiteOf(p0, v0, p1, v1, dt)) : 1.0;
}

// The summary of a flight whose last step runs from (p0, v0) to (p1, v1), the ground
// (when it ended there) at fraction `frac` of the step.
BallSummary FinishAt(const double* p0, const double* v0, const double* p1, const double* v1, double dt,
                     std::int64_t steps, double apex, FlightEnd end, double frac, BallPoint* last) {
  BallSummary s;
  s.ticks = steps;
  s.end = end;
  s.apex = apex;
  double at[3] = {p1[0], p1[1], p1[2]};
  double vel[3] = {v1[0], v1[1], v1[2]};
  if (end == FlightEnd::Ground) {
    const landing::Hermite<ScalarOps> h = HermiteOf(p0, v0, p1, v1, dt);
    for (int i = 0; i < 3; ++i) {
      at[i] = h.At(i, frac);
      vel[i] = h.Slope(i, frac);
    }
    at[2] = 0.0;
  }
  s.flightTime = end == FlightEnd::Ground ? (static_cast<double>(steps - 1) + frac) * dt
                                          : static_cast<double>(steps) * dt;
  if (last) *last = BallPoint{s.flightTime, {at[0], at[1], at[2]}, {vel[0], vel[1], vel[2]}};
  s.landing = Vec5{0.0, at[0], at[1], at[2], 0.0};
  s.distance = std::sqrt(at[0] * at[0] + at[1] * at[1]);
  s.lateral = at[1];
  s.landingAngle = DescentDegrees(vel[0], vel[1], vel[2]);
  // Until the ground phase says otherwise, the ball rests where its flight ended.
  s.total = s.distance;
  s.rest[0] = at[0];
  s.rest[1] = at[1];
  s.timeToRest = s.flightTime;
  double carry = 0.0;
  if (end == FlightEnd::Ground && CarryForDistance(s.distance, carry)) {
    s.carry = carry;
    s.carryChanged = true;
  }
  return s;
}

}  // namespace

BallSummary FinishBall(const double* p0, const double* v0, const double* p1, const double* v1,
                       double dt, std::int64_t steps, double apex, FlightEnd end,
                       BallPoint* last) {
  return FinishAt(p0, v0, p1, v1, dt, steps, apex, end, GroundFractionOf(p0, v0, p1, v1, dt, end), last);
}

namespace {

FlightEnd EndOf(double z) {
  if (z < 0.0) return FlightEnd::Ground;
  return std::isnan(z) ? FlightEnd::NotANumber : FlightEnd::MaxTicks;
}

// The flight of a prepared launch; its last point, step count and the spin's surface
// speed at the end of the last step go to `landing`, `steps` and `uEnd`.
BallSummary FlyLaunch(const BallLaunch& l, const BallObserver& observe, BallPoint& landing,
                      std::int64_t& stepsOut, double& uEnd) {
  double v[3] = {l.v[0], l.v[1], l.v[2]};
  double p[3] = {0.0, 0.0, 0.0};
  double u = l.u;
  double apex = 0.0;
  for (std::int64_t steps = 1;; ++steps) {
    double vn[3], pn[3], un = 0.0;
    if (l.windy) {
      Step<true>(l, v, p, u, vn, pn, un);
    } else {
      Step<false>(l, v, p, u, vn, pn, un);
    }
    apex = pn[2] > apex ? pn[2] : apex;
    if (!(pn[2] >= 0.0) || steps >= l.maxSteps) {
      const BallSummary s = FinishBall(p, v, pn, vn, l.consts.dt, steps, apex, EndOf(pn[2]), &landing);
      if (observe) observe(steps, landing);
      stepsOut = steps;
      uEnd = un;
      return s;
    }
    if (observe) {
      observe(steps, BallPoint{static_cast<double>(steps) * l.consts.dt, {pn[0], pn[1], pn[2]},
                               {vn[0], vn[1], vn[2]}});
    }
    for (int i = 0; i < 3; ++i) {
      v[i] = vn[i];
      p[i] = pn[i];
    }
    u = un;
  }
}

}  // namespace

void FinishGround(const BallGround& g, const BallPoint& landing, double u, double ax, double ay,
                  double az, BallSummary& s, double dt, std::int64_t step, const BallObserver& observe) {
  if (s.end != FlightEnd::Ground) return;
  const double spin[3] = {u * ax, u * ay, u * az};
  std::vector<GroundPiece> pieces;
  const GroundEnd end = RollOut(g, landing.p, landing.t, landing.v, spin, observe ? &pieces : nullptr);
  s.rest[0] = end.rest[0];
  s.rest[1] = end.rest[1];
  s.total = std::sqrt(end.rest[0] * end.rest[0] + end.rest[1] * end.rest[1]);
  s.roll = s.total - s.distance;
  s.bounces = end.bounces;
  s.timeToRest = end.time;
  if (!observe) return;
  // Each piece from its start, then the grid's times inside it; last the rest point.
  std::int64_t grid = step;
  double next = static_cast<double>(grid) * dt;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const GroundPiece& q = pieces[i];
    const double until = i + 1 < pieces.size() ? pieces[i + 1].t0 : end.time;
    for (double t = q.t0;;) {
      BallPoint at;
      at.t = t;
      at.phase = q.phase;
      const double tau = t - q.t0;
      for (int k = 0; k < 3; ++k) {
        at.p[k] = (q.v[k] * tau + (q.a[k] / 2.0) * (tau * tau)) + q.p[k];
        at.v[k] = q.a[k] * tau + q.v[k];
      }
      if (at.p[2] < 0.0) at.p[2] = 0.0;
      observe(++step, at);
      while (dt > 0.0 && next <= t) next = static_cast<double>(++grid) * dt;
      if (!(dt > 0.0) || !(next < until)) break;
      t = next;
    }
  }
  BallPoint rest;
  rest.t = end.time;
  rest.p[0] = end.rest[0];
  rest.p[1] = end.rest[1];
  rest.phase = BallPhase::Roll;
  observe(++step, rest);
}

BallSummary FlyBall(const BallParams& params, const BallObserver& observe) {
  const BallLaunch l = LaunchBall(params);
  BallPoint landing;
  std::int64_t steps = 0;
  double u = 0.0;
  BallSummary s = FlyLaunch(l, observe, landing, steps, u);
  FinishGround(l.ground, landing, u, l.consts.ax, l.consts.ay, l.consts.az, s, l.consts.dt, steps, observe);
  return s;
}

BallSummary FlyBallInAir(const BallParams& params, const BallObserver& observe) {
  BallPoint landing;
  std::int64_t steps = 0;
  double u = 0.0;
  return FlyLaunch(LaunchBall(params), observe, landing, steps, u);
}

namespace {

using lanes::BallLaneBlock;

using NextBall = std::function<bool(std::size_t&, BallLaunch&)>;
using BallDone = std::function<void(std::size_t, const BallSummary&)>;

/// The ball's side of the lane feeder: its launches from `next`, each flight's landing
/// and (with `ground`) its bounces and roll worked out as its lane ends. With a `batcher`,
/// the landings wait for one another and are worked out kBatch at a time in vector
/// registers (a landing's last halvings wait on one another; a batch waits once for
/// all its landings); Flush works out those still waiting.
template <int N>
class BallLanes {
 public:
  using Block = BallLaneBlock<N>;
  using Batcher = landing::Batcher;
  BallLanes(const NextBall& next, const BallDone& done, bool ground, Batcher batcher)
      : next_(next), done_(done), groundPhase_(ground), batcher_(batcher) {}

  bool Take(Block& block, int lane) {
    BallLaunch l;
    std::size_t id = 0;
    if (!next_(id, l)) return false;
    id_[lane] = id;
    ground_[lane] = l.ground;
    for (int k = 0; k < lanes::kBallConstCount; ++k) block.consts[k][lane] = *lanes::BallConstSlot(l.consts, k);
    for (int k = 0; k < 3; ++k) {
      block.v[k][lane] = l.v[k];
      block.p[k][lane] = 0.0;
    }
    block.u[lane] = l.u;
    block.apex[lane] = 0.0;
    block.ticks[lane] = 0;
    block.maxTicks[lane] = l.maxSteps;
    return true;
  }

  void Copy(Block& block, int to, int from) {
    for (int k = 0; k < lanes::kBallConstCount; ++k) block.consts[k][to] = block.consts[k][from];
    for (int k = 0; k < 3; ++k) {
      block.v[k][to] = block.v[k][from];
      block.p[k][to] = block.p[k][from];
    }
    block.u[to] = block.u[from];
    block.apex[to] = block.apex[from];
    block.ticks[to] = block.ticks[from];
    block.maxTicks[to] = block.maxTicks[from];
  }

  void Report(Block& block, int lane) {
    Ended e;
    e.id = id_[lane];
    e.ground = ground_[lane];
    e.steps = block.ticks[lane];
    e.apex = block.apex[lane];
    e.dt = block.consts[lanes::kBallDtRow][lane];
    e.u = block.u[lane];
    for (int k = 0; k < 3; ++k) {
      e.axis[k] = block.consts[lanes::kBallAxisRows[k]][lane];
      e.p0[k] = block.p0[k][lane];
      e.v0[k] = block.v0[k][lane];
      e.p1[k] = block.p[k][lane];
      e.v1[k] = block.v[k][lane];
    }
    const FlightEnd end = EndOf(e.p1[2]);
    if (batcher_ == nullptr || end != FlightEnd::Ground) {
      Finish(e, end, GroundFractionOf(e.p0, e.v0, e.p1, e.v1, e.dt, end));
      return;
    }
    ended_[waiting_] = e;
    Place(waiting_++, e);
    if (waiting_ == landing::kBatch) Flush();
  }

  void Flush() {
    if (waiting_ == 0) return;
    // Slots left over repeat the first landing; their results are not used.
    for (int slot = waiting_; slot < landing::kBatch; ++slot) Place(slot, ended_[0]);
    batcher_(batch_);
    for (int slot = 0; slot < waiting_; ++slot) Finish(ended_[slot], FlightEnd::Ground, batch_.frac[slot]);
    waiting_ = 0;
  }

  bool Stopped() const { return false; }

 private:
  // What an ended lane leaves: its last step from (p0, v0) to (p1, v1), and the rest.
  struct Ended {
    std::size_t id = 0;
    BallGround ground;
    std::int64_t steps = 0;
    double apex = 0.0, dt = 0.0, u = 0.0;
    double axis[3]{};
    double p0[3]{}, v0[3]{}, p1[3]{}, v1[3]{};
  };

  void Place(int slot, const Ended& e) {
    for (int k = 0; k < 3; ++k) {
      batch_.p0[k][slot] = e.p0[k];
      batch_.v0[k][slot] = e.v0[k];
      batch_.p1[k][slot] = e.p1[k];
      batch_.v1[k][slot] = e.v1[k];
    }
    batch_.dt[slot] = e.dt;
  }

  void Finish(const Ended& e, FlightEnd end, double frac) {
    // The ground phase is a few closed-form events per shot, branching on each: it runs
    // here, as the lone flight runs it, on the lane's landing.
    BallPoint landing;
    BallSummary s = FinishAt(e.p0, e.v0, e.p1, e.v1, e.dt, e.steps, e.apex, end, frac, &landing);
    if (groundPhase_) FinishGround(e.ground, landing, e.u, e.axis[0], e.axis[1], e.axis[2], s);
    done_(e.id, s);
  }

  const NextBall& next_;
  const BallDone& done_;
  const bool groundPhase_;
  const Batcher batcher_;
  std::size_t id_[N]{};
  BallGround ground_[N]{};
  landing::Batch batch_{};
  Ended ended_[landing::kBatch];
  int waiting_ = 0;
};

template <int N, class Run>
void RunBallWith(const NextBall& next, const BallDone& done, bool ground,
                 typename BallLanes<N>::Batcher batcher, Run run) {
  BallLanes<N> model(next, done, ground, batcher);
  lanes::LaneFeeder<BallLanes<N>, N> feeder(model);
  if (feeder.Fill()) run(feeder.block, feeder);
  model.Flush();
}

// Every launch `next` hands out, all calm or all windy as `wind` says.
void RunBallLanes(LanePath path, bool wind, const NextBall& next, const BallDone& done, bool ground) {
  if (!LanePathAvailable(path)) path = LanePath::Scalar;
  switch (path) {
#if VENDREL_X86_LANES
    case LanePath::Avx2:
      RunBallWith<lanes::kBallAvx2Lanes>(next, done, ground, landing::BatcherFor(path), [&](auto& b, auto& feed) {
        lanes::RunBallPacksAvx2(b, feed, wind);
      });
      return;
    case LanePath::Avx512:
      RunBallWith<lanes::kBallAvx512Lanes>(next, done, ground, landing::BatcherFor(path), [&](auto& b, auto& feed) {
        lanes::RunBallPacksAvx512(b, feed, wind);
      });
      return;
#endif
    default:
      RunBallWith<lanes::kBallScalarLanes>(next, done, ground, nullptr, [&](auto& b, auto& feed) {
        if (wind) {
          lanes::RunBallPacks<ScalarOps, lanes::kBallRegisters, true>(b, feed);
        } else {
          lanes::RunBallPacks<ScalarOps, lanes::kBallRegisters, false>(b, feed);
        }
      });
      return;
  }
}

}  // namespace

landing::Batcher landing::BatcherFor(LanePath path) {
  if (!LanePathAvailable(path)) return nullptr;
  switch (path) {
#if VENDREL_X86_LANES
    case LanePath::Avx2: return GroundFractionsAvx2;
    case LanePath::Avx512: return GroundFractionsAvx512;
#endif
    default: return nullptr;
  }
}

void FlyBallsInLanes(LanePath path, std::span<const BallLaunch> launches,
                     const std::function<void(std::size_t, const BallSummary&)>& done) {
  for (const bool wind : {false, true}) {
    std::size_t at = 0;
    const NextBall next = [&](std::size_t& id, BallLaunch& l) {
      while (at < launches.size() && launches[at].windy != wind) ++at;
      if (at == launches.size()) return false;
      id = at;
      l = launches[at++];
      return true;
    };
    RunBallLanes(path, wind, next, done, true);
  }
}

std::vector<BallSummary> FlyBallsParallel(std::span<const BallParams> shots, int threads,
                                          LanePath path, bool ground) {
  const std::size_t count = shots.size();
  std::vector<BallSummary> out(count);
  constexpr std::size_t kChunk = 64;
  std::atomic<std::size_t> nextChunk[2] = {0, 0};
  auto work = [&] {
    for (const bool wind : {false, true}) {
      std::size_t at = 0, end = 0;
      const NextBall next = [&](std::size_t& id, BallLaunch& l) {
        for (;;) {
          if (at == end) {
            at = nextChunk[wind].fetch_add(kChunk);
            if (at >= count) {
              at = end = count;
              return false;
            }
            end = std::min(count, at + kChunk);
          }
          const std::size_t i = at++;
          if ((shots[i].windSpeed > 0.0) != wind) continue;
          id = i;
          l = LaunchBall(shots[i]);
          return true;
        }
      };
      const BallDone record = [&](std::size_t id, const BallSummary& s) { out[id] = s; };
      RunBallLanes(path, wind, next, record, ground);
    }
  };
  RunOnThreads(threads, static_cast<std::int64_t>((count + kChunk - 1) / kChunk), work);
  return out;
}

}  // namespace vendrel
