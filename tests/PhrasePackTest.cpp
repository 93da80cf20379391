#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "scan/ObituaryAnalysis.h"
#include "scan/PhrasePack.h"
#include "scan/Phrases.h"
#include "scan/Ranking.h"
#include "stats/Tally.h"

namespace obitrak::test {
namespace {

PhrasePack packOf(const std::string& text) {
  PhrasePackLoad load = ParsePhrasePack(text, "mod.pack");
  EXPECT_EQ(load.error, "");
  return load.pack ? *load.pack : PhrasePack("mod.pack", {});
}

// The example pack of the README, with a second kill line that a later one overlaps and a
// self line that every join notice would match.
const std::string kPack =
    "# Death messages of a bot mod\n"
    "kill RL \"was spread around the place by\"\n"
    "kill 9 \"was used by\" \"for target practice\"\n"
    "kill BL \"was used by\"\n"
    "self \"tripped over\" \"own feet\"\n"
    "self \"entered\"\n";

TEST(PhrasePack, ReadsLinesWeaponsAndEscapes) {
  const PhrasePack pack = packOf(kPack);
  ASSERT_EQ(pack.lines().size(), 5u);
  EXPECT_EQ(pack.name(), "mod.pack");
  const PackLine& used = pack.lines()[1];
  EXPECT_EQ(used.kind, PackLineKind::Kill);
  EXPECT_EQ(used.weapon, 9);
  EXPECT_EQ(used.phrases, (std::vector<std::string>{"was used by", "for target practice"}));
  EXPECT_EQ(used.lineNumber, 3);
  EXPECT_EQ(pack.lines()[3].kind, PackLineKind::Self);
  EXPECT_EQ(pack.lines()[3].weapon, 0);

  for (int w = 1; w <= kWeaponCategories; ++w) {
    const std::string label(kWeaponCategoryTable[static_cast<std::size_t>(w)].columnLabel);
    for (const std::string& name : {label, std::to_string(w)}) {
      PhrasePack p = packOf("kill " + name + " \"x\"");
      ASSERT_EQ(p.lines().size(), 1u) << name;
      EXPECT_EQ(p.lines()[0].weapon, w) << name;
    }
  }

  struct Case {
    std::string text;
    std::vector<std::string> phrases;
  };
  for (const Case& c : std::vector<Case>{
           {R"(kill RG "say \"hi\"" "back\\slash")", {"say \"hi\"", "back\\slash"}},
           {"\xEF\xBB\xBF\t kill\tRG\"a\"\"b\" \r\n  # indented comment\r\n\r\n", {"a", "b"}},
           {"kill RG \"# not a comment\" \"  \"", {"# not a comment", "  "}},
       }) {
    PhrasePack p = packOf(c.text);
    ASSERT_EQ(p.lines().size(), 1u) << c.text;
    EXPECT_EQ(p.lines()[0].phrases, c.phrases) << c.text;
  }
  EXPECT_TRUE(packOf("# only a comment\n\n").lines().empty());
}

TEST(PhrasePack, EveryErrorNamesFileAndLine) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::string ok = "# a comment\nkill RL \"rocket\"\n";
  for (const Case& c : std::vector<Case>{
           {ok + "kill 13 \"x\"", "mod.pack:3: unknown weapon \"13\""},
           {ok + "kill 0 \"x\"", "mod.pack:3: unknown weapon \"0\""},
           {ok + "kill rl \"x\"", "mod.pack:3: unknown weapon \"rl\""},
           {ok + "kill", "mod.pack:3: missing weapon"},
           {ok + "kill \"x\"", "mod.pack:3: missing weapon"},
           {ok + "kill RL", "mod.pack:3: missing phrase"},
           {ok + "self  ", "mod.pack:3: missing phrase"},
           {ok + "frag RL \"x\"",
            "mod.pack:3: expected kill, self, score, weapon or games, not \"frag\""},
           {ok + "\"x\"", "mod.pack:3: expected kill, self, score, weapon or games"},
           {ok + "self RL \"x\"", "mod.pack:3: expected a phrase in quotes, not \"RL\""},
           {ok + "self \"x\"y", "mod.pack:3: expected a phrase in quotes, not \"y\""},
           {ok + "self \"abc", "mod.pack:3: missing quote"},
           {ok + "self \"abc\\\"", "mod.pack:3: missing quote"},
           {ok + "self \"a\\n\"", "mod.pack:3: unknown escape \"\\n\""},
           {ok + "self \"\"", "mod.pack:3: empty phrase"},
           {ok + "self \"caf\xE9\"", "mod.pack:3: bad byte 0xE9 (a pack is printable 7-bit ASCII)"},
           {ok + "self \"a\tb\"", "mod.pack:3: bad byte 0x09 (a pack is printable 7-bit ASCII)"},
           {ok + "self \"a\"\rb", "mod.pack:3: bad byte 0x0D (a pack is printable 7-bit ASCII)"},
           {std::string(kPackMaxLines, '\n') + "self \"x\"",
            "mod.pack:1001: more than 1000 lines, the most a pack may have"},
           {std::string(kPackMaxBytes + 1, '#'),
            "mod.pack: larger than 32768 bytes, the most a pack may have"},
       }) {
    PhrasePackLoad load = ParsePhrasePack(c.text, "mod.pack");
    EXPECT_EQ(load.error, c.error);
    EXPECT_FALSE(load.pack.has_value()) << c.error;
  }
}

