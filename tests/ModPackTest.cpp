// Packs of mods: their own weapons, hit locations, score points and game directories, the
// analysis under them, and the choice of a pack by the demo's game directory.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ModDemos.h"
#include "TestSupport.h"
#include "scan/ObituaryAnalysis.h"
#include "scan/PackChoice.h"
#include "stats/Scoreboard.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

TEST(ModPack, ReadsWeaponsLocationsPointsAndGames) {
  const PhrasePack pack = modPack();
  EXPECT_EQ(pack.ownWeapons(), WeaponSet({{"PSTL", "Pistol of the long name"}, {"KNF", "Knife"}}));
  EXPECT_EQ(pack.games(), (std::vector<std::string>{"modx", "ModY"}));
  EXPECT_TRUE(pack.isFor("MODX"));
  EXPECT_FALSE(pack.isFor("mod"));
  EXPECT_TRUE(pack.namesLocations());
  const std::vector<PackLine>& l = pack.lines();
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(std::tuple(l[0].weapon, l[0].location), std::tuple(1, HitLocation::Head));
  EXPECT_EQ(std::tuple(l[2].weapon, l[2].location), std::tuple(2, HitLocation::Legs));
  EXPECT_EQ(std::tuple(l[3].kind, l[3].points), std::tuple(PackLineKind::Score, -2));
}

TEST(ModPack, EveryErrorOfTheNewLinesNamesFileAndLine) {
  std::string fifteen;
  for (int w = 1; w <= kMaxWeapons; ++w) fifteen += "weapon W" + std::to_string(w) + " \"w\"\n";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"weapon PST", "1: missing weapon name in quotes"},
      {"weapon \"Pistol\"", "1: missing weapon label"},
      {"weapon LONGER7 \"x\"", "1: bad weapon label \"LONGER7\" (1 to 6 letters, digits or _+/.-)"},
      {"weapon 12 \"x\"", "1: weapon label \"12\" is a number"},
      {"weapon A \"x\"\nweapon A \"y\"", "2: weapon label \"A\" given twice"},
      {fifteen + "weapon X \"x\"", "16: more than 15 weapons"},
      {"weapon A \"x\" more", "1: expected the end of the line, not \"more\""},
      {"weapon A \"" + std::string(41, 'n') + "\"", "1: weapon name longer than 40 characters"},
      {"kill RL \"x\"\nweapon A \"y\"", "2: weapon lines come before the first kill line"},
      {"weapon A \"x\"\nkill RL \"y\"", "2: unknown weapon \"RL\""},
      {"kill RL throat \"x\"", "1: unknown hit location \"throat\" (head, chest, stomach or legs)"},
      {"score \"x\"", "1: missing points"},
      {"score 0 \"x\"", "1: bad points \"0\" (a whole number from -1000 to 1000, not 0)"},
      {"score 1001 \"x\"", "1: bad points \"1001\" (a whole number from -1000 to 1000, not 0)"},
      {"games", "1: missing game directory"},
      {"games a\"b\"", "1: expected a game directory, not \"\"b\"\""},
  };
  for (const auto& c : cases) {
    const PhrasePackLoad load = ParsePhrasePack(c.text, "mod.pack");
    EXPECT_EQ(load.error, "mod.pack:" + c.error);
  }
}

TEST(ModPack, AnalysisCountsUnderThePacksWeapons) {
  const PhrasePack pack = modPack();
  const struct {
    std::string text;
    int killer;  // 0: no death; 2: a self-kill of Bob; 5: a kill by Alice
    int weapon;
    HitLocation location;
    int alicePoints;
  } cases[] = {
      {"Bob has a hole in his head from Alice's pistol", 5, 1, HitLocation::Head, 0},
      {"Bob was shot by Alice", 5, 1, HitLocation::None, 0},
      {"Bob was stabbed in the legs by Alice", 5, 2, HitLocation::Legs, 0},
      {"Bob was railed by Alice", 0, 0, HitLocation::None, 0},  // the original twelve's
      {"Bob plummets to his death", 2, 0, HitLocation::None, 0},
      {"Bob died.", 2, 0, HitLocation::None, 0},
      {"Alice ph34rs nobody", 0, 0, HitLocation::None, -2},
  };
  for (const auto& c : cases) {
    DemoTables t = twoPlayers(c.text);
    ObituaryAnalysis(t, &pack);
    EXPECT_EQ(t.weapons, *pack.ownWeapons());
    EXPECT_EQ(t.packName, "mod.pack");
    EXPECT_TRUE(t.hitLocations.told);
    EXPECT_EQ(t.log[1].killer, c.killer) << c.text;
    EXPECT_EQ(t.log[1].weapon, c.weapon) << c.text;
    EXPECT_EQ(t.log[1].hitLocation, c.location) << c.text;
    if (c.location != HitLocation::None) {
      EXPECT_EQ(t.hitLocations(5, c.weapon, c.location), 1u);
    }
    EXPECT_EQ(t.scoreBonus[5], c.alicePoints) << c.text;
  }
  // Without it the counters mean the original twelve again.
  DemoTables t = twoPlayers("Bob was railed by Alice");
  ObituaryAnalysis(t, &pack);
  RerunObituaryAnalysis(t, {});
  EXPECT_TRUE(t.weapons.isOriginal());
  EXPECT_EQ(t.log[1].weapon, 9);
  EXPECT_EQ(t.packName, "");
  EXPECT_FALSE(t.hitLocations.told);
}

