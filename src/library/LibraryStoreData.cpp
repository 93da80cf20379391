#include <algorithm>
#include <tuple>

#include "library/LibraryStatements.h"
#include "library/LibraryStore.h"
#include "stats/RankedPlayers.h"

namespace obitrak {

namespace {

// Column numbers of a demo read as "SELECT id, <kDemoColumns>".
enum DemoColumn {
  cId,
  cPath,
  cSize,
  cModified,
  cAnalysis,
  cError,
  cProtocol,
  cGameDir,
  cViewPlayer,
  cViewFrom,
  cMap,
  cLevelMessage,
  cBsp,
  cDuration,
  cPlayerCount,
  cNames,
  cWinner,
  cWinnerFrags,
  cServerRecording,
  cScoreboardAgrees,
  cModifiedNs,
  cDevice,
  cInode,
  cChanged,
  cChangedNs,
  cPack,
  cWeapons,
  cHitLocations,
  cKillCounts,  // only where a whole result is read
  cDeaths,
};

constexpr std::size_t kPackedKillSize = 7;
constexpr char kWeaponFieldEnd = '\t';
constexpr char kWeaponEnd = '\n';
// Longer than any text of a demo's header or a notice: a scan never reads a longer string.
constexpr std::size_t kMaxStoredText = 65'536;
constexpr std::size_t kNameLength = decltype(PlayerRecord::name)::capacity();
constexpr std::size_t kSkinLength = decltype(PlayerRecord::skin)::capacity();
constexpr std::size_t kPackedDeathSize = 6;

// Reads the values of one row, each checked against what this program stores there: a
// number of another type or out of its range, or a text too long, makes the row one that
// does not hold.
class CheckedRow {
 public:
  explicit CheckedRow(const SqliteStatement& s) : m_s(s) {}

  std::int64_t number(int column, std::int64_t low, std::int64_t high) {
    const std::int64_t value = m_s.number(column);
    if (!m_s.isInteger(column) || value < low || value > high) m_holds = false;
    return std::clamp(value, low, high);
  }
  std::int32_t int32(int column, std::int32_t low = INT32_MIN) {
    return static_cast<std::int32_t>(number(column, low, INT32_MAX));
  }
  std::string text(int column, std::size_t longest = kMaxStoredText) {
    std::string bytes = m_s.bytes(column);
    if (bytes.size() > longest) m_holds = false;
    return bytes;
  }
  std::optional<bool> agreement() {
    if (m_s.isNull(cScoreboardAgrees)) return std::nullopt;
    return number(cScoreboardAgrees, 0, 1) != 0;
  }
  FileTime time(int seconds, int nanoseconds) {
    return {number(seconds, INT64_MIN, INT64_MAX),
            static_cast<std::int32_t>(number(nanoseconds, 0, 999'999'999))};
  }
  bool holds() const { return m_holds; }
  void check(bool condition) { m_holds = m_holds && condition; }

