#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/DemoScan.h"
#include "stats/RankedPlayers.h"
#include "stats/Scoreboard.h"
#include "stats/Tally.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

// Every real demo and the sample scan to tables that keep the invariants, under every
// tally, and give both reports.
TEST(RealDemos, ScanKeepsTheInvariants) {
  std::vector<fs::path> demos = realDemos();
  demos.push_back(sampleDemo());
  if (realDemosDir().empty()) {
    std::cout << "[ NOTE ] ../shared/demos is absent: only the sample demo is scanned\n";
  }
  for (const fs::path& demo : demos) {
    SCOPED_TRACE(demo.filename().string());
    DemoTables t;
    ScanReport report = DemoScan(t, demo.string());
    expectScanInvariants(t);
    if (demo.filename() == "protocol56_oversized.dm2") {
      EXPECT_EQ(report.statusPanel1, "BAD BLOCK. READING STOPPED.");
    } else {
      EXPECT_EQ(report.statusPanel1, "");
    }
    for (int weapon = 0; weapon <= 12; ++weapon) {
      TallyTeamPlay(t, weapon);
      TallyFreeForAll(t, weapon);
    }
    TallyFreeForAll(t, 0);
    expectScanInvariants(t);
    StringSink text;
    recomputeAllWeapons(t, true);
    WriteTextDescription(t, demo.string(), true, text);
    StringSink log;
    WriteLog(t, log);
    EXPECT_GT(text.data().size(), 1000u);
  }
}

TEST(RealDemos, WhatTheDemosHold) {
  if (realDemosDir().empty()) GTEST_SKIP() << "../shared/demos is absent";
  struct Case {
    std::string file;
    std::int32_t protocol;
    std::string gameDir;
    std::string mapName;
    std::string bspName;
    int duration;
  };
  for (const Case& c :
       {Case{"duel_q2rdm2.dm2", 34, "opentdm", "The Chastity Belt Duel  -  by JaLisK0",
             "maps/q2rdm2.bsp", 320},
        Case{"protocol25_single.dm2", 25, "", "Comm Center", "", 59},
        Case{"aq2_clan_asylum.dm2", 34, "action", "Quakeham Asylum, by Holy Goat",
             "maps/asylum.bsp", 896},
        Case{"protocol56_oversized.dm2", 0, "", "", "", 0},
        Case{"server_tdm_edge.mvd2", 37, "opentdm", "The Edge", "maps/q2dm1.bsp", 620}}) {
    DemoTables t;
    DemoScan(t, (realDemosDir() / c.file).string());
    EXPECT_EQ(t.header.protocolVersion, c.protocol) << c.file;
    EXPECT_EQ(t.header.gameDir, c.gameDir) << c.file;
    EXPECT_EQ(t.header.mapName, c.mapName) << c.file;
    EXPECT_EQ(t.header.bspName, c.bspName) << c.file;
    EXPECT_EQ(t.header.duration, c.duration) << c.file;
  }
}

// The shared server recording: every death of its log is counted, and the match ends as
// the server announced it ("claire wins, 17 to 7.").
TEST(RealDemos, ServerRecordingCountsEveryDeath) {
  if (realDemosDir().empty()) GTEST_SKIP() << "../shared/demos is absent";
  DemoTables t;
  DemoScan(t, (realDemosDir() / "server_tdm_edge.mvd2").string());
  EXPECT_TRUE(t.header.serverRecording);
  std::vector<std::string> named;
  for (int s = 1; s <= t.players.slotCount; ++s) named.push_back(t.players[s].name.str());
  EXPECT_EQ(named, (std::vector<std::string>{"WallFly[BZZZ]", "[dream]shloo", "claire", "mcbass"}));
  int deaths = 0;
  for (const LogRecord& r : t.log) {
    if (r.level != 1) continue;
    ++deaths;
    EXPECT_NE(r.victim, 0) << r.text;
  }
  EXPECT_EQ(deaths, 26);
  EXPECT_EQ(t.players[3].frags, 17);
  EXPECT_EQ(t.players[2].frags, 7);
  EXPECT_FALSE(t.scoreboard) << "the mod's scoreboard has no client entries";
}

// The bot match's last scoreboard: seven players, every score as counted.
TEST(RealDemos, ScoreboardAgreesWithTheCountedFrags) {
  if (realDemosDir().empty()) GTEST_SKIP() << "../shared/demos is absent";
  DemoTables t;
  DemoScan(t, (realDemosDir() / "bots_q2dm1_scoreboard.dm2").string());
  ASSERT_TRUE(t.scoreboard);
  EXPECT_EQ(t.scoreboard->entries.size(), 7u);
  EXPECT_EQ(t.scoreboard->entries[0].name, "Player");
  const ScoreboardComparison c = CompareScoreboard(t);
  EXPECT_EQ(c.players.size(), 7u);
  EXPECT_TRUE(c.agrees());
}

TEST(SampleDemo, HoldsWhatItPromises) {
  DemoTables t;
  DemoScan(t, sampleDemo().string());
  EXPECT_EQ(t.header.duration, 600);
  EXPECT_EQ(t.players.slotCount, 8);
  EXPECT_EQ(t.players.idleCount, 1);
  EXPECT_EQ(t.players.playerCount, 7);
  EXPECT_EQ(t.players[8].name, "Blink") << "the rename left the old name behind";
  EXPECT_EQ(t.players[4].name, "Nyx");
  TallyTeamPlay(t, 0);
  int highestTeam = 0;
  for (int s = 1; s <= t.players.slotCount; ++s)
    highestTeam = std::max<int>(highestTeam, t.players[s].team);
  EXPECT_EQ(highestTeam, 2);
  for (int w = 1; w <= 12; ++w) {
    std::uint32_t kills = 0;
    for (int v = 1; v <= 8; ++v) {
      for (int k = 1; k <= 8; ++k) kills += t.killMatrix(v, k, w);
    }
    EXPECT_GT(kills, 0u) << "weapon " << w;
  }
}

}  // namespace
}  // namespace obitrak::test
