#pragma once

#include <memory>
#include <string>

#include "library/Sqlite.h"

namespace obitrak {

// An open library file, and why it is read-only ("File access denied") when it is.
struct OpenedLibrary {
  std::unique_ptr<SqliteDb> db;
  std::string readOnly;
};

// Opens the library file at `path` and brings its schema up to `kLibrarySchemaVersion`;
// creates the file first when nothing has that name. A file this user may not write, or
// whose folder he may not write, is opened read-only. Every refusal is a LibraryError and
// leaves the file untouched.
OpenedLibrary openLibraryDatabase(const std::string& path);

// Creates a library file of schema `version` at `path`, which must not exist.
void createLibraryFile(const std::string& path, int version);

}  // namespace obitrak
