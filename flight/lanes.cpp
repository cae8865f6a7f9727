#include "flight/lanes.h"

#include "flight/force_model.h"
#include "flight/lane_feeder.h"
#include "flight/lanes_loop.h"
#include "flight/run_control.h"

namespace vendrel {
namespace {

using lanes::LaneBlock;

/// Writes flight `form`'s launch into lane `lane` of `b`, through the same run
/// control start as RunFlight.
template <int N>
void LoadLaunch(LaneBlock<N>& b, int lane, FlightForm& form) {
  FlightState st;
  WindowlessHost host;
  RunControl(form, st, host).CalculateFromForm();
  const kernel::ForceParams<double> q = ForceParamsOf(st, RootsOfSpins(st));
  b.rbK[lane] = q.rbK;
  b.rsK[lane] = q.rsK;
  b.kp[lane] = q.kp;
  b.negMg[lane] = q.negMg;
  b.m[lane] = st.mass;
  b.dt[lane] = st.dt;
  for (int c = 0; c < 3; ++c) {
    b.v[c][lane] = st.vel[c + 1];
    b.p[c][lane] = st.pos[c + 1];
    b.f[c][lane] = st.force[c + 1];
  }
  b.apex[lane] = 0.0;  // the first tick's height: the origin's
  b.ticks[lane] = 0;
}

template <int N>
void CopyLane(LaneBlock<N>& b, int to, int from) {
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

/// The form's side of the lane feeder: its flights from the flight source, their
/// outcomes handed on as the run control ends them.
template <int N>
class FormLanes {
 public:
  using Block = LaneBlock<N>;
  FormLanes(const NextFlight& next, const FlightDone& done, const StopRequest* stop)
      : next_(next), done_(done), stop_(stop) {}

  bool Take(Block& block, int lane) {
    FlightForm form;
    std::int64_t id = 0;
    if (!next_(id, form)) return false;
    id_[lane] = id;
    carry_[lane] = form.carry;
    LoadLaunch(block, lane, form);
    return true;
  }

  void Copy(Block& block, int to, int from) { CopyLane(block, to, from); }

  // The run control's end of a flight, from the position its last step started at.
  void Report(Block& block, int lane) {
    FlightSummary s;
    s.ticks = block.ticks[lane];
    s.landing = Vec5{0.0, block.landing[0][lane], block.landing[1][lane], block.landing[2][lane], 0.0};
    s.apex = block.apex[lane];
    s.distance = HorizontalDistance(s.landing);
    s.carry = carry_[lane];
    switch (EndOfHeight(s.landing[3])) {
      case TickEnd::Flying: s.end = FlightEnd::MaxTicks; break;
      case TickEnd::Ground: s.end = FlightEnd::Ground; break;
      case TickEnd::NotANumber: s.end = FlightEnd::NotANumber; break;
    }
    double carry = 0.0;
    if (s.landed() && CarryForDistance(s.distance, carry)) {
      s.carry = carry;
      s.carryChanged = true;
    }
    done_(id_[lane], s);
  }

  bool Stopped() const { return stop_ && stop_->Requested(); }

 private:
  const NextFlight& next_;
  const FlightDone& done_;
  const StopRequest* stop_;
  std::int64_t id_[N]{};
  double carry_[N]{};
};

// Whether the processor can run the path's instructions (the operating system
// saving its registers included). The scalar path runs anywhere.
bool CpuHas(LanePath path) {
#if VENDREL_X86_LANES
  __builtin_cpu_init();  // harmless when done; needed if first asked before main
  switch (path) {
    case LanePath::Scalar: return true;
    case LanePath::Avx2: return __builtin_cpu_supports("avx2");
    case LanePath::Avx512: return __builtin_cpu_supports("avx512f");
  }
  return false;
#else
  return path == LanePath::Scalar;
#endif
}

template <int N, class Run>
void RunWith(const NextFlight& next, const FlightDone& done, const StopRequest* stop, Run run) {
  FormLanes<N> model(next, done, stop);
  lanes::LaneFeeder<FormLanes<N>, N> feeder(model);
  if (feeder.Fill()) run(feeder.block, feeder);
}

}  // namespace

bool lanes::LaneFeed::Stopped() { return false; }

bool LanePathAvailable(LanePath path) {
  static const bool available[3] = {CpuHas(LanePath::Scalar), CpuHas(LanePath::Avx2),
                                    CpuHas(LanePath::Avx512)};
  return available[static_cast<int>(path)];
}

LanePath BestLanePath() {
  for (LanePath p : {LanePath::Avx512, LanePath::Avx2}) {
    if (LanePathAvailable(p)) return p;
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
  if (!LanePathAvailable(path)) path = LanePath::Scalar;
  switch (path) {
    case LanePath::Scalar: break;
    case LanePath::Avx2: return lanes::kAvx2Lanes;
    case LanePath::Avx512: return lanes::kAvx512Lanes;
  }
  return lanes::kScalarLanes;
}

void RunFlightsInLanes(LanePath path, std::int64_t maxTicks, const NextFlight& next,
                       const FlightDone& done, const StopRequest* stop) {
  // A bound below one tick ends every flight before its first step: nothing for the
  // lanes to do.
  if (maxTicks < 1) {
    std::int64_t id = 0;
    FlightForm form;
    while (!(stop && stop->Requested()) && next(id, form)) done(id, RunFlight(form, maxTicks));
    return;
  }
  if (!LanePathAvailable(path)) path = LanePath::Scalar;
  switch (path) {
#if VENDREL_X86_LANES
    case LanePath::Avx2:
      RunWith<lanes::kAvx2Lanes>(next, done, stop, [&](auto& b, auto& feed) {
        lanes::RunPacksAvx2(b, maxTicks, feed);
      });
      return;
    case LanePath::Avx512:
      RunWith<lanes::kAvx512Lanes>(next, done, stop, [&](auto& b, auto& feed) {
        lanes::RunPacksAvx512(b, maxTicks, feed);
      });
      return;
#endif
    default:
      RunWith<lanes::kScalarLanes>(next, done, stop, [&](auto& b, auto& feed) {
        lanes::RunPacks<lanes::GroupOps<kernel::ScalarOps, lanes::kScalarLanes>>(b, maxTicks, feed);
      });
      return;
  }
}

}  // namespace vendrel
