#include "stats/Summary.h"

#include <algorithm>
#include <numeric>

namespace obitrak {

namespace {

// The column of a WeaponIndex that the demo's set does not have.
constexpr std::size_t kNoColumn = SIZE_MAX;

}  // namespace

const std::string& SummaryBuilder::personOf(const std::string& name) const {
  return m_aliases != nullptr ? m_aliases->personOf(name) : name;
}

void SummaryBuilder::reserve(std::size_t demos) {
  m_demos.reserve(demos);
  m_positions.reserve(demos);
}

void SummaryBuilder::add(const DemoResult& demo, std::size_t position) {
  // Per demo lists kept between demos, so that a demo allocates none of them anew.
  columnsOf(demo, position);
  std::vector<std::size_t>& bySlot = m_bySlot;
  bySlot.assign(kMaxSlots + 1, kNobody);
  m_present.clear();
  for (const DemoPlayerResult& p : demo.players) {
    if (p.slot < 1 || p.slot > kMaxSlots) continue;
    const std::size_t person = indexOf(personOf(p.name));
    PlayerTotals& t = m_players[person];
    bySlot[static_cast<std::size_t>(p.slot)] = person;
    if (std::find(m_present.begin(), m_present.end(), person) == m_present.end()) {
      ++t.demos;
      m_present.push_back(person);
    }
    if ((m_teamPlay ? p.teamPlace : p.place) == 0) continue;
    t.frags += m_teamPlay ? p.teamFrags : p.frags;
    t.kills += p.kills;
    t.deaths += p.deaths;
    t.selfKills += p.selfKills;
    for (std::size_t l = 1; l < t.hitLocationKills.size(); ++l)
      t.hitLocationKills[l] += p.hitLocationKills[l];
  }
  for (const DemoKillCount& k : demo.kills) addKill(k, bySlot, m_columnOf);
  m_hitLocations = m_hitLocations || demo.hitLocations;
  m_packs = m_packs || !demo.pack.empty();
  noteNames(demo, bySlot);
  SummaryDemo row = rowOf(demo);
  addResult(row, utcDay(demo.modified), position);
  m_demos.push_back(std::move(row));
  m_positions.push_back(position);
}

// The column of each WeaponIndex of the demo's weapons, by their labels. A column keeps the
// name and place of its first appearance in the order of the demos' positions, whatever
// order they are added in.
void SummaryBuilder::columnsOf(const DemoResult& demo, std::size_t position) {
  std::vector<std::size_t>& columns = m_columnOf;
  columns.assign(kWeaponIndices, kNoColumn);
  for (int w = 1; w <= demo.weapons.count(); ++w) {
    const Weapon& weapon = demo.weapons[w];
    auto known = std::find_if(m_columns.begin(), m_columns.end(),
                              [&](const Column& c) { return c.weapon.label == weapon.label; });
    if (known == m_columns.end()) {
      m_columns.push_back({weapon, position, w});
      known = m_columns.end() - 1;
    } else if (std::pair(position, w) < std::pair(known->position, known->index)) {
      *known = {weapon, position, w};
    }
    columns[static_cast<std::size_t>(w)] = static_cast<std::size_t>(known - m_columns.begin());
  }
}

// The columns in the summary's order: the original twelve's labels first, then the others
// by their first appearance.
std::vector<std::size_t> SummaryBuilder::columnOrder() const {
  const WeaponSet original;
  std::vector<std::size_t> order;
  for (const Weapon& o : original.weapons()) {
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
      if (m_columns[c].weapon.label == o.label) order.push_back(c);
    }
  }
  std::vector<std::size_t> others;
  for (std::size_t c = 0; c < m_columns.size(); ++c) {
    if (std::find(order.begin(), order.end(), c) == order.end()) others.push_back(c);
  }
  std::sort(others.begin(), others.end(), [this](std::size_t a, std::size_t b) {
    return std::pair(m_columns[a].position, m_columns[a].index) <
           std::pair(m_columns[b].position, m_columns[b].index);
  });
  order.insert(order.end(), others.begin(), others.end());
  return order;
}

