#pragma once

#include <string>
#include <string_view>

namespace obitrak {

// The default name of an export: the demo path with its last three characters replaced by
// `extension` ("txt", "htm", "log"). A file name shorter than three characters gets "."
// and the extension appended instead, so the name never reaches into the folder part.
// A compressed demo is named as the demo inside it: "x.dm2.gz" gives "x.txt" like "x.dm2";
// a server recording "x.mvd2" (or "x.mvd2.gz") gives "x.txt" too.
std::string defaultExportName(std::string_view demoPath, std::string_view extension);

// The demo's name as the reports show it: the part of the path after its last "\" or
// "/", extension included, cut to 20 characters.
std::string demoName(std::string_view demoPath);

}  // namespace obitrak
