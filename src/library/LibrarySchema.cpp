#include "library/LibrarySchema.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <utility>

#include "library/LibraryStore.h"
#include "library/LibraryTemporary.h"
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
    // 3: what tells a demo file apart for certain (device, inode, change time), and the
    // modification time as seconds and nanoseconds apart, which hold every time a file can
    // carry. Earlier rows lack the file's identity, so their demos are scanned again; their
    // times, nanoseconds until now, are divided (rounding down) for the lists meanwhile.
    "ALTER TABLE demos ADD COLUMN modified_ns INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE demos ADD COLUMN device INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE demos ADD COLUMN inode INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE demos ADD COLUMN changed INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE demos ADD COLUMN changed_ns INTEGER NOT NULL DEFAULT 0;"
    "UPDATE demos SET"
    " modified = modified / 1000000000 - (modified % 1000000000 < 0),"
    " modified_ns = modified % 1000000000 + 1000000000 * (modified % 1000000000 < 0);",
    // 4: the death-message pack that counted each demo (NULL for the built-in phrases
    // only), the weapons its kill counters mean (NULL for the original twelve, else one
    // "LABEL<tab>NAME<line feed>" each) and whether the pack tells hit locations; each
    // player's kills by hit location. Results of the earlier layouts lack them (one counted
    // with a pack would show none), so their demos are scanned again.
    "ALTER TABLE demos ADD COLUMN pack BLOB;"
    "ALTER TABLE demos ADD COLUMN weapons BLOB;"
    "ALTER TABLE demos ADD COLUMN hit_locations INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE players ADD COLUMN head_kills INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE players ADD COLUMN chest_kills INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE players ADD COLUMN stomach_kills INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE players ADD COLUMN legs_kills INTEGER NOT NULL DEFAULT 0;"
    "UPDATE demos SET analysis = '';",
    // 5: the slot each name held in the game, which tells renames apart, and the times of
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

std::string folderOf(const std::string& path) {
  const std::filesystem::path p(path);
  return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

// Why this user may not write the library or make the journal files beside it that a
// writer makes; empty when he may.
std::string readOnlyReason(const std::string& path) {
  const std::pair<std::string, int> needed[] = {{path, W_OK}, {folderOf(path), W_OK | X_OK}};
  for (const auto& [name, mode] : needed) {
    if (::faccessat(AT_FDCWD, name.c_str(), mode, AT_EACCESS) == 0) continue;
    if (errno == EACCES || errno == EPERM || errno == EROFS) {
      return fileErrorFromErrno(errno, name).what();
    }
  }
  return {};
}

}  // namespace

void createLibraryFile(const std::string& path, int version, TemporaryFiles* temporaries) {
  LibraryTemporary temporary(folderOf(path), std::filesystem::path(path).filename().string(),
                             temporaries);
  {
    SqliteDb db(temporary.path());
    db.exec("PRAGMA journal_mode = WAL");
    migrate(db, 0, version);
  }
  // Linking never replaces a file: a library that another program made meanwhile stays.
  if (::link(temporary.path().c_str(), path.c_str()) != 0 && errno != EEXIST) {
    throwFileError(errno, path);
  }
}

OpenedLibrary openLibraryDatabase(const std::string& path, TemporaryFiles* temporaries) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) throwFileError(errno, path);
    createLibraryFile(path, kLibrarySchemaVersion, temporaries);
    if (::lstat(path.c_str(), &st) != 0) throwFileError(errno, path);
  }
  checkFile(path, st);
  OpenedLibrary opened{nullptr, readOnlyReason(path)};
  const bool readOnly = !opened.readOnly.empty();
  opened.db = std::make_unique<SqliteDb>(
      path, readOnly ? SqliteDb::Access::ReadOnly : SqliteDb::Access::ReadWrite);
  SqliteDb& db = *opened.db;
  checkOwner(db);
  const int version = static_cast<int>(db.number("PRAGMA user_version"));
  if (version < kLibrarySchemaVersion && readOnly) {
    throw LibraryError(path + ": made by an earlier Obitrak and cannot be brought up to date (" +
                       opened.readOnly + ")");
  }
  if (version < kLibrarySchemaVersion) migrate(db, version, kLibrarySchemaVersion);
  if (!readOnly) db.exec("PRAGMA synchronous = NORMAL");
  return opened;
}

}  // namespace obitrak