 private:
  const SqliteStatement& m_s;
  bool m_holds = true;
};

// The facts of a demo's row that a list shows; the columns of its result are read apart.
LibraryRow rowOf(const SqliteStatement& s, CheckedRow& c) {
  LibraryRow row;
  row.path = s.bytes(cPath);
  row.size = c.number(cSize, 0, INT64_MAX);
  row.modified = c.time(cModified, cModifiedNs);
  if (!s.isNull(cError)) row.error = c.text(cError);
  row.protocolVersion = c.int32(cProtocol);
  row.gameDir = c.text(cGameDir);
  row.mapName = c.text(cMap);
  row.levelMessage = c.text(cLevelMessage);
  row.duration = c.int32(cDuration, 0);
  row.playerCount = c.int32(cPlayerCount, 0);
  c.check(row.playerCount <= kMaxSlots);
  row.names = c.text(cNames, std::size_t{kMaxSlots} * (kNameLength + 1));
  row.winner = c.text(cWinner, kNameLength);
  row.winnerFrags = c.int32(cWinnerFrags);
  row.scoreboardAgrees = c.agreement();
  return row;
}

// A player's row as "SELECT slot, name, skin, place, frags, kills, deaths, self_kills,
// team_place, team_frags, team, head_kills, chest_kills, stomach_kills, legs_kills,
// client_slot" reads it.
DemoPlayerResult playerOf(CheckedRow& c) {
  DemoPlayerResult p;
  p.slot = c.int32(0, 1);
  c.check(p.slot <= kMaxSlots);
  p.name = c.text(1, kNameLength);
  c.check(!p.name.empty());
  p.skin = c.text(2, kSkinLength);
  p.place = static_cast<int>(c.number(3, 0, kMaxSlots));
  p.frags = c.int32(4);
  p.kills = c.int32(5, 0);
  p.deaths = c.int32(6, 0);
  p.selfKills = c.int32(7, 0);
  p.teamPlace = static_cast<int>(c.number(8, 0, kMaxSlots));
  p.teamFrags = c.int32(9);
  p.team = static_cast<int>(c.number(10, 0, UINT8_MAX));
  for (int l = 1; l <= kHitLocations; ++l)
    p.hitLocationKills[static_cast<std::size_t>(l)] = c.int32(10 + l, 0);
  p.clientSlot = static_cast<int>(c.number(15, 0, kMaxSlots));
  return p;
}

// Runs `body` over the statement, then resets it however it ends, so that no read stays
// open.
template <typename Body>
auto readingWith(SqliteStatement& s, Body&& body) {
  struct Reset {
    SqliteStatement& s;
    ~Reset() { s.reset(); }
  } reset{s};
  return body();
}

}  // namespace

std::string packKillCounts(const std::vector<DemoKillCount>& kills) {
  std::string packed;
  packed.reserve(kills.size() * kPackedKillSize);
  for (const DemoKillCount& k : kills) {
    packed += static_cast<char>(k.victim);
    packed += static_cast<char>(k.killer);
    packed += static_cast<char>(k.weapon);
    for (int shift = 0; shift < 32; shift += 8) packed += static_cast<char>(k.count >> shift);
  }
  return packed;
}

std::vector<DemoKillCount> unpackKillCounts(std::string_view packed, const std::string& library) {
  auto damaged = [&] { return LibraryDamage(library + ": the library is damaged"); };
  if (packed.size() % kPackedKillSize != 0) throw damaged();
  std::vector<DemoKillCount> kills;
  kills.reserve(packed.size() / kPackedKillSize);
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(packed[i]); };
  for (std::size_t i = 0; i < packed.size(); i += kPackedKillSize) {
    std::uint32_t count = 0;
    for (int b = 3; b >= 0; --b) count = (count << 8) | byte(i + 3 + static_cast<std::size_t>(b));
    const DemoKillCount k{byte(i), byte(i + 1), byte(i + 2), count};
    const auto order = [](const DemoKillCount& c) {
      return std::tie(c.victim, c.killer, c.weapon);
    };
    if (k.victim < 1 || k.victim > kMaxSlots || k.killer < 1 || k.killer > kMaxSlots ||
        k.weapon >= kWeaponIndices || k.count == 0 ||
        (!kills.empty() && order(kills.back()) >= order(k))) {
      throw damaged();
    }
    kills.push_back(k);
  }
  return kills;
}

std::string packWeapons(const WeaponSet& weapons) {
  if (weapons.isOriginal()) return {};
  std::string packed;
  for (const Weapon& w : weapons.weapons())
    packed += w.label + kWeaponFieldEnd + w.name + kWeaponEnd;
  return packed;
}

