#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "export/HtmlColors.h"
#include "scan/FileError.h"

namespace obitrak::test {
namespace {

using namespace std::string_literals;

TEST(HtmlColors, DefaultsAndTheirHexForm) {
  const HtmlColorSet d = HtmlColorSet::defaults();
  const char* hex[] = {"000000", "FFFFFF", "400000", "330000", "FFD5D5", "FF8080"};
  for (const HtmlColorInfo& info : kHtmlColorTable) {
    EXPECT_EQ(htmlHex(d[info.index]), hex[info.index]) << info.name;
  }
}

TEST(HtmlColors, HexFormPutsRedFirst) {
  struct Case {
    std::uint32_t color;
    std::string hex;
  };
  for (const Case& c :
       {Case{0x000000FF, "FF0000"}, Case{0x0000FF00, "00FF00"}, Case{0x00FF0000, "0000FF"},
        Case{0x00123456, "563412"}, Case{0x01000000, "000000"}, Case{0xFFFFFFFF, "FFFFFF"},
        Case{0xAB102030, "302010"}}) {
    EXPECT_EQ(htmlHex(c.color), c.hex) << std::hex << c.color;
  }
}

TEST(HtmlColors, SaveAndLoadTheTwentyFourByteFile) {
  TempDir dir;
  const std::string path = dir.file("obitrak.cfg");
  HtmlColorSet colors;
  LoadHtmlColors(colors, path);
  EXPECT_EQ(colors, HtmlColorSet::defaults()) << "no file: the defaults";

  colors[HtmlColorSet::Font] = 0x00010203;
  colors[HtmlColorSet::VLink] = 0xAABBCCDD;
  SaveHtmlColors(colors, path);
  std::string bytes = readFile(path);
  ASSERT_EQ(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(4, 4), "\x03\x02\x01\x00"s);
  EXPECT_EQ(bytes.substr(20, 4), "\xDD\xCC\xBB\xAA"s);
  HtmlColorSet loaded;
  LoadHtmlColors(loaded, path);
  EXPECT_EQ(loaded, colors);

  writeFile(path, bytes + "trailing bytes");
  LoadHtmlColors(loaded, path);
  EXPECT_EQ(loaded, colors) << "only the first 24 bytes are read";
  SaveHtmlColors(loaded, path);
  EXPECT_EQ(readFile(path).size(), 24u) << "the next save truncates";
}

TEST(HtmlColors, FailedLoadsLeaveTheDefaults) {
  TempDir dir;
  struct Case {
    std::string path;
    std::string message;
  };
  writeFile(dir.file("short.cfg"), std::string(23, '\x11'));
  std::filesystem::create_directory(dir.file("folder.cfg"));
  for (const Case& c : {Case{dir.file("short.cfg"), "Read beyond end of file"},
                        Case{dir.file("folder.cfg"), "Is a folder"}}) {
    HtmlColorSet colors;
    colors[HtmlColorSet::Background] = 0x123;
    try {
      LoadHtmlColors(colors, c.path);
      ADD_FAILURE() << c.path << ": no error";
    } catch (const FileError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_EQ(colors, HtmlColorSet::defaults()) << c.path;
  }
  if (std::filesystem::exists("/dev/full")) {
    try {
      SaveHtmlColors(HtmlColorSet::defaults(), "/dev/full");
      ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
      EXPECT_STREQ(e.what(), "Disk full");
    }
  }
}

TEST(HtmlColors, SettingsPathBesideTheProgramOrInTheUserFolder) {
  struct Case {
    std::string program;
    bool writable;
    std::string userFolder;
    std::string expected;
  };
  for (const Case& c :
       {Case{"/opt/q2/obitrak", true, "/home/u/.config", "/opt/q2/obitrak.cfg"},
        Case{"/opt/q2/OBITRAK.EXE", true, "/home/u/.config", "/opt/q2/OBITRAK.cfg"},
        Case{"/opt/q2/obitrak.bin", true, "", "/opt/q2/obitrak.cfg"},
        Case{"/usr/bin/obitrak", false, "/home/u/.config", "/home/u/.config/obitrak/obitrak.cfg"},
        Case{"/usr/bin/obitrak", false, "", "/usr/bin/obitrak.cfg"}}) {
    EXPECT_EQ(colorSettingsPath(c.program, c.writable, c.userFolder), c.expected) << c.program;
  }
  TempDir dir;
  EXPECT_EQ(colorSettingsPath(dir.file("obitrak")), dir.file("obitrak.cfg"));
}

}  // namespace
}  // namespace obitrak::test
