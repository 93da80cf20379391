#include "stats/Scoreboard.h"

#include <algorithm>
#include <utility>

namespace obitrak {

namespace {

// All-weapons frags of one slot from the kill counters themselves: free-for-all, or with
// teams of identical skins, where killing a teammate costs a frag as a self-kill does.
std::int64_t countedFrags(const DemoTables& tables, int slot, int slots, bool teams) {
  const PlayerTable& players = tables.players;
  std::int64_t frags = 0;
  for (int v = 1; v <= slots; ++v) {
    const std::int64_t cell = tables.killMatrix(v, slot, 0);
    const bool own = v == slot || (teams && players[v].skin == players[slot].skin);
    frags += own ? -cell : cell;
  }
  return frags;
}

}  // namespace

ScoreboardComparison CompareScoreboard(const DemoTables& tables) {
  ScoreboardComparison result;
  if (!tables.scoreboard) return result;
  for (const ScoreboardEntry& e : tables.scoreboard->entries) {
    auto same = [&e](const ScoreboardPlayer& p) { return p.name == e.name; };
    auto known = std::find_if(result.players.begin(), result.players.end(), same);
    if (known == result.players.end()) {
      result.players.push_back({e.name, 0, 0, 0, 0});
      known = result.players.end() - 1;
    }
    known->score += e.score;
  }
  const int slots = std::max<int>(tables.players.slotCount, tables.players.playerCount);
  for (ScoreboardPlayer& p : result.players) {
    // Names are kept as the player table keeps them: cut to its 20 characters.
    const ShortString<20> name(p.name);
    for (int s = 1; s <= slots; ++s) {
      if (tables.players[s].name.view() != name.view()) continue;
      p.countedFrags += countedFrags(tables, s, slots, false);
      p.countedTeamFrags += countedFrags(tables, s, slots, true);
      p.bonus += tables.scoreBonus[static_cast<std::size_t>(s)];
    }
    if (p.countedFrags + p.bonus != p.score) ++result.differing;
    if (p.countedTeamFrags + p.bonus != p.score) ++result.differingAsTeams;
    if (p.countedFrags + p.bonus < p.score) result.countedLower = true;
    result.bonuses = result.bonuses || p.bonus != 0;
  }
  result.countedLower = result.countedLower && !result.agreesAsTeams();
  return result;
}

std::string scoreboardVerdict(const ScoreboardComparison& comparison) {
  if (comparison.agrees()) return "agrees";
  if (comparison.agreesAsTeams()) return "agrees with teams of identical skins";
  if (comparison.differing == 1) return "1 player differs";
  return std::to_string(comparison.differing) + " players differ";
}

std::vector<std::string> scoreboardLines(const ScoreboardComparison& comparison) {
  std::vector<std::string> lines;
  for (const ScoreboardPlayer& p : comparison.players) {
    std::string line = p.name + ": " + std::to_string(p.score);
    if (p.countedFrags + p.bonus != p.score) {
      line += " (counted " + std::to_string(p.countedFrags);
      if (p.bonus != 0) line += " + " + std::to_string(p.bonus) + " bonus";
      line += ")";
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace obitrak
