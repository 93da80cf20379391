// Servers' multi-view recordings (".mvd2"), built message by message in the tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingWriter.h"
#include "TestSupport.h"
#include "scan/PhrasePack.h"
#include "stats/RankedPlayers.h"

namespace obitrak::test {
namespace {

using tools::RecordingWriter;
using Format = RecordingWriter::Format;

constexpr int kRecorder = 20;

// A recording whose server data names Ann (client 0), Bob (client 1) and the server's own
// recording client, then one message of frames, multicasts and sounds as servers send them.
RecordingWriter twoPlayers(Format format = {}, int recorder = kRecorder) {
  RecordingWriter w;
  w.serverData("opentdm", recorder, "The Edge", "maps/q2dm1.bsp", format)
      .initialPlayer(0, "Ann", "female/athena")
      .initialPlayer(1, "Bob", "male/grunt")
      .initialPlayer(kRecorder, "[MVDSPEC]", "male/grunt")
      .endServerData()
      .endMessage();
  w.multicast(300).frame(3).sound().endMessage();
  return w;
}

std::vector<std::string> logTexts(const DemoTables& t) {
  std::vector<std::string> out;
  for (const LogRecord& r : t.log) out.emplace_back(r.text);
  return out;
}

TEST(ServerRecording, HeaderPlayersAndTheRecorderWhoIsNobody) {
  ScanReport report;
  const DemoTables t = scanned(twoPlayers().frames(20).finish(), &report);
  EXPECT_TRUE(t.header.serverRecording);
  EXPECT_EQ(t.header.protocolVersion, 37);
  EXPECT_EQ(t.header.gameDir, "opentdm");
  EXPECT_EQ(t.header.mapName, "The Edge");
  EXPECT_EQ(t.header.levelMessage, "The Edge");
  EXPECT_EQ(t.header.bspName, "maps/q2dm1.bsp");
  EXPECT_EQ(t.header.viewPlayer, kRecorder);
  EXPECT_EQ(viewFromName(t), "server recording");
  EXPECT_EQ(t.header.duration, 2) << "22 messages and the end marker";
  EXPECT_EQ(report.statusPanel0, "Map: The Edge ( maps/q2dm1.bsp )");
  EXPECT_EQ(report.notices, std::vector<std::string>{});
  EXPECT_EQ(t.players.slotCount, 2) << "the recording client is not a player";
  EXPECT_EQ(t.players[1].name, "Ann");
  EXPECT_EQ(t.players[2].skin, "male/grunt");
}

// Prints of every kind at the message that carries them: broadcast prints, and the prints
// sent to single clients, the recording one or any other.
TEST(ServerRecording, PrintsAndTheirTimes) {
  RecordingWriter w = twoPlayers();
  w.frames(16);                                 // messages 3..18
  w.print(2, "Fight!\n").frame().endMessage();  // message 19
  w.print(1, "Bob was railed by Ann\n").unicastPrint(kRecorder, 3, "Ann: gg\n").frame();
  w.unicastPrint(0, 2, "You are ahead\n").unicastPrint(kRecorder, 3, "Bob: !!\n", false);
  w.endMessage();  // message 20
  const DemoTables t = scanned(w.finish());
  EXPECT_EQ(logTexts(t), (std::vector<std::string>{"Fight!", "Bob was railed by Ann", "Ann: gg",
                                                   "You are ahead", "Bob: !!"}));
  EXPECT_EQ(t.log[1].time, 1);
  EXPECT_EQ(t.log[2].time, 2);
  EXPECT_EQ(t.log[3].level, 3);
  EXPECT_EQ(t.killMatrix(2, 1, 9), 1u) << "the rail kill is counted";
  EXPECT_EQ(t.players[1].frags, 1);
}

// A text sent to several clients in one frame, each alone (as mods send a death to the
// players of a team), is one message; in the next frame it is another.
TEST(ServerRecording, APrintToSeveralClientsIsOneMessage) {
  RecordingWriter w = twoPlayers({}, -1);
  w.unicastPrint(0, 1, "Bob was railed by Ann\n").unicastPrint(1, 1, "Bob was railed by Ann\n");
  w.unicastPrint(1, 3, "Bob was railed by Ann\n", false).print(2, "hi all\n").frame();
  w.endMessage().unicastPrint(1, 1, "Bob was railed by Ann\n").frame().endMessage();
  const DemoTables t = scanned(w.finish());
  EXPECT_EQ(logTexts(t), (std::vector<std::string>{"Bob was railed by Ann", "Bob was railed by Ann",
                                                   "hi all", "Bob was railed by Ann"}));
  EXPECT_EQ(t.killMatrix(2, 1, 0), 2u);
  EXPECT_EQ(t.header.viewPlayer, 255) << "the low byte of -1, as a .dm2 keeps it";
  EXPECT_EQ(t.players.slotCount, 21) << "client 20 is a player here";
}

// Every format a server writes: the frames of each are stepped over to the prints after.
TEST(ServerRecording, EveryFormatOfTheFrames) {
  struct Case {
    Format format;
    const char* label;
  };
  for (const Case& c :
       {Case{{2009, 0}, "first minor"}, Case{{2010, 1}, "no messages flag"},
        Case{{2011, 4}, "extended limits"}, Case{{2012, 4}, "flags word"},
        Case{{2012, 4 | 8}, "extended limits 2"}, Case{{2013, 4 | 8}, "third byte of player bits"},
        Case{{3038, 0}, "the re-release's game"}}) {
    SCOPED_TRACE(c.label);
    RecordingWriter w = twoPlayers(c.format);
    w.frames(5).player(1, "Bob", "male/major").frame().print(1, "Ann ate Bob's rocket\n");
    w.endMessage();
    ScanReport report;
    const DemoTables t = scanned(w.finish(), &report);
    EXPECT_EQ(report.notices, std::vector<std::string>{});
    EXPECT_EQ(t.players[2].skin, "male/major");
    EXPECT_EQ(t.killMatrix(1, 2, 7), 1u);
  }
}

// A rename mid-game keeps the old name's record and score, as in a ".dm2"; an empty config
// string (a player leaving) changes nothing; a new level keeps the first level's header.
TEST(ServerRecording, RenamesLeaversAndANewLevel) {
  RecordingWriter w = twoPlayers();
  w.print(1, "Bob was railed by Ann\n").player(0, "Anna", "female/athena").endMessage();
  w.print(1, "Bob was railed by Anna\n").configString(1312 + 1, "").endMessage();
  w.serverData("opentdm", kRecorder, "Next Level", "maps/q2dm2.bsp")
      .initialPlayer(0, "Anna", "female/athena")
      .initialPlayer(2, "Cid", "male/grunt")
      .endServerData()
      .endMessage();
  const DemoTables t = scanned(w.finish());
  EXPECT_EQ(t.players[1].name, "Anna");
  EXPECT_EQ(t.players[2].name, "Bob");
  EXPECT_EQ(t.players[3].name, "Cid");
  EXPECT_EQ(t.players[4].name, "Ann") << "moved above the highest slot, then again for Cid";
  for (const int slot : {1, 4}) EXPECT_EQ(t.players[slot].clientSlot, 1) << "Ann's moves keep it";
  EXPECT_EQ(t.players[3].clientSlot, 3);
  EXPECT_EQ(t.players[1].frags, 1);
  EXPECT_EQ(t.players[4].frags, 1);
  EXPECT_EQ(t.header.mapName, "The Edge");
}

// Damaged recordings: what came before the damage is kept, with a notice.
TEST(ServerRecording, DamagedRecordingsKeepWhatWasRead) {
  struct Case {
    const char* label;
    std::string tail;  // appended after a whole message holding one print
    const char* notice;
  };
  using namespace std::string_literals;
  const std::string bad = std::string(kNoticeBadBlock);
  const std::string cut = std::string(kNoticeIncompleteBlock);
  for (const Case& c : {
           Case{"cut inside a length field", "\x05"s, cut.c_str()},
           Case{"cut inside a message", "\x10\x00\x11\x02"s, cut.c_str()},
           Case{"length above 32 KiB", "\x01\x80"s, bad.c_str()},
           Case{"unknown message code", "\x01\x00\x1F"s, bad.c_str()},
           Case{"reserved message code", "\x01\x00\x12"s, bad.c_str()},
           Case{"print without its terminator", "\x04\x00\x11\x02hi"s, bad.c_str()},
           Case{"multicast past the message", "\x03\x00\x0A\x09\x00"s, bad.c_str()},
           Case{"unicast past the message", "\x04\x00\x09\x08\x00\x0A"s, bad.c_str()},
           Case{"config string index past the end", "\x05\x00\x05\x20\x08x\x00"s, bad.c_str()},
           Case{"entity number past the limit", "\x07\x00\x06\x00\xFF\x80\x01\x00\x04"s,
                bad.c_str()},
           Case{"frame cut short", "\x03\x00\x06\x00\x00"s, bad.c_str()},
           Case{"other protocol",
                "\x0E\x00\x04\x22\x00\x00\x00\xDA\x07\x00\x00\x00\x00\x00\x14\x00"s,
                "Unsupported recording: protocol 34"},
           Case{"no end marker", "", nullptr},
       }) {
    SCOPED_TRACE(c.label);
    RecordingWriter w = twoPlayers();
    w.print(2, "kept\n").endMessage();
    ScanReport report;
    const DemoTables t = scanned(w.finish(false) + c.tail, &report);
    EXPECT_EQ(logTexts(t), std::vector<std::string>{"kept"});
    EXPECT_EQ(report.statusPanel1, c.notice != nullptr ? c.notice : "");
    EXPECT_FALSE(report.unsupported) << "the first level was read";
    expectScanInvariants(t);
  }
}

// Every prefix of a recording scans, keeps its header and never loses a print it had.
TEST(ServerRecording, EveryPrefixScans) {
  RecordingWriter w = twoPlayers({2013, 4 | 8});
  w.print(1, "Bob was railed by Ann\n").frame().unicastLayout(0, "client 0 0 0 1 5 2").endMessage();
  w.print(2, "Timelimit hit.\n").frame().endMessage();
  const std::string whole = w.finish();
  std::size_t kept = 0;
  for (std::size_t cut = 4; cut <= whole.size(); ++cut) {
    const DemoTables t = scanned(whole.substr(0, cut));
    expectScanInvariants(t);
    EXPECT_TRUE(t.header.serverRecording);
    EXPECT_GE(t.log.size(), kept) << "cut at " << cut;
    kept = t.log.size();
  }
  EXPECT_EQ(kept, 2u);
}

TEST(ServerRecording, GzipPackedReadsAsThePlainOne) {
  RecordingWriter w = twoPlayers();
  w.print(1, "Bob was railed by Ann\n").frame().endMessage();
  const std::string plain = w.finish();
  TempDir dir;
  writeFile(dir.file("match.MVD2.GZ"), gzipped(plain));
  DemoTables packed;
  DemoScan(packed, dir.file("match.MVD2.GZ"));
  const DemoTables t = scanned(plain);
  EXPECT_TRUE(packed.header.serverRecording);
  EXPECT_EQ(logTexts(packed), logTexts(t));
  EXPECT_EQ(packed.players[1].frags, 1);
}

// A mod's death messages in a recording count with its pack, as in a ".dm2".
TEST(ServerRecording, DeathMessagePacksCountTheModsWords) {
  RecordingWriter w = twoPlayers();
  w.print(1, "Bob was spread around the place by Ann\n").frame().endMessage();
  const std::string recording = w.finish();
  PhrasePackLoad load = ParsePhrasePack("kill RL \"was spread around the place by\"\n", "mod");
  ASSERT_TRUE(load.pack);
  const PhrasePack* mod = &*load.pack;
  for (const PhrasePack* pack : {static_cast<const PhrasePack*>(nullptr), mod}) {
    DemoTables t;
    DemoScanBytes(t, recording, nullptr, pack);
    EXPECT_EQ(t.killMatrix(2, 1, 7), pack != nullptr ? 1u : 0u);
  }
}

// obitrak-report finds recordings in folders, packed or not, and reports them in every
// format, several at once.
TEST(ServerRecording, EveryReportFormatOverAFolder) {
  RecordingWriter w = twoPlayers();
  w.print(1, "Bob was railed by Ann\n").frame().endMessage();
  const std::string recording = w.finish();
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "in" / "sub");
  writeFile(dir.path() / "in" / "a.mvd2", recording);
  writeFile(dir.path() / "in" / "sub" / "B.MVD2.GZ", gzipped(recording));
  struct Case {
    const char* format;
    const char* extension;
    const char* line;
  };
  for (const Case& c : {Case{"text", "txt", "View from   : server recording\r\n"},
                        Case{"html", "htm", ">server recording</td>"},
                        Case{"log", "log", "Bob was railed by Ann\r\n"},
                        Case{"json", "json", "\"viewFrom\": \"server recording\""}}) {
    SCOPED_TRACE(c.format);
    const std::string out = dir.file(c.format);
    CommandResult r =
        runCommand({"-j", "2", "--format", c.format, "--output", out, dir.file("in")});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const std::string name : {"/a.", "/sub/B."}) {
      const std::string report = readFile(out + name + c.extension);
      EXPECT_NE(report.find(c.line), std::string::npos) << name << c.extension;
    }
  }
}

}  // namespace
}  // namespace obitrak::test
