#include "stats/RankedPlayers.h"

#include "stats/Tally.h"

namespace obitrak {

std::string viewFromName(const DemoTables& tables) {
  if (tables.header.serverRecording) return std::string(kServerRecordingViewFrom);
  int slot = tables.header.viewPlayer + 1;
  if (slot > kMaxSlots) return {};
  return tables.players[slot].name.str();
}

std::string minutesAndSeconds(const DemoTables& tables) {
  auto seconds = static_cast<std::uint32_t>(tables.header.duration);
  return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60);
}

std::string minutesAndSecondsText(std::int32_t duration) {
  auto seconds = static_cast<std::uint32_t>(duration);
  return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " sec";
}

void recomputeAllWeapons(DemoTables& tables, bool teamPlay) {
  if (teamPlay) {
    TallyTeamPlay(tables, 0);
  } else {
    TallyFreeForAll(tables, 0);
  }
}

RankedPlayers::RankedPlayers(const DemoTables& tables) : m_tables(tables) {
  for (int place = 1; place <= tables.players.playerCount; ++place) {
    m_slots.push_back(SlotOfRank(tables.players, place));
  }
}

const PlayerRecord& RankedPlayers::at(int place) const {
  static const PlayerRecord kEmpty{};
  int slot = m_slots.at(static_cast<std::size_t>(place - 1));
  return slot == kNoSlot ? kEmpty : m_tables.players[slot];
}

std::uint32_t RankedPlayers::kills(int victim, int killer, int weapon) const {
  int v = m_slots.at(static_cast<std::size_t>(victim - 1));
  int k = m_slots.at(static_cast<std::size_t>(killer - 1));
  if (v == kNoSlot || k == kNoSlot) return 0;
  return m_tables.killMatrix(v, k, weapon);
}

std::int64_t RankedPlayers::weaponKills(int place, int weapon) const {
  std::int64_t sum = 0;
  for (int x = 1; x <= count(); ++x) sum += kills(x, place, weapon);
  return sum;
}

std::int64_t RankedPlayers::weaponTotal(int weapon) const {
  std::int64_t sum = 0;
  for (int y = 1; y <= count(); ++y) sum += weaponKills(y, weapon);
  return sum;
}

int RankedPlayers::highestTeam() const {
  int highest = 0;
  for (int place = 1; place <= count(); ++place) {
    if (at(place).team > highest) highest = at(place).team;
  }
  return highest;
}

std::string RankedPlayers::teamTitle(int team) const {
  std::string skin;
  for (int place = 1; place <= count(); ++place) {
    if (at(place).team == team) {
      skin = at(place).skin.str();
      break;
    }
  }
  return "Team " + std::to_string(team) + " (" + skin + ")";
}

std::int64_t RankedPlayers::teamFrags(int team) const {
  std::int64_t sum = 0;
  for (int place = 1; place <= count(); ++place) {
    if (at(place).team == team) sum += at(place).frags;
  }
  return sum;
}

}  // namespace obitrak
