#include "stats/DemoResult.h"

#include <algorithm>

#include "scan/Ranking.h"
#include "stats/RankedPlayers.h"
#include "stats/Scoreboard.h"

namespace obitrak {

std::vector<const DemoPlayerResult*> DemoResult::ranked(bool teamPlay) const {
  std::vector<const DemoPlayerResult*> out;
  for (const DemoPlayerResult& p : players) {
    if ((teamPlay ? p.teamPlace : p.place) > 0) out.push_back(&p);
  }
  std::sort(out.begin(), out.end(), [teamPlay](const auto* a, const auto* b) {
    return teamPlay ? a->teamPlace < b->teamPlace : a->place < b->place;
  });
  return out;
}

namespace {

bool isPlace(std::uint8_t rank) {
  return rank != 0 && rank != kRankIdle && rank != kRankEmpty;
}

void addPlayers(DemoTables& tables, DemoResult& result) {
  recomputeAllWeapons(tables, true);
  const PlayerTable& pt = tables.players;
  for (int s = 1; s <= pt.slotCount; ++s) {
    const PlayerRecord& p = pt[s];
    if (p.name.empty()) continue;
    DemoPlayerResult r;
    r.slot = s;
    r.name = p.name.str();
    r.skin = p.skin.str();
    r.teamPlace = isPlace(p.rank) ? p.rank : 0;
    r.teamFrags = p.frags;
    r.team = p.team;
    r.clientSlot = p.clientSlot;
    r.selfKills =
        static_cast<std::int32_t>(std::min<std::uint32_t>(tables.killMatrix(s, s, 0), INT32_MAX));
    for (int l = 1; l <= kHitLocations; ++l) {
      r.hitLocationKills[static_cast<std::size_t>(l)] =
          clampToInt32(tables.hitLocations.ofKiller(s, static_cast<HitLocation>(l)));
    }
    result.players.push_back(r);
  }
  recomputeAllWeapons(tables, false);
  for (DemoPlayerResult& r : result.players) {
    const PlayerRecord& p = pt[r.slot];
    r.place = isPlace(p.rank) ? p.rank : 0;
    r.frags = p.frags;
    r.kills = p.kills;
    r.deaths = p.deaths;
  }
}

void addKills(const DemoTables& tables, DemoResult& result) {
  const int slots = tables.players.slotCount;
  for (int v = 1; v <= slots; ++v) {
    for (int k = 1; k <= slots; ++k) {
      for (int w = 0; w < kWeaponIndices; ++w) {
        const std::uint32_t count = tables.killMatrix(v, k, w);
        if (count != 0) result.kills.push_back({v, k, w, count});
      }
    }
  }
}

void addDeaths(const DemoTables& tables, DemoResult& result) {
  for (const LogRecord& r : tables.log) {
    if (r.killer < 1 || r.killer > kMaxSlots || r.victim < 1 || r.victim > kMaxSlots) continue;
    result.deaths.push_back(
        {r.time, static_cast<std::uint8_t>(r.killer), static_cast<std::uint8_t>(r.victim)});
  }
}

bool isSlot(int slot) {
  return slot >= 1 && slot <= kMaxSlots;
}

}  // namespace

DemoResult DemoResultOf(DemoTables& tables, const std::string& path,
                        const std::vector<std::string>& notices) {
  DemoResult result;
  result.path = path;
  const DemoHeader& h = tables.header;
  result.protocolVersion = h.protocolVersion;
  result.gameDir = h.gameDir;
  result.viewPlayer = h.viewPlayer;
  result.viewFrom = viewFromName(tables);
  result.mapName = h.mapName;
  result.levelMessage = h.levelMessage;
  result.bspName = h.bspName;
  result.duration = h.duration;
  result.serverRecording = h.serverRecording;
  if (tables.scoreboard) {
    const ScoreboardComparison comparison = CompareScoreboard(tables);
    result.scoreboardAgrees = comparison.agrees() || comparison.agreesAsTeams();
  }
  result.notices = notices;
  result.weapons = tables.weapons;
  result.pack = tables.packName;
  result.hitLocations = tables.hitLocations.told;
  addPlayers(tables, result);
  addKills(tables, result);
  addDeaths(tables, result);
  return result;
}

DemoTables DemoTablesOf(const DemoResult& r) {
  DemoTables t;
  DemoHeader& h = t.header;
  h.protocolVersion = r.protocolVersion;
  h.gameDir = r.gameDir;
  h.viewPlayer = static_cast<std::uint16_t>(r.viewPlayer);
  h.mapName = r.mapName;
  h.levelMessage = r.levelMessage;
  h.bspName = r.bspName;
  h.duration = r.duration;
  h.serverRecording = r.serverRecording;
  t.weapons = r.weapons;
  t.packName = r.pack;
  t.hitLocations.told = r.hitLocations;
  int highest = 0;
  for (const DemoPlayerResult& p : r.players) {
    if (!isSlot(p.slot)) continue;
    PlayerRecord& record = t.players[p.slot];
    record.name = p.name;
    record.skin = p.skin;
    record.clientSlot = static_cast<std::uint8_t>(std::clamp(p.clientSlot, 0, kMaxSlots));
    highest = std::max(highest, p.slot);
  }
  for (const DemoKillCount& k : r.kills) {
    if (!isSlot(k.victim) || !isSlot(k.killer) || k.weapon < 0 || k.weapon >= kWeaponIndices)
      continue;
    t.killMatrix(k.victim, k.killer, k.weapon) = k.count;
    highest = std::max({highest, k.victim, k.killer});
  }
  for (const DemoDeath& d : r.deaths) {
    LogRecord& record = t.log.add(1, {}, d.time);
    record.killer = d.killer;
    record.victim = d.victim;
  }
  t.log.logCount = static_cast<std::uint32_t>(t.log.size());
  t.players.playerCount = static_cast<std::uint8_t>(highest);
  TallyAndRank(t);
  return t;
}

}  // namespace obitrak
