#include "stats/TeamTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace obitrak {
namespace {

// A ranked player as the last tally left him; players are given in place order.
struct Ranked {
  std::string name;
  std::string skin;
  int frags;
  int team;
};

DemoTables rankedTables(const std::vector<Ranked>& players) {
  DemoTables t;
  std::uint8_t slot = 0;
  for (const Ranked& p : players) {
    PlayerRecord& r = t.players[++slot];
    r.name = p.name;
    r.skin = p.skin;
    r.frags = p.frags;
    r.rank = slot;
    r.team = static_cast<std::uint8_t>(p.team);
  }
  t.players.playerCount = t.players.slotCount = slot;
  return t;
}

std::string pad(const std::string& name) {
  return name + std::string(20 - name.size(), ' ');
}

struct TreeCase {
  const char* title;
  std::vector<Ranked> players;
  std::vector<TeamLine> expected;
};

const TreeCase kTrees[] = {
    {"two skins, a member with negative frags",
     {{"A", "X", 10, 1}, {"B", "Y", 7, 2}, {"C", "X", -2, 1}},
     {{"Team 1 - 8 frags (X)", {pad("A") + " - 10 frags", pad("C") + " - -2 frags"}},
      {"Team 2 - 7 frags (Y)", {pad("B") + " - 7 frags"}}}},
    {"a team whose sum is negative",
     {{"A", "male/grunt", 25, 1}, {"B", "X", -1, 2}, {"C", "X", -2, 2}},
     {{"Team 1 - 25 frags (male/grunt)", {pad("A") + " - 25 frags"}},
      {"Team 2 - -3 frags (X)", {pad("B") + " - -1 frags", pad("C") + " - -2 frags"}}}},
    {"one skin for everybody",
     {{"A", "male/grunt", 3, 1}, {"B", "male/grunt", 2, 1}, {"C", "male/grunt", 0, 1}},
     {{"Team 1 - 5 frags (male/grunt)",
       {pad("A") + " - 3 frags", pad("B") + " - 2 frags", pad("C") + " - 0 frags"}}}},
    {"the last tally without team play", {{"A", "X", 4, 0}, {"B", "Y", 1, 0}}, {}},
    {"no ranked player", {}, {}},
};

TEST(TeamTree, TeamAndMemberLines) {
  for (const TreeCase& c : kTrees) {
    SCOPED_TRACE(c.title);
    const std::vector<TeamLine> tree = teamTree(rankedTables(c.players));
    ASSERT_EQ(tree.size(), c.expected.size());
    for (std::size_t i = 0; i < tree.size(); ++i) {
      EXPECT_EQ(tree[i].text, c.expected[i].text);
      EXPECT_EQ(tree[i].members, c.expected[i].members);
    }
  }
}

TEST(TeamTree, MemberNamesArePaddedToTwentyCharacters) {
  const struct {
    std::string name;
    std::int64_t frags;
    std::string line;
  } rows[] = {
      {"Ann", 12, "Ann                  - 12 frags"},
      {"", -3, "                     - -3 frags"},
      {"NineteenCharactersX", 0, "NineteenCharactersX  - 0 frags"},
      {"TwentyCharactersLong", 7, "TwentyCharactersLong - 7 frags"},
  };
  for (const auto& row : rows) EXPECT_EQ(teamMemberLine(row.name, row.frags), row.line);
}

}  // namespace
}  // namespace obitrak
