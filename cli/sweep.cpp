#include "cli/sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "cli/flight_row.h"
#include "cli/progress_line.h"
#include "number_text/number_text.h"
#include "flight/parameters.h"
#include "flight/lanes.h"
#include "flight/parallel_runs.h"
#include "flight/windowless_run.h"
#include "number_text/number_text.h"

namespace vendrel::cli {
namespace {

constexpr std::size_t kFields = kFormParameterCount;

// A row: the flight's parameters and what it came to.
struct Result : FlightSummary {
  double params[kFields];
};

// The form of flight `index` of the sweep, its parameters kept for the row: the last
// parameter (dt) varies fastest.
FlightForm FormOf(const SweepOptions& opt, std::int64_t index, Result& r) {
  const auto fields = ParametersOf(Model::Form);
  FlightForm form = DefaultForm();
  for (std::size_t f = kFields; f-- > 0;) {
    const ParamRange& range = opt.ranges[f];
    const std::int64_t n = range.Count();
    const double v = range.Value(index % n);
    index /= n;
    const Parameter& field = fields[f];
    form.*(field.form) = opt.defaulted[f] ? field.defaultValue : ToModel(field, opt.units, v);
    r.params[f] = opt.defaulted[f] ? FromModel(field, opt.units, field.defaultValue) : v;
  }
  return form;
}

void AppendRow(std::string& s, const Result& r, Units units) {
  AppendFlightRow(s, std::span<const double, kFields>(r.params), r, units);
}

// NaN and an unchanged carry rank below every number.
double Score(const Result& r, BestBy by) {
  const double v = by == BestBy::Carry      ? (r.carryChanged ? r.carry : std::nan(""))
                   : by == BestBy::Distance ? r.distance
                                            : r.apex;
  return std::isnan(v) ? -std::numeric_limits<double>::infinity() : v;
}

bool Better(const Result& a, const Result& b, BestBy by) {
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

int RunSweep(const SweepOptions& opt, std::FILE* out) { return RunSweep(opt, out, BestLanePath()); }

int RunSweep(const SweepOptions& opt, std::FILE* out, LanePath path, std::vector<FlightSummary>* every) {
  const std::int64_t total = SweepSize(opt);
  const unsigned threads =
      opt.threads ? opt.threads : std::max(1u, std::thread::hardware_concurrency());
  std::fputs(SweepHeader(), out);

  // Batches bound the memory whatever the sweep's size; within a batch the workers
  // take small chunks so that slow flights do not leave a core idle.
  constexpr std::int64_t kBatch = 1 << 15;
  constexpr std::int64_t kChunk = 64;
  std::vector<Result> batch(static_cast<std::size_t>(std::min(total, kBatch)));
  std::vector<std::string> texts;  // the rows of a batch, a slice per worker
  Result best{};
  bool haveBest = false;
  ProgressLine progress(total, "flights", opt.progress);

  for (std::int64_t first = 0; first < total; first += kBatch) {
    const std::int64_t count = std::min(kBatch, total - first);
    std::vector<FlightForm> forms(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i)
      forms[static_cast<std::size_t>(i)] = FormOf(opt, first + i, batch[static_cast<std::size_t>(i)]);
    const std::vector<FlightSummary> summaries =
        RunFlightsParallel(forms, opt.maxTicks, static_cast<int>(threads), path, progress.meter());
    for (std::int64_t i = 0; i < count; ++i)
      static_cast<FlightSummary&>(batch[static_cast<std::size_t>(i)]) = summaries[static_cast<std::size_t>(i)];
    if (every) every->insert(every->end(), summaries.begin(), summaries.end());
    const unsigned workers = static_cast<unsigned>(std::min<std::int64_t>(threads, (count + kChunk - 1) / kChunk));
    std::vector<std::thread> pool;

    if (opt.best == BestBy::None) {
      // The workers format the rows too, each a contiguous slice, which are written
      // in order: on one thread the text would take a sizeable share of the time.
      auto format = [&](unsigned t) {
        const std::int64_t from = count * t / workers, to = count * (t + 1) / workers;
        std::string& text = texts[t];
        text.clear();
        for (std::int64_t i = from; i < to; ++i) AppendRow(text, batch[static_cast<std::size_t>(i)], opt.units);
      };
      texts.resize(std::max<std::size_t>(texts.size(), workers));
      pool.clear();
      for (unsigned t = 1; t < workers; ++t) pool.emplace_back(format, t);
      format(0);
      for (auto& t : pool) t.join();
      for (unsigned t = 0; t < workers; ++t) std::fwrite(texts[t].data(), 1, texts[t].size(), out);
    } else {
      for (std::int64_t i = 0; i < count; ++i) {
        const Result& r = batch[static_cast<std::size_t>(i)];
        if (!haveBest || Better(r, best, opt.best)) {
          best = r;
          haveBest = true;
        }
      }
    }
  }
  if (haveBest) {
    std::string row;
    AppendRow(row, best, opt.units);
    std::fwrite(row.data(), 1, row.size(), out);
  }
  return 0;
}

}  // namespace vendrel::cli
