#pragma once

#include <memory>
#include <string>

#include "library/Sqlite.h"

namespace obitrak {

class TemporaryFiles;

// An open library file, and why it is read-only ("File access denied") when it is.
struct OpenedLibrary {
  std::unique_ptr<SqliteDb> db;
  std::string readOnly;
};

// Opens the library file at `path` and brings its schema up to `kLibrarySchemaVersion`;
// creates the file first when nothing has that name, its temporary files known to
// `temporaries`. A file this user may not write, or whose folder he may not write, is
// opened read-only. Every refusal is a LibraryError and leaves the file untouched.
OpenedLibrary openLibraryDatabase(const std::string& path, TemporaryFiles* temporaries = nullptr);

// Creates a library file of schema `version` at `path`, which must not exist. It is made
// under a temporary name beside `path`, known to `temporaries` with the journal files
// SQLite may make beside it before any of them exists, and linked to `path` when whole.
void createLibraryFile(const std::string& path, int version, TemporaryFiles* temporaries = nullptr);

}  // namespace obitrak
