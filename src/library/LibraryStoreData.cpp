#include "library/LibraryStatements.h"
#include "library/LibraryStore.h"

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
  cKillCounts,  // only where a whole result is read
  cDeaths,
};

constexpr std::size_t kPackedKillSize = 7;
constexpr std::size_t kPackedDeathSize = 6;

std::int32_t int32Of(const SqliteStatement& s, int column) {
  return clampToInt32(s.number(column));
}

std::optional<bool> agreementOf(const SqliteStatement& s) {
  if (s.isNull(cScoreboardAgrees)) return std::nullopt;
  return s.number(cScoreboardAgrees) != 0;
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
  if (packed.size() % kPackedKillSize != 0)
    throw LibraryError(library + ": the library is damaged");
  std::vector<DemoKillCount> kills;
  kills.reserve(packed.size() / kPackedKillSize);
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(packed[i]); };
  for (std::size_t i = 0; i < packed.size(); i += kPackedKillSize) {
    std::uint32_t count = 0;
    for (int b = 3; b >= 0; --b) count = (count << 8) | byte(i + 3 + static_cast<std::size_t>(b));
    kills.push_back({byte(i), byte(i + 1), byte(i + 2), count});
  }
  return kills;
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
                        const std::string& analysis) {
  const std::int64_t id = insertDemo(path, LibraryRow::of(result), &result, analysis);
  SqliteStatement& player = m_s->insertPlayer;
  for (const DemoPlayerResult& p : result.players) {
    player.reset();
    player.bind(1, id).bind(2, p.slot).bind(3, p.name).bind(4, p.skin).bind(5, p.place);
    player.bind(6, p.frags).bind(7, p.kills).bind(8, p.deaths).bind(9, p.selfKills);
    player.bind(10, p.teamPlace).bind(11, p.teamFrags).bind(12, p.team);
    player.bind(13, p.clientSlot).run();
  }
  SqliteStatement& notice = m_s->insertNotice;
  for (std::size_t i = 0; i < result.notices.size(); ++i) {
    notice.reset();
    notice.bind(1, id).bind(2, static_cast<std::int64_t>(i)).bind(3, result.notices[i]).run();
  }
}

void LibraryStore::saveFailure(const std::string& path, std::int64_t size, std::int64_t modified,
                               const std::string& error, const std::string& analysis) {
  LibraryRow row;
  row.size = size;
  row.modified = modified;
  row.error = error;
  insertDemo(path, row, nullptr, analysis);
}

std::optional<DemoResult> LibraryStore::load(const std::string& path) {
  SqliteStatement& d = m_s->demo;
  d.reset();
  d.bind(1, path);
  if (!d.step()) return std::nullopt;
  DemoResult r;
  const std::int64_t id = d.number(cId);
  r.path = d.bytes(cPath);
  r.size = d.number(cSize);
  r.modified = d.number(cModified);
  r.protocolVersion = int32Of(d, cProtocol);
  r.gameDir = d.bytes(cGameDir);
  r.viewPlayer = int32Of(d, cViewPlayer);
  r.viewFrom = d.bytes(cViewFrom);
  r.mapName = d.bytes(cMap);
  r.levelMessage = d.bytes(cLevelMessage);
  r.bspName = d.bytes(cBsp);
  r.duration = int32Of(d, cDuration);
  r.serverRecording = d.number(cServerRecording) != 0;
  r.scoreboardAgrees = agreementOf(d);
  r.kills = unpackKillCounts(d.bytes(cKillCounts), m_db->path());
  r.deaths = unpackDeaths(d.bytes(cDeaths), m_db->path());
  d.reset();

  SqliteStatement& p = m_s->players;
  p.reset();
  p.bind(1, id);
  while (p.step()) {
    r.players.push_back({int32Of(p, 1), p.bytes(2), p.bytes(3), int32Of(p, 4), int32Of(p, 5),
                         int32Of(p, 6), int32Of(p, 7), int32Of(p, 8), int32Of(p, 9), int32Of(p, 10),
                         int32Of(p, 11), int32Of(p, 12)});
  }
  SqliteStatement& n = m_s->notices;
  n.reset();
  n.bind(1, id);
  while (n.step()) r.notices.push_back(n.bytes(0));
  return r;
}

std::vector<LibraryRow> LibraryStore::rows(const std::string& folder) {
  std::vector<LibraryRow> out;
  forEachRow(folder, [&](LibraryRow&& row) { out.push_back(std::move(row)); });
  return out;
}

void LibraryStore::forEachRow(const std::string& folder,
                              const std::function<void(LibraryRow&&)>& each) {
  std::string sql = "SELECT id, " + std::string(kDemoColumns) + " FROM demos";
  const std::pair<std::string, std::string> range = keyRangeUnder(folder);
  if (!folder.empty()) sql += " WHERE path >= ? AND path < ?";
  SqliteStatement s(*m_db, sql + " ORDER BY path");
  if (!folder.empty()) s.bind(1, range.first).bind(2, range.second);
  while (s.step()) {
    LibraryRow row;
    row.path = s.bytes(cPath);
    row.size = s.number(cSize);
    row.modified = s.number(cModified);
    row.error = s.bytes(cError);
    row.protocolVersion = int32Of(s, cProtocol);
    row.gameDir = s.bytes(cGameDir);
    row.mapName = s.bytes(cMap);
    row.levelMessage = s.bytes(cLevelMessage);
    row.duration = int32Of(s, cDuration);
    row.playerCount = int32Of(s, cPlayerCount);
    row.names = s.bytes(cNames);
    row.winner = s.bytes(cWinner);
    row.winnerFrags = int32Of(s, cWinnerFrags);
    row.scoreboardAgrees = agreementOf(s);
    each(std::move(row));
  }
}

}  // namespace obitrak
