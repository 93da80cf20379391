#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "export/SummaryExport.h"
#include "scan/Phrases.h"
#include "stats/RankedPlayers.h"
#include "stats/Summary.h"

namespace obitrak::test {
namespace {

// Three small demos with names in common, one without any fight, as one season.
struct Season {
  std::vector<std::string> bytes;
  std::vector<DemoResult> results;

  Season() {
    bytes = {smallTeamDemo(), smallRematchDemo(),
             demoWithPlayers({{0, "Ann", "male/grunt"}}, "q2dm8").finish()};
    const std::vector<std::string> paths{"cup/final.dm2", "cup/rematch.dm2", "warmup.dm2"};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      DemoTables t;
      const ScanReport report = DemoScanBytes(t, bytes[i]);
      results.push_back(DemoResultOf(t, paths[i], report.notices));
      results.back().modified = {1'700'000'000LL + 86'400LL * static_cast<std::int64_t>(i), 0};
    }
  }
};

// What the per-demo reports of one mode show, added up by name.
struct ReportSums {
  std::map<std::string, PlayerTotals> players;
  std::map<std::pair<std::string, std::string>, std::int64_t> between;
};

ReportSums sumReports(const Season& season, bool teamPlay) {
  ReportSums sums;
  for (const std::string& bytes : season.bytes) {
    DemoTables t = scanned(bytes);
    recomputeAllWeapons(t, teamPlay);
    std::map<std::string, bool> named;
    for (int s = 1; s <= t.players.slotCount; ++s) {
      if (!t.players[s].name.empty()) named[t.players[s].name.str()] = true;
    }
    for (const auto& entry : named) {
      ++sums.players[entry.first].demos;
      sums.players[entry.first].weaponKills.resize(kWeaponCategories);
    }
    const RankedPlayers ranked(t);
    for (int p = 1; p <= ranked.count(); ++p) {
      const std::string name = ranked.at(p).name.str();
      PlayerTotals& total = sums.players[name];
      total.frags += ranked.at(p).frags;
      total.kills += ranked.at(p).kills;
      total.deaths += ranked.at(p).deaths;
      total.selfKills += ranked.kills(p, p, 0);
      for (int w = 1; w <= kWeaponCategories; ++w)
        total.weaponKills[static_cast<std::size_t>(w - 1)] += ranked.weaponKills(p, w);
      for (int v = 1; v <= ranked.count(); ++v) {
        if (v != p && ranked.kills(v, p, 0) != 0)
          sums.between[{name, ranked.at(v).name.str()}] += ranked.kills(v, p, 0);
      }
    }
  }
  return sums;
}

class SummaryModes : public ::testing::TestWithParam<bool> {};

TEST_P(SummaryModes, TotalsAreTheSumsOfThePerDemoReports) {
  const bool teamPlay = GetParam();
  const Season season;
  const ReportSums expected = sumReports(season, teamPlay);
  const Summary summary = Summarize(season.results, teamPlay);

  ASSERT_EQ(summary.players.size(), expected.players.size());
  for (const PlayerTotals& p : summary.players) {
    SCOPED_TRACE(p.name);
    const PlayerTotals& e = expected.players.at(p.name);
    EXPECT_EQ(p.demos, e.demos);
    EXPECT_EQ(p.frags, e.frags);
    EXPECT_EQ(p.kills, e.kills);
    EXPECT_EQ(p.deaths, e.deaths);
    EXPECT_EQ(p.selfKills, e.selfKills);
    EXPECT_EQ(p.weaponKills, e.weaponKills);
  }
  std::map<std::pair<std::string, std::string>, std::int64_t> between;
  for (const KillsBetween& k : summary.kills)
    between[{summary.players[k.killer].name, summary.players[k.victim].name}] += k.kills;
  EXPECT_EQ(between, expected.between);

  ASSERT_EQ(summary.demos.size(), 3u);
  EXPECT_EQ(summary.demos[2].winner(), nullptr);
  EXPECT_EQ(summary.players.front().name, "Ann");
  EXPECT_EQ(summary.players.front().demos, 3);
}

INSTANTIATE_TEST_SUITE_P(Summary, SummaryModes, ::testing::Values(false, true));

// Results come in the order their scans end; the summary must not show it.
TEST(SummaryBuilder, TheOrderOfAddingChangesNothing) {
  const Season season;
  SummaryBuilder builder(true);
  for (std::size_t i = season.results.size(); i-- > 0;) builder.add(season.results[i], i);
  StringSink reversed;
  WriteJsonSummary(builder.finish(), nullptr, reversed);
  StringSink inOrder;
  WriteJsonSummary(Summarize(season.results, true), nullptr, inOrder);
  EXPECT_EQ(reversed.data(), inOrder.data());
}

TEST(SummaryExport, TextHtmlAndJsonOfASeason) {
  const Season season;
  Summary summary = Summarize(season.results, false);
  summary.unreadable = 1;
  StringSink text;
  WriteTextSummary(summary, text);
  expectGolden("summary.txt", text.data());
  StringSink html;
  WriteHtmlSummary(summary, HtmlColorSet::defaults(), html);
  expectGolden("summary.htm", html.data());
  StringSink json;
  WriteJsonSummary(summary, nullptr, json);
  expectGolden("summary.json", json.data());

  const nlohmann::json doc = nlohmann::json::parse(json.data());
  EXPECT_EQ(doc["format"], "obitrak-summary");
  EXPECT_EQ(doc["demoCount"], 3);
  EXPECT_EQ(doc["players"].size(), summary.players.size());
}

// Every time a file system can hold, up to 64-bit seconds either way, as the calendar has it.
TEST(SummaryExport, DatesAndTimes) {
  const struct {
    FileTime time;
    const char* date;
    const char* stamp;
    CalendarDate day;
  } cases[] = {
      {{0, 0}, "1970-01-01 00:00", "1970-01-01T00:00:00Z", {1970, 1, 1}},
      {{1'700'000'059, 999'999'999}, "2023-11-14 22:14", "2023-11-14T22:14:19Z", {2023, 11, 14}},
      {{-1, 999'999'999}, "1969-12-31 23:59", "1969-12-31T23:59:59Z", {1969, 12, 31}},
      {{10'413'792'000, 0}, "2300-01-01 00:00", "2300-01-01T00:00:00Z", {2300, 1, 1}},
      {{-11'676'096'001, 0}, "1599-12-31 23:59", "1599-12-31T23:59:59Z", {1599, 12, 31}},
      {{253'402'300'800, 0}, "10000-01-01 00:00", "10000-01-01T00:00:00Z", {10000, 1, 1}},
      {{INT64_MAX, 999'999'999},
       "292277026596-12-04 15:30",
       "292277026596-12-04T15:30:07Z",
       {292'277'026'596, 12, 4}},
      {{INT64_MIN, 0},
       "-292277022657-01-27 08:29",
       "-292277022657-01-27T08:29:52Z",
       {-292'277'022'657, 1, 27}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(summaryDate(c.time), c.date);
    EXPECT_EQ(summaryTimestamp(c.time), c.stamp);
    EXPECT_EQ(utcDateOf(c.time), c.day) << c.date;
  }
  EXPECT_EQ(summaryDuration(0), "0:00");
  EXPECT_EQ(summaryDuration(725), "12:05");
}

}  // namespace
}  // namespace obitrak::test
