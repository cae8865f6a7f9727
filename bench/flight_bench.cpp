// The flight model's speed: one force evaluation, one step, a whole flight, sweeps.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <thread>

#include "cli/options.h"
#include "cli/sweep.h"
#include "flight/force_model.h"
#include "flight/form_fields.h"
#include "flight/rk4.h"
#include "flight/sync_run.h"

namespace vendrel {
namespace {

FlightState LaunchState() {
  FlightForm form = DefaultForm();
  FlightState st;
  SyncHost host;
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
    const FlightOutcome out = RunFlight(form, 10000000);
    benchmark::DoNotOptimize(out.distance);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DefaultFlight)->Unit(benchmark::kMicrosecond);

// 10,000 default-like flights: angles 10 to 19.999 degrees.
void BM_Sweep10000(benchmark::State& state) {
  cli::SweepOptions opt;
  const auto fields = FormFields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    opt.ranges[i] = cli::ParamRange{fields[i].defaultValue, fields[i].defaultValue, 1.0, true};
  }
  opt.ranges[0] = cli::ParamRange{10.0, 19.999, 0.001, false};
  opt.threads = static_cast<unsigned>(state.range(0));
  opt.progress = false;
  std::FILE* sink = std::fopen("/dev/null", "w");
  for (auto _ : state) cli::RunSweep(opt, sink);
  std::fclose(sink);
  state.SetItemsProcessed(state.iterations() * cli::SweepSize(opt));
  state.counters["threads"] = static_cast<double>(opt.threads);
}
BENCHMARK(BM_Sweep10000)->Arg(1)->Arg(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())))
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vendrel

BENCHMARK_MAIN();