Summary SummaryBuilder::finish() {
  Summary s;
  s.teamPlay = m_teamPlay;
  s.hitLocations = m_hitLocations;
  s.packs = m_packs;
  if (m_columns.empty()) s.weapons = WeaponSet().weapons();
  const std::vector<std::size_t> columns = columnOrder();
  for (std::size_t c : columns) s.weapons.push_back(m_columns[c].weapon);
  for (PlayerTotals& p : m_players) {
    std::vector<std::int64_t> kills(s.weapons.size(), 0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (columns[i] < p.weaponKills.size()) kills[i] = p.weaponKills[columns[i]];
    }
    p.weaponKills = std::move(kills);
  }
  // The players' order comes first, so that everything counted by a player's index can be
  // numbered by his place: head-to-head then lists the better placed first, in order.
  std::vector<std::size_t> order(m_players.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    const PlayerTotals& a = m_players[x];
    const PlayerTotals& b = m_players[y];
    if (a.frags != b.frags) return a.frags > b.frags;
    if (a.kills != b.kills) return a.kills > b.kills;
    return a.name < b.name;
  });
  std::vector<std::size_t> placeOf(order.size());
  s.players.reserve(order.size());
  for (std::size_t r = 0; r < order.size(); ++r) {
    placeOf[order[r]] = r;
    s.players.push_back(std::move(m_players[order[r]]));
  }
  numberByPlace(placeOf);
  addUpKillCounters();
  finishPeople(s);
  // Demos are mostly added in their order, and their rows then move over as they are.
  if (std::is_sorted(m_positions.begin(), m_positions.end())) {
    s.demos = std::move(m_demos);
  } else {
    std::vector<std::size_t> rows(m_demos.size());
    std::iota(rows.begin(), rows.end(), std::size_t{0});
    std::stable_sort(rows.begin(), rows.end(), [this](std::size_t a, std::size_t b) {
      return m_positions[a] < m_positions[b];
    });
    s.demos.reserve(m_demos.size());
    for (std::size_t i : rows) s.demos.push_back(std::move(m_demos[i]));
  }
  return s;
}

std::size_t SummaryBuilder::indexOf(const std::string& name) {
  auto [it, added] = m_index.try_emplace(name, m_players.size());
  if (added) {
    m_players.emplace_back();
    m_players.back().name = name;
  }
  return it->second;
}

// Only kills between players of the ranking count, as in the per-demo reports; players who
// never fought hold no kills.
void SummaryBuilder::addKill(const DemoKillCount& k, const std::vector<std::size_t>& bySlot,
                             const std::vector<std::size_t>& columns) {
  if (k.victim == k.killer || k.victim < 1 || k.victim > kMaxSlots || k.killer < 1 ||
      k.killer > kMaxSlots) {
    return;
  }
  const std::size_t killer = bySlot[static_cast<std::size_t>(k.killer)];
  const std::size_t victim = bySlot[static_cast<std::size_t>(k.victim)];
  if (killer == kNobody || victim == kNobody) return;
  if (k.weapon == 0) {
    // Two names of one person: a kill of the one by the other is nobody else's.
    if (killer != victim)
      m_killCounters.emplace_back(std::uint64_t{killer} << 32 | victim, k.count);
    return;
  }
  // A weapon beyond the demo's set (only a damaged library holds one) has no column.
  if (k.weapon < 0 || static_cast<std::size_t>(k.weapon) >= columns.size()) return;
  const std::size_t column = columns[static_cast<std::size_t>(k.weapon)];
  if (column == kNoColumn) return;
  std::vector<std::int64_t>& kills = m_players[killer].weaponKills;
  if (kills.size() <= column) kills.resize(column + 1, 0);
  kills[column] += k.count;
}

SummaryDemo SummaryBuilder::rowOf(const DemoResult& demo) const {
  SummaryDemo row{
      demo.path, demo.modified, demo.mapName, demo.levelMessage, demo.duration, demo.pack, {}, {},
      {}};
  const std::vector<const DemoPlayerResult*> ranked = demo.ranked(m_teamPlay);
  row.ranked.reserve(ranked.size());
  if (m_aliases != nullptr) row.people.reserve(ranked.size());
  for (const DemoPlayerResult* p : ranked) {
    row.ranked.push_back({p->name, m_teamPlay ? p->teamFrags : p->frags, p->kills, p->deaths});
    if (m_aliases != nullptr) row.people.push_back(personOf(p->name));
  }
  row.result = outcomeOf(ranked, m_teamPlay, [this](const std::string& name) -> const std::string& {
    return personOf(name);
  });
  return row;
}

Summary Summarize(const std::vector<DemoResult>& demos, bool teamPlay, const Aliases* aliases) {
  SummaryBuilder builder(teamPlay, aliases);
  builder.reserve(demos.size());
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