WeaponSet unpackWeapons(std::string_view packed, const std::string& library) {
  if (packed.empty()) return WeaponSet();
  std::vector<Weapon> weapons;
  while (!packed.empty()) {
    const std::size_t field = packed.find(kWeaponFieldEnd);
    const std::size_t end = packed.find(kWeaponEnd);
    if (field == std::string_view::npos || end == std::string_view::npos || field > end ||
        weapons.size() == static_cast<std::size_t>(kMaxWeapons)) {
      throw LibraryDamage(library + ": the library is damaged");
    }
    weapons.push_back({std::string(packed.substr(0, field)),
                       std::string(packed.substr(field + 1, end - field - 1))});
    packed.remove_prefix(end + 1);
  }
  return WeaponSet(std::move(weapons));
}

std::string packDeaths(const std::vector<DemoDeath>& deaths) {
  std::string packed;
  packed.reserve(deaths.size() * kPackedDeathSize);
  for (const DemoDeath& d : deaths) {
    const auto time = static_cast<std::uint32_t>(d.time);
    for (int shift = 0; shift < 32; shift += 8) packed += static_cast<char>(time >> shift);
    packed += static_cast<char>(d.killer);
    packed += static_cast<char>(d.victim);
  }
  return packed;
}

std::vector<DemoDeath> unpackDeaths(std::string_view packed, const std::string& library) {
  if (packed.size() % kPackedDeathSize != 0)
    throw LibraryError(library + ": the library is damaged");
  std::vector<DemoDeath> deaths;
  deaths.reserve(packed.size() / kPackedDeathSize);
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(packed[i]); };
  for (std::size_t i = 0; i < packed.size(); i += kPackedDeathSize) {
    std::uint32_t time = 0;
    for (int b = 3; b >= 0; --b) time = (time << 8) | byte(i + static_cast<std::size_t>(b));
    deaths.push_back({static_cast<std::int32_t>(time), byte(i + 4), byte(i + 5)});
  }
  return deaths;
}

void LibraryStore::save(const std::string& path, const DemoResult& result,
                        const std::string& analysis, const FileIdentity& identity) {
  const std::int64_t id = insertDemo(path, LibraryRow::of(result), &result, analysis, identity);
  SqliteStatement& player = m_s->insertPlayer;
  for (const DemoPlayerResult& p : result.players) {
    player.reset();
    player.bind(1, id).bind(2, p.slot).bind(3, p.name).bind(4, p.skin).bind(5, p.place);
    player.bind(6, p.frags).bind(7, p.kills).bind(8, p.deaths).bind(9, p.selfKills);
    player.bind(10, p.teamPlace).bind(11, p.teamFrags).bind(12, p.team);
    for (int l = 1; l <= kHitLocations; ++l)
      player.bind(12 + l, p.hitLocationKills[static_cast<std::size_t>(l)]);
    player.bind(17, p.clientSlot).run();
  }
  SqliteStatement& notice = m_s->insertNotice;
  for (std::size_t i = 0; i < result.notices.size(); ++i) {
    notice.reset();
    notice.bind(1, id).bind(2, static_cast<std::int64_t>(i)).bind(3, result.notices[i]).run();
  }
}

void LibraryStore::saveFailure(const std::string& path, std::int64_t size, const FileTime& modified,
                               const FileIdentity& identity, const std::string& error,
                               const std::string& analysis) {
  LibraryRow row;
  row.size = size;
  row.modified = modified;
  row.error = error;
  insertDemo(path, row, nullptr, analysis, identity);
}

std::optional<DemoResult> LibraryStore::load(const std::string& path) {
  m_s->demo.reset();
  m_s->demo.bind(1, path);
  if (!m_s->demo.step()) return std::nullopt;
  return loadChecked(path);
}

