#include "library/LibraryPlace.h"

namespace obitrak {

std::string defaultLibraryPath(const char* xdgDataHome, const char* home) {
  std::string base;
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
    base = xdgDataHome;
  } else if (home != nullptr && home[0] == '/') {
    base = std::string(home) + "/.local/share";
  } else {
    return {};
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/obitrak/library.sqlite";
}

}  // namespace obitrak
