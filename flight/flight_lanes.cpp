#include "flight/flight_lanes.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "flight/force_model.h"
#include "flight/run_control.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VENDREL_LANES_X86 1
#endif

namespace vendrel {
namespace {

/// The lanes of one pack, one array per quantity. Between ticks `v`, `p` and `f` hold
/// the start of the next step; `landing` the position the last tick's step started
/// from, which is what a flight that has just ended reports.
template <int W>
struct LaneBlock {
  alignas(64) double v[3][W];
  alignas(64) double p[3][W];
  alignas(64) double f[3][W];
  alignas(64) double landing[3][W];
  alignas(64) double m[W];
  alignas(64) double dt[W];
  alignas(64) double negMg[W];
  alignas(64) double rbK[W];
  alignas(64) double rsK[W];
  alignas(64) double kp[W];
  alignas(64) double apex[W];
  alignas(64) long long ticks[W];
};

/// Writes the velocity and the force model's parameters of `st` into lane `lane`, the
/// products of the spin roots and K formed as the scalar model forms them.
template <int W>
void LoadModel(LaneBlock<W>& b, int lane, const FlightState& st) {
  const SpinRoots roots = RootsOfSpins(st);
  for (int c = 0; c < 3; ++c) b.v[c][lane] = st.vel[c + 1];
  b.m[lane] = st.mass;
  b.dt[lane] = st.dt;
  b.negMg[lane] = -(st.mass * st.gravity);
  b.rbK[lane] = roots.back * st.liftCoef;
  b.rsK[lane] = roots.side * st.liftCoef;
  b.kp[lane] = st.dragCoef;
}

/// Writes flight `form`'s launch into lane `lane` of `b`, through the same run
/// control start as RunFlight.
template <int W>
void LoadLaunch(LaneBlock<W>& b, int lane, FlightForm& form) {
  FlightState st;
  SyncHost host;
  RunControl(form, st, host).CalculateFromForm();
  LoadModel(b, lane, st);
  for (int c = 0; c < 3; ++c) {
    b.p[c][lane] = st.pos[c + 1];
    b.f[c][lane] = st.force[c + 1];
  }
  b.apex[lane] = 0.0;  // the first tick's height: the origin's
  b.ticks[lane] = 0;
}

template <int W>
void CopyLane(LaneBlock<W>& b, int to, int from) {
  for (int c = 0; c < 3; ++c) {
    b.v[c][to] = b.v[c][from];
    b.p[c][to] = b.p[c][from];
    b.f[c][to] = b.f[c][from];
  }
  b.m[to] = b.m[from];
  b.dt[to] = b.dt[from];
  b.negMg[to] = b.negMg[from];
  b.rbK[to] = b.rbK[from];
  b.rsK[to] = b.rsK[from];
  b.kp[to] = b.kp[from];
  b.apex[to] = b.apex[from];
  b.ticks[to] = b.ticks[from];
}

/// Feeds a pack from the flight source and hands the ended flights' outcomes on. A
/// lane without a flight to take shadows a running lane, which keeps its arithmetic
/// on ordinary values and makes it end together with that lane; its results are
/// never reported.
template <int W>
class LaneRunner {
 public:
  LaneRunner(std::int64_t ticks, const NextFlight& next, const FlightDone& done)
      : maxTicks(ticks), next_(next), done_(done) {}

  /// Loads every lane; false when there was no flight at all.
  bool Fill() {
    for (int i = 0; i < W; ++i) active_[i] = Take(i);
    return Shadow();
  }

  /// Reports and refills the lanes whose bit is set; returns the number of lanes
  /// still flying.
  int HandleEnded(std::uint64_t bits) {
    for (int i = 0; i < W; ++i) {
      if (!(bits >> i & 1) || !active_[i]) continue;
      Report(i);
      active_[i] = Take(i);
    }
    if (!Shadow()) return 0;
    int n = 0;
    for (int i = 0; i < W; ++i) n += active_[i] ? 1 : 0;
    return n;
  }

  LaneBlock<W> block{};
  const std::int64_t maxTicks;

 private:
  bool Take(int lane) {
    if (exhausted_) return false;
    FlightForm form;
    std::int64_t id = 0;
    if (!next_(id, form)) {
      exhausted_ = true;
      return false;
    }
    id_[lane] = id;
    carry_[lane] = form.carry;
    LoadLaunch(block, lane, form);
    return true;
  }

  // Points every idle lane at a running one; false when none runs.
  bool Shadow() {
    int live = -1;
    for (int i = 0; i < W && live < 0; ++i) {
      if (active_[i]) live = i;
    }
    if (live < 0) return false;
    for (int i = 0; i < W; ++i) {
      if (!active_[i]) CopyLane(block, i, live);
    }
    return true;
  }

