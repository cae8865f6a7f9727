// The flight model's speed: one force evaluation, one step, a whole flight, sweeps.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/ball_lane_steps.h"
#include "bench/divide_bound.h"
#include "cli/options.h"
#include "cli/sweep.h"
#include "flight/ball_flight.h"
#include "flight/flight_kernel.h"
#include "flight/force_model.h"
#include "flight/launch_trig.h"
#include "flight/parallel_runs.h"
#include "flight/parameters.h"
#include "flight/rk4.h"
#include "flight/windowless_run.h"

namespace vendrel {
namespace {

FlightState LaunchState() {
  FlightForm form = DefaultForm();
  FlightState st;
  WindowlessHost host;
  RunControl(form, st, host).CalculateFromForm();
  return st;
}

void BM_ForceEvaluation(benchmark::State& state) {
  FlightState st = LaunchState();
  for (auto _ : state) {
    benchmark::DoNotOptimize(st.vel);
    ComputeForces(st);
    benchmark::DoNotOptimize(st.force);
  }
}
BENCHMARK(BM_ForceEvaluation);

void BM_RungeKuttaStep(benchmark::State& state) {
  const FlightState start = LaunchState();
  FlightState st = start;
  for (auto _ : state) {
    // The run control's copy between steps, so every step sees a real state.
    for (int i = 1; i <= 3; ++i) st.vel[i] = st.velNext[i] == 0.0 ? start.vel[i] : st.velNext[i];
    StepRK4(st);
    benchmark::DoNotOptimize(st.posNext);
  }
}
BENCHMARK(BM_RungeKuttaStep);

void BM_DefaultFlight(benchmark::State& state) {
  for (auto _ : state) {
    FlightForm form = DefaultForm();
    const FlightOutcome out = RunFlight(form, kDefaultMaxTicks);
    benchmark::DoNotOptimize(out.distance);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DefaultFlight)->Unit(benchmark::kMicrosecond);

// The launch velocity's cosine and sine, one pair per flight, over the sweep's angles:
// to hold against a flight's cost.
void BM_LaunchCosSin(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    const double x = (10.0 + 0.001 * i) / 360.0 * 6.283185307179586;
    benchmark::DoNotOptimize(LaunchCos(x));
    benchmark::DoNotOptimize(LaunchSin(x));
    i = i == 9999 ? 0 : i + 1;
  }
}
BENCHMARK(BM_LaunchCosSin);

// 10,000 default-like flights: angles 10 to 19.999 degrees.
cli::SweepOptions DefaultLikeSweep() {
  cli::SweepOptions opt;
  const auto fields = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    opt.ranges[i] = cli::ParamRange{fields[i].defaultValue, fields[i].defaultValue, 1.0, true};
  }
  opt.ranges[0] = cli::ParamRange{10.0, 19.999, 0.001, false};
  opt.progress = false;
  return opt;
}

const int kAllThreads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

// The sweep on the best lane path this machine has.
void BM_Sweep10000(benchmark::State& state) {
  cli::SweepOptions opt = DefaultLikeSweep();
  opt.threads = static_cast<unsigned>(state.range(0));
  std::FILE* sink = std::fopen("/dev/null", "w");
  for (auto _ : state) cli::RunSweep(opt, sink);
  std::fclose(sink);
  state.SetItemsProcessed(state.iterations() * cli::SweepSize(opt));
  state.counters["threads"] = static_cast<double>(opt.threads);
  state.SetLabel(LanePathName(BestLanePath()));
}
BENCHMARK(BM_Sweep10000)->Arg(1)->Arg(kAllThreads)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr LanePath kPaths[] = {LanePath::Scalar, LanePath::Avx2, LanePath::Avx512};

std::vector<FlightForm> DefaultLikeForms() {
  std::vector<FlightForm> forms;
  for (int i = 0; i < 10000; ++i) {
    FlightForm form = DefaultForm();
    form.launchAngle = 10.0 + 0.001 * i;
    forms.push_back(form);
  }
  return forms;
}

// The same 10,000 flights through the lanes alone, on one thread: flights per second
// of each instruction set, without the rows.
void BM_LaneFlights10000(benchmark::State& state) {
  const LanePath path = kPaths[state.range(0)];
  if (!LanePathAvailable(path)) {
    state.SkipWithError("not on this machine");
    return;
  }
  const std::vector<FlightForm> forms = DefaultLikeForms();
  for (auto _ : state) {
    const std::vector<FlightSummary> out = RunFlightsParallel(forms, kDefaultMaxTicks, 1, path);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(forms.size()));
  state.SetLabel(LanePathName(path));
  state.counters["lanes"] = LaneCount(path);
}
BENCHMARK(BM_LaneFlights10000)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The divide unit's pace at the path's register width, as `laneSteps` lane-steps.
void DivideBound(LanePath path, std::int64_t laneSteps, double* sink) {
  switch (path) {
#if VENDREL_X86_LANES
    case LanePath::Avx2: bench::DivideBoundAvx2(laneSteps / 4, sink); return;
    case LanePath::Avx512: bench::DivideBoundAvx512(laneSteps / 8, sink); return;
#endif
    default: bench::DivideBoundLoop<kernel::ScalarOps>(laneSteps, sink); return;
  }
}

double Seconds(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The calling thread's processor time: on a machine shared with other work, what one
// thread's code costs, whoever else gets the cores in between.
double ClockSeconds(clockid_t clock, const std::function<void()>& run) {
  auto now = [clock] {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
  };
  const double start = now();
  run();
  return now() - start;
}
double ThreadSeconds(const std::function<void()>& run) {
  return ClockSeconds(CLOCK_THREAD_CPUTIME_ID, run);
}
// Processor time of every thread of the process.
double ProcessSeconds(const std::function<void()>& run) {
  return ClockSeconds(CLOCK_PROCESS_CPUTIME_ID, run);
}

// The sweep's flights (the lanes of RunFlightsParallel, without the rows) against the
// divide unit's pace on the same registers: each iteration times the bound and the
// flights on one thread (processor time of the thread) and the flights on one thread
// and on two (wall time), one after the other, so that all see the same machine; the
// counters take the best of the iterations. "ratio" is the bound's nanoseconds per
// lane-step over the sweep's, "scaling" the one-thread wall time over the two-thread
// one (which only an otherwise idle machine can show). "scaling_cpu" is what two
// threads on two cores of their own would give, from processor time alone: twice the
// one-thread time over both threads' time for the same flights (2 when sharing the
// work costs nothing).
void BM_SweepAgainstBound(benchmark::State& state) {
  const LanePath path = kPaths[state.range(0)];
  if (!LanePathAvailable(path)) {
    state.SkipWithError("not on this machine");
    return;
  }
  const std::vector<FlightForm> forms = DefaultLikeForms();
  constexpr std::int64_t kMaxTicks = kDefaultMaxTicks;
  std::int64_t laneSteps = 0;  // every tick of every flight is one lane-step
  for (const FlightSummary& s : RunFlightsParallel(forms, kMaxTicks, 2, path)) laneSteps += s.ticks;
  double sink = 0.0;
  double bound = 1e300, one = 1e300, oneWall = 1e300, two = 1e300, twoCpu = 1e300;
  for (auto _ : state) {
    bound = std::min(bound, ThreadSeconds([&] { DivideBound(path, laneSteps, &sink); }));
    one = std::min(one, ThreadSeconds([&] { RunFlightsParallel(forms, kMaxTicks, 1, path); }));
    oneWall = std::min(oneWall, Seconds([&] { RunFlightsParallel(forms, kMaxTicks, 1, path); }));
    two = std::min(two, Seconds([&] { RunFlightsParallel(forms, kMaxTicks, 2, path); }));
    twoCpu = std::min(twoCpu, ProcessSeconds([&] { RunFlightsParallel(forms, kMaxTicks, 2, path); }));
  }
  benchmark::DoNotOptimize(sink);
  const double steps = static_cast<double>(laneSteps);
  state.counters["bound_ns"] = bound / steps * 1e9;
  state.counters["sweep_ns"] = one / steps * 1e9;
  state.counters["ratio"] = bound / one;
  state.counters["flights_per_s_1"] = static_cast<double>(forms.size()) / one;
  state.counters["flights_per_s_2"] = static_cast<double>(forms.size()) / two;
  state.counters["scaling"] = oneWall / two;
  state.counters["scaling_cpu"] = 2.0 * one / twoCpu;
  state.counters["lane_steps"] = steps;
  state.SetLabel(LanePathName(path));
}
BENCHMARK(BM_SweepAgainstBound)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)
    ->UseRealTime()->Iterations(5);

// The whole sweep on each path and thread count.
void BM_Sweep10000OnPath(benchmark::State& state) {
  const LanePath path = kPaths[state.range(0)];
  if (!LanePathAvailable(path)) {
    state.SkipWithError("not on this machine");
    return;
  }
  cli::SweepOptions opt = DefaultLikeSweep();
  opt.threads = static_cast<unsigned>(state.range(1));
  std::FILE* sink = std::fopen("/dev/null", "w");
  for (auto _ : state) cli::RunSweep(opt, sink, path);
  std::fclose(sink);
  state.SetItemsProcessed(state.iterations() * cli::SweepSize(opt));
  state.SetLabel(LanePathName(path));
  state.counters["threads"] = static_cast<double>(opt.threads);
}
BENCHMARK(BM_Sweep10000OnPath)->ArgsProduct({{0, 1, 2}, {1, kAllThreads}})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// How the sweep scales from one thread to all of them: each iteration times a few
// sweeps on one thread and then as many on all, and "speedup" is the ratio of their
// wall times. Sweeps in a row, so that an idle core's wake-up does not count.
void BM_SweepThreadScaling(benchmark::State& state) {
  constexpr int kRuns = 4;
  cli::SweepOptions opt = DefaultLikeSweep();
  std::FILE* sink = std::fopen("/dev/null", "w");
  double one = 0.0, all = 0.0;
  for (auto _ : state) {
    for (unsigned threads : {1u, static_cast<unsigned>(kAllThreads)}) {
      opt.threads = threads;
      cli::RunSweep(opt, sink);  // warm-up
      const auto start = std::chrono::steady_clock::now();
      for (int run = 0; run < kRuns; ++run) cli::RunSweep(opt, sink);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      (threads == 1 ? one : all) += took.count();
    }
  }
  std::fclose(sink);
  const double flights = static_cast<double>(state.iterations() * kRuns * cli::SweepSize(opt));
  state.counters["threads"] = kAllThreads;
  state.counters["flights_per_s_1"] = flights / one;
  state.counters["flights_per_s_all"] = flights / all;
  state.counters["speedup"] = one / all;
  state.SetLabel(LanePathName(BestLanePath()));
}
BENCHMARK(BM_SweepThreadScaling)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// ---- The ball model ----

BallParams BallDriver() { return BallParams{}; }  // the defaults are the tour driver

void BM_BallStep(benchmark::State& state) {
  const BallLaunch l = LaunchBall(BallDriver());
  double v[3] = {l.v[0], l.v[1], l.v[2]}, p[3] = {0, 0, 0}, u = l.u;
  for (auto _ : state) {
    double vn[3], pn[3], un;
    benchmark::DoNotOptimize(v);
    kernel::StepBall<kernel::ScalarOps, false>(l.consts, v, p, u, vn, pn, un);
    benchmark::DoNotOptimize(pn);
    benchmark::DoNotOptimize(vn);
    benchmark::DoNotOptimize(un);
  }
}
BENCHMARK(BM_BallStep);

// A shot's constants and launch, once per flight: air, decay factor, angles (a thread
// keeps its last air, decay and angles, as a sweep's shots find them).
void BM_BallLaunch(benchmark::State& state) {
  BallParams p = BallDriver();
  p.altitude = 300.0;
  p.humidity = 50.0;
  p.windSpeed = 5.0;
  p.windDirection = 30.0;
  p.spinAxis = 3.0;
  p.direction = 1.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(p);
    benchmark::DoNotOptimize(LaunchBall(p));
  }
}
BENCHMARK(BM_BallLaunch);

