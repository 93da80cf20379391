// What the reports, the summary, the library and obitrak-report make of a demo counted with
// a mod's own weapons, and the shared demos of the mods counted with the bundled packs.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ModDemos.h"
#include "SmallDemos.h"
#include "TestSupport.h"
#include "export/HtmlExport.h"
#include "export/JsonExport.h"
#include "export/SummaryExport.h"
#include "export/TextExport.h"
#include "library/LibraryIndexer.h"
#include "library/LibraryStore.h"
#include "stats/RankedPlayers.h"
#include "stats/Scoreboard.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

DemoTables modTables(const PhrasePack& pack) {
  DemoTables t;
  DemoScanBytes(t, modDemo("modx"), nullptr, &pack);
  recomputeAllWeapons(t, false);
  return t;
}

TEST(ModReport, ReportsShowThePacksWeaponsAndLocations) {
  const PhrasePack pack = modPack();
  const DemoTables t = modTables(pack);
  StringSink text;
  WriteTextDescription(t, "mod.dm2", false, text);
  expectGolden("mod_ffa.txt", text.data());
  StringSink html;
  WriteHtmlDescription(t, "mod.dm2", false, HtmlColorSet::defaults(), html);
  EXPECT_NE(html.data().find("colspan=\"3\""), std::string::npos);
  EXPECT_NE(html.data().find("<td width=\"6%\" title=\"Knife\">KNF</td>"), std::string::npos);

  StringSink sink;
  WriteJsonReport(t, "mod.dm2", false, {}, sink);
  const json j = json::parse(sink.data());
  EXPECT_EQ(j["phrasePack"], "mod.pack");
  EXPECT_EQ(j["weaponTotals"][1],
            json::parse(R"({"weapon": 2, "label": "KNF", "name": "Knife", "kills": 1})"));
  EXPECT_EQ(j["players"][0]["hitLocations"],
            json::parse(R"({"head": 1, "chest": 0, "stomach": 0, "legs": 1})"));
  EXPECT_EQ(j["scoreboard"]["players"][0],
            json::parse(R"({"name": "Ann", "score": 1, "countedFrags": 3, "bonus": -2})"));
  EXPECT_TRUE(j["scoreboard"]["agrees"].get<bool>());
}

TEST(ModReport, SummaryJoinsWeaponSetsByLabel) {
  const PhrasePack pack = modPack();
  DemoTables original = scanned(smallTeamDemo());
  DemoTables mod = modTables(pack);
  const std::vector<DemoResult> demos{DemoResultOf(original, "a.dm2", {}),
                                      DemoResultOf(mod, "b.dm2", {})};
  SummaryBuilder reversed(false);
  reversed.add(demos[1], 1);
  reversed.add(demos[0], 0);
  const Summary s = reversed.finish();
  ASSERT_EQ(s.weapons.size(), 14u);
  EXPECT_EQ(s.weapons[12].label, "PSTL");
  EXPECT_EQ(s.weapons[13].label, "KNF");
  EXPECT_EQ(s.weapons, Summarize(demos, false).weapons) << "in any order";
  const PlayerTotals& ann = *std::find_if(s.players.begin(), s.players.end(),
                                          [](const PlayerTotals& p) { return p.name == "Ann"; });
  EXPECT_EQ(ann.weaponKills[12], 2);
  EXPECT_EQ(ann.weaponKills[13], 1);
  EXPECT_EQ(ann.hitLocationKills[static_cast<std::size_t>(HitLocation::Legs)], 1);
  EXPECT_EQ(s.demos[1].pack, "mod.pack");

  StringSink text;
  WriteTextSummary(s, text);
  EXPECT_NE(text.data().find("Kills by hit location:"), std::string::npos);
  EXPECT_NE(text.data().find("Pack      "), std::string::npos);
  StringSink js;
  WriteJsonSummary(s, nullptr, js);
  const json j = json::parse(js.data());
  EXPECT_EQ(j["demos"][0]["phrasePack"], nullptr);
  EXPECT_EQ(j["demos"][1]["phrasePack"], "mod.pack");
  EXPECT_EQ(j["players"][0]["weaponKills"].size(), 14u);
}

