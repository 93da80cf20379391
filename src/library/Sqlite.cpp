#include "library/Sqlite.h"

#include <sqlite3.h>

#include "scan/FileError.h"

namespace obitrak {

namespace {

// How long a statement waits while another program writes to the same library.
constexpr int kBusyTimeoutMs = 10'000;

std::string messageFor(sqlite3* db, int code) {
  switch (code & 0xFF) {
    case SQLITE_NOTADB:
      return "not an Obitrak library (not a database)";
    case SQLITE_CORRUPT:
      return "the library is damaged";
    case SQLITE_CANTOPEN:
      return "the library cannot be opened";
    case SQLITE_READONLY:
      return "the library cannot be written";
    case SQLITE_FULL:
      return "Disk full";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "the library is in use by another program";
    case SQLITE_TOOBIG:
      return "the library holds a value too long to be one of its own";
    default:
      return db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
  }
}

// An SQLite URI that opens `path` as a file that nobody changes while it is read: no lock is
// taken, and no journal or shared-memory file is made beside it. Every byte but the plain
// ones of a path is escaped.
std::string immutableUri(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::string_view("/._-~").find(c) != std::string_view::npos;
    if (plain) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    }
  }
  return uri + "?immutable=1";
}

}  // namespace

SqliteDb::SqliteDb(const std::string& path, Access access) : m_path(path) {
  int flags = SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
  std::string name = path;
  if (access == Access::ReadOnly) {
    flags |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
    name = immutableUri(path);
  } else {
    flags |= SQLITE_OPEN_READWRITE;
  }
  const int rc = sqlite3_open_v2(name.c_str(), &m_db, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = messageFor(m_db, rc);
    // Why the system refused the file, when it did ("File access denied").
    if (const int err = m_db != nullptr ? sqlite3_system_errno(m_db) : 0; err != 0)
      message += " (" + std::string(fileErrorFromErrno(err, path).what()) + ")";
    sqlite3_close(m_db);
    m_db = nullptr;
    throw LibraryError(path + ": " + message);
  }
  sqlite3_extended_result_codes(m_db, 1);
  sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
  sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, kLibraryValueLimit);
}

SqliteDb::~SqliteDb() {
  sqlite3_close(m_db);
}

void SqliteDb::fail(int code) const {
  const std::string message = m_path + ": " + messageFor(m_db, code);
  // Nothing this program writes is that long: the value was put there by other hands.
  if ((code & 0xFF) == SQLITE_TOOBIG) throw LibraryDamage(message);
  throw LibraryError(message);
}

std::int64_t SqliteDb::lastInsertId() const {
  return sqlite3_last_insert_rowid(m_db);
}

void SqliteDb::exec(std::string_view sql) {
  const std::string text(sql);
  const int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) fail(rc);
}

std::int64_t SqliteDb::number(std::string_view sql) {
  SqliteStatement s(*this, sql);
  return s.step() ? s.number(0) : 0;
}

SqliteStatement::SqliteStatement(SqliteDb& db, std::string_view sql) : m_db(db) {
  const int rc =
      sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr);
  if (rc != SQLITE_OK) db.fail(rc);
}

SqliteStatement::~SqliteStatement() {
  sqlite3_finalize(m_stmt);
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value) {
  const int rc = sqlite3_bind_int64(m_stmt, index, value);
  if (rc != SQLITE_OK) m_db.fail(rc);
  return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view bytes) {
  // A zero-length blob bound from a null pointer would read as NULL.
  static const char kEmpty = 0;
  const char* data = bytes.empty() ? &kEmpty : bytes.data();
  const int rc = sqlite3_bind_blob64(m_stmt, index, data, bytes.size(), SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) m_db.fail(rc);
  return *this;
}

SqliteStatement& SqliteStatement::bindNull(int index) {
  const int rc = sqlite3_bind_null(m_stmt, index);
  if (rc != SQLITE_OK) m_db.fail(rc);
  return *this;
}

bool SqliteStatement::step() {
  const int rc = sqlite3_step(m_stmt);
  if (rc == SQLITE_ROW) return true;
  sqlite3_reset(m_stmt);
  if (rc != SQLITE_DONE) m_db.fail(rc);
  sqlite3_clear_bindings(m_stmt);
  return false;
}

void SqliteStatement::run() {
  while (step()) {
  }
}

void SqliteStatement::reset() {
  sqlite3_reset(m_stmt);
  sqlite3_clear_bindings(m_stmt);
}

std::int64_t SqliteStatement::number(int column) const {
  return sqlite3_column_int64(m_stmt, column);
}

std::string SqliteStatement::bytes(int column) const {
  const void* data = sqlite3_column_blob(m_stmt, column);
  const int size = sqlite3_column_bytes(m_stmt, column);
  if (data == nullptr || size <= 0) return {};
  return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

bool SqliteStatement::isNull(int column) const {
  return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

bool SqliteStatement::isInteger(int column) const {
  return sqlite3_column_type(m_stmt, column) == SQLITE_INTEGER;
}

SqliteTransaction::SqliteTransaction(SqliteDb& db, Kind kind) : m_db(db) {
  m_db.exec(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED");
}

SqliteTransaction::~SqliteTransaction() {
  if (m_open) sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::commit() {
  m_db.exec("COMMIT");
  m_open = false;
}

}  // namespace obitrak
