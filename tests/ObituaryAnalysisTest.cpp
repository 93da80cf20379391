#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/ObituaryAnalysis.h"
#include "scan/Phrases.h"
#include "scan/Ranking.h"

namespace obitrak {
namespace {

struct Named {
  int slot;
  std::string name;
};

struct Print {
  int level;
  std::string text;
};

// Tables as the read leaves them: names in their slots, the cleaned print messages; then
// the analysis and the ranking run.
DemoTables analysed(const std::vector<Named>& players, const std::vector<Print>& prints) {
  DemoTables t;
  for (const Named& p : players) {
    t.players[p.slot].name = p.name;
    if (p.slot > t.players.playerCount) t.players.playerCount = static_cast<std::uint8_t>(p.slot);
  }
  for (const Print& p : prints) t.log.add(static_cast<std::uint8_t>(p.level), p.text, 0);
  t.log.logCount = static_cast<std::uint32_t>(t.log.size());
  ObituaryAnalysis(t);
  TallyAndRank(t);
  return t;
}

TEST(WeaponPhrases, EveryPhraseNamesItsWeapon) {
  for (const WeaponPhrase& w : kWeaponPhrases) {
    std::string text = "Bob xx" + std::string(w.phrase) + "xx by Alice";
    EXPECT_EQ(weaponOfKill(text), w.weapon) << text;
    DemoTables t = analysed({{2, "Bob"}, {5, "Alice"}}, {{1, text}});
    EXPECT_EQ(t.killMatrix(2, 5, 0), 1u) << text;
    EXPECT_EQ(t.killMatrix(2, 5, w.weapon), 1u) << text;
    EXPECT_EQ(t.log[1].killer, 5);
    EXPECT_EQ(t.log[1].victim, 2);
  }
  EXPECT_EQ(weaponOfKill("Bob caught Alice's handgrenade"), 11) << "not \" grenade\"";
  EXPECT_EQ(weaponOfKill("Bob was popped by Alice's grenade"), 6);
  EXPECT_EQ(weaponOfKill("Bob tried to invade Alice's personal space"), 12);
  EXPECT_EQ(weaponOfKill("Bob was blasted by Alice's rocket"), 1) << "the first phrase decides";
  EXPECT_EQ(weaponOfKill("Bob was hit by Alice"), 0);
}

TEST(SelfKillPhrases, EveryConditionMakesASelfKill) {
  for (const SelfKillPhrase& s : kSelfKillPhrases) {
    std::string text = "Bob " + std::string(s.phrase) + " " + std::string(s.alsoContains);
    EXPECT_TRUE(isSelfKill(text)) << text;
    DemoTables t = analysed({{2, "Bob"}}, {{1, text}});
    EXPECT_EQ(t.killMatrix(2, 2, 0), 1u) << text;
    for (int w = 1; w < kWeaponIndices; ++w) EXPECT_EQ(t.killMatrix(2, 2, w), 0u) << text;
    EXPECT_EQ(t.log[1].killer, 2);
    EXPECT_EQ(t.log[1].victim, 2);
    EXPECT_EQ(t.players[2].frags, -1);
    EXPECT_EQ(t.players[2].deaths, 1);
    EXPECT_EQ(t.players[2].kills, 0);
  }
  for (std::string text : {"Bob blew himself up", "Bob blew up"})
    EXPECT_TRUE(isSelfKill(text)) << text;
  for (std::string text : {"Bob blew it", "Bob killed him", "Bob melted a hyperblaster", "Bob"}) {
    EXPECT_FALSE(isSelfKill(text)) << text;
  }
}

TEST(ObituaryAnalysis, KillOfTheSpecificationExample) {
  DemoTables t = analysed({{2, "Bob"}, {5, "Alice"}}, {{1, "Bob was railed by Alice"}});
  EXPECT_EQ(t.killMatrix(2, 5, 0), 1u);
  EXPECT_EQ(t.killMatrix(2, 5, 9), 1u);
  EXPECT_EQ(t.log[1].killer, 5);
  EXPECT_EQ(t.log[1].victim, 2);
  EXPECT_EQ(t.players[5].kills, 1);
  EXPECT_EQ(t.players[5].frags, 1);
  EXPECT_EQ(t.players[2].deaths, 1);
  EXPECT_EQ(t.players[5].rank, 1);
  EXPECT_EQ(t.players[2].rank, 2);
  EXPECT_EQ(t.players[1].rank, kRankEmpty);
}

TEST(ObituaryAnalysis, TextsThatCountNothing) {
  const std::vector<Named> players{{2, "Bob"}, {5, "Alice"}};
  for (const Print& p : std::vector<Print>{
           {2, "Bob was railed by Alice"},
           {3, "Bob was railed by Alice"},
           {0, "Bob died."},
           {1, "Bob melted under Carl's hyperblaster"},
           {1, "Bob was hit by Alice"},
           {1, "Bob entered the game"},
           {1, "Bob left the game, died"},
           {1, "Carl was railed by Alice"},
           {1, " Bob died."},
           {1, "Bob blew it"},
       }) {
    DemoTables t = analysed(players, {p});
    EXPECT_EQ(t.log[1].killer, 0) << p.text;
    EXPECT_EQ(t.log[1].victim, 0) << p.text;
    for (int w = 0; w < kWeaponIndices; ++w) {
      EXPECT_EQ(t.killMatrix(2, 5, w) + t.killMatrix(2, 2, w) + t.killMatrix(5, 2, w), 0u)
          << p.text;
    }
    EXPECT_EQ(t.players.playerCount, 0) << p.text;
    EXPECT_EQ(t.players.idleCount, 2) << p.text;
  }
}

TEST(ObituaryAnalysis, NamesMatchAnywhereInSlotOrder) {
  struct Case {
    std::string why;
    std::vector<Named> players;
    std::string text;
    int victim;
    int killer;
    int weapon;
  };
  const std::vector<Case> cases{
      {"the first victim slot wins, not the longest name",
       {{1, "Bo"}, {2, "Bob"}, {3, "Carl"}},
       "Bob was railed by Carl",
       1,
       3,
       9},
      {"a name matches inside a word",
       {{1, "a"}, {2, "Bob"}, {3, "Carl"}},
       "Bob was railed by Carl",
       2,
       1,
       9},
      {"a name like a phrase makes the phrase match",
       {{1, "rocket"}, {2, "Bob"}},
       "rocket was railed by Bob",
       1,
       2,
       7},
      {"two slots with one name count for the lower",
       {{1, "Al"}, {2, "Bob"}, {3, "Bob"}},
       "Al was railed by Bob",
       1,
       2,
       9},
      {"a victim named again later is no killer",
       {{1, "Bob"}, {2, "Carl"}},
       "Bob ate Bob's rocket near Carl",
       1,
       2,
       7},
      {"high-bit names match their cleaned form",
       {{1, "Z\xe5ro"}, {2, "\xc2ob"}},
       "Zero was railed by Bob",
       1,
       2,
       9},
  };
  for (const Case& c : cases) {
    DemoTables t = analysed(c.players, {{1, c.text}});
    EXPECT_EQ(t.log[1].victim, c.victim) << c.why;
    EXPECT_EQ(t.log[1].killer, c.killer) << c.why;
    EXPECT_EQ(t.killMatrix(c.victim, c.killer, c.weapon), 1u) << c.why;
  }
}

TEST(ObituaryAnalysis, EmptyNamesNeverMatch) {
  DemoTables t = analysed({{1, ""}, {2, "Bob"}}, {{1, "Bob died."}});
  EXPECT_EQ(t.log[1].victim, 2);
  EXPECT_EQ(t.players[1].rank, kRankEmpty);
  EXPECT_EQ(t.players.emptyCount, 1);
}

TEST(ObituaryAnalysis, ResolvedRecordsCountAsTheReaderSaysAndSurviveARerun) {
  struct Case {
    std::string why;
    int victim, killer, weapon;
    bool counted;
  };
  const std::vector<Case> cases{
      {"a kill whatever the text", 2, 5, 13, true},
      {"a self-kill", 2, 2, 0, true},
      {"a slot not in use", 9, 5, 3, false},
      {"a weapon beyond the demo's", 2, 5, 14, false},
      {"no death", 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    DemoTables t;
    t.weapons = WeaponSet(std::vector<Weapon>(13, Weapon{"X", "X"}));
    t.players[2].name = "Bob";
    t.players[5].name = "Alice";
    t.players.playerCount = t.players.slotCount = 5;
    LogRecord& r = t.log.add(2, "a text no phrase knows", 0);
    r.resolved = true;
    r.victim = c.victim;
    r.killer = c.killer;
    r.weapon = static_cast<std::uint8_t>(c.weapon);
    t.log.logCount = 1;
    RerunObituaryAnalysis(t);
    RerunObituaryAnalysis(t);
    const int victim = c.counted ? c.victim : 2;
    const int killer = c.counted ? c.killer : 5;
    EXPECT_EQ(t.killMatrix(victim, killer, 0), c.counted ? 1u : 0u) << c.why;
    EXPECT_EQ(t.killMatrix(victim, killer, c.weapon), c.counted ? 1u : 0u) << c.why;
    EXPECT_EQ(t.log[1].victim, c.counted ? c.victim : 0) << c.why;
  }
  DemoTables t = analysed({{2, "Bob"}, {5, "Alice"}}, {{1, "Bob was railed by Alice"}});
  EXPECT_EQ(t.log[1].weapon, 9) << "a phrase's kill notes its weapon";
}

TEST(RankPlayers, OrderAndClassification) {
  // Slots 3 and 7 have 5 frags each, slot 5 has 1, slot 6 has -1 and slot 2 has -2; slot 1
  // is idle and slot 4 empty.
  std::vector<Print> prints;
  for (int i = 0; i < 5; ++i) {
    prints.push_back({1, "Fay was railed by Cat"});
    prints.push_back({1, "Fay was railed by Gus"});
  }
  prints.push_back({1, "Bea died."});
  prints.push_back({1, "Bea died."});
  prints.push_back({1, "Fay ate Eve's rocket"});
  prints.push_back({1, "Fay cratered."});
  DemoTables t =
      analysed({{1, "Ann"}, {2, "Bea"}, {3, "Cat"}, {5, "Eve"}, {6, "Fay"}, {7, "Gus"}}, prints);
  EXPECT_EQ(t.players.slotCount, 7);
  EXPECT_EQ(t.players.playerCount, 5);
  EXPECT_EQ(t.players.idleCount, 1);
  EXPECT_EQ(t.players.emptyCount, 1);
  EXPECT_EQ(t.players[7].rank, 1) << "equal frags: the higher slot first";
  EXPECT_EQ(t.players[3].rank, 2);
  EXPECT_EQ(t.players[5].rank, 3);
  EXPECT_EQ(t.players[6].rank, 4) << "-1 frags from a self-kill";
  EXPECT_EQ(t.players[2].rank, 5) << "-2 frags";
  EXPECT_EQ(t.players[6].deaths, 12);
  EXPECT_EQ(t.players[1].rank, kRankIdle);
  EXPECT_EQ(t.players[4].rank, kRankEmpty);
}

}  // namespace
}  // namespace obitrak