// The result of the demo row `demo` stands on, with its players and notices, every value
// checked, and the row's list facts checked against what the result gives.
DemoResult LibraryStore::loadChecked(const std::string& path) {
  DemoResult r;
  LibraryRow listed;
  std::int64_t id = 0;
  const bool holds = readingWith(m_s->demo, [&] {
    const SqliteStatement& d = m_s->demo;
    CheckedRow c(d);
    id = d.number(cId);
    listed = rowOf(d, c);
    r.path = listed.path;
    r.size = listed.size;
    r.modified = listed.modified;
    r.protocolVersion = listed.protocolVersion;
    r.gameDir = listed.gameDir;
    r.viewPlayer = static_cast<int>(c.number(cViewPlayer, 0, UINT16_MAX));
    r.viewFrom = c.text(cViewFrom, std::max(kNameLength, kServerRecordingViewFrom.size()));
    r.mapName = listed.mapName;
    r.levelMessage = listed.levelMessage;
    r.bspName = c.text(cBsp);
    r.duration = listed.duration;
    r.serverRecording = c.number(cServerRecording, 0, 1) != 0;
    r.scoreboardAgrees = listed.scoreboardAgrees;
    r.pack = c.text(cPack);
    r.weapons = unpackWeapons(d.bytes(cWeapons), m_db->path());
    r.hitLocations = c.number(cHitLocations, 0, 1) != 0;
    r.kills = unpackKillCounts(d.bytes(cKillCounts), m_db->path());
    r.deaths = unpackDeaths(d.bytes(cDeaths), m_db->path());
    // A counter of a weapon that the demo's set does not have points past its tables.
    for (const DemoKillCount& k : r.kills) c.check(k.weapon <= r.weapons.count());
    return c.holds() && r.path == path;
  });
  const bool playersHold = readingWith(m_s->players, [&] {
    m_s->players.reset();
    m_s->players.bind(1, id);
    bool all = true;
    while (m_s->players.step()) {
      CheckedRow c(m_s->players);
      r.players.push_back(playerOf(c));
      const std::size_t n = r.players.size();
      const bool ascending = n == 1 || r.players[n - 2].slot < r.players[n - 1].slot;
      all = all && c.holds() && ascending && n <= std::size_t{kMaxSlots};
    }
    return all;
  });
  const bool noticesHold = readingWith(m_s->notices, [&] {
    m_s->notices.reset();
    m_s->notices.bind(1, id);
    bool all = true;
    while (m_s->notices.step()) {
      CheckedRow c(m_s->notices);
      r.notices.push_back(c.text(0));
      all = all && c.holds() && r.notices.size() <= std::size_t{kMaxStoredNotices};
    }
    return all;
  });
  const LibraryRow expected = LibraryRow::of(r);
  if (!holds || !playersHold || !noticesHold || expected.playerCount != listed.playerCount ||
      expected.names != listed.names || expected.winner != listed.winner ||
      expected.winnerFrags != listed.winnerFrags) {
    throw LibraryDamage(m_db->path() + ": the stored result of " + path + " does not hold");
  }
  return r;
}

std::vector<LibraryRow> LibraryStore::rows(const std::string& folder) {
  std::vector<LibraryRow> out;
  forEachRow(folder, [&](LibraryRow&& row) { out.push_back(std::move(row)); });
  return out;
}

void LibraryStore::forEachRow(const std::string& folder,
                              const std::function<void(LibraryRow&&)>& each) {
  // A row with a value too long to read is passed over like any row that does not hold.
  std::string sql = "SELECT id, " + std::string(kDemoColumns) +
                    " FROM demos WHERE max(length(path), ifnull(length(error), 0), length(names),"
                    " length(game_dir), length(map), length(level_message), length(winner)) <= " +
                    std::to_string(kLibraryValueLimit);
  const std::pair<std::string, std::string> range = keyRangeUnder(folder);
  if (!folder.empty()) sql += " AND path >= ? AND path < ?";
  SqliteStatement s(*m_db, sql + " ORDER BY path");
  if (!folder.empty()) s.bind(1, range.first).bind(2, range.second);
  while (s.step()) {
    CheckedRow c(s);
    LibraryRow row = rowOf(s, c);
    if (c.holds()) each(std::move(row));
  }
}

}  // namespace obitrak
