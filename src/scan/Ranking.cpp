#include "scan/Ranking.h"

#include <cstdint>
#include <limits>

namespace obitrak {

void TallyAndRank(DemoTables& tables) {
  PlayerTable& players = tables.players;
  const KillMatrix& km = tables.killMatrix;
  const int n = players.playerCount;

  for (int a = 1; a <= n; ++a) {
    std::int64_t kills = 0;
    std::int64_t deaths = 0;
    for (int v = 1; v <= n; ++v) {
      if (v != a) kills += km(v, a, 0);
      deaths += km(a, v, 0);
    }
    PlayerRecord& p = players[a];
    p.kills = clampToInt32(kills);
    p.frags = clampToInt32(kills - km(a, a, 0));
    p.deaths = clampToInt32(deaths);
  }

  players.idleCount = 0;
  players.emptyCount = 0;
  for (int a = 1; a <= n; ++a) {
    PlayerRecord& p = players[a];
    if (p.frags != 0 || p.deaths != 0) continue;
    if (p.name.empty()) {
      p.rank = kRankEmpty;
      ++players.emptyCount;
    } else {
      p.rank = kRankIdle;
      ++players.idleCount;
    }
  }
  players.slotCount = static_cast<std::uint8_t>(n);
  players.playerCount = static_cast<std::uint8_t>(n - players.idleCount - players.emptyCount);
  RankPlayers(players);
}

void RankPlayers(PlayerTable& players) {
  for (int place = 1; place <= players.playerCount; ++place) {
    int chosen = kNoSlot;
    std::int64_t best = std::numeric_limits<std::int64_t>::min();
    for (int a = 1; a <= players.slotCount; ++a) {
      const PlayerRecord& p = players[a];
      if (p.rank == 0 && p.frags >= best) {
        best = p.frags;
        chosen = a;
      }
    }
    if (chosen == kNoSlot) return;
    players[chosen].rank = static_cast<std::uint8_t>(place);
  }
}

}  // namespace obitrak
