#pragma once

#include <string>
#include <vector>

#include "scan/FileAccess.h"

namespace obitrak {

// A demo that the search found or that the user named.
struct FoundDemo {
  std::string path;   // as messages and reports show it
  FoundFile file;     // how to open it as it was found
  std::string below;  // the folders between the folder argument and the demo ("" when none)
};

// What the search of the inputs found, in order, and what it could not search.
struct DemoSearch {
  std::vector<FoundDemo> demos;
  std::string messages;  // lines for standard error
  bool failed = false;   // something could not be searched
};

// Finds the demos in `folder` and all its subfolders (.dm2 and .dm2.gz, any case), sorted by
// path. Each folder is read relative to its parent, so any depth works, and links to folders
// are not followed. Only regular files are demos, also through a link; anything else with a
// demo's name is named as "Not a regular file". A folder that cannot be read is named and
// counts as a failure; the rest of the tree is searched all the same.
void searchFolder(const std::string& folder, DemoSearch& into);

// The demos of the inputs: each folder searched as above, each other input taken as a demo.
DemoSearch findDemos(const std::vector<std::string>& inputs);

}  // namespace obitrak
