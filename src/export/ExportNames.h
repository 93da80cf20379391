#pragma once

#include <string>
#include <string_view>

namespace obitrak {

// The default name of an export, as obitrak-report names its reports: a demo path ending in
// a demo extension (".dm2", ".mvd2", ".dm2.gz", ".mvd2.gz", any case) has it replaced by "."
// and `extension` ("txt", "htm", "log"); any other path gets them appended, so that an export
// never takes the name of the demo itself ("final" gives "final.txt").
std::string defaultExportName(std::string_view demoPath, std::string_view extension);

// The demo's name as the reports show it: the part of the path after its last "\" or
// "/", extension included, cut to 20 characters.
std::string demoName(std::string_view demoPath);

// The message of an export refused because its target is the demo itself.
inline constexpr std::string_view kWouldOverwriteDemo = "Would overwrite the demo";

// Throws FileError when `target` is the file `demoPath` (compared as files, links and hard
// links resolved), so that no export is written onto the demo it describes.
void checkExportTarget(const std::string& target, const std::string& demoPath);

}  // namespace obitrak
