// Benchmarks of the people's side of the summary: totals, results, records, head-to-head,
// suggestions and Glicko-2 ratings of 100 000 demos once the library has been read (the
// results are made in memory, as the library hands them over).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "DemoWriter.h"
#include "stats/Summary.h"

namespace {

using namespace obitrak;

constexpr int kDemos = 100000;
constexpr int kPool = 2000;

// Duels mostly, and free-for-alls of up to 8 of a pool of players, over three years.
std::vector<DemoResult> season() {
  tools::DemoRandom random(7);
  std::vector<DemoResult> demos(kDemos);
  for (int i = 0; i < kDemos; ++i) {
    DemoResult& d = demos[static_cast<std::size_t>(i)];
    d.path = "season/match" + std::to_string(i) + ".dm2";
    d.modified = FileTime{1'704'067'200LL + std::int64_t{i} * 86400 / 90, 0};
    const int players = random.below(3) == 0 ? 3 + random.below(6) : 2;
    for (int p = 1; p <= players; ++p) {
      DemoPlayerResult r;
      r.slot = p;
      r.clientSlot = p;
      r.name = "Player" + std::to_string(random.below(kPool));
      r.place = p;
      r.teamPlace = p;
      r.frags = r.teamFrags = 30 - 3 * p + random.below(3);
      r.kills = r.frags;
      r.deaths = 10 + random.below(20);
      d.players.push_back(r);
      for (int v = 1; v < p; ++v) {
        d.kills.push_back({v, p, 0, static_cast<std::uint32_t>(1 + random.below(9))});
        d.kills.push_back({p, v, 0, static_cast<std::uint32_t>(1 + random.below(9))});
      }
    }
  }
  return demos;
}

void BM_RatingsAndRecords(benchmark::State& state) {
  const std::vector<DemoResult> demos = season();
  for (auto _ : state) {
    const Summary s = Summarize(demos, false);
    benchmark::DoNotOptimize(s.players.size());
    state.counters["head_to_head"] = static_cast<double>(s.headToHead.size());
  }
  state.SetItemsProcessed(state.iterations() * kDemos);
}
BENCHMARK(BM_RatingsAndRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
