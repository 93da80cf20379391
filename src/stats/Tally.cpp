#include "stats/Tally.h"

#include <cstdint>

#include "scan/Ranking.h"

namespace obitrak {

namespace {

// Clears the counters and team of every ranked player, and its place too when asked.
void resetRankedPlayers(PlayerTable& players, bool clearRank) {
  for (int place = 1; place <= players.playerCount; ++place) {
    int s = SlotOfRank(players, place);
    if (s == kNoSlot) continue;
    PlayerRecord& p = players[s];
    p.frags = 0;
    p.kills = 0;
    p.deaths = 0;
    p.team = 0;
    if (clearRank) p.rank = 0;
  }
}

// Adds kills and deaths for `weapon` to every slot in use, and frags by `sameSide`:
// a victim on the killer's own side (himself, or a teammate) costs a frag.
template <typename SameSide>
void addSums(DemoTables& tables, int weapon, SameSide sameSide) {
  PlayerTable& players = tables.players;
  const KillMatrix& km = tables.killMatrix;
  const int slots = players.slotCount;
  for (int k = 1; k <= slots; ++k) {
    std::int64_t frags = 0;
    std::int64_t kills = 0;
    std::int64_t deaths = 0;
    for (int v = 1; v <= slots; ++v) {
      std::int64_t kill = km(v, k, weapon);
      frags += sameSide(v, k) ? -kill : kill;
      if (v != k) kills += kill;
      deaths += km(k, v, weapon);
    }
    PlayerRecord& p = players[k];
    p.frags = clampToInt32(p.frags + frags);
    p.kills = clampToInt32(p.kills + kills);
    p.deaths = clampToInt32(p.deaths + deaths);
  }
}

}  // namespace

int SlotOfRank(const PlayerTable& players, int place) {
  const auto inUse =
      static_cast<std::uint8_t>(players.playerCount + players.idleCount + players.emptyCount);
  for (int s = 1; s <= inUse && s <= kMaxSlots; ++s) {
    if (players[s].rank == place) return s;
  }
  return kNoSlot;
}

void TallyFreeForAll(DemoTables& tables, int weapon) {
  PlayerTable& players = tables.players;
  resetRankedPlayers(players, weapon == 0);
  addSums(tables, weapon, [](int v, int k) { return v == k; });
  if (weapon == 0) RankPlayers(players);
}

void TallyTeamPlay(DemoTables& tables, int weapon) {
  PlayerTable& players = tables.players;
  resetRankedPlayers(players, false);
  AssignTeams(players);
  addSums(tables, weapon, [&players](int v, int k) { return players[v].team == players[k].team; });
  if (weapon == 0) {
    for (int s = 1; s <= players.slotCount; ++s) {
      if (players[s].rank < kRankIdle) players[s].rank = 0;
    }
    RankPlayers(players);
  }
}

void AssignTeams(PlayerTable& players) {
  const int n = players.playerCount;
  if (n == 0) return;
  int lastTeam = 0;
  for (int g = 1; g <= n; ++g) {
    int s = SlotOfRank(players, g);
    if (s == kNoSlot) continue;
    PlayerRecord& p = players[s];
    int team = 0;
    for (int earlier = 1; earlier < g && team == 0; ++earlier) {
      int e = SlotOfRank(players, earlier);
      if (e != kNoSlot && players[e].skin == p.skin) team = players[e].team;
    }
    if (team == 0) team = ++lastTeam;
    p.team = static_cast<std::uint8_t>(team);
  }
}

}  // namespace obitrak
