// Flights in the lanes of vector registers come out exactly as RunFlight gives them,
// on every instruction set this machine has and on the scalar fallback.
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "cli/options.h"
#include "cli/sweep.h"
#include "flight/lanes.h"
#include "flight/parallel_runs.h"
#include "flight/parameters.h"
#include "flight/stop_request.h"
#include "flight/trajectory.h"
#include "flight/windowless_run.h"
#include "tests/support/default_flight.h"
#include "tests/support/golden.h"

namespace vendrel {
namespace {

// Equal bits; any NaN equals any NaN (the model never looks at a NaN's payload).
::testing::AssertionResult Same(const char* what, double a, double b) {
  if (test::SameBits(a, b)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << what << ": lanes " << test::Describe(a) << ", scalar "
                                       << test::Describe(b);
}

::testing::AssertionResult SameOutcome(const FlightSummary& lanes, const FlightOutcome& ref) {
  if (lanes.ticks != ref.ticks)
    return ::testing::AssertionFailure() << "ticks " << lanes.ticks << " vs " << ref.ticks;
  if (lanes.end != ref.end)
    return ::testing::AssertionFailure() << "end " << FlightEndName(lanes.end) << " vs "
                                         << FlightEndName(ref.end);
  if (lanes.carryChanged != ref.carryChanged) return ::testing::AssertionFailure() << "carryChanged";
  for (auto r : {Same("carry", lanes.carry, ref.carry), Same("distance", lanes.distance, ref.distance),
                 Same("apex", lanes.apex, ref.apex)}) {
    if (!r) return r;
  }
  for (int i = 0; i < 5; ++i) {
    auto r = Same(("landing[" + std::to_string(i) + "]").c_str(), lanes.landing[i], ref.landing[i]);
    if (!r) return r;
  }
  return ::testing::AssertionSuccess();
}

std::string Describe(const FlightForm& f) {
  char text[320];
  std::snprintf(text, sizeof text,
                "angle=%.17g speed=%.17g side=%.17g back=%.17g k=%.17g k'=%.17g mass=%.17g "
                "gravity=%.17g dt=%.17g carry=%.17g",
                f.launchAngle, f.launchSpeed, f.sideSpin, f.backSpin, f.k, f.kPrime, f.ballMass,
                f.gravity, f.timeStep, f.carry);
  return text;
}

struct Case {
  FlightForm form;
  FlightOutcome ref;
};

constexpr std::int64_t kTickBound = 1500;

// Flights of every kind: around the defaults (most land within the bound), anywhere in
// the form's ranges (many run into the bound or end in NaN), and the ranges' corners.
std::vector<Case> MakeCases() {
  std::mt19937_64 rng(20240611);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  auto chance = [&](double p) { return std::bernoulli_distribution(p)(rng); };
  std::vector<FlightForm> forms;

  for (int i = 0; i < 1200; ++i) {  // default-like
    FlightForm f = DefaultForm();
    f.launchAngle = uniform(0.0, 60.0);
    f.launchSpeed = uniform(5.0, 90.0);
    f.sideSpin = chance(0.3) ? 0.0 : uniform(-6000.0, 6000.0);
    f.backSpin = chance(0.1) ? 0.0 : uniform(-3000.0, 9000.0);
    f.k = uniform(0.0, 0.03);
    f.kPrime = uniform(0.0, 0.05);
    f.ballMass = uniform(20.0, 100.0);
    f.gravity = uniform(5.0, 20.0);
    f.timeStep = uniform(0.005, 0.05);
    forms.push_back(f);
  }
  const auto fields = ParametersOf(Model::Form);
  for (int i = 0; i < 600; ++i) {  // anywhere in range, with the ranges' ends and zeros
    FlightForm f = DefaultForm();
    for (const Parameter& field : fields) {
      const double r = uniform(0.0, 1.0);
      double v = r < 0.1 ? field.min : r < 0.2 ? field.max : r < 0.35 ? field.defaultValue
                                                                     : uniform(field.min, field.max);
      if (field.min < 0.0 && chance(0.1)) v = 0.0;
      f.*(field.form) = v;
    }
    forms.push_back(f);
  }
  for (int i = 0; i < 400; ++i) {  // corners: every field at its minimum, maximum or default
    FlightForm f = DefaultForm();
    for (const Parameter& field : fields) {
      const int pick = static_cast<int>(rng() % 3);
      f.*(field.form) = pick == 0 ? field.min : pick == 1 ? field.max : field.defaultValue;
    }
    forms.push_back(f);
  }
  // Named corners: at rest, straight up, no mass, no gravity (runs into the bound),
  // negative spins, the worked flights.
  auto add = [&](auto change) {
    FlightForm f = DefaultForm();
    change(f);
    forms.push_back(f);
  };
  add([](FlightForm&) {});
  add([](FlightForm& f) { f.sideSpin = 1500; });
  add([](FlightForm& f) { f.launchAngle = 30; f.launchSpeed = 70; });
  add([](FlightForm& f) { f.launchSpeed = 0; });
  add([](FlightForm& f) { f.launchAngle = 90; });
  add([](FlightForm& f) { f.launchAngle = 90; f.backSpin = 0; });
  add([](FlightForm& f) { f.ballMass = 0; });
  add([](FlightForm& f) { f.gravity = 0; });
  add([](FlightForm& f) { f.backSpin = -2000; f.sideSpin = -1500; });
  add([](FlightForm& f) { f.launchSpeed = 0; f.gravity = 0; });
  add([](FlightForm& f) { f.launchAngle = 0; });
  // A carry from an earlier run stays where a flight leaves the field unchanged.
  for (std::size_t i = 0; i < forms.size(); i += 7) forms[i].carry = 77.0;

  std::vector<Case> cases;
  for (FlightForm& f : forms) {
    FlightForm copy = f;
    cases.push_back({f, RunFlight(copy, kTickBound)});
  }
  return cases;
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = MakeCases();
  return cases;
}

class LanePathTest : public ::testing::TestWithParam<LanePath> {};

TEST_P(LanePathTest, EveryFlightMatchesRunFlight) {
  const LanePath path = GetParam();
  if (!LanePathAvailable(path)) GTEST_SKIP() << "no " << LanePathName(path) << " on this machine";

  const std::vector<Case>& cases = Cases();
  std::vector<FlightForm> forms;
  for (const Case& c : cases) forms.push_back(c.form);
  const std::vector<FlightSummary> got = RunFlightsParallel(forms, kTickBound, 1, path);
  ASSERT_EQ(got.size(), cases.size());

  int ends[3] = {0, 0, 0}, changed = 0, failures = 0;
  for (std::size_t i = 0; i < cases.size() && failures < 5; ++i) {
    const auto same = SameOutcome(got[i], cases[i].ref);
    if (!same) ++failures;
    EXPECT_TRUE(same) << "flight " << i << ": " << Describe(cases[i].form);
    ++ends[static_cast<int>(cases[i].ref.end)];
    changed += cases[i].ref.carryChanged ? 1 : 0;
  }
  // The flights cover every way a flight can end, and carries both written and kept.
  EXPECT_GT(ends[static_cast<int>(FlightEnd::Ground)], 1000);
  EXPECT_GT(ends[static_cast<int>(FlightEnd::NotANumber)], 10);
  EXPECT_GT(ends[static_cast<int>(FlightEnd::MaxTicks)], 10);
  EXPECT_GT(changed, 1000);
  EXPECT_LT(changed, static_cast<int>(cases.size()));
}

TEST_P(LanePathTest, IdsComeBackOnceWhateverTheCountAndOrder) {
  const LanePath path = GetParam();
  if (!LanePathAvailable(path)) GTEST_SKIP();
  // Fewer flights than lanes, one, none, and a count that leaves a pack part full;
  // a long flight among short ones keeps its lane while the others refill.
  for (int n : {0, 1, 3, LaneCount(path) + 1, 3 * LaneCount(path) - 1}) {
    std::vector<FlightForm> forms;
    for (int i = 0; i < n; ++i) {
      FlightForm f = DefaultForm();
      f.launchSpeed = i == 1 ? 100.0 : 5.0 + i;
      f.launchAngle = i == 1 ? 80.0 : 20.0;
      forms.push_back(f);
    }
    std::multiset<std::int64_t> seen;
    std::size_t taken = 0;
    RunFlightsInLanes(
        path, kTickBound,
        [&](std::int64_t& id, FlightForm& form) {
          if (taken == forms.size()) return false;
          form = forms[taken];
          id = 1000 + 7 * static_cast<std::int64_t>(taken++);
          return true;
        },
        [&](std::int64_t id, const FlightSummary& s) {
          seen.insert(id);
          const std::size_t index = static_cast<std::size_t>((id - 1000) / 7);
          ASSERT_LT(index, forms.size());
          FlightForm copy = forms[index];
          EXPECT_TRUE(SameOutcome(s, RunFlight(copy, kTickBound))) << "n=" << n << " id=" << id;
        });
    EXPECT_EQ(seen.size(), forms.size()) << "n=" << n;
    for (int i = 0; i < n; ++i) EXPECT_EQ(seen.count(1000 + 7 * i), 1u) << "n=" << n;
  }
}

TEST_P(LanePathTest, TickBoundsOfOneAndNone) {
  const LanePath path = GetParam();
  if (!LanePathAvailable(path)) GTEST_SKIP();
  std::vector<FlightForm> forms(5, DefaultForm());
  forms[1].ballMass = 0;
  forms[2].launchSpeed = 0;
  const std::int64_t landingTick = test::DefaultFlight().ticks;
  // Bounds that end flights before, at and after their landing tick.
  for (std::int64_t bound : {std::int64_t{0}, std::int64_t{1}, std::int64_t{2}, landingTick - 1, landingTick}) {
    const std::vector<FlightSummary> got = RunFlightsParallel(forms, bound, 1, path);
    for (std::size_t i = 0; i < forms.size(); ++i) {
      FlightForm copy = forms[i];
      EXPECT_TRUE(SameOutcome(got[i], RunFlight(copy, bound))) << "bound " << bound << " flight " << i;
    }
  }
}

TEST_P(LanePathTest, TheLargestTickBoundRunsFlightsToTheirLanding) {
  const LanePath path = GetParam();
  if (!LanePathAvailable(path)) GTEST_SKIP();
  std::vector<FlightForm> forms(3 * LaneCount(path) + 1, DefaultForm());
  for (std::size_t i = 0; i < forms.size(); ++i) forms[i].launchSpeed = 20.0 + static_cast<double>(i);
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
  const std::vector<FlightSummary> got = RunFlightsParallel(forms, kLargest, 1, path);
  for (std::size_t i = 0; i < forms.size(); ++i) {
    FlightForm copy = forms[i];
    EXPECT_TRUE(SameOutcome(got[i], RunFlight(copy, kLargest))) << "flight " << i;
  }
}

TEST_P(LanePathTest, ParallelRunsKeepTheFormsOrderOnAnyThreadCount) {
  const LanePath path = GetParam();
  if (!LanePathAvailable(path)) GTEST_SKIP();
  const std::vector<Case>& cases = Cases();
  std::vector<FlightForm> forms;
  for (const Case& c : cases) forms.push_back(c.form);
  for (int threads : {1, 3}) {
    const std::vector<FlightSummary> got = RunFlightsParallel(forms, kTickBound, threads, path);
    ASSERT_EQ(got.size(), cases.size());
    int failures = 0;
    for (std::size_t i = 0; i < cases.size() && failures < 5; ++i) {
      const auto same = SameOutcome(got[i], cases[i].ref);
      if (!same) ++failures;
      EXPECT_TRUE(same) << threads << " threads, flight " << i << ": " << Describe(cases[i].form);
    }
  }
  EXPECT_TRUE(RunFlightsParallel({}, kTickBound, 2, path).empty());
}

// Values no form in range gives, where a lane's select and a lone flight's branch
// could part: infinite and NaN velocities, squares that overflow or vanish, exact
// zeros of the guarded divisors, signed zeros.
TEST_P(LanePathTest, ExtremeFlightsMatchRunFlight) {
  const LanePath path = GetParam();
  if (!LanePathAvailable(path)) GTEST_SKIP();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const double speeds[] = {0.0, -0.0, 1e-160, 3e-300, 1e155, 1e200, kInf, -kInf, std::nan("")};
  const double angles[] = {0.0, 90.0, -90.0, 180.0, 45.0};
  std::vector<FlightForm> forms;
  for (double speed : speeds) {
    for (double angle : angles) {
      FlightForm f = DefaultForm();
      f.launchSpeed = speed;
      f.launchAngle = angle;
      forms.push_back(f);
      f.sideSpin = -1500;
      f.backSpin = -2000;
      f.gravity = 0;
      forms.push_back(f);
      f.ballMass = 0;
      f.k = 1e300;
      forms.push_back(f);
    }
  }
  for (std::int64_t bound : {1, 3, 50}) {
    const std::vector<FlightSummary> got = RunFlightsParallel(forms, bound, 1, path);
    for (std::size_t i = 0; i < forms.size(); ++i) {
      FlightForm copy = forms[i];
      EXPECT_TRUE(SameOutcome(got[i], RunFlight(copy, bound)))
          << "bound " << bound << ": " << Describe(forms[i]);
    }
  }
}

// The lanes and RunFlight fly in stretches between looks at a stop request: flights
// that cross those looks, with bounds on either side of one, keep their bits, and a
// stop requested from another thread ends flights that would never land.
TEST_P(LanePathTest, LooksAtAStopKeepTheBitsAndAStopEndsEndlessFlights) {
  const LanePath path = GetParam();
  if (!LanePathAvailable(path)) GTEST_SKIP();
  std::vector<FlightForm> forms;
  for (int i = 0; i < 2 * LaneCount(path) + 1; ++i) {
    FlightForm f = DefaultForm();
    f.timeStep = 0.0002 + 0.00005 * i;  // landing after some 4,000 to 11,000 ticks
    f.launchAngle = 10.0 + i;
    if (i % 5 == 4) f.gravity = 0;
    forms.push_back(f);
  }
  const StopRequest unasked;
  for (std::int64_t bound : {kStopLookTicks - 1, kStopLookTicks, kStopLookTicks + 1, 2 * kStopLookTicks + 1,
                             std::int64_t{20000}}) {
    const std::vector<FlightSummary> got = RunFlightsParallel(forms, bound, 1, path, nullptr, &unasked);
    for (std::size_t i = 0; i < forms.size(); ++i) {
      FlightForm copy = forms[i];
      const FlightOutcome ref = RunFlight(copy, bound, {}, &unasked);
      EXPECT_TRUE(SameOutcome(got[i], ref)) << "bound " << bound << ": " << Describe(forms[i]);
      // RunFlight against its own ticks seen one by one in a longer run, whose
      // stretches end elsewhere.
      copy = forms[i];
      FlightState seen{};
      RunFlight(copy, bound + 100, [&](std::int64_t tick, const FlightState& st) {
        if (tick == ref.ticks) seen = st;
      });
      for (int c = 1; c <= 3; ++c) EXPECT_TRUE(test::SameBits(ref.landing[c], seen.pos[c])) << "bound " << bound;
    }
  }

  for (FlightForm& f : forms) f.gravity = 0;
  constexpr std::int64_t kForever = std::numeric_limits<std::int64_t>::max();
  for (int threads : {1, 2}) {
    StopRequest stop;
    const auto start = std::chrono::steady_clock::now();
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      stop.Request();
    });
    RunFlightsParallel(forms, kForever, threads, path, nullptr, &stop);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << threads << " threads";
  }
}

TEST(StopRequest, EndsALoneFlightAndItsTrajectory) {
  FlightForm endless = DefaultForm();
  endless.gravity = 0;
  StopRequest stop;
  std::int64_t ticks = 0;
  const FlightOutcome out = RunFlight(endless, std::numeric_limits<std::int64_t>::max(),
                                      [&](std::int64_t tick, const FlightState&) {
                                        if (tick == 10000) stop.Request();
                                        ticks = tick;
                                      }, &stop);
  EXPECT_EQ(out.ticks, ticks);
  EXPECT_LT(ticks, 10000 + kStopLookTicks + 1);
  EXPECT_EQ(out.end, FlightEnd::MaxTicks);
  // Asked before the flight, the stop lets no tick go.
  EXPECT_TRUE(FlyTrajectory(endless, std::numeric_limits<std::int64_t>::max(), &stop).empty());
  EXPECT_EQ(RunFlightsParallel(std::vector<FlightForm>(100, endless), 1000000, 2, BestLanePath(), nullptr, &stop).size(), 100u);
}

INSTANTIATE_TEST_SUITE_P(Paths, LanePathTest,
                         ::testing::Values(LanePath::Scalar, LanePath::Avx2, LanePath::Avx512),
                         [](const auto& p) { return std::string(LanePathName(p.param)); });

// The paths the tests above skip are the ones the processor lacks, as the kernel lists
// its features: a path that wrongly said "not here" would silently skip its tests.
std::set<std::string> KernelCpuFlags() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::set<std::string> flags;
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.rfind("flags", 0) != 0) continue;
    std::istringstream words(line.substr(line.find(':') + 1));
    for (std::string word; words >> word;) flags.insert(word);
    break;
  }
  return flags;
}

