#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestSupport.h"
#include "scan/DemoScan.h"
#include "scan/FileError.h"

namespace obitrak::test {
namespace {

using namespace std::string_literals;

// A demo with two players in block 1 and `blocks` frame blocks after it.
DemoWriter twoPlayerDemo() {
  return demoWithPlayers({{0, "Alice", "female/athena"}, {1, "Bob", "male/grunt"}});
}

TEST(DemoScan, ServerDataAndConfigStringsOfTheFirstBlock) {
  DemoWriter w;
  w.serverData(34, "baseq2", 0x0102, "The Edge")
      .configString(0, "Welcome")
      .configString(33, "maps/q2dm1.bsp")
      .player(4, "Gorgon", "male/grunt")
      .endBlock();
  ScanReport report;
  DemoTables t = scanned(w.finish(), &report);
  EXPECT_EQ(t.header.protocolVersion, 34);
  EXPECT_EQ(t.header.gameDir, "baseq2");
  EXPECT_EQ(t.header.viewPlayer, 2) << "only the low byte of the client number counts";
  EXPECT_EQ(t.header.mapName, "The Edge");
  EXPECT_EQ(t.header.levelMessage, "Welcome");
  EXPECT_EQ(t.header.bspName, "maps/q2dm1.bsp");
  EXPECT_EQ(t.players[5].name, "Gorgon") << "client 4 is slot 5";
  EXPECT_EQ(t.players[5].skin, "male/grunt");
  EXPECT_EQ(report.statusPanel0, "Map: The Edge ( maps/q2dm1.bsp )");
  EXPECT_EQ(report.statusPanel1, "");
  EXPECT_EQ(t.scanMarker, 777);
}

// Every scan starts from an empty header: a file without server data leaves nothing of the
// demo read before it.
TEST(DemoScan, EveryScanStartsFromAnEmptyHeader) {
  DemoWriter w = twoPlayerDemo();
  w.print(1, "Alice died.\n").endBlock();
  const std::string demo = w.finish();
  for (const std::string& next : {""s, "not a demo at all\n"s, demo.substr(0, 20)}) {
    DemoTables t;
    DemoScanBytes(t, demo);
    ASSERT_EQ(t.header.mapName, "q2dm1");
    ScanReport report = DemoScanBytes(t, next);
    EXPECT_EQ(t.log.logCount, 0u);
    EXPECT_EQ(t.players.slotCount, 0);
    EXPECT_EQ(t.header.mapName, "");
    EXPECT_EQ(t.header.levelMessage, "");
    EXPECT_EQ(t.header.bspName, "");
    EXPECT_EQ(t.header.gameDir, "");
    EXPECT_EQ(t.header.protocolVersion, 0);
    EXPECT_EQ(report.statusPanel0.find("q2dm1"), std::string::npos);
  }
}

TEST(DemoScan, DurationCountsLengthFields) {
  struct Case {
    int blocks;
    bool endMarker;
    int duration;
  };
  for (Case c : {Case{1234, true, 123}, Case{1239, true, 124}, Case{1239, false, 123},
                 Case{9, true, 1}, Case{9, false, 0}}) {
    DemoWriter w;
    w.serverData(34, "", 0, "m").endBlock();
    w.frameBlocks(c.blocks - 1);
    DemoTables t = scanned(w.finish(c.endMarker));
    EXPECT_EQ(t.header.duration, c.duration) << c.blocks << " blocks, end marker " << c.endMarker;
  }
}

TEST(DemoScan, PrintTimeIsBlockNumberDivTen) {
  DemoWriter w = twoPlayerDemo();
  w.frameBlocks(17);                       // blocks 2..18
  w.print(2, "in block 19\n").endBlock();  // 19
  w.print(2, "in block 20\n").endBlock();  // 20
  DemoTables t = scanned(w.finish());
  ASSERT_EQ(t.log.logCount, 2u);
  EXPECT_EQ(t.log[1].time, 1);
  EXPECT_EQ(t.log[2].time, 2);
}

TEST(DemoScan, LeadingRunReadsOnlyTheMessagesAtTheHeadOfABlock) {
  DemoWriter w = twoPlayerDemo();
  w.frame(10).print(2, "after a frame\n").endBlock();
  w.layout("xv 32 yv 8")
      .print(2, "after a layout\n")
      .configString(40, "sound")
      .print(3, "x")
      .endBlock();
  w.print(2, "without line feed").print(2, "next\n").endBlock();
  w.print(2, "two line feeds\n\n").print(0, "").endBlock();
  DemoTables t = scanned(w.finish());
  ASSERT_EQ(t.log.logCount, 6u);
  EXPECT_EQ(t.log[1].text, "after a layout");
  EXPECT_EQ(t.log[2].text, "x");
  EXPECT_EQ(t.log[2].level, 3);
  EXPECT_EQ(t.log[3].text, "without line feed");
  EXPECT_EQ(t.log[4].text, "next");
  EXPECT_EQ(t.log[5].text, "two line feeds\n") << "only one line feed is removed";
  EXPECT_EQ(t.log[6].text, "");
  EXPECT_EQ(t.log[6].level, 0);
}

TEST(DemoScan, LogTextsLoseTheirHighBitButNamesKeepIt) {
  DemoWriter w = demoWithPlayers({{0, "Z\xe5ro", "male/grunt"}});
  w.print(3, "Z\xe5ro: \xe7\xe7 \xC1\x80\xFF\n").endBlock();
  DemoTables t = scanned(w.finish());
  ASSERT_EQ(t.log.logCount, 1u);
  EXPECT_EQ(t.log[1].text, "Zero: gg A\x00\x7F"s);
  EXPECT_EQ(t.players[1].name, "Z\xe5ro");
}

TEST(DemoScan, PlayerConfigStringsAtTheHeadOfLaterBlocks) {
  DemoWriter w = twoPlayerDemo();  // Alice slot 1, Bob slot 2
  w.frameBlocks(10);
  w.player(0, "Alice", "female/jezebel").endBlock();        // same name: only the skin changes
  w.player(1, "Robert", "male/grunt").endBlock();           // new name: Bob moves to slot 3
  w.player(5, "Carl", "cyborg/ps9000").endBlock();          // client 5 is slot 6
  w.player(1, "Dora", "female/athena").endBlock();          // Robert moves above slot 6
  w.configString(0x520 + 2, "").endBlock();                 // empty: nothing changes
  w.frame(8).player(3, "Hidden", "male/grunt").endBlock();  // after a frame: not seen
  DemoTables t = scanned(w.finish());
  EXPECT_EQ(t.players[1].name, "Alice");
  EXPECT_EQ(t.players[1].skin, "female/jezebel");
  EXPECT_EQ(t.players[2].name, "Dora");
  EXPECT_EQ(t.players[3].name, "Bob");
  EXPECT_EQ(t.players[3].skin, "male/grunt");
  EXPECT_EQ(t.players[6].name, "Carl");
  EXPECT_EQ(t.players[7].name, "Robert");
  EXPECT_EQ(t.players.slotCount, 7);
  EXPECT_TRUE(t.players[4].name.empty());
  EXPECT_EQ(t.players[4].rank, kRankEmpty);
}

TEST(DemoScan, LongNamesAndSkinsAreCut) {
  const std::string name25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
  const std::string name20 = "ABCDEFGHIJKLMNOPQRST";
  DemoWriter w = demoWithPlayers({{0, name25, "male/grunt"}, {1, "Al", "abcdefghijklmnopqrst"}});
  w.frameBlocks(10);
  w.player(0, name25, "female/athena").endBlock();  // never equals its 20-character form
  w.player(0, name25, "cyborg/oni911").endBlock();
  DemoTables t = scanned(w.finish());
  EXPECT_EQ(t.players[2].skin, "abcdefghijklmnopq") << "a 20-character skin keeps 17";
  // The skin skips as many characters as the stored name has, plus one.
  EXPECT_EQ(t.players[1].name, name20);
  EXPECT_EQ(t.players[1].skin, "VWXY\\cyborg/oni91");
  EXPECT_EQ(t.players[3].name, name20);
  EXPECT_EQ(t.players[3].skin, "VWXY\\male/grunt");
  EXPECT_EQ(t.players[4].name, name20);
  EXPECT_EQ(t.players[4].skin, "VWXY\\female/athen");
  EXPECT_EQ(t.players.slotCount, 4);
}

TEST(DemoScan, LeadingRunPlayerStringWithoutBackslashIsAllName) {
  DemoWriter w = twoPlayerDemo();
  w.frameBlocks(10);
  w.configString(0x520 + 4, "Loner").print(2, "still read\n").endBlock();
  DemoTables t = scanned(w.finish());
  EXPECT_EQ(t.players[5].name, "Loner");
  EXPECT_EQ(t.players[5].skin, "");
  ASSERT_EQ(t.log.logCount, 1u);
  EXPECT_EQ(t.log[1].text, "still read");
}

TEST(DemoScan, PlayerStringsOutsideTheSlotsAreSteppedOver) {
  DemoWriter w = twoPlayerDemo();
  w.frameBlocks(10);
  w.configString(0x51F, "Before\\male/grunt")    // low byte 31: slot 0
      .configString(0x560, "After\\male/grunt")  // low byte 96: slot 65
      .print(2, "read on\n")
      .endBlock();
  DemoTables t = scanned(w.finish());
  EXPECT_EQ(t.players.slotCount, 2);
  ASSERT_EQ(t.log.logCount, 1u);
  EXPECT_EQ(t.log[1].text, "read on");
}

TEST(DemoScan, EarlyBlockSweepFindsPatternsAnywhereInBlocksOneToEight) {
  DemoWriter w;
  w.serverData(34, "", 0, "Map").frame(5).configString(33, "maps/a.bsp").endBlock();
  w.frame(4).player(2, "Early", "male/grunt").configString(33, "maps/b.bsp").endBlock();
  w.frame(4).configString(0, "not in block 1").configString(0x520 + 200, "Far\\x\\y").endBlock();
  w.frameBlocks(4);                                            // blocks 4..7
  w.frame(4).player(3, "Eighth", "female/athena").endBlock();  // block 8
  w.frame(4).player(4, "Ninth", "female/athena").configString(33, "maps/c.bsp").endBlock();
  ScanReport report;
  DemoTables t = scanned(w.finish(), &report);
  EXPECT_EQ(t.header.bspName, "maps/b.bsp");
  EXPECT_EQ(t.header.levelMessage, "");
  EXPECT_EQ(report.statusPanel0, "Map: Map ( maps/a.bsp ) ( maps/b.bsp )");
  EXPECT_EQ(t.players[3].name, "Early");
  EXPECT_EQ(t.players[4].name, "Eighth");
  EXPECT_TRUE(t.players[5].name.empty());
  EXPECT_EQ(t.players.slotCount, 4);
}

// Past the swept blocks, the level message and the map model are taken where they lead a
// block before the first frame, as mods' servers send them after block 8.
TEST(DemoScan, StartUpConfigStringsBeforeTheFirstFrame) {
  struct Case {
    const char* label;
    int framesBefore;  // blocks of one frame each after block 1
    bool frameFirst;   // the config strings' block begins with a frame
    const char* bsp;
  };
  for (const Case& c :
       {Case{"block 9", 7, false, "maps/late.bsp"}, Case{"block 20", 18, false, "maps/late.bsp"},
        Case{"behind a frame", 18, true, ""}}) {
    SCOPED_TRACE(c.label);
    DemoWriter w;
    w.serverData(34, "action", 0, "Map").endBlock();
    for (int i = 0; i < c.framesBefore; ++i) w.byte(protocol::svc_stufftext).endBlock();
    if (c.frameFirst) w.frame(4);
    w.levelMessage("Late").mapModel("maps/late.bsp").endBlock();
    w.frameBlocks(2).levelMessage("After the frame").mapModel("maps/after.bsp").endBlock();
    ScanReport report;
    DemoTables t = scanned(w.finish(), &report);
    EXPECT_EQ(t.header.bspName, c.bsp);
    EXPECT_EQ(t.header.levelMessage, *c.bsp != 0 ? "Late" : "");
    EXPECT_EQ(report.statusPanel0, *c.bsp != 0 ? "Map: Map ( maps/late.bsp )" : "Map: Map");
  }
}

TEST(DemoScan, EarlyBlockSweepOverwritesAndNeedsABackslash) {
  DemoWriter w;
  w.serverData(34, "", 0, "Map").frame(3).player(0, "First", "male/grunt").endBlock();
  w.frame(3).player(0, "Second", "male/grunt").configString(0x521, "NoSkin").endBlock();
  DemoTables t = scanned(w.finish());
  EXPECT_EQ(t.players[1].name, "Second") << "the sweep overwrites, never moves";
  EXPECT_TRUE(t.players[2].name.empty());
  EXPECT_EQ(t.players.slotCount, 1);
}

TEST(DemoScan, BlockLengthLimits) {
  struct Case {
    std::int32_t length;
    std::string notice;
    int logCount;
  };
  for (const Case& c : {Case{1400, "", 2}, Case{1401, "BAD BLOCK. READING STOPPED.", 1},
                        Case{-2, "BAD BLOCK. READING STOPPED.", 1},
                        Case{INT32_MIN, "BAD BLOCK. READING STOPPED.", 1}}) {
    DemoWriter w = twoPlayerDemo();
    w.print(2, "before\n").endBlock();
    std::string body;
    if (c.length == 1400) {
      w.print(2, "big\n");
      w.frame(static_cast<std::size_t>(1400 - 1 - w.currentBlockSize()));
      w.endBlock();
    } else {
      w.lengthField(c.length);
      w.raw(std::string(100, 'x'));
      w.endBlock();
    }
    w.frameBlocks(20);
    ScanReport report;
    DemoTables t = scanned(w.finish(), &report);
    EXPECT_EQ(report.statusPanel1, c.notice) << "length " << c.length;
    EXPECT_EQ(t.log.logCount, static_cast<std::uint32_t>(c.logCount)) << "length " << c.length;
    if (!c.notice.empty()) {
      EXPECT_EQ(t.header.duration, 0) << "three length fields were read";
    }
  }
}

TEST(DemoScan, CutShortEndsAreAnalysedWithANotice) {
  DemoWriter w = twoPlayerDemo();
  w.print(1, "Alice was railed by Bob\n").endBlock();
  w.frameBlocks(7);  // blocks 3..9
  const std::string whole = w.finish(false);
  const std::string block10 = "\x20\x00\x00\x00"s + std::string(32, 'x');
  struct Case {
    std::string name;
    std::string bytes;
    int duration;
  };
  for (const Case& c : {Case{"length cut", whole + "\x20\x00"s, 1},
                        Case{"body cut", whole + block10.substr(0, 20), 1},
                        Case{"length of 3 bytes", whole + "\xff\xff\xff"s, 1}}) {
    ScanReport report;
    DemoTables t = scanned(c.bytes, &report);
    EXPECT_EQ(report.statusPanel1, "INCOMPLETE BLOCK. READING STOPPED.") << c.name;
    EXPECT_EQ(t.header.duration, c.duration) << c.name << ": the cut block counts";
    EXPECT_EQ(t.players[2].kills, 1) << c.name << ": what was read is analysed";
  }
  ScanReport report;
  DemoTables t = scanned(whole + block10, &report);
  EXPECT_EQ(report.statusPanel1, "") << "a file ending after a whole block ends normally";
  EXPECT_EQ(t.header.duration, 1);
}

TEST(DemoScan, ShortFirstBlockReadsNothingBeyondIt) {
  struct Case {
    std::string block1;
    std::int32_t protocol;
    std::string gameDir;
    int viewPlayer;
    std::string map;
  };
  for (const Case& c :
       {Case{"", 0, "", 0, ""}, Case{"\x0c\x22\x00"s, 0x22, "", 0, ""},
        Case{"\x0c\x22\x00\x00\x00\x01\x02\x03\x04\x01gd"s, 0x22, "gd", 0, ""},
        Case{"\x0c\x22\x00\x00\x00\x01\x02\x03\x04\x01gd\x00\x07"s, 0x22, "gd", 7, ""}}) {
    DemoWriter w;
    w.raw(c.block1).endBlock();
    DemoTables t = scanned(w.finish());
    EXPECT_EQ(t.header.protocolVersion, c.protocol);
    EXPECT_EQ(t.header.gameDir, c.gameDir);
    EXPECT_EQ(t.header.viewPlayer, c.viewPlayer);
    EXPECT_EQ(t.header.mapName, c.map);
  }
}

TEST(DemoScan, MovedIdentitiesStopAtSixtyFourSlots) {
  DemoWriter w;
  w.serverData(34, "", 0, "Map").endBlock();
  w.frameBlocks(10);
  for (int client = 0; client < 64; ++client) {
    w.player(client, "P" + std::to_string(client), "male/grunt").endBlock();
  }
  w.player(0, "Renamed", "male/grunt").endBlock();
  w.player(1, "Renamed too", "male/grunt").endBlock();
  w.print(2, "still scanning\n").endBlock();
  ScanReport report;
  DemoTables t = scanned(w.finish(), &report);
  EXPECT_EQ(report.notices, std::vector<std::string>{"PLAYER TABLE FULL."}) << "reported once";
  EXPECT_EQ(report.statusPanel1, "PLAYER TABLE FULL.");
  EXPECT_EQ(t.players.slotCount, 64);
  EXPECT_EQ(t.players[1].name, "Renamed");
  EXPECT_EQ(t.players[2].name, "Renamed too");
  EXPECT_EQ(t.log.logCount, 1u);
}

TEST(DemoScan, MessageLogKeepsEveryPrint) {
  DemoWriter w = twoPlayerDemo();
  for (int i = 0; i < 1500; ++i) w.print(2, "message " + std::to_string(i) + "\n").endBlock();
  DemoTables t = scanned(w.finish());
  ASSERT_EQ(t.log.logCount, 1500u);
  EXPECT_EQ(t.log[1500].text, "message 1499");
}

TEST(DemoScan, CopiedTablesKeepTheirTexts) {
  DemoWriter w = twoPlayerDemo();
  for (int i = 0; i < 3000; ++i)
    w.print(2, std::string(40, static_cast<char>('a' + i % 26)) + "\n").endBlock();
  auto original = std::make_unique<DemoTables>(scanned(w.finish()));
  DemoTables copy = *original;
  DemoTables assigned;
  assigned = copy;
  original.reset();
  ASSERT_EQ(copy.log.logCount, 3000u);
  EXPECT_EQ(copy.log[2999].text, std::string(40, static_cast<char>('a' + 2998 % 26)));
  EXPECT_EQ(assigned.log[3000].text, copy.log[3000].text);
}

TEST(DemoScan, CountersDoNotWrapAtAByte) {
  DemoWriter w = twoPlayerDemo();
  for (int i = 0; i < 256; ++i) w.print(1, "Alice was railed by Bob\n").endBlock();
  DemoTables t = scanned(w.finish());
  EXPECT_EQ(t.killMatrix(1, 2, 0), 256u);
  EXPECT_EQ(t.killMatrix(1, 2, 9), 256u);
  EXPECT_EQ(t.players[2].frags, 256);
  EXPECT_EQ(t.players[1].deaths, 256);
}

TEST(DemoScan, MissingFileChangesNothingButTheMarker) {
  DemoTables t;
  DemoWriter w = twoPlayerDemo();
  w.print(1, "Alice was railed by Bob\n").endBlock();
  DemoScanBytes(t, w.finish());
  t.scanMarker = 0;
  TempDir dir;
  try {
    DemoScan(t, dir.file("missing.dm2"));
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "File not found");
  }
  EXPECT_EQ(t.scanMarker, 777);
  EXPECT_EQ(t.players[2].name, "Bob");
  EXPECT_EQ(t.players[2].frags, 1);
  EXPECT_EQ(t.log.logCount, 1u);
}

TEST(DemoScan, ObserverSeesTheReadStartAndEnd) {
  struct Recorder : ScanObserver {
    std::string calls;
    void readStarted() override { calls += "start "; }
    void readEnded() override { calls += "end"; }
  } recorder;
  TempDir dir;
  DemoWriter w = twoPlayerDemo();
  writeFile(dir.file("a.dm2"), w.finish());
  DemoTables t;
  DemoScan(t, dir.file("a.dm2"), &recorder);
  EXPECT_EQ(recorder.calls, "start end");
  recorder.calls.clear();
  EXPECT_THROW(DemoScan(t, dir.file("none.dm2"), &recorder), FileError);
  EXPECT_EQ(recorder.calls, "") << "nothing is shown for a file that does not open";
}

TEST(DemoScan, EmptyPathClearsPlayersAndKeepsTheLog) {
  DemoTables t;
  DemoWriter w = twoPlayerDemo();
  w.print(1, "Alice was railed by Bob\n").endBlock();
  DemoScanBytes(t, w.finish());
  DemoScan(t, "");
  EXPECT_EQ(t.players.slotCount, 0);
  EXPECT_EQ(t.log.logCount, 1u);
  EXPECT_EQ(t.log[1].killer, 0);
  EXPECT_EQ(t.header.mapName, "q2dm1");
}

}  // namespace
}  // namespace obitrak::test
