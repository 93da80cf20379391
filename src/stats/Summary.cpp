#include "stats/Summary.h"

#include <algorithm>

namespace obitrak {

void SummaryBuilder::add(const DemoResult& demo, std::size_t position) {
  std::vector<PlayerTotals*> bySlot(kMaxSlots + 1, nullptr);
  std::vector<PlayerTotals*> counted;
  for (const DemoPlayerResult& p : demo.players) {
    PlayerTotals& t = totalsOf(p.name);
    bySlot[static_cast<std::size_t>(p.slot)] = &t;
    if (std::find(counted.begin(), counted.end(), &t) == counted.end()) {
      ++t.demos;
      counted.push_back(&t);
    }
    if ((m_teamPlay ? p.teamPlace : p.place) == 0) continue;
    t.frags += m_teamPlay ? p.teamFrags : p.frags;
    t.kills += p.kills;
    t.deaths += p.deaths;
    t.selfKills += p.selfKills;
  }
  for (const DemoKillCount& k : demo.kills) addKill(k, bySlot);
  m_demos.emplace_back(position, rowOf(demo));
}

Summary SummaryBuilder::finish() {
  Summary s;
  s.teamPlay = m_teamPlay;
  s.players.assign(std::make_move_iterator(m_players.begin()),
                   std::make_move_iterator(m_players.end()));
  std::sort(s.players.begin(), s.players.end(), [](const auto& a, const auto& b) {
    if (a.frags != b.frags) return a.frags > b.frags;
    if (a.kills != b.kills) return a.kills > b.kills;
    return a.name < b.name;
  });
  for (const PlayerTotals& p : s.players) {
    std::vector<KillsBetween> own;
    for (const auto& [victim, n] : p.victims) own.push_back({p.name, victim, n});
    std::stable_sort(own.begin(), own.end(),
                     [](const auto& a, const auto& b) { return a.kills > b.kills; });
    s.kills.insert(s.kills.end(), own.begin(), own.end());
  }
  std::stable_sort(m_demos.begin(), m_demos.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [position, row] : m_demos) s.demos.push_back(std::move(row));
  return s;
}

PlayerTotals& SummaryBuilder::totalsOf(const std::string& name) {
  auto [it, added] = m_index.try_emplace(name, m_players.size());
  if (added) m_players.push_back(PlayerTotals{name, 0, 0, 0, 0, 0, {}, {}, {}});
  return m_players[it->second];
}

// Only kills between players of the ranking count, as in the per-demo reports; players who
// never fought hold no kills.
void SummaryBuilder::addKill(const DemoKillCount& k, const std::vector<PlayerTotals*>& bySlot) {
  if (k.victim == k.killer) return;
  PlayerTotals* killer = bySlot[static_cast<std::size_t>(k.killer)];
  PlayerTotals* victim = bySlot[static_cast<std::size_t>(k.victim)];
  if (killer == nullptr || victim == nullptr) return;
  if (k.weapon == 0) {
    killer->victims[victim->name] += k.count;
    victim->killers[killer->name] += k.count;
  } else if (k.weapon <= kWeaponCategories) {
    killer->weaponKills[static_cast<std::size_t>(k.weapon)] += k.count;
  }
}

SummaryDemo SummaryBuilder::rowOf(const DemoResult& demo) const {
  SummaryDemo row{demo.path, demo.modified, demo.mapName, demo.levelMessage, demo.duration, {}};
  for (const DemoPlayerResult* p : demo.ranked(m_teamPlay)) {
    row.ranked.push_back({p->name, m_teamPlay ? p->teamFrags : p->frags, p->kills, p->deaths});
  }
  return row;
}

Summary Summarize(const std::vector<DemoResult>& demos, bool teamPlay) {
  SummaryBuilder builder(teamPlay);
  for (std::size_t i = 0; i < demos.size(); ++i) builder.add(demos[i], i);
  return builder.finish();
}

std::string summaryDate(const FileTime& modified) {
  return utcTime(modified, "%Y-%m-%d %H:%M");
}

std::string summaryDuration(std::int32_t seconds) {
  const auto s = static_cast<std::uint32_t>(seconds);
  const std::uint32_t rest = s % 60;
  return std::to_string(s / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

}  // namespace obitrak
