#pragma once

#include <memory>
#include <string>

#include "library/Sqlite.h"

namespace obitrak {

// Opens the library file at `path` and brings its schema up to `kLibrarySchemaVersion`;
// creates the file first when nothing has that name. Every refusal is a LibraryError and
// leaves the file untouched.
std::unique_ptr<SqliteDb> openLibraryDatabase(const std::string& path);

// Creates a library file of schema `version` at `path`, which must not exist.
void createLibraryFile(const std::string& path, int version);

}  // namespace obitrak
