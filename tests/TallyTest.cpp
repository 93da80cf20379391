#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/ObituaryAnalysis.h"
#include "scan/Ranking.h"
#include "stats/Tally.h"

namespace obitrak {
namespace {

struct Player {
  int slot;
  std::string name;
  std::string skin;
};

DemoTables game(const std::vector<Player>& players, const std::vector<std::string>& obituaries) {
  DemoTables t;
  for (const Player& p : players) {
    t.players[p.slot].name = p.name;
    t.players[p.slot].skin = p.skin;
    if (p.slot > t.players.playerCount) t.players.playerCount = static_cast<std::uint8_t>(p.slot);
  }
  for (const std::string& text : obituaries) t.log.add(1, text, 0);
  t.log.logCount = static_cast<std::uint32_t>(t.log.size());
  ObituaryAnalysis(t);
  TallyAndRank(t);
  return t;
}

struct Counters {
  int frags;
  int kills;
  int deaths;
  int rank;
  int team;
  bool operator==(const Counters&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Counters& c) {
  return out << "frags " << c.frags << " kills " << c.kills << " deaths " << c.deaths << " rank "
             << c.rank << " team " << c.team;
}

Counters of(const DemoTables& t, int slot) {
  const PlayerRecord& p = t.players[slot];
  return {p.frags, p.kills, p.deaths, p.rank, p.team};
}

// Ann (X) kills Bob (Y) twice with the railgun, Cid (X) kills his teammate Ann with a
// rocket, Bob kills Cid with the shotgun and Bob kills himself. Eve is idle, slot 4 empty.
DemoTables threePlayers() {
  return game({{1, "Ann", "male/grunt"},
               {2, "Bob", "female/athena"},
               {3, "Cid", "male/grunt"},
               {5, "Eve", "male/grunt"}},
              {"Bob was railed by Ann", "Bob was railed by Ann", "Ann ate Cid's rocket",
               "Cid was gunned down by Bob", "Bob died."});
}

TEST(Tally, FreeForAllAfterTheScan) {
  DemoTables t = threePlayers();
  TallyFreeForAll(t, 0);
  EXPECT_EQ(of(t, 1), (Counters{2, 2, 1, 1, 0}));
  EXPECT_EQ(of(t, 3), (Counters{1, 1, 1, 2, 0}));
  EXPECT_EQ(of(t, 2), (Counters{0, 1, 3, 3, 0})) << "a self-kill costs a frag and is a death";
  EXPECT_EQ(of(t, 5), (Counters{0, 0, 0, kRankIdle, 0}));
  EXPECT_EQ(of(t, 4), (Counters{0, 0, 0, kRankEmpty, 0}));
}

TEST(Tally, OneWeaponKeepsTheOrder) {
  DemoTables t = threePlayers();
  TallyFreeForAll(t, 2);  // shotgun
  EXPECT_EQ(of(t, 1), (Counters{0, 0, 0, 1, 0}));
  EXPECT_EQ(of(t, 3), (Counters{0, 0, 1, 2, 0}));
  EXPECT_EQ(of(t, 2), (Counters{1, 1, 0, 3, 0})) << "self-kills belong to no weapon";
  TallyFreeForAll(t, 9);  // railgun
  EXPECT_EQ(of(t, 1), (Counters{2, 2, 0, 1, 0}));
  EXPECT_EQ(of(t, 2), (Counters{0, 0, 2, 3, 0}));
  TallyFreeForAll(t, 13);  // never written
  for (int s : {1, 2, 3}) EXPECT_EQ(t.players[s].kills + t.players[s].deaths, 0);
}

TEST(Tally, TeamPlayCountsTeamKillsAgainstTheKiller) {
  DemoTables t = threePlayers();
  TallyTeamPlay(t, 0);
  // Teams in the order before this tally: Ann 1st (team 1), Cid 2nd (X: team 1), Bob 3rd.
  EXPECT_EQ(of(t, 1), (Counters{2, 2, 1, 1, 1}));
  EXPECT_EQ(of(t, 2), (Counters{0, 1, 3, 2, 2}));
  EXPECT_EQ(of(t, 3), (Counters{-1, 1, 1, 3, 1})) << "killing a teammate costs a frag";
  EXPECT_EQ(of(t, 5), (Counters{0, 0, 0, kRankIdle, 0}));

  // Numbered again in the new order; the same players play together.
  TallyTeamPlay(t, 2);
  EXPECT_EQ(of(t, 1), (Counters{0, 0, 0, 1, 1}));
  EXPECT_EQ(of(t, 2), (Counters{1, 1, 0, 2, 2}));
  EXPECT_EQ(of(t, 3), (Counters{0, 0, 1, 3, 1}));

  TallyFreeForAll(t, 0);
  for (int s : {1, 2, 3}) EXPECT_EQ(t.players[s].team, 0) << "free-for-all clears the teams";
  EXPECT_EQ(of(t, 3), (Counters{1, 1, 1, 2, 0}));
}

TEST(AssignTeams, SkinsCompareAsWholeStrings) {
  struct Case {
    std::vector<std::string> skins;  // by place
    std::vector<int> teams;
  };
  for (const Case& c :
       {Case{{"male/grunt", "male/grunt"}, {1, 1}}, Case{{"male/grunt", "Male/grunt"}, {1, 2}},
        Case{{"male/grunt", "male/grun"}, {1, 2}}, Case{{"X", "Y", "X"}, {1, 2, 1}},
        Case{{"", "Y", ""}, {1, 2, 1}}, Case{{"A", "B", "C", "B", "A"}, {1, 2, 3, 2, 1}}}) {
    PlayerTable players;
    for (std::size_t i = 0; i < c.skins.size(); ++i) {
      int slot = static_cast<int>(c.skins.size() - i);  // places run against the slots
      players[slot].name = "P" + std::to_string(i);
      players[slot].skin = c.skins[i];
      players[slot].rank = static_cast<std::uint8_t>(i + 1);
    }
    players.playerCount = players.slotCount = static_cast<std::uint8_t>(c.skins.size());
    AssignTeams(players);
    for (std::size_t i = 0; i < c.skins.size(); ++i) {
      EXPECT_EQ(players[SlotOfRank(players, static_cast<int>(i + 1))].team, c.teams[i])
          << "place " << i + 1 << " of " << c.skins.size();
    }
  }
}

TEST(Tally, NoRankedPlayersChangesNothing) {
  DemoTables t = game({{1, "Ann", "X"}, {3, "Cid", "X"}}, {"Ann was hit by Cid"});
  ASSERT_EQ(t.players.playerCount, 0);
  TallyTeamPlay(t, 0);
  TallyFreeForAll(t, 0);
  EXPECT_EQ(of(t, 1), (Counters{0, 0, 0, kRankIdle, 0}));
  EXPECT_EQ(of(t, 2), (Counters{0, 0, 0, kRankEmpty, 0}));
  EXPECT_EQ(of(t, 3), (Counters{0, 0, 0, kRankIdle, 0}));
  EXPECT_EQ(SlotOfRank(t.players, 1), kNoSlot);
}

TEST(SlotOfRank, FindsThePlaceAmongTheSlotsInUse) {
  DemoTables t = threePlayers();
  EXPECT_EQ(SlotOfRank(t.players, 1), 1);
  EXPECT_EQ(SlotOfRank(t.players, 2), 3);
  EXPECT_EQ(SlotOfRank(t.players, 3), 2);
  EXPECT_EQ(SlotOfRank(t.players, 4), kNoSlot);
  EXPECT_EQ(SlotOfRank(t.players, kRankIdle), 5);
  EXPECT_EQ(SlotOfRank(t.players, 0), kNoSlot);
}

}  // namespace
}  // namespace obitrak
