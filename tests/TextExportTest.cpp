#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "export/ExportNames.h"
#include "export/TextExport.h"
#include "scan/FileError.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"

namespace obitrak::test {
namespace {

std::string textOf(DemoTables& t, const std::string& demoPath, bool teamPlay) {
  StringSink sink;
  recomputeAllWeapons(t, teamPlay);
  WriteTextDescription(t, demoPath, teamPlay, sink);
  return sink.data();
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
  return lines;
}

TEST(TextExport, GoldenFreeForAll) {
  DemoTables t = scanned(smallTeamDemo());
  expectGolden("small_ffa.txt", textOf(t, "demos/small.dm2", false));
}

TEST(TextExport, GoldenTeamPlay) {
  DemoTables t = scanned(smallTeamDemo());
  TallyTeamPlay(t, 0);  // the user checks "TeamPlay" before exporting
  expectGolden("small_tp.txt", textOf(t, "demos/small.dm2", true));
}

TEST(TextExport, RecomputesForAllWeaponsWhateverTheFilterShows) {
  DemoTables a = scanned(smallTeamDemo());
  DemoTables b = scanned(smallTeamDemo());
  TallyFreeForAll(b, 9);
  EXPECT_EQ(textOf(a, "small.dm2", false), textOf(b, "small.dm2", false));
  EXPECT_EQ(b.players[3].rank, 1);
  EXPECT_EQ(b.players[3].frags, 2);
}

TEST(TextExport, NoRankedPlayers) {
  DemoWriter w = demoWithPlayers({{0, "Idle", "male/grunt"}});
  DemoTables t = scanned(w.finish());
  for (bool teamPlay : {false, true}) {
    std::vector<std::string> lines = linesOf(textOf(t, "x.dm2", teamPlay));
    ASSERT_GE(lines.size(), 50u);
    std::vector<std::string> expected{
        "Players:",
        "--------",
        "Idle                 male/grunt           (no fragging)",
        "",
        std::string(55, '='),
        "",
        "Frags (Kills/Deaths):",
        "---------------------",
        "",
    };
    if (!teamPlay) expected.push_back("");
    for (const char* line : {"--------------", "             | ", "--------------",
                             "--------------", "", "Weapons statistics (kills):"}) {
      expected.emplace_back(line);
    }
    std::vector<std::string> actual(lines.begin() + 16,
                                    lines.begin() + 16 + static_cast<long>(expected.size()));
    EXPECT_EQ(actual, expected) << "team play " << teamPlay;
    auto total = std::find(lines.begin(), lines.end(),
                           "       Total |  0|  0|  0|  0|  0|  0|  0|  0|  0|  0|  0|  0|");
    EXPECT_NE(total, lines.end());
  }
}

TEST(TextExport, HeaderLines) {
  struct Case {
    std::int32_t protocol;
    int viewClient;
    std::string version;
    std::string viewFrom;
  };
  for (const Case& c : {Case{34, 0, "3.18/3.19/3.20", "Ann"}, Case{25, 1, "3.00", "Bob"},
                        Case{29, 1, "unknown", "Bob"}, Case{35, 2, "unknown", ""},
                        Case{31, 63, "3.12/3.13/3.14", ""}, Case{26, 64, "3.05/3.06", ""},
                        Case{27, 255, "3.07/3.08", ""}}) {
    DemoWriter w;
    w.serverData(c.protocol, "gd", static_cast<std::uint16_t>(c.viewClient), "Lvl")
        .player(0, "Ann", "a/b")
        .player(1, "Bob", "c/d")
        .endBlock();
    w.frameBlocks(7253);  // 7254 blocks and the end marker: 725 seconds
    DemoTables t = scanned(w.finish());
    std::vector<std::string> lines =
        linesOf(textOf(t, "C:\\q2\\demos\\a-longer-demo-name.dm2", false));
    ASSERT_GE(lines.size(), 13u);
    EXPECT_EQ(lines[4], "Demo name   : a-longer-demo-name.d") << "cut to 20";
    EXPECT_EQ(lines[10], "Version     : " + c.version) << c.protocol;
    EXPECT_EQ(lines[11], "View from   : " + c.viewFrom) << c.viewClient;
    EXPECT_EQ(lines[12], "Time        : 12 min 5 sec");
  }
}

TEST(TextExport, WideValuesAreWrittenInFull) {
  DemoWriter w = demoWithPlayers({{0, "Ann", "x"}, {1, "Bob", "x"}});
  for (int i = 0; i < 1000; ++i) w.print(1, "Bob was railed by Ann\n").endBlock();
  for (int i = 0; i < 120; ++i) w.print(1, "Bob died.\n").endBlock();
  DemoTables t = scanned(w.finish());
  std::vector<std::string> lines = linesOf(textOf(t, "x.dm2", false));
  auto has = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has("Ann                  : 1000 (1000 /   0 )"));
  EXPECT_TRUE(has("Bob                  : -120 (  0 / 1120 )"));
  EXPECT_TRUE(has("         Ann |  0|  0|  0|  0|  0|  0|  0|  0|1000|  0|  0|  0|"));
  EXPECT_TRUE(has("       Total |  0|  0|  0|  0|  0|  0|  0|  0|1000|  0|  0|  0|"));
}

TEST(TextExport, TeamTitlesAndTotals) {
  DemoTables t = scanned(smallTeamDemo());
  TallyTeamPlay(t, 0);
  std::string tp = textOf(t, "s.dm2", true);
  EXPECT_NE(tp.find("Team 2 (female/athena)\r\n"), std::string::npos);
  EXPECT_NE(tp.find("TEAM TOTAL           :  0 frags\r\n"), std::string::npos);
}

TEST(TextExport, FileWrapperWritesTheSameBytesAndReportsFailures) {
  TempDir dir;
  DemoTables t = scanned(smallTeamDemo());
  ExportTextDescription(t, "small.dm2", false, dir.file("small.txt"));
  EXPECT_EQ(readFile(dir.file("small.txt")), textOf(t, "small.dm2", false));

  struct Case {
    std::string path;
    std::string message;
  };
  std::vector<Case> cases{{dir.file("no-such-folder/x.txt"), "Folder not found"},
                          {dir.path().string(), "Is a folder"}};
  if (std::filesystem::exists("/dev/full")) cases.push_back({"/dev/full", "Disk full"});
  for (const Case& c : cases) {
    try {
      ExportTextDescription(t, "small.dm2", false, c.path);
      ADD_FAILURE() << c.path << ": no error";
    } catch (const FileError& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.path;
    }
  }
}

TEST(ExportNames, DefaultNamesReplaceADemoExtensionOrAppend) {
  struct Case {
    std::string demo;
    std::string extension;
    std::string expected;
  };
  for (const Case& c :
       {Case{"/q2/demos/duel.dm2", "txt", "/q2/demos/duel.txt"},
        Case{"duel.DM2", "log", "duel.log"}, Case{"C:\\q2\\duel.dm2", "htm", "C:\\q2\\duel.htm"},
        Case{"/q2/demos/duel", "txt", "/q2/demos/duel.txt"},
        Case{"/q2/demos/duel.dm", "log", "/q2/demos/duel.dm.log"},
        Case{"/q2/demos/ab", "txt", "/q2/demos/ab.txt"},
        Case{"/q2/demos/abc", "txt", "/q2/demos/abc.txt"},
        Case{"C:\\x\\ab", "log", "C:\\x\\ab.log"}, Case{"a", "txt", "a.txt"},
        Case{"/q2/demos/duel.dm2.gz", "txt", "/q2/demos/duel.txt"},
        Case{"duel.DM2.GZ", "htm", "duel.htm"}, Case{"/q2/x.gz", "log", "/q2/x.gz.log"},
        Case{"/q2/.gz", "txt", "/q2/.gz.txt"}, Case{"sometxt", "txt", "sometxt.txt"},
        Case{"final", "txt", "final.txt"}, Case{"/q2/duel.MVD2", "htm", "/q2/duel.htm"},
        Case{"duel.mvd2.gz", "log", "duel.log"}}) {
    EXPECT_EQ(defaultExportName(c.demo, c.extension), c.expected) << c.demo;
  }
}

TEST(ExportNames, DemoNameIsTheFileNameCutToTwenty) {
  struct Case {
    std::string path;
    std::string expected;
  };
  for (const Case& c : {Case{"/a/b/duel.dm2", "duel.dm2"}, Case{"C:\\a\\b/c\\duel.dm2", "duel.dm2"},
                        Case{"duel.dm2", "duel.dm2"}, Case{"/a/", ""},
                        Case{"/x/123456789012345678901.dm2", "12345678901234567890"}}) {
    EXPECT_EQ(demoName(c.path), c.expected) << c.path;
  }
}

}  // namespace
}  // namespace obitrak::test
