#include "export/ExportNames.h"

namespace obitrak {

namespace {

std::string_view fileNamePart(std::string_view path) {
  std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// Whether the file name of `path` ends in `suffix` (lower case), any case, with something
// left before it.
bool endsWithSuffix(std::string_view path, std::string_view suffix) {
  if (fileNamePart(path).size() <= suffix.size()) return false;
  std::string_view tail = path.substr(path.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

// The path without a final ".gz" (any case) when something is left before it.
std::string_view withoutGzipSuffix(std::string_view path) {
  constexpr std::string_view kSuffix = ".gz";
  return endsWithSuffix(path, kSuffix) ? path.substr(0, path.size() - kSuffix.size()) : path;
}

}  // namespace

std::string defaultExportName(std::string_view demoPath, std::string_view extension) {
  demoPath = withoutGzipSuffix(demoPath);
  // A server recording's extension has four characters.
  if (endsWithSuffix(demoPath, ".mvd2")) demoPath.remove_suffix(1);
  if (fileNamePart(demoPath).size() < 3) {
    return std::string(demoPath) + "." + std::string(extension);
  }
  return std::string(demoPath.substr(0, demoPath.size() - 3)) + std::string(extension);
}

std::string demoName(std::string_view demoPath) {
  return std::string(fileNamePart(demoPath).substr(0, 20));
}

}  // namespace obitrak
