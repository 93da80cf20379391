// Benchmarks of the core: the scan, the obituary analysis, the tallies and the reports.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "DemoWriter.h"
#include "export/ByteSink.h"
#include "export/HtmlExport.h"
#include "export/JsonExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/DemoScan.h"
#include "scan/ObituaryAnalysis.h"
#include "stats/Tally.h"

namespace {

using namespace obitrak;
using tools::DemoWriter;

const char* const kKills[][2] = {
    {"was railed by", ""},           {"ate", "'s rocket"},
    {"was popped by", "'s grenade"}, {"was machinegunned by", ""},
    {"caught", "'s handgrenade"},    {"was cut in half by", "'s chaingun"},
    {"was blasted by", ""},          {"was melted by", "'s hyperblaster"},
};

std::string playerName(int slot) {
  return "Player_" + std::to_string(slot) + (slot % 4 == 0 ? "^" : "");
}

// A demo of `players` players and `obituaries` obituaries, one a block beside frame data.
std::string matchDemo(int players, int obituaries, std::size_t frameBytes) {
  DemoWriter w;
  w.serverData(34, "", 0, "Bench").configString(33, "maps/bench.bsp");
  for (int c = 0; c < players; ++c) {
    if (w.currentBlockSize() > 1300) w.endBlock();  // the first blocks carry the players
    w.player(c, playerName(c + 1), c % 2 ? "male/grunt" : "female/athena");
  }
  w.endBlock();
  std::uint32_t x = 12345;
  for (int i = 0; i < obituaries; ++i) {
    x = x * 1103515245u + 12345u;
    int victim = 1 + static_cast<int>((x >> 8) % static_cast<unsigned>(players));
    int killer = 1 + static_cast<int>((x >> 16) % static_cast<unsigned>(players));
    const char* const* kill = kKills[(x >> 24) % 8];
    std::string text = victim == killer ? playerName(victim) + " died.\n"
                                        : playerName(victim) + " " + kill[0] + " " +
                                              playerName(killer) + kill[1] + "\n";
    w.print(1, text).frame(frameBytes, x).endBlock();
  }
  return w.finish();
}

DemoTables scannedTables(int players, int obituaries) {
  DemoTables t;
  ScanReport report = DemoScanBytes(t, matchDemo(players, obituaries, 16));
  if (t.players.playerCount != players || !report.notices.empty()) std::abort();
  return t;
}

void BM_Scan(benchmark::State& state) {
  const std::string demo = matchDemo(16, 20000, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    DemoTables t;
    DemoScanBytes(t, demo);
    benchmark::DoNotOptimize(t.players.playerCount);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(demo.size()));
}
BENCHMARK(BM_Scan)->Arg(40)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_ObituaryAnalysis(benchmark::State& state) {
  DemoTables t = scannedTables(64, 100000);
  for (auto _ : state) {
    t.players.playerCount = t.players.slotCount;  // the analysis starts from the highest slot
    ObituaryAnalysis(t);
    benchmark::DoNotOptimize(t.killMatrix(1, 2, 0));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 100000);
}
BENCHMARK(BM_ObituaryAnalysis)->Unit(benchmark::kMillisecond);

void BM_TallyFreeForAll(benchmark::State& state) {
  DemoTables t = scannedTables(64, 20000);
  for (auto _ : state) {
    for (int w = 0; w <= 12; ++w) TallyFreeForAll(t, w);
    benchmark::DoNotOptimize(t.players[1].frags);
  }
}
BENCHMARK(BM_TallyFreeForAll)->Unit(benchmark::kMicrosecond);

void BM_TallyTeamPlay(benchmark::State& state) {
  DemoTables t = scannedTables(64, 20000);
  for (auto _ : state) {
    for (int w = 0; w <= 12; ++w) TallyTeamPlay(t, w);
    benchmark::DoNotOptimize(t.players[1].frags);
  }
}
BENCHMARK(BM_TallyTeamPlay)->Unit(benchmark::kMicrosecond);

template <typename Write>
void reportBenchmark(benchmark::State& state, Write write) {
  DemoTables t = scannedTables(64, 100000);
  std::size_t bytes = 0;
  for (auto _ : state) {
    StringSink sink;
    write(t, sink);
    bytes = sink.data().size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_TextReport(benchmark::State& state) {
  reportBenchmark(
      state, [](DemoTables& t, ByteSink& s) { WriteTextDescription(t, "bench.dm2", false, s); });
}
void BM_HtmlReport(benchmark::State& state) {
  reportBenchmark(state, [](DemoTables& t, ByteSink& s) {
    WriteHtmlDescription(t, "bench.dm2", true, HtmlColorSet::defaults(), s);
  });
}
void BM_JsonReport(benchmark::State& state) {
  reportBenchmark(
      state, [](DemoTables& t, ByteSink& s) { WriteJsonReport(t, "bench.dm2", false, {}, s); });
}
void BM_LogReport(benchmark::State& state) {
  reportBenchmark(state, [](DemoTables& t, ByteSink& s) { WriteLog(t, s); });
}
BENCHMARK(BM_TextReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HtmlReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogReport)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
