#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library/Sqlite.h"
#include "stats/DemoResult.h"
#include "stats/FileTime.h"

namespace obitrak {

class TemporaryFiles;

// The schema this program writes; a library of an earlier one is brought up to date when
// opened, one of a later one is refused.
inline constexpr int kLibrarySchemaVersion = 5;

// What tells a file apart for certain where size and modification time may not: a copy or
// a move over a demo can keep both, but not the file itself (device and inode) nor its
// change time, which only the system sets.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  FileTime changed;

  bool operator==(const FileIdentity&) const = default;
};

// What the library knows of a demo file without loading its results.
struct StoredState {
  std::int64_t size = 0;
  FileTime modified;
  FileIdentity identity;
  std::string analysis;  // AnalysisVersion of the stored result
  bool failed = false;   // the demo could not be read
  std::string gameDir;   // which picks the pack that would count it now
};

// A demo as a list of many shows it: the facts of the table, no kill counters.
struct LibraryRow {
  std::string path;
  std::int64_t size = 0;
  FileTime modified;
  std::string error;  // why the demo could not be read; empty when it could
  std::int32_t protocolVersion = 0;
  std::string gameDir;
  std::string mapName;
  std::string levelMessage;
  std::int32_t duration = 0;
  int playerCount = 0;  // ranked players
  std::string names;    // every player name of the demo, each followed by a line feed
  std::string winner;   // the free-for-all winner, empty when nobody was ranked
  std::int32_t winnerFrags = 0;
  std::optional<bool> scoreboardAgrees;

  static LibraryRow of(const DemoResult& result);
};

// The demo library: one SQLite database holding, per demo file (by its absolute path),
// what tells the file apart, the analysis version and the DemoResult. Writes are the
// caller's transactions (SqliteTransaction over db()). One store is one connection, for
// one thread at a time; another program may use the same file at once.
class LibraryStore {
 public:
  // Opens the library at `path`, creating it when no file has that name; the temporary files
  // of a library being made are known to `temporaries`. A link at the name, a file that is
  // not an Obitrak library, a damaged one or one of a newer schema throws LibraryError and
  // the file is left as it is. A library that this user may not write (nor its folder) is
  // opened read-only: read as its last writer left it, never locked nor written, no file
  // made beside it.
  explicit LibraryStore(const std::string& path, TemporaryFiles* temporaries = nullptr);
  ~LibraryStore();
  LibraryStore(const LibraryStore&) = delete;
  LibraryStore& operator=(const LibraryStore&) = delete;

  SqliteDb& db() { return *m_db; }
  // Why the library is read-only ("File access denied"); empty when it may be written.
  const std::string& readOnlyReason() const { return m_readOnly; }

  std::map<std::string, StoredState> states();
  std::optional<StoredState> stateOf(const std::string& path);
  // The stored result, its path being the stored one; none for an unknown or failed demo.
  // A result that does not hold throws LibraryDamage.
  std::optional<DemoResult> load(const std::string& path);
  // Every demo below `folder` (all with an empty folder), ordered by path; a row that does
  // not hold is left out.
  std::vector<LibraryRow> rows(const std::string& folder = {});
  // The same, handed over one by one as they are read.
  void forEachRow(const std::string& folder, const std::function<void(LibraryRow&&)>& each);
  std::vector<std::string> pathsUnder(const std::string& folder);

  void save(const std::string& path, const DemoResult& result, const std::string& analysis,
            const FileIdentity& identity = {});
  void saveFailure(const std::string& path, std::int64_t size, const FileTime& modified,
                   const FileIdentity& identity, const std::string& error,
                   const std::string& analysis);
  void remove(const std::string& path);

  // Creates an empty library of an earlier schema, as that release made it (for tests of
  // the migration).
  static void createWithSchema(const std::string& path, int version);

 private:
  struct Statements;
  void removeChildren(std::int64_t id);
  std::int64_t insertDemo(const std::string& path, const LibraryRow& row, const DemoResult* result,
                          const std::string& analysis, const FileIdentity& identity);
  DemoResult loadChecked(const std::string& path);

  std::unique_ptr<SqliteDb> m_db;
  std::unique_ptr<Statements> m_s;
  std::string m_readOnly;
};

// The key of a demo in a library: its absolute path, made plain ("a/./b" is "a/b"), links
// not resolved.
std::string libraryKey(const std::string& path);
// The same, a relative `path` taken from `base`, an absolute folder (the current one, asked
// for once for many demos).
std::string libraryKey(const std::string& path, const std::string& base);
// The current folder as libraryKey takes it, or "" when it cannot be known.
std::string libraryBase();

}  // namespace obitrak
