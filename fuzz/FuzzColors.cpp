// Fuzz target: any bytes as the colour settings file. Reading must either fill the six
// colours from the first 24 bytes or fail with the defaults kept; what was read must save
// and read back unchanged, and every colour must have its HTML form.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "export/HtmlColors.h"
#include "scan/FileError.h"

namespace {

using namespace obitrak;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::string scratchPath(const char* what) {
  return "/tmp/obitrak-fuzz-colors-" + std::to_string(::getpid()) + "-" + what + ".cfg";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = scratchPath("in");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  HtmlColorSet colors;
  bool loaded = true;
  try {
    LoadHtmlColors(colors, path);
  } catch (const FileError&) {
    loaded = false;
  }
  std::remove(path.c_str());
  check(loaded == (size >= kColorSettingsSize));
  if (!loaded) {
    check(colors == HtmlColorSet::defaults());
    return 0;
  }
  for (std::uint32_t c : colors.colors) {
    std::string hex = htmlHex(c);
    check(hex.size() == 6);
  }
  const std::string copy = scratchPath("copy");
  SaveHtmlColors(colors, copy);
  HtmlColorSet again;
  LoadHtmlColors(again, copy);
  std::remove(copy.c_str());
  check(again == colors);
  return 0;
}