// Tables with Bob in slot 2 and Alice in slot 5 and one print, analysed with `pack`.
DemoTables analysed(int level, const std::string& text, const PhrasePack* pack) {
  DemoTables t;
  t.players[2].name = "Bob";
  t.players[5].name = "Alice";
  t.players.playerCount = 5;
  t.log.add(static_cast<std::uint8_t>(level), text, 0);
  t.log.logCount = 1;
  ObituaryAnalysis(t, pack);
  TallyAndRank(t);
  return t;
}

TEST(PhrasePack, MatchingRules) {
  const PhrasePack pack = packOf(kPack);
  struct Case {
    std::string why;
    int level;
    std::string text;
    int killer;  // 0: nothing counted; 2: a self-kill of Bob; 5: a kill by Alice
    int weapon;
    bool builtIn;  // counted the same without the pack
  };
  for (const Case& c : std::vector<Case>{
           {"a kill line gives the weapon", 1, "Bob was spread around the place by Alice", 5, 7,
            false},
           {"file order: the first line that matches", 1,
            "Bob was used by Alice for target practice", 5, 9, false},
           {"every phrase of a line must occur", 1, "Bob was used by Alice", 5, 1, false},
           {"built-in phrases first", 1, "Bob was railed and spread around the place by Alice", 5,
            9, true},
           {"kill lines only with a killer", 1, "Bob was spread around the place by Carl", 0, 0,
            false},
           {"a self line makes a self-kill", 1, "Bob tripped over his own feet", 2, 0, false},
           {"every phrase of a self line must occur", 1, "Bob tripped over a rail", 0, 0, false},
           {"self lines only without a killer", 1, "Bob tripped over Alice's own feet", 0, 0,
            false},
           {"built-in self-kills first", 1, "Bob died", 2, 0, true},
           {"join notices never count", 1, "Bob entered the game", 0, 0, true},
           {"leave notices never count", 1, "Bob left the game: entered", 0, 0, true},
           {"only level 1", 2, "Bob was spread around the place by Alice", 0, 0, true},
       }) {
    for (const PhrasePack* p : {&pack, static_cast<const PhrasePack*>(nullptr)}) {
      const bool counted = p != nullptr || c.builtIn;
      DemoTables t = analysed(c.level, c.text, p);
      const int killer = counted ? c.killer : 0;
      const std::string why = c.why + (p != nullptr ? " (with the pack)" : " (without)");
      EXPECT_EQ(t.log[1].killer, killer) << why;
      EXPECT_EQ(t.log[1].victim, killer != 0 ? 2 : 0) << why;
      if (killer != 0) {
        EXPECT_EQ(t.killMatrix(2, killer, 0), 1u) << why;
        if (c.weapon != 0) {
          EXPECT_EQ(t.killMatrix(2, killer, c.weapon), 1u) << why;
        }
        EXPECT_EQ(t.players[2].deaths, 1) << why;
      }
    }
  }
}

// Every counter and place of the players, the kill counts and the log's killers and
// victims are the same in `a` and `b`.
void expectSameAnalysis(const DemoTables& a, const DemoTables& b, const std::string& why) {
  const PlayerTable& pa = a.players;
  const PlayerTable& pb = b.players;
  ASSERT_EQ(pa.slotCount, pb.slotCount) << why;
  EXPECT_EQ(pa.playerCount, pb.playerCount) << why;
  EXPECT_EQ(pa.idleCount, pb.idleCount) << why;
  EXPECT_EQ(pa.emptyCount, pb.emptyCount) << why;
  for (int s = 1; s <= pa.slotCount; ++s) {
    EXPECT_EQ(pa[s].frags, pb[s].frags) << why << " slot " << s;
    EXPECT_EQ(pa[s].kills, pb[s].kills) << why << " slot " << s;
    EXPECT_EQ(pa[s].deaths, pb[s].deaths) << why << " slot " << s;
    EXPECT_EQ(pa[s].rank, pb[s].rank) << why << " slot " << s;
    EXPECT_EQ(pa[s].team, pb[s].team) << why << " slot " << s;
    for (int k = 1; k <= pa.slotCount; ++k) {
      for (int w = 0; w < kWeaponIndices; ++w)
        EXPECT_EQ(a.killMatrix(s, k, w), b.killMatrix(s, k, w)) << why;
    }
  }
  ASSERT_EQ(a.log.logCount, b.log.logCount) << why;
  for (std::uint32_t r = 1; r <= a.log.logCount; ++r) {
    EXPECT_EQ(a.log[r].killer, b.log[r].killer) << why << " record " << r;
    EXPECT_EQ(a.log[r].victim, b.log[r].victim) << why << " record " << r;
  }
}

