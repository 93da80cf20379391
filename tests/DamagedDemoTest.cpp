#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "export/HtmlExport.h"
#include "export/JsonExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/FileError.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"

namespace obitrak::test {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

// Offsets where a block's length field begins, and the end of the last whole block.
std::vector<std::size_t> blockStarts(const std::string& demo) {
  std::vector<std::size_t> starts;
  std::size_t pos = 0;
  while (pos + 4 <= demo.size()) {
    starts.push_back(pos);
    std::int32_t length;
    std::memcpy(&length, demo.data() + pos, 4);
    if (length < 0 || length > 1400 || pos + 4 + static_cast<std::size_t>(length) > demo.size())
      break;
    pos += 4 + static_cast<std::size_t>(length);
  }
  return starts;
}

std::vector<std::string> texts(const DemoTables& t) {
  std::vector<std::string> out;
  for (std::uint32_t r = 1; r <= t.log.logCount; ++r) out.emplace_back(t.log[r].text);
  return out;
}

std::vector<std::string> names(const DemoTables& t) {
  std::vector<std::string> out;
  for (int s = 1; s <= t.players.slotCount; ++s) out.push_back(t.players[s].name.str());
  return out;
}

// Every prefix scans, keeps what the whole blocks before the cut hold, and says so when
// the cut falls inside a block.
void expectEveryPrefixScans(const std::string& demo) {
  const std::vector<std::size_t> starts = blockStarts(demo);
  std::size_t block = 0;  // blocks wholly before the cut
  DemoTables atBoundary;
  for (std::size_t cut = 0; cut <= demo.size(); ++cut) {
    while (block + 1 < starts.size() && starts[block + 1] <= cut) ++block;
    const bool onBoundary = cut == starts[block] || cut == demo.size();
    ScanReport report;
    DemoTables t = scanned(demo.substr(0, cut), &report);
    SCOPED_TRACE("cut at " + std::to_string(cut));
    expectScanInvariants(t);
    if (cut == starts[block]) {
      EXPECT_EQ(report.statusPanel1, "");
      atBoundary = t;
      ASSERT_EQ(t.header.duration, static_cast<int>(block / 10));
      continue;
    }
    if (cut == demo.size()) {
      EXPECT_EQ(report.statusPanel1, "");
      continue;
    }
    EXPECT_EQ(report.statusPanel1, "INCOMPLETE BLOCK. READING STOPPED.");
    EXPECT_EQ(t.header.duration, static_cast<int>((block + 1) / 10)) << "the cut block counts";
    EXPECT_EQ(texts(t), texts(atBoundary));
    EXPECT_EQ(names(t), names(atBoundary));
    for (int s = 1; s <= t.players.slotCount; ++s) {
      EXPECT_EQ(t.players[s].frags, atBoundary.players[s].frags) << "slot " << s;
      EXPECT_EQ(t.players[s].deaths, atBoundary.players[s].deaths) << "slot " << s;
    }
    (void)onBoundary;
  }
}

TEST(DamagedDemos, EveryPrefixOfASmallDemo) {
  expectEveryPrefixScans(smallTeamDemo());
}

TEST(DamagedDemos, EveryPrefixOfARealDemo) {
  fs::path dir = realDemosDir();
  if (dir.empty()) GTEST_SKIP() << "../shared/demos is absent";
  expectEveryPrefixScans(readFile(dir / "single_test10.dm2"));
}

// Scans `demo`, then runs every tally and writes every report, as a user may.
void scanAndReport(const std::string& demo) {
  ScanReport report;
  DemoTables t = scanned(demo, &report);
  expectScanInvariants(t);
  for (int weapon = 0; weapon < kWeaponIndices; ++weapon) {
    TallyTeamPlay(t, weapon);
    TallyFreeForAll(t, weapon);
  }
  for (bool teamPlay : {false, true}) {
    StringSink sink;
    recomputeAllWeapons(t, teamPlay);
    WriteTextDescription(t, "x.dm2", teamPlay, sink);
    WriteHtmlDescription(t, "x.dm2", teamPlay, HtmlColorSet::defaults(), sink);
    WriteJsonReport(t, "x.dm2", teamPlay, report.notices, sink);
    WriteLog(t, sink);
  }
  TallyFreeForAll(t, 0);
  expectScanInvariants(t);
}

TEST(DamagedDemos, RandomByteFlips) {
  const std::string demo = smallTeamDemo();
  std::mt19937 random(20261208);
  for (int round = 0; round < 400; ++round) {
    std::string damaged = demo;
    int flips = 1 + static_cast<int>(random() % 8);
    for (int f = 0; f < flips; ++f) {
      std::size_t at = random() % damaged.size();
      damaged[at] = static_cast<char>(damaged[at] ^ static_cast<char>(1u << (random() % 8)));
    }
    SCOPED_TRACE("round " + std::to_string(round));
    scanAndReport(damaged);
  }
}

TEST(DamagedDemos, LengthFieldsOutOfRange) {
  struct Case {
    std::int32_t length;
    std::string notice;
  };
  for (const Case& c :
       {Case{1401, "BAD BLOCK. READING STOPPED."}, Case{INT32_MAX, "BAD BLOCK. READING STOPPED."},
        Case{-2, "BAD BLOCK. READING STOPPED."}, Case{INT32_MIN, "BAD BLOCK. READING STOPPED."},
        Case{-1, ""}, Case{1400, "INCOMPLETE BLOCK. READING STOPPED."}, Case{0, ""}}) {
    DemoWriter w = demoWithPlayers({{0, "Ann", "x"}, {1, "Bob", "y"}});
    w.print(1, "Bob was railed by Ann\n").endBlock();
    w.lengthField(c.length);
    w.raw(std::string(40, '\x0a')).endBlock();  // what follows is never a valid block
    ScanReport report;
    DemoTables t = scanned(w.finish(false), &report);
    EXPECT_EQ(report.statusPanel1, c.notice) << c.length;
    EXPECT_EQ(t.players[1].kills, 1) << c.length << ": what came before is kept";
  }
}

TEST(DamagedDemos, StringsWithoutTerminatorEndWithTheBlock) {
  struct Case {
    std::string name;
    std::string block;  // the whole second block
    std::vector<std::string> log;
  };
  const std::vector<Case> cases{
      {"print",
       "\x0a\x01"
       "Bob died."s,
       {"Bob died."}},
      {"print after a print", "\x0a\x02hi\0\x0a\x03no end"s, {"hi", "no end"}},
      {"print cut after its level", "\x0a\x01"s, {""}},
      {"print cut after its code", "\x0a"s, {""}},
      {"layout then print", "\x04xv 32\0\x0a\x02text"s, {"text"}},
      {"layout without end", "\x04xv 32 yv"s, {}},
      {"config string without end", "\x0d\x21\x00maps/x"s, {}},
      {"config string cut in its index", "\x0d\x21"s, {}},
      {"player string without end",
       "\x0d\x22\x05"
       "Eve\\female/ath"s,
       {}},
  };
  for (const Case& c : cases) {
    DemoWriter w = demoWithPlayers({{0, "Bob", "male/grunt"}});
    w.raw(c.block).endBlock();
    w.frameBlocks(3);
    DemoTables t = scanned(w.finish());
    EXPECT_EQ(texts(t), c.log) << c.name;
    expectScanInvariants(t);
  }
  // The player string of the last case, in block 2, is read by both passes up to the end.
  DemoWriter w = demoWithPlayers({{0, "Bob", "male/grunt"}});
  w.raw(
       "\x0d\x22\x05"
       "Eve\\female/ath"s)
      .endBlock();
  DemoTables t = scanned(w.finish());
  EXPECT_EQ(t.players[3].name, "Eve");
  EXPECT_EQ(t.players[3].skin, "female/ath");
}

TEST(DamagedDemos, ConfigStringsPastSlotSixtyFour) {
  for (int index : {0x560, 0x561, 0x5FF, 0x51F, 0x500}) {
    DemoWriter early;  // seen by the sweep of block 1
    early.serverData(34, "", 0, "m")
        .configString(static_cast<std::uint16_t>(index), "Far\\male/grunt")
        .endBlock();
    DemoWriter late = demoWithPlayers({});  // seen at the head of block 12
    late.frameBlocks(10);
    late.configString(static_cast<std::uint16_t>(index), "Far\\male/grunt")
        .print(2, "after\n")
        .endBlock();
    for (const std::string& demo : {early.finish(), late.finish()}) {
      DemoTables t = scanned(demo);
      EXPECT_EQ(t.players.slotCount, 0) << std::hex << index;
      expectScanInvariants(t);
    }
  }
}

TEST(DamagedDemos, FileThatVanishesOrBecomesUnreadable) {
  TempDir dir;
  const std::string path = dir.file("chosen.dm2");
  writeFile(path, smallTeamDemo());
  DemoTables t;
  DemoScan(t, path);
  ASSERT_EQ(t.players.playerCount, 4);

  fs::remove(path);  // chosen in the dialog, gone before the scan opens it
  try {
    DemoScan(t, path);
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "File not found");
  }
  EXPECT_EQ(t.players.playerCount, 4) << "the loaded demo stays";

  writeFile(path, smallTeamDemo());
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  int status = runUnprivileged([&] {
    try {
      DemoTables other;
      DemoScan(other, path);
    } catch (const FileError& e) {
      return std::string(e.what()) == "File access denied" ? 0 : 1;
    }
    return 2;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace obitrak::test