// A reader that resolved deaths itself keeps the weapons it named for them.
TEST(ModPack, ResolvedDeathsKeepTheReadersWeapons) {
  DemoTables t = twoPlayers("Bob was shot by Alice");
  const WeaponSet readers(std::vector<Weapon>(13, Weapon{"R", "Reader's"}));
  t.weapons = readers;
  LogRecord& r = t.log.add(1, "a key", 0);
  r.resolved = true;
  r.victim = 2;
  r.killer = 5;
  r.weapon = 13;
  t.log.logCount = 2;
  const PhrasePack pack = modPack();
  ObituaryAnalysis(t, &pack);
  EXPECT_EQ(t.weapons, readers);
  EXPECT_EQ(t.killMatrix(2, 5, 13), 1u);
  EXPECT_EQ(t.killMatrix(2, 5, 0), 1u) << "the pack's kill lines name other weapons";
  DemoTables copy = t;
  RerunObituaryAnalysis(copy, {});
  EXPECT_EQ(copy.killMatrix(2, 5, 13), 1u) << "a copy keeps what the reader resolved";
}

// A folder of packs: regular .pack files in name order, a pack in error left out.
class PackShelfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir.file("a.pack"), kModPackText);
    writeFile(dir.file("b.pack"), "games MODX\nkill RL \"x\"\n");
    writeFile(dir.file("bad.pack"), "kill 13 \"x\"\n");
    writeFile(dir.file("notes.txt"), "games other\n");
    fs::create_symlink(dir.file("b.pack"), dir.file("link.pack"));
  }
  TempDir dir;
};

TEST_F(PackShelfTest, TheDemosGameDirectoryChoosesThePack) {
  const PackShelfLoad load = LoadPackShelf(dir.path().string());
  ASSERT_EQ(load.shelf.packs().size(), 2u);
  EXPECT_EQ(load.errors,
            std::vector<std::string>{dir.file("bad.pack") + ":1: unknown weapon \"13\""});
  EXPECT_TRUE(LoadPackShelf(dir.file("none")).shelf.packs().empty());
  const PackChoice choice = PackChoice::byGameDir(load.shelf);
  const PhrasePack* chosen = load.shelf.forGameDir("ModX");
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->name(), "a.pack");

  for (const std::string gameDir : {"ModX", "baseq2"}) {
    DemoTables t;
    const ScanReport report = DemoScanBytes(t, modDemo(gameDir), nullptr, choice);
    const bool mod = gameDir == "ModX";
    EXPECT_EQ(report.pack, mod ? chosen : nullptr) << gameDir;
    EXPECT_EQ(t.weapons.isOriginal(), !mod) << gameDir;
    EXPECT_EQ(t.killMatrix(2, 1, 0), mod ? 3u : 0u) << gameDir;
  }
  EXPECT_EQ(bundledPacksFolder("/opt/obitrak/bin"), "/opt/obitrak/share/obitrak/packs");
}

// The kills past a full message log are counted with the same pack, locations and points.
TEST_F(PackShelfTest, KillsPastTheLogCountTheSame) {
  const PackShelfLoad load = LoadPackShelf(dir.path().string());
  const PackChoice choice = PackChoice::byGameDir(load.shelf);
  DemoTables whole;
  DemoScanBytes(whole, modDemo("modx"), nullptr, choice);
  DemoTables cut;
  cut.log.setLimits({2, 1 << 20});
  DemoScanBytes(cut, modDemo("modx"), nullptr, choice);
  EXPECT_EQ(cut.log.logCount, 2u);
  for (int w = 0; w <= 2; ++w) EXPECT_EQ(cut.killMatrix(2, 1, w), whole.killMatrix(2, 1, w));
  EXPECT_EQ(cut.hitLocations(1, 1, HitLocation::Head), 1u);
  EXPECT_EQ(cut.scoreBonus, whole.scoreBonus);
  EXPECT_EQ(CompareScoreboard(cut).players.front().bonus, -2);
}

// A team game's board takes a frag for a teammate's killing; the comparison says so.
TEST(ModPack, TeamKillsExplainABoard) {
  DemoWriter w = demoWithPlayers(
      {{0, "Ann", "male/grunt"}, {1, "Bob", "male/grunt"}, {2, "Cid", "female/athena"}});
  for (const char* text : {"Bob was railed by Ann\n", "Cid was railed by Ann\n"})
    w.print(1, text).endBlock();
  w.layout("client 0 0 0 0 5 1 client 0 0 2 0 5 1").endBlock();
  const ScoreboardComparison c = CompareScoreboard(scanned(w.finish()));
  EXPECT_FALSE(c.agrees());
  EXPECT_TRUE(c.agreesAsTeams());
  EXPECT_FALSE(c.countedLower);
  EXPECT_EQ(scoreboardVerdict(c), "agrees with teams of identical skins");
}

}  // namespace
}  // namespace obitrak::test