  // The run control's end of a flight, from the position its last step started at.
  void Report(int lane) {
    FlightSummary s;
    s.ticks = block.ticks[lane];
    s.landing = Vec5{0.0, block.landing[0][lane], block.landing[1][lane], block.landing[2][lane], 0.0};
    s.apex = block.apex[lane];
    s.distance = HorizontalDistance(s.landing);
    const double height = s.landing[3];
    s.carry = carry_[lane];
    if (!(height >= 0.0)) {
      s.end = std::isnan(height) ? FlightEnd::NotANumber : FlightEnd::Ground;
      double carry = 0.0;
      if (CarryForDistance(s.distance, carry)) {
        s.carry = carry;
        s.carryChanged = true;
      }
    } else {
      s.end = FlightEnd::MaxTicks;
    }
    done_(id_[lane], s);
  }

  const NextFlight& next_;
  const FlightDone& done_;
  bool exhausted_ = false;
  bool active_[W]{};
  std::int64_t id_[W]{};
  double carry_[W]{};
};

#if VENDREL_LANES_X86

// One register per pack: packs of two or more registers ran slower, the step's working
// values no longer fitting the register file.
namespace avx2 {
#define VENDREL_LANE_TARGET __attribute__((target("avx2")))
#define VENDREL_LANE_WIDTH 4
#define VENDREL_LANE_REG __m256d
#define VENDREL_LANE_SQRT(r) _mm256_sqrt_pd(r)
#include "flight/lane_kernel.inc"
#undef VENDREL_LANE_TARGET
#undef VENDREL_LANE_WIDTH
#undef VENDREL_LANE_REG
#undef VENDREL_LANE_SQRT
}  // namespace avx2

namespace avx512 {
#define VENDREL_LANE_TARGET __attribute__((target("avx512f")))
#define VENDREL_LANE_WIDTH 8
#define VENDREL_LANE_REG __m512d
// Every lane taken, its own value as the pass-through (the plain form's undefined
// pass-through trips a false uninitialised-use warning).
#define VENDREL_LANE_SQRT(r) _mm512_mask_sqrt_pd(r, static_cast<__mmask8>(0xFF), r)
#include "flight/lane_kernel.inc"
#undef VENDREL_LANE_TARGET
#undef VENDREL_LANE_WIDTH
#undef VENDREL_LANE_REG
#undef VENDREL_LANE_SQRT
}  // namespace avx512

bool CpuHas(LanePath path) {
  __builtin_cpu_init();  // harmless when done; needed if first asked before main
  switch (path) {
    case LanePath::Scalar: return true;
    case LanePath::Avx2: return __builtin_cpu_supports("avx2");
    case LanePath::Avx512: return __builtin_cpu_supports("avx512f");
  }
  return false;
}

#else

bool CpuHas(LanePath path) { return path == LanePath::Scalar; }

#endif

void RunScalar(std::int64_t maxTicks, const NextFlight& next, const FlightDone& done) {
  std::int64_t id = 0;
  FlightForm form;
  while (next(id, form)) done(id, RunFlight(form, maxTicks));
}

template <int W, class Run>
void RunWith(std::int64_t maxTicks, const NextFlight& next, const FlightDone& done, Run run) {
  LaneRunner<W> runner(maxTicks, next, done);
  if (runner.Fill()) run(runner);
}

// Probe cases for the self-check: ordinary flights, the model's corners (rest,
// vertical motion, negative spins, no mass), values that are not finite, and large
// velocities whose squares round.
struct ProbeCase {
  double vx, vy, vz, mass, gravity, k, kPrime, backSpin, sideSpin;
};
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr ProbeCase kProbeCases[] = {
    {57.955549577344, 0.0, 15.529142706151, 46, 9.8, 0.01, 0.02, 2000, 0},
    {40, -10, 20, 46, 9.8, 0.01, 0.02, -400, 1500},
    {30, 0, 0, 46, 9.8, 0.01, 0.02, 0, 900},
    {20, 5, -12, 46, 9.8, 0.01, 0.02, 3000, -2500},
    {0, 0, 0, 46, 9.8, 0.01, 0.02, 2000, 1500},
    {0, 0, 60, 46, 9.8, 0.01, 0.02, 2000, -1500},
    {0, 0, -3, 0, 0, 10, 10, -100000, 100000},
    {3.67e-15, 0, 60, 46, 9.8, 0.01, 0.02, 2000, 0},
    {-1289.916392634299, 1034.2213120338984, -842.95142672085422, 10000, 10000, 10, 10, -7, 3},
    {5572.8379457267856, -1447.6436671801548, 1e-300, 1, 9.8, 0.5, 0.1, 1e5, -1e5},
    {kInf, 1, 1, 46, 9.8, 0.01, 0.02, 2000, 0},
    {1, -kInf, 1, 46, 9.8, 0.01, 0.02, 2000, 0},
    {kNaN, 0, 1, 46, 9.8, 0.01, 0.02, 2000, 0},
    {1e155, 1e155, -1e155, 46, 9.8, 0.01, 0.02, 2000, 100},
    {1e-160, -1e-160, 1e-170, 0, 9.8, 0.01, 0.02, 2000, 100},
    {-25, 0, -25, 46, 0, 0, 0, 0, 0},
    {73.464, 37.978, -56.659, 46, 9.8, 0.01, 0.02, 2000, -1500},
    {-4.561, 19.628, -20.204, 46, 9.8, 0.01, 0.02, 2000, -1500},
    {70.725, -30.111, -57.304, 46, 9.8, 0.01, 0.02, 2000, -1500},
    {-8.937, -50.208, -55.056, 46, 9.8, 0.01, 0.02, 2000, -1500},
    {-11.975, -12.199, -35.727, 46, 9.8, 0.01, 0.02, 2000, -1500},
    {-11.142, 9.153, -67.664, 46, 9.8, 0.01, 0.02, 2000, -1500},
};

bool SameBits(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether `force` (one evaluation of the lanes) reproduces EvaluateForce on the probe
// cases, bit for bit.
template <int W, class Force>
bool AgreesWithModel(Force force) {
  constexpr int kCases = static_cast<int>(std::size(kProbeCases));
  for (int first = 0; first < kCases; first += W) {
    LaneBlock<W> b{};
    FlightState st[W];
    for (int i = 0; i < W; ++i) {
      const ProbeCase& c = kProbeCases[(first + i) % kCases];
      FlightState& s = st[i];
      s.vel = Vec5{0.0, c.vx, c.vy, c.vz, 0.0};
      s.mass = c.mass;
      s.gravity = c.gravity;
      s.liftCoef = c.k;
      s.dragCoef = c.kPrime;
      s.backSpin = c.backSpin;
      s.sideSpin = c.sideSpin;
      s.dt = 0.01;
      LoadModel(b, i, s);
    }
    force(b);
    for (int i = 0; i < W; ++i) {
      const ForceTerms t = EvaluateForce(st[i]);
      for (int k = 0; k < 3; ++k) {
        if (!SameBits(b.f[k][i], t.F[k + 1])) return false;
      }
    }
  }
  return true;
}

struct PathState {
  bool available = false;  ///< the machine has the instruction set and the lanes agree
};

PathState Check(LanePath path) {
  PathState ps;
  if (path == LanePath::Scalar) {
    ps.available = true;
    return ps;
  }
  if (!CpuHas(path)) return ps;
#if VENDREL_LANES_X86
  if (path == LanePath::Avx2) {
    ps.available = AgreesWithModel<avx2::W>([](auto& b) { avx2::ForceOfBlock(b); });
  } else {
    ps.available = AgreesWithModel<avx512::W>([](auto& b) { avx512::ForceOfBlock(b); });
  }
#endif
  return ps;
}

const PathState& StateOf(LanePath path) {
  static const PathState states[3] = {Check(LanePath::Scalar), Check(LanePath::Avx2),
                                      Check(LanePath::Avx512)};
  return states[static_cast<int>(path)];
}

}  // namespace

bool LanePathAvailable(LanePath path) { return StateOf(path).available; }

LanePath BestLanePath() {
  for (LanePath p : {LanePath::Avx512, LanePath::Avx2}) {
    if (StateOf(p).available) return p;
  }
  return LanePath::Scalar;
}

const char* LanePathName(LanePath path) {
  switch (path) {
    case LanePath::Scalar: return "scalar";
    case LanePath::Avx2: return "avx2";
    case LanePath::Avx512: return "avx512";
  }
  return "scalar";
}

int LaneCount(LanePath path) {
#if VENDREL_LANES_X86
  if (path == LanePath::Avx2) return avx2::W;
  if (path == LanePath::Avx512) return avx512::W;
#else
  (void)path;
#endif
  return 1;
}

void RunFlightsInLanes(LanePath path, std::int64_t maxTicks, const NextFlight& next,
                       const FlightDone& done) {
  const PathState& ps = StateOf(path);
  // A bound below one tick ends every flight before its first step: nothing for the
  // lanes to do.
  if (path == LanePath::Scalar || !ps.available || maxTicks < 1) {
    RunScalar(maxTicks, next, done);
    return;
  }
#if VENDREL_LANES_X86
  if (path == LanePath::Avx2) {
    RunWith<avx2::W>(maxTicks, next, done, [](auto& r) { avx2::RunPacks(r); });
  } else {
    RunWith<avx512::W>(maxTicks, next, done, [](auto& r) { avx512::RunPacks(r); });
  }
#endif
}

std::vector<FlightSummary> RunFlightsInLanes(LanePath path, std::span<const FlightForm> forms,
                                             std::int64_t maxTicks) {
  std::vector<FlightSummary> out(forms.size());
  std::size_t taken = 0;
  RunFlightsInLanes(
      path, maxTicks,
      [&](std::int64_t& id, FlightForm& form) {
        if (taken == forms.size()) return false;
        id = static_cast<std::int64_t>(taken);
        form = forms[taken++];
        return true;
      },
      [&](std::int64_t id, const FlightSummary& s) { out[static_cast<std::size_t>(id)] = s; });
  return out;
}

}  // namespace vendrel
