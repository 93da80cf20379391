#include "library/LibrarySchema.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <random>
#include <string_view>

#include "library/LibraryStore.h"
#include "scan/FileError.h"

namespace obitrak {

namespace {

// "OBTK": what PRAGMA application_id holds in every Obitrak library.
constexpr std::int64_t kApplicationId = 0x4F42544B;

// Each step takes a library from the schema before it to its own. A library written by
// an earlier release runs the steps it lacks, all in one transaction.
constexpr std::array<std::string_view, kLibrarySchemaVersion> kSchemaSteps{{
    // 1: demos with their header facts, players and kill counters.
    "CREATE TABLE demos(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE,"
    " size INTEGER NOT NULL, modified INTEGER NOT NULL, analysis TEXT NOT NULL, error BLOB,"
    " protocol INTEGER NOT NULL, game_dir BLOB NOT NULL, view_player INTEGER NOT NULL,"
    " view_from BLOB NOT NULL, map BLOB NOT NULL, level_message BLOB NOT NULL,"
    " bsp BLOB NOT NULL, duration INTEGER NOT NULL, player_count INTEGER NOT NULL,"
    " names BLOB NOT NULL, winner BLOB NOT NULL, winner_frags INTEGER NOT NULL);"
    "CREATE TABLE players(demo INTEGER NOT NULL, slot INTEGER NOT NULL, name BLOB NOT NULL,"
    " skin BLOB NOT NULL, place INTEGER NOT NULL, frags INTEGER NOT NULL,"
    " kills INTEGER NOT NULL, deaths INTEGER NOT NULL, self_kills INTEGER NOT NULL,"
    " team_place INTEGER NOT NULL, team_frags INTEGER NOT NULL, team INTEGER NOT NULL,"
    " PRIMARY KEY(demo, slot)) WITHOUT ROWID;"
    "CREATE TABLE kills(demo INTEGER NOT NULL, victim INTEGER NOT NULL,"
    " killer INTEGER NOT NULL, weapon INTEGER NOT NULL, count INTEGER NOT NULL,"
    " PRIMARY KEY(demo, victim, killer, weapon)) WITHOUT ROWID;",
    // 2: server recordings, the game's scoreboard and the scan's notices; the kill
    // counters packed into one value per demo, which reads back many times faster than a
    // row per counter. Results of the first layout lack the new facts, so their demos are
    // scanned again.
    "ALTER TABLE demos ADD COLUMN server_recording INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE demos ADD COLUMN scoreboard_agrees INTEGER;"
    "ALTER TABLE demos ADD COLUMN kill_counts BLOB NOT NULL DEFAULT x'';"
    "CREATE TABLE notices(demo INTEGER NOT NULL, seq INTEGER NOT NULL, text BLOB NOT NULL,"
    " PRIMARY KEY(demo, seq)) WITHOUT ROWID;"
    "DROP TABLE kills;"
    "UPDATE demos SET analysis = '';",
    // 3: the slot each name held in the game, which tells renames apart, and the times of
    // the counted deaths, packed, for the frags over time. Results without them are
    // scanned again.
    "ALTER TABLE players ADD COLUMN client_slot INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE demos ADD COLUMN deaths BLOB NOT NULL DEFAULT x'';"
    "UPDATE demos SET analysis = '';",
}};

void migrate(SqliteDb& db, int from, int to) {
  SqliteTransaction t(db);
  // Another program may have migrated it while this one waited for the lock.
  from = static_cast<int>(db.number("PRAGMA user_version"));
  if (from == 0) db.exec("PRAGMA application_id = " + std::to_string(kApplicationId));
  for (int v = from + 1; v <= to; ++v) db.exec(kSchemaSteps[static_cast<std::size_t>(v - 1)]);
  if (from < to) db.exec("PRAGMA user_version = " + std::to_string(to));
  t.commit();
}

// A file of ours, or why not. Only a regular file, not a link, is taken.
void checkFile(const std::string& path, const struct stat& st) {
  if (S_ISLNK(st.st_mode)) throw LibraryError(path + ": a link, not a library file");
  if (!S_ISREG(st.st_mode)) throw LibraryError(path + ": not a library file");
  if (st.st_size == 0) throw LibraryError(path + ": not an Obitrak library (empty file)");
}

void checkOwner(SqliteDb& db) {
  const std::int64_t application = db.number("PRAGMA application_id");
  if (application != kApplicationId) throw LibraryError(db.path() + ": not an Obitrak library");
  const std::int64_t version = db.number("PRAGMA user_version");
  if (version > kLibrarySchemaVersion) {
    throw LibraryError(db.path() + ": made by a newer Obitrak (library schema " +
                       std::to_string(version) + ")");
  }
}

// A fresh file of a name nobody else uses, beside `path`.
std::string createTemporary(const std::string& path) {
  std::random_device random;
  for (int attempt = 0;; ++attempt) {
    std::string name = path + ".new-" + std::to_string(random());
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST || attempt > 100) throwFileError(errno, name);
  }
}

}  // namespace

void createLibraryFile(const std::string& path, int version) {
  const std::string temporary = createTemporary(path);
  try {
    {
      SqliteDb db(temporary);
      db.exec("PRAGMA journal_mode = WAL");
      migrate(db, 0, version);
    }
    // Linking never replaces a file: a library that another program made meanwhile stays.
    if (::link(temporary.c_str(), path.c_str()) != 0 && errno != EEXIST) {
      throwFileError(errno, path);
    }
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  ::unlink(temporary.c_str());
}

std::unique_ptr<SqliteDb> openLibraryDatabase(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) throwFileError(errno, path);
    createLibraryFile(path, kLibrarySchemaVersion);
    if (::lstat(path.c_str(), &st) != 0) throwFileError(errno, path);
  }
  checkFile(path, st);
  auto db = std::make_unique<SqliteDb>(path);
  checkOwner(*db);
  const int version = static_cast<int>(db->number("PRAGMA user_version"));
  if (version < kLibrarySchemaVersion) migrate(*db, version, kLibrarySchemaVersion);
  db->exec("PRAGMA synchronous = NORMAL");
  return db;
}

}  // namespace obitrak
