#include "export/ExportNames.h"

#include "scan/FileAccess.h"
#include "scan/FileError.h"

namespace obitrak {

namespace {

std::string_view fileNamePart(std::string_view path) {
  std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

bool endsWithAnyCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  std::string_view tail = name.substr(name.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

// The length of the demo extension that ends the file name, or 0.
std::size_t demoExtensionLength(std::string_view name) {
  for (std::string_view extension : {".dm2", ".mvd2", ".dm2.gz", ".mvd2.gz"}) {
    if (endsWithAnyCase(name, extension)) return extension.size();
  }
  return 0;
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
