// Client demos of Q2PRO's extended protocol and of the 2023 re-release, built in the tests
// to the published layouts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "scan/ObituaryAnalysis.h"
#include "scan/Quake2Protocol.h"
#include "scan/RereleaseDeaths.h"
#include "stats/VersionLabels.h"

namespace obitrak::test {
namespace {

using protocol::clientDemoFormat;

bool rerelease(std::int32_t protocol) {
  return clientDemoFormat(protocol)->family == protocol::DemoFamily::Rerelease;
}

// Block 1 of a demo of `protocol`: the server data (the recording player client 1, with a
// split-screen player in 2022), the level's config strings, Ann (client 0) and Bob (client
// 1), then a frame that makes the block larger than the original game's blocks may be.
DemoWriter startOf(std::int32_t protocol) {
  DemoWriter w(*clientDemoFormat(protocol)->layout);
  if (rerelease(protocol)) {
    const std::vector<std::int16_t> players =
        protocol == 2022 ? std::vector<std::int16_t>{1, 3} : std::vector<std::int16_t>{1};
    w.rereleaseServerData(protocol, "baseq2", players, "The Edge", 40);
  } else {
    w.serverData(protocol, "baseq2", 1, "The Edge");
  }
  w.levelMessage("Welcome").mapModel("maps/q2dm1.bsp");
  w.player(0, "Ann", "female/athena").player(1, "Bob", "male/grunt").frame(3000).endBlock();
  return w;
}

// A kill of Bob by client 0, named `killer`, as each family sends it.
DemoWriter& railed(DemoWriter& w, std::int32_t protocol, const std::string& killer = "Ann") {
  if (rerelease(protocol)) return w.locPrint(1 | 8, "$g_mod_kill_railgun", {"##P1", "##P0"});
  return w.print(1, "Bob was railed by " + killer + "\n");
}

class NewerEngines : public ::testing::TestWithParam<std::int32_t> {};

INSTANTIATE_TEST_SUITE_P(Protocols, NewerEngines, ::testing::Values(3434, 3435, 3436, 2022, 2023));

TEST_P(NewerEngines, HeaderPlayersKillsAndRenames) {
  const std::int32_t protocol = GetParam();
  DemoWriter w = startOf(protocol);
  railed(w, protocol).print(3, "Ann: gg\n").frame(40).endBlock();
  w.player(0, "Anna", "female/athena").frame(40).endBlock();
  railed(w, protocol, "Anna").frameBlocks(37);
  ScanReport report;
  const DemoTables t = scanned(w.finish(), &report);
  expectScanInvariants(t);
  EXPECT_EQ(report.notices, std::vector<std::string>{});
  EXPECT_EQ(t.header.protocolVersion, protocol);
  EXPECT_NE(VersionLabels(protocol, ""), "");
  EXPECT_EQ(t.header.gameDir, "baseq2");
  EXPECT_EQ(t.header.viewPlayer, 1);
  EXPECT_EQ(t.header.mapName, "The Edge");
  EXPECT_EQ(t.header.levelMessage, "Welcome");
  EXPECT_EQ(report.statusPanel0, "Map: The Edge ( maps/q2dm1.bsp )");
  EXPECT_EQ(t.header.duration, rerelease(protocol) ? 1 : 4) << "41 blocks at 40 or 10 a second";
  EXPECT_EQ(t.players[1].name, "Anna");
  EXPECT_EQ(t.players[2].skin, "male/grunt");
  EXPECT_EQ(t.players[3].name, "Ann") << "the rename moved Ann";
  EXPECT_EQ(t.killMatrix(2, 3, 9), 1u) << "Ann's kill before the rename stays hers";
  EXPECT_EQ(t.killMatrix(2, 1, 9), 1u) << "Anna's kill";
  EXPECT_EQ(t.log[1].text, "Bob was railed by Ann");
  EXPECT_EQ(t.weapons.count(), rerelease(protocol) ? 15 : 12);
}

// Every prefix of a demo scans and keeps what it read; the gzip archive reads as the demo.
TEST_P(NewerEngines, CutOffAndPackedFiles) {
  const std::int32_t protocol = GetParam();
  DemoWriter w = startOf(protocol);
  railed(w, protocol).frame(20).endBlock();
  if (rerelease(protocol)) w.configBlast({{11582 + 2, "Cid\\male/grunt\\dog"}, {0, "Later"}});
  railed(w, protocol).endBlock();
  const std::string demo = w.finish();
  std::size_t kept = 0;
  for (std::size_t cut = 0; cut <= demo.size(); cut += cut < 3100 ? 97 : 1) {
    const DemoTables t = scanned(demo.substr(0, cut));
    expectScanInvariants(t);
    EXPECT_GE(t.log.size(), kept) << "cut at " << cut;
    kept = t.log.size();
  }
  EXPECT_EQ(kept, 2u);
  TempDir dir;
  writeFile(dir.file("d.dm2.gz"), gzipped(demo));
  DemoTables packed;
  DemoScan(packed, dir.file("d.dm2.gz"));
  EXPECT_EQ(packed.players[1].kills, 2);
  EXPECT_EQ(packed.players[3].name, rerelease(protocol) ? "Cid" : "") << "from the blast";
}

// A block larger than the original's ends an original demo, not a newer engine's.
TEST(NewerEngines, LargeBlocksOnlyInTheNewerDemos) {
  for (const std::int32_t protocol : {34, 3436}) {
    DemoWriter w = startOf(protocol);
    ScanReport report;
    scanned(w.finish(), &report);
    EXPECT_EQ(report.statusPanel1, protocol == 34 ? "BAD BLOCK. READING STOPPED." : "");
  }
}

// Deaths past the message log's limits still count, and follow a renamed player; a death of
// a player whose identity a full table lost counts nothing.
TEST(NewerEngines, ResolvedDeathsPastTheLogAndInAFullTable) {
  DemoWriter w = startOf(2023);
  for (int i = 0; i < 3; ++i) railed(w, 2023).endBlock();
  w.player(0, "Anna", "female/athena").endBlock();
  DemoTables t;
  t.log.setLimits({1, 1 << 20});
  DemoScanBytes(t, w.finish());
  EXPECT_EQ(t.log.logCount, 1u);
  EXPECT_EQ(t.killMatrix(2, 3, 9), 3u) << "Ann's three kills moved with her";
  EXPECT_EQ(t.killMatrix(2, 1, 0), 0u);

  DemoWriter full = startOf(2023);
  for (int client = 2; client < 64; ++client)
    full.player(client, "P" + std::to_string(client), "x");
  railed(full, 2023).endBlock();
  full.player(0, "Anna", "female/athena").endBlock();
  full.locPrint(1, "$g_mod_kill_ripper", {"##P1", "##P0"}).endBlock();
  const DemoTables f = scanned(full.finish());
  EXPECT_EQ(f.log[1].killer, 0) << "Ann's identity is gone";
  EXPECT_EQ(f.log[2].killer, 1) << "Anna's";
  EXPECT_EQ(f.killMatrix(2, 1, 13), 1u);
  DemoTables copy = f;
  RerunObituaryAnalysis(copy);
  EXPECT_EQ(copy.killMatrix(2, 1, 13), 1u) << "a copy keeps what the reader resolved";
}

// The re-release's death keys, in the original wording, with the weapon each counts under.
TEST(NewerEngines, RereleaseDeathKeys) {
  PlayerTable players;
  players[1].name = "Ann";
  players[2].name = "Bob";
  players.playerCount = 2;
  struct Case {
    const char* base;
    std::vector<std::string> arguments;
    const char* text;
    int victim, killer, weapon;
  };
  for (const Case& c : {
           Case{"$g_mod_kill_railgun", {"##P1", "##P0"}, "Bob was railed by Ann", 2, 1, 9},
           Case{"$g_mod_kill_sshotgun",
                {"Bob", "Ann"},
                "Bob was blown away by Ann's super shotgun",
                2,
                1,
                3},
           Case{"$g_mod_kill_ripper",
                {"Ann", "Bob"},
                "Ann ripped to shreds by Bob's ripper gun",
                1,
                2,
                13},
           Case{"$g_mod_kill_tesla",
                {"Ann", "##P1"},
                "Ann was enlightened by Bob's tesla mine",
                1,
                2,
                14},
           Case{"$g_mod_kill_grapple", {"Ann", "Bob"}, "Ann was caught by Bob's grapple", 1, 2, 15},
           Case{"$g_mod_kill_newer_gun", {"Ann", "Bob"}, "Ann was killed by Bob", 1, 2, 15},
           Case{"$g_mod_self_rocket_splash", {"##P0"}, "Ann blew himself up.", 1, 1, 0},
           Case{"$g_mod_self_newer", {"Ann"}, "Ann killed himself.", 1, 1, 0},
           Case{"$g_mod_generic_falling", {"Bob"}, "Bob cratered.", 2, 2, 0},
           Case{"$g_mod_kill_railgun", {"##P7", "Ann"}, "##P7 was railed by Ann", 0, 1, 9},
           Case{"$g_mod_kill_railgun", {"Cid", "Ann"}, "Cid was railed by Ann", 0, 1, 9},
           Case{"{}: {}\n", {"##P0", "gg"}, "Ann: gg\n", 0, 0, 0},
           Case{"{1} {{and}} {0}{:>5}{9}", {"a", "b"}, "b {and} aa", 0, 0, 0},
           Case{"$g_flag_captured", {"##P1", "RED"}, "$g_flag_captured Bob RED", 0, 0, 0},
       }) {
    SCOPED_TRACE(c.base);
    LocalisedPrint print;
    print.base = c.base;
    for (const std::string& a : c.arguments)
      print.arguments[static_cast<std::size_t>(print.argumentCount++)] = a;
    const LocalisedText said = localise(print, players);
    EXPECT_EQ(said.text, c.text);
    EXPECT_EQ(said.death, c.victim != 0 && c.killer != 0);
    if (said.death) {
      EXPECT_EQ(said.victim, c.victim);
      EXPECT_EQ(said.killer, c.killer);
      EXPECT_EQ(said.weapon, c.weapon);
    }
  }
}

}  // namespace
}  // namespace obitrak::test