TEST(LanePaths, AvailableAreTheOnesTheProcessorHasAndBestIsTheWidest) {
  EXPECT_TRUE(LanePathAvailable(LanePath::Scalar));
  EXPECT_GE(LaneCount(LanePath::Scalar), 1);
#if defined(__x86_64__)
  const std::set<std::string> flags = KernelCpuFlags();
  ASSERT_FALSE(flags.empty()) << "no flags line in /proc/cpuinfo";
  const bool avx2 = flags.count("avx2") > 0, avx512 = flags.count("avx512f") > 0;
  EXPECT_EQ(LanePathAvailable(LanePath::Avx2), avx2);
  EXPECT_EQ(LanePathAvailable(LanePath::Avx512), avx512);
  EXPECT_EQ(BestLanePath(), avx512 ? LanePath::Avx512 : avx2 ? LanePath::Avx2 : LanePath::Scalar);
#else
  EXPECT_EQ(BestLanePath(), LanePath::Scalar);
#endif
}

// The sweep writes the same bytes on every path and thread count.
std::string SweepText(const cli::SweepOptions& opt, LanePath path) {
  std::FILE* f = std::tmpfile();
  EXPECT_NE(f, nullptr);
  EXPECT_EQ(cli::RunSweep(opt, f, path), 0);
  std::string text;
  std::rewind(f);
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

TEST(LaneSweep, RowsAreTheSameOnEveryPath) {
  cli::SweepOptions opt;
  const auto fields = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < fields.size(); ++i)
    opt.ranges[i] = cli::ParamRange{fields[i].defaultValue, fields[i].defaultValue, 1.0, true};
  opt.ranges[0] = cli::ParamRange{0.0, 90.0, 15.0, false};        // angle
  opt.ranges[1] = cli::ParamRange{0.0, 100.0, 25.0, false};       // speed, with 0
  opt.ranges[3] = cli::ParamRange{-3000.0, 3000.0, 1500.0, false};  // back spin
  opt.ranges[6] = cli::ParamRange{0.0, 46.0, 46.0, false};        // mass, with 0
  opt.maxTicks = 2000;
  opt.progress = false;
  opt.threads = 1;
  const std::string scalar = SweepText(opt, LanePath::Scalar);
  EXPECT_EQ(std::count(scalar.begin(), scalar.end(), '\n'), 1 + 7 * 5 * 5 * 2);
  for (LanePath path : {LanePath::Avx2, LanePath::Avx512}) {
    if (!LanePathAvailable(path)) continue;
    for (unsigned threads : {1u, 3u}) {
      opt.threads = threads;
      EXPECT_EQ(SweepText(opt, path), scalar) << LanePathName(path) << " on " << threads << " threads";
    }
  }
  opt.best = cli::BestBy::Distance;
  opt.threads = 2;
  EXPECT_EQ(SweepText(opt, BestLanePath()), SweepText(opt, LanePath::Scalar));
}

