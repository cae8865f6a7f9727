#include "flight/parallel_runs.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace vendrel {

void RunOnThreads(int threads, std::int64_t chunks, const std::function<void()>& work) {
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const auto workers = static_cast<int>(std::min<std::int64_t>(threads, chunks));
  std::vector<std::thread> pool;
  for (int t = 1; t < workers; ++t) {
    try {
      pool.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  work();
  for (auto& t : pool) t.join();
}

std::vector<FlightSummary> RunFlightsParallel(std::span<const FlightForm> forms,
                                              std::int64_t maxTicks, int threads,
                                              LanePath path, ProgressMeter* progress,
                                              const StopRequest* stop) {
  const auto count = static_cast<std::int64_t>(forms.size());
  std::vector<FlightSummary> out(forms.size());
  // Threads take small chunks as their lanes come free, so that a few long flights do
  // not leave a core idle at the end.
  constexpr std::int64_t kChunk = 64;
  std::atomic<std::int64_t> next{0};
  auto work = [&] {
    std::int64_t at = 0, end = 0;
    bool drained = false;
    const NextFlight take = [&](std::int64_t& id, FlightForm& form) {
      if (at == end) {
        if (drained) return false;
        at = next.fetch_add(kChunk);
        if (at >= count) {
          drained = true;
          at = end = count;
          return false;
        }
        end = std::min(count, at + kChunk);
      }
      id = at++;
      form = forms[static_cast<std::size_t>(id)];
      return true;
    };
    const FlightDone record = [&](std::int64_t id, const FlightSummary& summary) {
      out[static_cast<std::size_t>(id)] = summary;
      if (progress) progress->Add(1);
    };
    RunFlightsInLanes(path, maxTicks, take, record, stop);
  };

  RunOnThreads(threads, (count + kChunk - 1) / kChunk, work);
  return out;
}

}  // namespace vendrel
