#include "scan/ObituaryAnalysis.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "scan/Phrases.h"

namespace obitrak {

namespace {

bool contains(std::string_view text, std::string_view phrase) {
  return text.find(phrase) != std::string_view::npos;
}

// Names are compared in the same 7-bit form as the log texts.
std::string reducedName(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
  return out;
}

std::int32_t clampToInt32(std::int64_t v) {
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

}  // namespace

int weaponOfKill(std::string_view text) {
  for (const WeaponPhrase& w : kWeaponPhrases) {
    if (contains(text, w.phrase)) return w.weapon;
  }
  return 0;
}

bool isSelfKill(std::string_view text) {
  for (const SelfKillPhrase& s : kSelfKillPhrases) {
    if (!contains(text, s.phrase)) continue;
    if (!s.alsoContains.empty() && !contains(text, s.alsoContains)) continue;
    if (!s.mustNotContain.empty() && contains(text, s.mustNotContain)) continue;
    return true;
  }
  return false;
}

void ObituaryAnalysis(DemoTables& tables) {
  KillMatrix& km = tables.killMatrix;
  km.clear();
  const int n = tables.players.playerCount;
  std::array<std::string, kMaxSlots + 1> names;
  for (int s = 1; s <= n; ++s)
    names[static_cast<std::size_t>(s)] = reducedName(tables.players[s].name);

  for (log_rec& r : tables.log) {
    r.killer = 0;
    r.victim = 0;
  }
  for (std::uint32_t i = 1; i <= tables.log.logCount; ++i) {
    log_rec& r = tables.log[i];
    if (r.level != 1 || n == 0) continue;
    const std::string_view text = r.text;

    // The victim's name begins the text; the first such slot wins.
    int victim = 0;
    for (int s = 1; s <= n && victim == 0; ++s) {
      const std::string& name = names[static_cast<std::size_t>(s)];
      if (!name.empty() && text.starts_with(name)) victim = s;
    }
    if (victim == 0) continue;

    // The killer's name first occurs later in the text.
    int killer = 0;
    for (int s = 1; s <= n && killer == 0; ++s) {
      const std::string& name = names[static_cast<std::size_t>(s)];
      if (name.empty()) continue;
      std::size_t at = text.find(name);
      if (at != std::string_view::npos && at > 0) killer = s;
    }

    if (killer != 0) {
      int weapon = weaponOfKill(text);
      if (weapon != 0) {
        ++km(victim, killer, 0);
        ++km(victim, killer, weapon);
        r.killer = killer;
        r.victim = victim;
      }
      continue;
    }
    bool joinOrLeave = false;
    for (std::string_view phrase : kJoinLeavePhrases)
      joinOrLeave = joinOrLeave || contains(text, phrase);
    if (joinOrLeave) continue;
    if (isSelfKill(text)) {
      ++km(victim, victim, 0);
      r.killer = victim;
      r.victim = victim;
    }
  }
}

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
