#include "cli/sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "cli/flight_row.h"
#include "cli/progress_line.h"
#include "flight/ball_flight.h"
#include "flight/lanes.h"
#include "flight/parallel_runs.h"
#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "number_text/number_text.h"

namespace vendrel::cli {
namespace {

// The parameters of flight `index` of the sweep as the row shows them, in the user's
// units (the last parameter varies fastest); `set(row, value)` gets each in the
// model's units. A parameter left at its default is flown as that default whatever the
// units.
template <class Set>
void ValuesOf(const SweepOptions& opt, std::int64_t index, double* shown, Set set) {
  const auto fields = ParametersOf(opt.model);
  const std::span<const ParamRange> ranges = opt.Ranges();
  for (std::size_t f = fields.size(); f-- > 0;) {
    const ParamRange& range = ranges[f];
    const std::int64_t n = range.Count();
    const double v = range.Value(index % n);
    index /= n;
    const Parameter& field = fields[f];
    const double model = opt.Defaulted(f) ? opt.BaseValue(field) : ToModel(field, opt.units, v);
    set(field, model);
    shown[f] = opt.Defaulted(f) ? FromModel(field, opt.units, model) : v;
  }
}

FlightForm FormOf(const SweepOptions& opt, std::int64_t index, double* shown) {
  FlightForm form = DefaultForm();
  ValuesOf(opt, index, shown, [&form](const Parameter& f, double v) { ValueIn(form, f) = v; });
  return form;
}

BallParams BallOf(const SweepOptions& opt, std::int64_t index, double* shown) {
  BallParams ball;
  ball.spinAsComponents = opt.ballSpinAsComponents;
  ValuesOf(opt, index, shown, [&ball](const Parameter& f, double v) { ValueIn(ball, f) = v; });
  return ball;
}

// NaN and an unchanged carry rank below every number.
double Score(const BallSummary& r, BestBy by) {
  const double v = by == BestBy::Carry      ? (r.carryChanged ? r.carry : std::nan(""))
                   : by == BestBy::Distance ? r.distance
                   : by == BestBy::Total    ? r.total
                                            : r.apex;
  return std::isnan(v) ? -std::numeric_limits<double>::infinity() : v;
}

bool Better(const BallSummary& a, const BallSummary& b, BestBy by) {
  const double sa = Score(a, by), sb = Score(b, by);
  if (sa != sb) return sa > sb;
  const double da = Score(a, BestBy::Distance), db = Score(b, BestBy::Distance);
  return da > db;  // a full tie keeps the earlier one
}

}  // namespace

const char* SweepHeader() {
  static const std::string header = [] {
    std::string h;
    for (const Parameter& f : ParametersOf(Model::Form)) (h += f.key) += ',';
    return h + "ticks,end,carry,distance,lateral,apex\n";
  }();
  return header.c_str();
}

const char* SweepHeader(Model m) { return m == Model::Form ? SweepHeader() : BallRowHeader().c_str(); }

std::string SweepRefusal(const SweepOptions& opt) {
  if (opt.model != Model::Ball) return {};
  // Every value is in its range; what their combinations join into is checked here,
  // before anything is written.
  std::vector<double> shown(ParametersOf(opt.model).size());
  const std::int64_t total = SweepSize(opt);
  for (std::int64_t i = 0; i < total; ++i) {
    const std::string refusal = BallJointRefusal(BallOf(opt, i, shown.data()));
    if (!refusal.empty()) return refusal + " (in flight " + std::to_string(i + 1) + " of the sweep)";
  }
  return {};
}

int RunSweep(const SweepOptions& opt, std::FILE* out) { return RunSweep(opt, out, BestLanePath()); }

int RunSweep(const SweepOptions& opt, std::FILE* out, LanePath path, std::vector<BallSummary>* every) {
  const std::int64_t total = SweepSize(opt);
  const unsigned threads =
      opt.threads ? opt.threads : std::max(1u, std::thread::hardware_concurrency());
  const std::size_t fields = ParametersOf(opt.model).size();
  std::fputs(SweepHeader(opt.model), out);

  // Batches bound the memory whatever the sweep's size; within a batch the workers
  // take small chunks so that slow flights do not leave a core idle.
  constexpr std::int64_t kBatch = 1 << 15;
  constexpr std::int64_t kChunk = 64;
  const auto batchSize = static_cast<std::size_t>(std::min(total, kBatch));
  std::vector<BallSummary> batch(batchSize);  // the form's flights fill its FlightSummary part
  std::vector<double> shown(batchSize * fields);  // each flight's parameters as its row shows them
  std::vector<std::string> texts;  // the rows of a batch, a slice per worker
  BallSummary best{};
  std::vector<double> bestShown(fields);
  bool haveBest = false;
  ProgressLine progress(total, "flights", opt.progress);

  const auto appendRow = [&opt, fields](std::string& s, const double* params, const BallSummary& r) {
    if (opt.model == Model::Form) {
      AppendFlightRow(s, std::span<const double, kFormParameterCount>(params, kFormParameterCount), r, opt.units);
    } else {
      AppendBallRow(s, std::span<const double>(params, fields), opt.ballSpinAsComponents, r, opt.units);
    }
  };

  for (std::int64_t first = 0; first < total; first += kBatch) {
    const std::int64_t count = std::min(kBatch, total - first);
    const auto n = static_cast<std::size_t>(count);
    if (opt.model == Model::Form) {
      std::vector<FlightForm> forms(n);
      for (std::size_t i = 0; i < n; ++i) forms[i] = FormOf(opt, first + static_cast<std::int64_t>(i), &shown[i * fields]);
      const std::vector<FlightSummary> summaries =
          RunFlightsParallel(forms, opt.maxTicks, static_cast<int>(threads), path, progress.meter());
      for (std::size_t i = 0; i < n; ++i) static_cast<FlightSummary&>(batch[i]) = summaries[i];
    } else {
      std::vector<BallParams> balls(n);
      for (std::size_t i = 0; i < n; ++i) balls[i] = BallOf(opt, first + static_cast<std::int64_t>(i), &shown[i * fields]);
      const std::vector<BallSummary> summaries = FlyBallsParallel(balls, static_cast<int>(threads), path);
      for (std::size_t i = 0; i < n; ++i) {
        batch[i] = summaries[i];
        static_cast<FlightSummary&>(batch[i]) = BallAsFlightSummary(summaries[i]);  // its carry is its distance
      }
      if (ProgressMeter* meter = progress.meter()) meter->Add(count);
    }
    if (every) every->insert(every->end(), batch.begin(), batch.begin() + static_cast<std::ptrdiff_t>(n));
    const unsigned workers = static_cast<unsigned>(std::min<std::int64_t>(threads, (count + kChunk - 1) / kChunk));
    std::vector<std::thread> pool;

    if (opt.best == BestBy::None) {
      // The workers format the rows too, each a contiguous slice, which are written
      // in order: on one thread the text would take a sizeable share of the time.
      auto format = [&](unsigned t) {
        const std::size_t from = n * t / workers, to = n * (t + 1) / workers;
        std::string& text = texts[t];
        text.clear();
        for (std::size_t i = from; i < to; ++i) appendRow(text, &shown[i * fields], batch[i]);
      };
      texts.resize(std::max<std::size_t>(texts.size(), workers));
      pool.clear();
      for (unsigned t = 1; t < workers; ++t) pool.emplace_back(format, t);
      format(0);
      for (auto& t : pool) t.join();
      for (unsigned t = 0; t < workers; ++t) std::fwrite(texts[t].data(), 1, texts[t].size(), out);
    } else {
      for (std::size_t i = 0; i < n; ++i) {
        if (!haveBest || Better(batch[i], best, opt.best)) {
          best = batch[i];
          std::copy_n(&shown[i * fields], fields, bestShown.begin());
          haveBest = true;
        }
      }
    }
  }
  if (haveBest) {
    std::string row;
    appendRow(row, bestShown.data(), best);
    std::fwrite(row.data(), 1, row.size(), out);
  }
  return 0;
}

}  // namespace vendrel::cli