TEST(PhrasePack, AnalysingTheLoadedDemoAgainEqualsANewScan) {
  DemoWriter w = demoWithPlayers({{0, "Ann", "male/grunt"},
                                  {1, "Bob", "female/athena"},
                                  {2, "Cid", "male/grunt"},
                                  {3, "Idler", "male/grunt"}});
  for (const char* text : {"Ann was spread around the place by Bob\n", "Bob was railed by Cid\n",
                           "Cid tripped over his own feet\n", "Ann was used by Cid\n",
                           "Bob entered the game\n", "Cid died.\n"}) {
    w.print(1, text).endBlock();
  }
  const std::string demo = w.finish();
  const PhrasePack pack = packOf(kPack);
  const PhrasePack empty = packOf("# nothing\n");

  DemoTables plain;
  DemoScanBytes(plain, demo);
  DemoTables withPack;
  DemoScanBytes(withPack, demo, nullptr, &pack);
  EXPECT_GT(withPack.players[1].deaths, plain.players[1].deaths);

  DemoTables loaded;
  DemoScanBytes(loaded, demo);
  TallyTeamPlay(loaded, 0);  // the window may show team play when the pack is chosen
  RerunObituaryAnalysis(loaded, &pack);
  expectSameAnalysis(loaded, withPack, "the pack chosen");
  RerunObituaryAnalysis(loaded, nullptr);
  expectSameAnalysis(loaded, plain, "back to the built-in phrases");
  RerunObituaryAnalysis(loaded, &empty);
  expectSameAnalysis(loaded, plain, "a pack without lines");
}

TEST(PhrasePack, ReportCommandTakesAPack) {
  TempDir dir;
  DemoWriter w = demoWithPlayers({{0, "Ann", "male/grunt"}, {1, "Bob", "female/athena"}});
  w.print(1, "Ann was spread around the place by Bob\n").endBlock();
  const std::string demo = dir.file("mod.dm2");
  writeFile(demo, w.finish());
  writeFile(dir.file("mod.pack"), kPack);
  writeFile(dir.file("bad.pack"), "kill RL \"x\"\nkill 13 \"x\"\n");

  CommandResult json = runCommand({"--format", "json", "--phrases", dir.file("mod.pack"), demo});
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_NE(json.out.find("\"phrasePack\": \"mod.pack\",\n"), std::string::npos);
  EXPECT_NE(json.out.find("{\"victim\": 1, \"killer\": 2, \"weapon\": 7, \"count\": 1}"),
            std::string::npos);
  CommandResult plainJson = runCommand({"--format", "json", demo});
  EXPECT_NE(plainJson.out.find("\"phrasePack\": null,\n"), std::string::npos);
  for (const char* format : {"text", "html", "log"}) {
    CommandResult with = runCommand({"--format", format, "--phrases", dir.file("mod.pack"), demo});
    CommandResult without = runCommand({"--format", format, demo});
    EXPECT_EQ(with.status, 0) << format;
    EXPECT_EQ(with.out == without.out, std::string(format) == "log") << format;
  }

  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {{"--phrases", dir.file("bad.pack"), demo},
            "obitrak-report: " + dir.file("bad.pack") + ":2: unknown weapon \"13\"\n"},
           {{"--phrases", dir.file("none.pack"), demo},
            "obitrak-report: " + dir.file("none.pack") + ": File not found\n"},
           {{demo, "--phrases"}, "obitrak-report: --phrases needs a pack file\n"},
       }) {
    CommandResult r = runCommand(c.args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_TRUE(r.err.starts_with(c.err)) << r.err;
    EXPECT_EQ(r.out, "") << c.err;
  }
}

// Every obituary of the bundled packs' mod demos is counted with the pack.
TEST(PhrasePack, BundledPackCountsEveryDeathOfTheModDemo) {
  const std::filesystem::path demo = realDemosDir() / "bots_stellar_mod.dm2";
  if (realDemosDir().empty() || !std::filesystem::exists(demo)) GTEST_SKIP() << "no real demos";
  PhrasePackLoad load = LoadPhrasePack(std::string(OBITRAK_PACKS_DIR) + "/gladiator.pack");
  ASSERT_TRUE(load.pack.has_value()) << load.error;
  DemoTables plain;
  DemoScan(plain, demo.string());
  DemoTables t;
  DemoScan(t, demo.string(), nullptr, &*load.pack);
  int lost = 0;
  for (const LogRecord& r : t.log) {
    const bool notice = r.text.find("entered the game") != std::string_view::npos ||
                        r.text.find("left the game") != std::string_view::npos;
    if (r.level == 1 && !notice) {
      EXPECT_NE(r.killer, 0) << r.text;
    }
  }
  for (const LogRecord& r : plain.log) lost += r.level == 1 && r.killer == 0 ? 1 : 0;
  EXPECT_GT(lost, 0) << "the built-in phrases alone miss some of its deaths";
}

}  // namespace
}  // namespace obitrak::test
