// Benchmarks of the core: the scan, the obituary analysis, the tallies, the time graph's
// layout and the reports.

#include <benchmark/benchmark.h>

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchDemos.h"
#include "export/ByteSink.h"
#include "export/HtmlExport.h"
#include "export/JsonExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/DemoScan.h"
#include "scan/ObituaryAnalysis.h"
#include "scan/Ranking.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"
#include "stats/TimeGraph.h"

namespace {

using namespace obitrak;
using bench::matchDemo;

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

// The scan of a demo file, plain (0) or kept as gzip (1), from the page cache: the figures
// are bytes of the plain demo per second, so the two compare directly.
class DemoFiles {
 public:
  DemoFiles() : m_demo(matchDemo(16, 20000, 400)) {
    const auto folder = std::filesystem::temp_directory_path();
    m_plain = (folder / "obitrak-bench.dm2").string();
    m_gzip = (folder / "obitrak-bench.dm2.gz").string();
    std::ofstream(m_plain, std::ios::binary) << m_demo;
    gzFile out = gzopen(m_gzip.c_str(), "wb6");
    if (out == nullptr) std::abort();
    gzwrite(out, m_demo.data(), static_cast<unsigned>(m_demo.size()));
    gzclose(out);
  }
  ~DemoFiles() {
    std::filesystem::remove(m_plain);
    std::filesystem::remove(m_gzip);
  }
  const std::string& path(bool gzip) const { return gzip ? m_gzip : m_plain; }
  std::size_t size() const { return m_demo.size(); }

 private:
  std::string m_demo, m_plain, m_gzip;
};

void BM_ScanFile(benchmark::State& state) {
  static const DemoFiles files;
  const std::string& path = files.path(state.range(0) != 0);
  for (auto _ : state) {
    DemoTables t;
    DemoScan(t, path);
    benchmark::DoNotOptimize(t.players.playerCount);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(files.size()));
}
BENCHMARK(BM_ScanFile)->ArgName("gzip")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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

// The time graph at its creation size over the tables of the obituary-heavy 200 MB demo:
// 16 players and 723 000 obituaries, one a block.
void BM_TimeGraphLayout(benchmark::State& state) {
  DemoTables t = scannedTables(16, 723000);
  const bool teamPlay = state.range(0) != 0;
  if (teamPlay) TallyTeamPlay(t, 0);  // as when the user checks "TeamPlay"
  std::size_t points = 0;
  for (auto _ : state) {
    const TimeGraphLayout g = timeGraphLayout(t, teamPlay, 521, 329);
    points = 0;
    for (const GraphCurve& c : g.curves) points += c.points.size();
    benchmark::DoNotOptimize(points);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(t.log.logCount));
  state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_TimeGraphLayout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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

// The report benchmarks count the report's tally with its writing, as a report is made.
void BM_TextReport(benchmark::State& state) {
  reportBenchmark(state, [](DemoTables& t, ByteSink& s) {
    recomputeAllWeapons(t, false);
    WriteTextDescription(t, "bench.dm2", false, s);
  });
}
void BM_HtmlReport(benchmark::State& state) {
  reportBenchmark(state, [](DemoTables& t, ByteSink& s) {
    recomputeAllWeapons(t, true);
    WriteHtmlDescription(t, "bench.dm2", true, HtmlColorSet::defaults(), s);
  });
}
void BM_JsonReport(benchmark::State& state) {
  reportBenchmark(state, [](DemoTables& t, ByteSink& s) {
    recomputeAllWeapons(t, false);
    WriteJsonReport(t, "bench.dm2", false, {}, s);
  });
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
