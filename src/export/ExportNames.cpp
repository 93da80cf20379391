#include "export/ExportNames.h"

namespace obitrak {

namespace {

std::string_view fileNamePart(std::string_view path) {
  std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

std::string defaultExportName(std::string_view demoPath, std::string_view extension) {
  if (fileNamePart(demoPath).size() < 3) {
    return std::string(demoPath) + "." + std::string(extension);
  }
  return std::string(demoPath.substr(0, demoPath.size() - 3)) + std::string(extension);
}

std::string demoName(std::string_view demoPath) {
  return std::string(fileNamePart(demoPath).substr(0, 20));
}

}  // namespace obitrak
