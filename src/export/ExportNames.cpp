#include "export/ExportNames.h"

#include "scan/DemoSearch.h"
#include "scan/FileAccess.h"
#include "scan/FileError.h"

namespace obitrak {

namespace {

std::string_view fileNamePart(std::string_view path) {
  std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

std::string defaultExportName(std::string_view demoPath, std::string_view extension) {
  demoPath.remove_suffix(demoExtensionLength(fileNamePart(demoPath)));
  return std::string(demoPath) + "." + std::string(extension);
}

std::string demoName(std::string_view demoPath) {
  return std::string(fileNamePart(demoPath).substr(0, 20));
}

void checkExportTarget(const std::string& target, const std::string& demoPath) {
  std::optional<FileId> demo = fileIdOf(demoPath);
  if (demo && fileIdOf(target) == demo) {
    throw FileError(kFileAccessDenied, std::string(kWouldOverwriteDemo));
  }
}

}  // namespace obitrak
