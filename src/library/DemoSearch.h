#pragma once

#include <string>
#include <vector>

namespace obitrak {

// What a search of a folder found.
struct DemoSearchResult {
  std::vector<std::string> demos;     // sorted
  std::vector<std::string> problems;  // "PATH: message" for what could not be searched
  bool failed = false;                // a folder could not be read
};

// The demos below `folder` (.dm2 and .dm2.gz files, any case) in all its subfolders,
// without following links to folders; only regular files are demos, and a link that
// leads nowhere is taken as it is so that its demo is reported missing. A folder that
// cannot be read is named and the rest of the tree is searched all the same.
DemoSearchResult FindDemos(const std::string& folder);

}  // namespace obitrak
