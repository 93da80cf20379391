#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "scan/DemoScan.h"
#include "stats/Aliases.h"
#include "stats/Glicko2.h"
#include "stats/Results.h"
#include "stats/Summary.h"

namespace obitrak::test {
namespace {

struct AliasCase {
  const char* text;
  const char* error;  // empty when the file is good
};

class AliasesFile : public ::testing::TestWithParam<AliasCase> {};

TEST_P(AliasesFile, ReadsOrNamesTheLine) {
  const AliasesLoad load = ParseAliases(GetParam().text, "people.txt");
  EXPECT_EQ(load.error, GetParam().error);
  EXPECT_EQ(load.aliases.has_value(), load.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    People, AliasesFile,
    ::testing::Values(AliasCase{"# crew\n\nplayer \"claire\" \"[dream]claire\" \"cla1re\"\r\n", ""},
                      AliasCase{"player \"a\\\"b\" \"c\\\\d\" \"\\x90\\xE9\"", ""},
                      AliasCase{"\nplayer claire", "people.txt:2: expected a name in quotes"},
                      AliasCase{"gamer \"x\"", "people.txt:1: expected player, not \"gamer\""},
                      AliasCase{"player", "people.txt:1: missing name"},
                      AliasCase{"player \"x", "people.txt:1: missing quote"},
                      AliasCase{"player \"\"", "people.txt:1: empty name"},
                      AliasCase{"player \"\\q\"", "people.txt:1: unknown escape \"\\\\q\""},
                      AliasCase{
                          "player \"123456789012345678901\"",
                          "people.txt:1: name longer than 20 bytes: \"123456789012345678901\""},
                      AliasCase{"player \"a\" \"b\"\nplayer \"c\" \"b\"",
                                "people.txt:2: \"b\" is already a name of \"a\" (line 1)"}));

TEST(Aliases, WrittenFileReadsBackAndMergeAndSplitKeepOneOwnerPerName) {
  Aliases aliases(std::vector<Person>{{"claire", {"[dream]claire"}}, {"shloo", {}}});
  aliases.merge({"cla1re", "[dream]claire"}, "claire");
  EXPECT_EQ(aliases.personOf("cla1re"), "claire");
  EXPECT_EQ(aliases.personOf("[dream]claire"), "claire");
  aliases.merge({"sh\x90loo\n\"\\"}, "shloo");
  const AliasesLoad back = ParseAliases(AliasesText(aliases), "a");
  ASSERT_TRUE(back.aliases) << back.error;
  EXPECT_EQ(back.aliases->personOf("sh\x90loo\n\"\\"), "shloo");
  EXPECT_EQ(back.aliases->people().size(), 2u);
  aliases.split("cla1re");
  EXPECT_EQ(aliases.personOf("[dream]claire"), "[dream]claire");
  EXPECT_EQ(aliases.personOf("stranger"), "stranger");
}

// A demo whose players are given in place order: name, frags and team.
struct Entry {
  std::string name;
  int frags;
  int team = 0;
};

DemoResult demoOf(const std::vector<Entry>& entries, std::int64_t day = 0) {
  DemoResult d;
  d.modified = FileTime{day * 86'400, 0};
  int slot = 0;
  for (const Entry& e : entries) {
    ++slot;
    d.players.push_back({.slot = slot,
                         .name = e.name,
                         .skin = "",
                         .place = slot,
                         .frags = e.frags,
                         .teamPlace = slot,
                         .teamFrags = e.frags,
                         .team = e.team,
                         .clientSlot = slot});
  }
  return d;
}

struct OutcomeCase {
  const char* what;
  std::vector<Entry> players;
  bool teamPlay;
  ResultKind kind;
  std::vector<std::vector<std::string>> sides;  // best first
  std::vector<int> places;
};

class Outcomes : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(Outcomes, FollowTheCountedFrags) {
  const OutcomeCase& c = GetParam();
  const Aliases aliases(std::vector<Person>{{"ann", {"ann_old"}}});
  const DemoOutcome o =
      outcomeOf(demoOf(c.players), c.teamPlay,
                [&](const std::string& n) -> const std::string& { return aliases.personOf(n); });
  EXPECT_EQ(o.kind, c.kind);
  ASSERT_EQ(o.sides.size(), c.sides.size());
  for (std::size_t i = 0; i < o.sides.size(); ++i) {
    EXPECT_EQ(o.sides[i].people, c.sides[i]);
    EXPECT_EQ(o.sides[i].place, c.places[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    People, Outcomes,
    ::testing::Values(
        OutcomeCase{
            "duel", {{"ann", 5}, {"bob", 3}}, false, ResultKind::Duel, {{"ann"}, {"bob"}}, {1, 2}},
        OutcomeCase{
            "draw", {{"ann", 3}, {"bob", 3}}, false, ResultKind::Duel, {{"ann"}, {"bob"}}, {1, 1}},
        OutcomeCase{"alone", {{"ann", 3}}, false, ResultKind::None, {}, {}},
        OutcomeCase{"a rename is one player",
                    {{"bob", 4}, {"ann", 3}, {"ann_old", 2}},
                    false,
                    ResultKind::Duel,
                    {{"ann"}, {"bob"}},
                    {1, 2}},
        OutcomeCase{"free-for-all",
                    {{"cid", 6}, {"ann", 2}, {"bob", 2}},
                    false,
                    ResultKind::FreeForAll,
                    {{"cid"}, {"ann"}, {"bob"}},
                    {1, 2, 2}},
        OutcomeCase{"teams",
                    {{"ann", 5, 1}, {"cid", 1, 2}, {"bob", 2, 1}, {"dee", 1, 2}},
                    true,
                    ResultKind::Teams,
                    {{"ann", "bob"}, {"cid", "dee"}},
                    {1, 2}},
        OutcomeCase{"one team", {{"ann", 5, 1}, {"bob", 2, 1}}, true, ResultKind::None, {}, {}}),
    [](const auto& row) {
      std::string name = row.param.what;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(Records, EachSideMeetsEverySideBelowIt) {
  const DemoOutcome o = outcomeOf(demoOf({{"cid", 6}, {"ann", 2}, {"bob", 2}}), false,
                                  [](const std::string& n) -> const std::string& { return n; });
  std::vector<std::string> pairs;
  forEachPair(o, [&](const PairOutcome& p) {
    pairs.push_back(*p.first + "-" + *p.second + ":" + std::to_string(p.score));
  });
  EXPECT_EQ(pairs,
            (std::vector<std::string>{"cid-ann:1.000000", "cid-bob:1.000000", "ann-bob:0.500000"}));
}

TEST(Records, PairsHeadToHeadNemesisAndPeople) {
  const Aliases aliases(std::vector<Person>{{"ann", {"ann_old"}}});
  std::vector<DemoResult> demos{demoOf({{"ann", 3}, {"bob", 1}}, 1),
                                demoOf({{"bob", 2}, {"ann_old", 2}, {"cid", 0}}, 2)};
  demos[0].kills = {{2, 1, 0, 3}, {1, 2, 0, 1}};  // ann killed bob three times, bob ann once
  const Summary s = Summarize(demos, false, &aliases);
  ASSERT_EQ(s.players.size(), 3u);
  const PlayerTotals& ann = s.players[0];
  EXPECT_EQ(ann.name, "ann");
  EXPECT_EQ(ann.aliases, std::vector<std::string>{"ann_old"});
  EXPECT_EQ(ann.demos, 2);
  EXPECT_EQ(std::vector<std::int64_t>({ann.wins, ann.losses, ann.draws}),
            std::vector<std::int64_t>({2, 0, 1}));
  EXPECT_EQ(ann.favouriteVictim, "bob");
  EXPECT_EQ(ann.nemesis, "bob");
  ASSERT_EQ(s.headToHead.size(), 3u);
  const HeadToHead& h = s.headToHead[0];
  EXPECT_EQ(s.players[h.first].name + "/" + s.players[h.second].name, "ann/bob");
  EXPECT_EQ(
      std::vector<std::int64_t>({h.firstWins, h.secondWins, h.draws, h.firstKills, h.secondKills}),
      std::vector<std::int64_t>({1, 0, 1, 3, 1}));
  EXPECT_EQ(s.demos[1].result.kind, ResultKind::FreeForAll);
}

// Of equal kills, the nemesis and the order of a killer's victims go by name, not by place.
TEST(Records, EqualKillsGoByName) {
  std::vector<DemoResult> demos{demoOf({{"zed", 9}, {"amy", 5}, {"bob", 1}})};
  demos[0].kills = {{3, 1, 0, 2}, {3, 2, 0, 2}, {2, 1, 0, 2}};  // zed and amy killed bob twice
  const Summary s = Summarize(demos, false);
  EXPECT_EQ(s.players[2].nemesis, "amy");
  EXPECT_EQ(s.players[0].favouriteVictim, "amy");
  std::vector<std::string> kills;
  for (const KillsBetween& k : s.kills)
    kills.push_back(s.players[k.killer].name + ">" + s.players[k.victim].name);
  EXPECT_EQ(kills, (std::vector<std::string>{"zed>amy", "zed>bob", "amy>bob"}));
}

// Whatever the demos, results add up: every win is someone's loss, a draw is two people's,
// and head-to-head holds every result and kill between two people once.
TEST(Records, AddUpOverTheRealDemos) {
  std::vector<DemoResult> demos;
  for (const std::filesystem::path& demo : realDemos()) {
    DemoTables t;
    const ScanReport report = DemoScan(t, demo.string());
    demos.push_back(DemoResultOf(t, demo.string(), report.notices));
  }
  if (demos.empty()) GTEST_SKIP() << "../shared/demos is absent";
  for (const bool teamPlay : {false, true}) {
    const Summary s = Summarize(demos, teamPlay);
    std::int64_t wins = 0, losses = 0, draws = 0, kills = 0;
    for (const PlayerTotals& p : s.players) {
      wins += p.wins;
      losses += p.losses;
      draws += p.draws;
      EXPECT_EQ(p.rating.has_value(), p.wins + p.losses + p.draws > 0) << p.name;
    }
    EXPECT_EQ(wins, losses);
    std::int64_t h2hResults = 0, h2hKills = 0;
    for (const HeadToHead& h : s.headToHead) {
      h2hResults += h.firstWins + h.secondWins + h.draws;
      h2hKills += h.firstKills + h.secondKills;
    }
    for (const KillsBetween& k : s.kills) kills += k.kills;
    EXPECT_EQ(h2hResults, wins + draws / 2);
    EXPECT_EQ(h2hKills, kills);
  }
}

TEST(Glicko2, ReproducesThePublishedExample) {
  const Rating r = glickoPeriod({1500, 200, 0.06}, {{1400, 30, 1}, {1550, 100, 0}, {1700, 300, 0}});
  EXPECT_NEAR(r.value, 1464.05, 0.01);
  EXPECT_NEAR(r.deviation, 151.52, 0.01);
  EXPECT_NEAR(r.volatility, 0.059996, 0.000001);
}

// Day 10 and day 13: the deviations grow over the two days between, and once more up to
// the last day; each day's games use the ratings of the day's start.
TEST(Glicko2, DaysWithoutGamesGrowTheDeviation) {
  const Ladder ladder = rateLadder(3, {{10, 0, 1, 1}, {13, 0, 2, 0.5}, {13, 1, 2, 0}}, 15);
  const Rating ann10 = glickoPeriod({}, {{1500, 350, 1}});
  const Rating bob10 = glickoPeriod({}, {{1500, 350, 0}});
  const Rating ann12 = glickoIdle(ann10, 2);
  const Rating bob12 = glickoIdle(bob10, 2);
  const Rating ann13 = glickoPeriod(ann12, {{1500, 350, 0.5}});
  const Rating cid13 =
      glickoPeriod({}, {{ann12.value, ann12.deviation, 0.5}, {bob12.value, bob12.deviation, 1}});
  EXPECT_EQ(ladder.history[0].back().rating, ann13);
  EXPECT_EQ(ladder.history[2].back().rating, cid13);
  EXPECT_EQ(ladder.current[0], glickoIdle(ann13, 2));
  EXPECT_EQ(ladder.history[1].back().rating, glickoPeriod(bob12, {{1500, 350, 0}}));
  EXPECT_EQ(ladder.history[1].size(), 2u);
}

TEST(Suggestions, RenamesCaseColourAndClanTags) {
  DemoWriter w = demoWithPlayers({{0, "Old", "male/grunt"}, {1, "bob", "male/grunt"}});
  w.frameBlocks(10).player(0, "New", "male/grunt").endBlock();
  DemoTables t = scanned(w.finish());
  std::vector<DemoResult> demos{DemoResultOf(t, "rename.dm2", {}),
                                demoOf({{"Bob", 1}, {"\xC5ve", 1}, {"Eve", 0}}),
                                demoOf({{"[dm]Zed", 1}, {"Zed", 1}})};
  const Summary s = Summarize(demos, false);
  std::vector<std::string> seen;
  for (const AliasSuggestion& a : s.aliasSuggestions) {
    std::string line = std::to_string(static_cast<int>(a.reason)) + ":";
    for (const std::string& n : a.names) line += n + ",";
    seen.push_back(line);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"0:New,Old,", "1:Bob,bob,", "2:Eve,\xC5ve,",
                                            "3:Zed,[dm]Zed,"}));
  const Aliases merged(std::vector<Person>{{"Old", {"New"}}});
  EXPECT_EQ(Summarize(demos, false, &merged).aliasSuggestions.size(), 3u);
}

}  // namespace
}  // namespace obitrak::test