void BM_BallDriverFlight(benchmark::State& state) {
  BallParams p = BallDriver();
  p.windSpeed = static_cast<double>(state.range(0));  // m/s, from 45 degrees
  p.windDirection = 45.0;
  std::int64_t steps = 0;
  for (auto _ : state) {
    const BallSummary s = FlyBall(p);
    steps = s.ticks;
    benchmark::DoNotOptimize(s.distance);
  }
  state.counters["steps"] = static_cast<double>(steps);
  state.SetLabel(p.windSpeed > 0 ? "wind" : "calm");
}
BENCHMARK(BM_BallDriverFlight)->Arg(0)->Arg(5)->Unit(benchmark::kMicrosecond);

// The ball driver's flight against the default form flight, timed in turns on the
// same thread (processor time), best of the iterations: "ratio" is ball over form.
void BM_BallDriverAgainstFormFlight(benchmark::State& state) {
  const BallParams ball = BallDriver();
  constexpr int kRuns = 2000;
  double bestBall = 1e300, bestForm = 1e300;
  for (auto _ : state) {
    bestForm = std::min(bestForm, ThreadSeconds([&] {
      for (int i = 0; i < kRuns; ++i) {
        FlightForm form = DefaultForm();
        benchmark::DoNotOptimize(RunFlight(form, 10000000).distance);
      }
    }));
    bestBall = std::min(bestBall, ThreadSeconds([&] {
      for (int i = 0; i < kRuns; ++i) benchmark::DoNotOptimize(FlyBall(ball).distance);
    }));
  }
  state.counters["form_us"] = bestForm / kRuns * 1e6;
  state.counters["ball_us"] = bestBall / kRuns * 1e6;
  state.counters["ratio"] = bestBall / bestForm;
}
BENCHMARK(BM_BallDriverAgainstFormFlight)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The driver's whole shot (flight, bounces and roll) against its flight alone, timed
// in turns on the same thread (processor time), best of the iterations: "ground_us" is
// what the bounces and roll add, "ratio" the ground phase over the flight.
void BM_BallDriverShotAgainstFlight(benchmark::State& state) {
  const BallParams ball = BallDriver();
  constexpr int kRuns = 2000;
  double bestShot = 1e300, bestAir = 1e300;
  for (auto _ : state) {
    bestAir = std::min(bestAir, ThreadSeconds([&] {
      for (int i = 0; i < kRuns; ++i) benchmark::DoNotOptimize(FlyBallInAir(ball).distance);
    }));
    bestShot = std::min(bestShot, ThreadSeconds([&] {
      for (int i = 0; i < kRuns; ++i) benchmark::DoNotOptimize(FlyBall(ball).total);
    }));
  }
  const BallSummary s = FlyBall(ball);
  state.counters["flight_us"] = bestAir / kRuns * 1e6;
  state.counters["shot_us"] = bestShot / kRuns * 1e6;
  state.counters["ground_us"] = (bestShot - bestAir) / kRuns * 1e6;
  state.counters["ratio"] = (bestShot - bestAir) / bestAir;
  state.counters["bounces"] = static_cast<double>(s.bounces);
}
BENCHMARK(BM_BallDriverShotAgainstFlight)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The divide unit's pace for the ball's lane-steps at the path's register width.
void BallDivideBound(LanePath path, bool wind, std::int64_t laneSteps, double* sink) {
  switch (path) {
#if VENDREL_X86_LANES
    case LanePath::Avx2: bench::BallDivideBoundAvx2(wind, laneSteps / 4, sink); return;
    case LanePath::Avx512: bench::BallDivideBoundAvx512(wind, laneSteps / 8, sink); return;
#endif
    default: bench::BallDivideBoundLoop<kernel::ScalarOps>(wind, laneSteps, sink); return;
  }
}

