#include "library/LibraryStore.h"

#include <filesystem>

#include "library/LibrarySchema.h"
#include "library/LibraryStatements.h"
#include "scan/FileError.h"

namespace obitrak {

std::string libraryKey(const std::string& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) absolute = path;
  return absolute.lexically_normal().string();
}

std::string libraryKey(const std::string& path, const std::string& base) {
  if (base.empty() || path.empty()) return libraryKey(path);
  const std::filesystem::path p(path);
  return (p.is_absolute() ? p : std::filesystem::path(base) / p).lexically_normal().string();
}

std::string libraryBase() {
  std::error_code ec;
  std::filesystem::path cwd = std::filesystem::current_path(ec);
  return ec ? std::string() : cwd.string();
}

LibraryRow LibraryRow::of(const DemoResult& r) {
  LibraryRow row;
  row.path = r.path;
  row.size = r.size;
  row.modified = r.modified;
  row.protocolVersion = r.protocolVersion;
  row.gameDir = r.gameDir;
  row.mapName = r.mapName;
  row.levelMessage = r.levelMessage;
  row.duration = r.duration;
  row.scoreboardAgrees = r.scoreboardAgrees;
  for (const DemoPlayerResult& p : r.players) row.names += p.name + "\n";
  const std::vector<const DemoPlayerResult*> ranked = r.ranked(false);
  row.playerCount = static_cast<int>(ranked.size());
  if (!ranked.empty()) {
    row.winner = ranked.front()->name;
    row.winnerFrags = ranked.front()->frags;
  }
  return row;
}

LibraryStore::LibraryStore(const std::string& path, TemporaryFiles* temporaries) {
  try {
    OpenedLibrary opened = openLibraryDatabase(path, temporaries);
    m_db = std::move(opened.db);
    m_readOnly = std::move(opened.readOnly);
  } catch (const FileError& e) {
    throw LibraryError(path + ": " + e.what());
  }
  m_s = std::make_unique<Statements>(*m_db);
}

LibraryStore::~LibraryStore() = default;

void LibraryStore::createWithSchema(const std::string& path, int version) {
  createLibraryFile(path, version);
}

namespace {

// A state as "SELECT <kStateColumns>" reads it, from column `first` on. Numbers that no file
// can have only make the state differ from the file's.
StoredState stateAt(const SqliteStatement& s, int first) {
  auto number = [&](int i) { return s.number(first + i); };
  auto time = [&](int i) {
    return FileTime{number(i), static_cast<std::int32_t>(clampToInt32(number(i + 1)))};
  };
  const FileIdentity identity{static_cast<std::uint64_t>(number(3)),
                              static_cast<std::uint64_t>(number(4)), time(5)};
  return {number(0), time(1), identity, s.bytes(first + 7), number(8) != 0, s.bytes(first + 9)};
}

}  // namespace

std::map<std::string, StoredState> LibraryStore::states() {
  std::map<std::string, StoredState> out;
  SqliteStatement s(*m_db, "SELECT path, " + std::string(kStateColumns) + " FROM demos");
  while (s.step()) out.emplace(s.bytes(0), stateAt(s, 1));
  return out;
}

std::optional<StoredState> LibraryStore::stateOf(const std::string& path) {
  SqliteStatement& s = m_s->state;
  s.reset();
  s.bind(1, path);
  if (!s.step()) return std::nullopt;
  StoredState state = stateAt(s, 0);
  s.reset();
  return state;
}

std::vector<std::string> LibraryStore::pathsUnder(const std::string& folder) {
  const auto [low, high] = keyRangeUnder(folder);
  SqliteStatement s(*m_db,
                    "SELECT path FROM demos WHERE path >= ? AND path < ? AND length(path) <= " +
                        std::to_string(kLibraryValueLimit) + " ORDER BY path");
  s.bind(1, low).bind(2, high);
  std::vector<std::string> out;
  while (s.step()) out.push_back(s.bytes(0));
  return out;
}

void LibraryStore::removeChildren(std::int64_t id) {
  for (SqliteStatement* s : {&m_s->deletePlayers, &m_s->deleteNotices}) {
    s->reset();
    s->bind(1, id).run();
  }
}

void LibraryStore::remove(const std::string& path) {
  SqliteStatement& find = m_s->findId;
  find.reset();
  find.bind(1, path);
  if (!find.step()) return;
  const std::int64_t id = find.number(0);
  find.reset();
  removeChildren(id);
  m_s->deleteDemo.reset();
  m_s->deleteDemo.bind(1, id).run();
}

std::int64_t LibraryStore::insertDemo(const std::string& path, const LibraryRow& row,
                                      const DemoResult* result, const std::string& analysis,
                                      const FileIdentity& identity) {
  remove(path);
  SqliteStatement& s = m_s->insertDemo;
  s.reset();
  s.bind(1, path).bind(2, row.size).bind(3, row.modified.seconds).bind(4, analysis);
  if (result == nullptr) {
    s.bind(5, row.error);
  } else {
    s.bindNull(5);
  }
  s.bind(6, row.protocolVersion).bind(7, row.gameDir);
  s.bind(8, result != nullptr ? result->viewPlayer : 0);
  s.bind(9, result != nullptr ? result->viewFrom : std::string());
  s.bind(10, row.mapName).bind(11, row.levelMessage);
  s.bind(12, result != nullptr ? result->bspName : std::string());
  s.bind(13, row.duration).bind(14, row.playerCount).bind(15, row.names);
  s.bind(16, row.winner).bind(17, row.winnerFrags);
  s.bind(18, result != nullptr && result->serverRecording ? 1 : 0);
  if (row.scoreboardAgrees) {
    s.bind(19, *row.scoreboardAgrees ? 1 : 0);
  } else {
    s.bindNull(19);
  }
  s.bind(20, row.modified.nanoseconds).bind(21, static_cast<std::int64_t>(identity.device));
  s.bind(22, static_cast<std::int64_t>(identity.inode)).bind(23, identity.changed.seconds);
  s.bind(24, identity.changed.nanoseconds);
  if (result != nullptr && !result->pack.empty()) {
    s.bind(25, result->pack);
  } else {
    s.bindNull(25);
  }
  const std::string weapons = result != nullptr ? packWeapons(result->weapons) : std::string();
  if (weapons.empty()) {
    s.bindNull(26);
  } else {
    s.bind(26, weapons);
  }
  s.bind(27, result != nullptr && result->hitLocations ? 1 : 0);
  s.bind(28, result != nullptr ? packKillCounts(result->kills) : std::string());
  s.bind(29, result != nullptr ? packDeaths(result->deaths) : std::string());
  s.run();
  return m_db->lastInsertId();
}

}  // namespace obitrak
