#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scan/FileAccess.h"

namespace obitrak {

// The length of the demo extension that ends the file name `name` (".dm2", ".dm2.gz",
// ".mvd2" or ".mvd2.gz", any case), or 0.
std::size_t demoExtensionLength(std::string_view name);
inline bool hasDemoExtension(std::string_view name) {
  return demoExtensionLength(name) > 0;
}

// A demo that the search found or that the user named.
struct FoundDemo {
  std::string path;       // as messages and reports show it
  FoundFile file;         // how to open it as it was found
  std::string below;      // the folders between the folder argument and the demo
  bool inFolder = false;  // found by the search of a folder argument
  std::size_t input = 0;  // the argument it came from, counted from 0
};

// What the search of the inputs found, in order, and what it could not search.
struct DemoSearch {
  std::vector<FoundDemo> demos;
  std::string messages;  // lines for standard error
  bool failed = false;   // something could not be searched
};

// Finds the demos in `folder` (the argument `input`) and all its subfolders (the names that
// hasDemoExtension takes), sorted by path. Each folder is read relative to its parent, so any depth
// works, and links to folders are not followed. Only regular files are demos, also through a link;
// anything else with a demo's name is named as "Not a regular file". A folder that cannot be read
// is named and counts as a failure; the rest of the tree is searched all the same.
void searchFolder(const std::string& folder, DemoSearch& into, std::size_t input = 0);

// The demos of the inputs: each folder searched as above, each other input taken as a demo.
DemoSearch findDemos(const std::vector<std::string>& inputs);

}  // namespace obitrak
