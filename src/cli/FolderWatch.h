#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "scan/FileAccess.h"

namespace obitrak {

// Tells when demos may have come, changed or gone below the folders of a run, by inotify:
// every folder argument with all its subfolders (new ones too), and the folder of each demo
// named by itself. A demo counts once it is closed after writing or moved in, so that one
// still being recorded does not count at every write.
class FolderWatch {
 public:
  // Watches the folders of `inputs`; what cannot be watched is named on `err`, and then
  // every wait also ends after a while without news, so that nothing is missed for long.
  FolderWatch(const std::vector<std::string>& inputs, std::FILE* err);

  // Waits for a change and then until none came for `quietMs` (at most `longestMs` in all).
  void waitForChange(int quietMs = 1000, int longestMs = 10000);

 private:
  void watchTree(const std::string& folder);
  void watchFolder(const std::string& folder);
  // Reads the events that are there; returns whether one of them matters.
  bool readEvents();

  FileHandle m_inotify;
  std::FILE* m_err;
  std::map<int, std::string> m_folders;  // watch descriptor -> folder
  bool m_incomplete = false;             // some folder could not be watched
};

}  // namespace obitrak