// The driver's calm steps in the lanes and nothing else (flights of 135 steps, started
// over in place) against the divide unit's pace for as many lane-steps: the most a sweep's
// ratio could reach on this path with the step as it is.
void BM_BallLaneStepsAgainstBound(benchmark::State& state) {
  const LanePath path = kPaths[state.range(0)];
  if (!LanePathAvailable(path)) {
    state.SkipWithError("not on this machine");
    return;
  }
  const BallLaunch l = LaunchBall(BallDriver());
  constexpr int kStepsPerFlight = 135;
  constexpr std::int64_t kLaneSteps = 4'000'000;
  double sink = 0.0, bound = 1e300, steps = 1e300;
  for (auto _ : state) {
    bound = std::min(bound, ThreadSeconds([&] { BallDivideBound(path, false, kLaneSteps, &sink); }));
    steps = std::min(steps, ThreadSeconds([&] {
      switch (path) {
#if VENDREL_X86_LANES
        case LanePath::Avx2:
          bench::BallLaneStepsAvx2(l.consts, l.v, l.u, kStepsPerFlight, kLaneSteps / lanes::kBallAvx2Lanes, &sink);
          return;
        case LanePath::Avx512:
          bench::BallLaneStepsAvx512(l.consts, l.v, l.u, kStepsPerFlight, kLaneSteps / lanes::kBallAvx512Lanes,
                                     &sink);
          return;
#endif
        default:
          bench::BallLaneStepsLoop<kernel::ScalarOps, lanes::kBallRegisters>(
              l.consts, l.v, l.u, kStepsPerFlight, kLaneSteps / lanes::kBallScalarLanes, &sink);
          return;
      }
    }));
  }
  benchmark::DoNotOptimize(sink);
  state.counters["bound_ns"] = bound / static_cast<double>(kLaneSteps) * 1e9;
  state.counters["steps_ns"] = steps / static_cast<double>(kLaneSteps) * 1e9;
  state.counters["ratio"] = bound / steps;
  state.SetLabel(LanePathName(path));
}
BENCHMARK(BM_BallLaneStepsAgainstBound)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(5);

