#pragma once

#include <string>

namespace obitrak {

// Where the desktop keeps its library: $XDG_DATA_HOME/obitrak/library.sqlite, or
// ~/.local/share/obitrak/library.sqlite when XDG_DATA_HOME is unset, empty or not an
// absolute path. Empty when neither gives a place.
std::string defaultLibraryPath(const char* xdgDataHome, const char* home);

}  // namespace obitrak
