#include "cli/fly_forms.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "flight/flight_lanes.h"

namespace vendrel::cli {

std::vector<FlightSummary> FlyForms(std::span<const FlightForm> forms, unsigned threads, std::int64_t maxTicks) {
  const std::int64_t count = static_cast<std::int64_t>(forms.size());
  std::vector<FlightSummary> out(forms.size());
  constexpr std::int64_t kChunk = 64;  // small, so that slow flights leave no core idle
  std::atomic<std::int64_t> next{0};
  const LanePath path = BestLanePath();
  auto work = [&] {
    std::int64_t at = 0, end = 0;
    const NextFlight take = [&](std::int64_t& id, FlightForm& form) {
      if (at == end) {
        at = std::min(count, next.fetch_add(kChunk));
        end = std::min(count, at + kChunk);
        if (at == end) return false;
      }
      id = at++;
      form = forms[static_cast<std::size_t>(id)];
      return true;
    };
    RunFlightsInLanes(path, maxTicks, take,
                      [&](std::int64_t id, const FlightSummary& s) { out[static_cast<std::size_t>(id)] = s; });
  };
  const unsigned wanted = threads ? threads : std::max(1u, std::thread::hardware_concurrency());
  const unsigned workers = static_cast<unsigned>(std::clamp<std::int64_t>((count + kChunk - 1) / kChunk, 1, wanted));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < workers; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
  return out;
}

}  // namespace vendrel::cli