// The library keeps what the pack made of a demo and counts it again when the bundled pack
// of its game directory changes, and only then.
TEST(ModReport, LibraryFollowsTheBundledPacks) {
  TempDir dir;
  const std::vector<std::string> demos{dir.file("mod.dm2"), dir.file("plain.dm2")};
  writeFile(demos[0], modDemo("modx"));
  writeFile(demos[1], smallTeamDemo());
  auto index = [&](const std::string& packText) {
    writeFile(dir.file("packs/mod.pack"), packText);
    const PackShelfLoad shelf = LoadPackShelf(dir.file("packs"));
    LibraryStore store(dir.file("library.sqlite"));
    std::vector<IndexOutcome> outcomes(2);
    LibraryIndexer(&store, PackChoice::byGameDir(shelf.shelf), 1).run(demos, [&](IndexOutcome&& o) {
      outcomes[o.index] = std::move(o);
    });
    return outcomes;
  };
  fs::create_directory(dir.path() / "packs");
  const std::vector<IndexOutcome> first = index(kModPackText);
  const std::vector<IndexOutcome> again = index(kModPackText);
  EXPECT_EQ(again[0].kind, IndexOutcome::Kind::Reused);
  EXPECT_EQ(again[0].result, first[0].result);
  EXPECT_EQ(first[0].result.pack, "mod.pack");
  EXPECT_EQ(first[0].result.players[0].hitLocationKills[1], 1);

  const std::vector<IndexOutcome> changed = index(kModPackText + "self \"ph34rs\"\n");
  EXPECT_EQ(changed[0].kind, IndexOutcome::Kind::Scanned);
  EXPECT_EQ(changed[1].kind, IndexOutcome::Kind::Reused);
}

TEST(ModReport, CommandChoosesTheBundledPackUnlessTold) {
  TempDir dir;
  fs::create_directories(dir.path() / "bin");
  fs::create_directories(dir.path() / "share/obitrak/packs");
  writeFile(dir.file("share/obitrak/packs/mod.pack"), kModPackText);
  writeFile(dir.file("demo.dm2"), modDemo("ModX"));
  const std::string bin = dir.file("bin");
  const struct {
    std::vector<std::string> args;
    std::string pack;  // what the JSON report names
  } cases[] = {
      {{}, "\"mod.pack\""},
      {{"--no-pack"}, "null"},
      {{"--phrases", dir.file("share/obitrak/packs/mod.pack")}, "\"mod.pack\""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"--format", "json", dir.file("demo.dm2")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CommandResult r = runCommand(args, bin);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"phrasePack\": " + c.pack + ",\n"), std::string::npos) << r.out;
  }
  const CommandResult both = runCommand({"--phrases", "x.pack", "--no-pack", "d.dm2"}, bin);
  EXPECT_EQ(both.status, 2);
  EXPECT_TRUE(both.err.starts_with("obitrak-report: --phrases and --no-pack exclude each other\n"));
  writeFile(dir.file("share/obitrak/packs/bad.pack"), "kill 13 \"x\"\n");
  const CommandResult bad = runCommand({dir.file("demo.dm2")}, bin);
  EXPECT_EQ(bad.status, 0);
  EXPECT_NE(bad.err.find("bad.pack:1: unknown weapon \"13\" (bundled pack left out)\n"),
            std::string::npos);
}

// The shared demos of the mods: with the bundled packs every death counts, and what stays
// uncounted of their level-1 messages are the streak bonuses and renames. The server
// recording's deaths include those sent only to players other than the recording one.
TEST(ModReport, SharedModDemosCountEveryDeath) {
  if (realDemosDir().empty()) GTEST_SKIP() << "no real demos in ../shared/demos";
  const PackShelfLoad shelf = LoadPackShelf(OBITRAK_PACKS_DIR);
  ASSERT_TRUE(shelf.errors.empty());
  const struct {
    const char* demo;
    int deaths;
  } cases[] = {{"aq2_clan_actcity2.dm2", 150}, {"aq2_clan_asylum.dm2", 146},
               {"aq2_clan_jungle1.dm2", 417},  {"aq2_clan_urban2.dm2", 322},
               {"chaos_bots1.dm2", 13},        {"aqtion_server_asylum.mvd2.gz", 152}};
  for (const auto& c : cases) {
    const fs::path path = realDemosDir() / c.demo;
    if (!fs::exists(path)) continue;
    DemoTables t;
    DemoScan(t, path.string(), nullptr, PackChoice::byGameDir(shelf.shelf));
    int deaths = 0;
    for (const LogRecord& r : t.log) {
      if (r.level != 1) continue;
      deaths += r.victim != 0 ? 1 : 0;
      const bool notice = r.text.find(" kills in a row ") != std::string_view::npos ||
                          r.text.find(" is now known as ") != std::string_view::npos;
      EXPECT_TRUE(r.victim != 0 || notice) << c.demo << ": " << r.text;
    }
    EXPECT_EQ(deaths, c.deaths) << c.demo;
    // The two matches whose teams' kills the board takes back agree with it counted so.
    const std::string_view name(c.demo);
    if (name == "aq2_clan_asylum.dm2" || name == "aq2_clan_jungle1.dm2") {
      EXPECT_TRUE(CompareScoreboard(t).agreesAsTeams()) << c.demo;
    }
  }
}

}  // namespace
}  // namespace obitrak::test