// 10,000 driver-like ball flights (angles 6 to 16 degrees, spins 2000 to 4000 rpm)
// through the lanes on one thread against the divide unit's pace for the ball's own
// divisions and roots; arg 1 is the path, arg 2 the wind (0 calm, 1 a 5 m/s wind), arg 3
// the whole shots (0) or their flights alone (1, no bounces or roll). The bound counts
// the flight's steps alone: what a shot does besides them (its launch, the landing
// inside the last step, the ground phase) is scalar work the ratio charges to the sweep.
// "shot_ns" is a shot's time, "bound_shot_ns" the bound's for its steps.
void BM_BallSweepAgainstBound(benchmark::State& state) {
  const LanePath path = kPaths[state.range(0)];
  const bool wind = state.range(1) != 0;
  const bool ground = state.range(2) == 0;
  if (!LanePathAvailable(path)) {
    state.SkipWithError("not on this machine");
    return;
  }
  std::vector<BallParams> shots;
  for (int i = 0; i < 10000; ++i) {
    BallParams p = BallDriver();
    p.angle = 6.0 + 0.001 * i;
    p.totalSpin = 2000.0 + 0.2 * i;
    p.windSpeed = wind ? 5.0 : 0.0;
    p.windDirection = 30.0;
    shots.push_back(p);
  }
  std::int64_t laneSteps = 0;
  for (const BallSummary& s : FlyBallsParallel(shots, 2, path, ground)) laneSteps += s.ticks;
  double sink = 0.0, bound = 1e300, one = 1e300;
  for (auto _ : state) {
    bound = std::min(bound, ThreadSeconds([&] { BallDivideBound(path, wind, laneSteps, &sink); }));
    one = std::min(one, ThreadSeconds([&] {
      benchmark::DoNotOptimize(FlyBallsParallel(shots, 1, path, ground).data());
    }));
  }
  benchmark::DoNotOptimize(sink);
  const double steps = static_cast<double>(laneSteps);
  state.counters["bound_ns"] = bound / steps * 1e9;
  state.counters["sweep_ns"] = one / steps * 1e9;
  state.counters["ratio"] = bound / one;
  state.counters["flights_per_s"] = static_cast<double>(shots.size()) / one;
  state.counters["shot_ns"] = one / static_cast<double>(shots.size()) * 1e9;
  state.counters["bound_shot_ns"] = bound / static_cast<double>(shots.size()) * 1e9;
  state.SetLabel(std::string(LanePathName(path)) + (wind ? " wind" : " calm") +
                 (ground ? " shots" : " flights"));
}
BENCHMARK(BM_BallSweepAgainstBound)->ArgsProduct({{0, 1, 2}, {0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)
    ->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace vendrel

BENCHMARK_MAIN();
