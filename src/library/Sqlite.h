#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace obitrak {

// A library database that cannot be used: it is damaged, belongs to another program, was
// made by a newer Obitrak, or a statement failed. what() reads "PATH: message".
class LibraryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A stored result that does not hold: a value out of its range or too long, a counter that
// points past the players, a list that disagrees with the result. Its demo is to be scanned
// again; the rest of the library is sound.
class LibraryDamage : public LibraryError {
 public:
  using LibraryError::LibraryError;
};

// No value longer than this is ever read from a library: a statement that meets one fails
// (SQLITE_TOOBIG) instead of taking the memory. The longest value a library holds, a demo's
// packed kill counters, takes less than half of it.
inline constexpr int kLibraryValueLimit = 1 << 20;

// One connection to an SQLite database file that exists: never creates the file and
// never follows a link at its name. Waits for another program's lock up to a timeout.
class SqliteDb {
 public:
  // ReadOnly reads the file as it is, without locks, journal or any file beside it: for a
  // file that this user may not write.
  enum class Access { ReadWrite, ReadOnly };
  explicit SqliteDb(const std::string& path, Access access = Access::ReadWrite);
  ~SqliteDb();
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  // Runs statements without results; throws LibraryError on failure.
  void exec(std::string_view sql);
  // The first column of the first row of `sql` as a number (0 when there is no row).
  std::int64_t number(std::string_view sql);

  std::int64_t lastInsertId() const;

  [[noreturn]] void fail(int code) const;
  sqlite3* handle() const { return m_db; }
  const std::string& path() const { return m_path; }

 private:
  sqlite3* m_db = nullptr;
  std::string m_path;
};

// A prepared statement, reset after every run so that it can be run again.
class SqliteStatement {
 public:
  SqliteStatement(SqliteDb& db, std::string_view sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Parameters count from 1. Texts are bound as bytes (BLOB): demo names, paths and
  // messages are single-byte texts in no particular character set.
  SqliteStatement& bind(int index, std::int64_t value);
  SqliteStatement& bind(int index, std::string_view bytes);
  SqliteStatement& bindNull(int index);

  // Steps once: true while there is a row to read.
  bool step();
  // Runs a statement without results to its end.
  void run();
  void reset();

  // Columns count from 0.
  std::int64_t number(int column) const;
  std::string bytes(int column) const;
  bool isNull(int column) const;
  bool isInteger(int column) const;

 private:
  SqliteDb& m_db;
  sqlite3_stmt* m_stmt = nullptr;
};

// A transaction that is rolled back unless committed. A write transaction takes the write
// lock at once, so that waiting for another program happens here and not halfway through;
// a read transaction lets many statements share one look at the database (and its locks).
class SqliteTransaction {
 public:
  enum class Kind { Write, Read };
  explicit SqliteTransaction(SqliteDb& db, Kind kind = Kind::Write);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;
  void commit();

 private:
  SqliteDb& m_db;
  bool m_open = true;
};

}  // namespace obitrak