TEST(LaneSweep, RowsKeepTheirOrderAcrossBatches) {
  // More flights than one batch holds, each over within a few ticks (launched at rest).
  cli::SweepOptions opt;
  const auto fields = ParametersOf(Model::Form);
  for (std::size_t i = 0; i < fields.size(); ++i)
    opt.ranges[i] = cli::ParamRange{fields[i].defaultValue, fields[i].defaultValue, 1.0, true};
  opt.ranges[1] = cli::ParamRange{0.0, 0.0, 1.0, true};
  opt.ranges[7] = cli::ParamRange{0.25, 10000.0, 0.25, false};  // gravity, row by row
  opt.progress = false;
  opt.threads = 1;
  const std::string scalar = SweepText(opt, LanePath::Scalar);
  ASSERT_EQ(std::count(scalar.begin(), scalar.end(), '\n'), 40001);
  // Row n (from 1) has gravity n / 4.
  int row = 0;
  for (std::size_t pos = scalar.find('\n') + 1; pos < scalar.size(); pos = scalar.find('\n', pos) + 1) {
    ++row;
    std::size_t comma = pos;
    for (int c = 0; c < 7; ++c) comma = scalar.find(',', comma) + 1;
    ASSERT_EQ(std::stod(scalar.substr(comma, scalar.find(',', comma) - comma)), 0.25 * row) << "row " << row;
  }
  opt.threads = 3;
  EXPECT_EQ(SweepText(opt, BestLanePath()), scalar);
}

}  // namespace
}  // namespace vendrel
