// Files that are no demos at all (empty, texts, cut before their server data) told apart
// from damaged demos.

#include <gtest/gtest.h>

#include <cctype>

#include "SmallDemos.h"
#include "TestSupport.h"

namespace obitrak::test {
namespace {

struct FileCase {
  const char* name;
  std::string bytes;
  bool notADemo;
  friend void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }
};

std::string lengthThen(std::int32_t length, std::size_t bodySize) {
  DemoWriter w;
  w.lengthField(length);
  return w.finish(false) + std::string(bodySize, 'x');
}

std::vector<FileCase> fileCases() {
  const std::string demo = smallTeamDemo();
  const std::string damaged = demo.substr(0, demo.size() - 4) + lengthThen(5000, 0);
  return {{"empty", "", true},
          {"text", "# Notes\nNothing to see here.\n", true},
          {"cut in its first length", demo.substr(0, 2), true},
          {"cut in its first block", demo.substr(0, 40), true},
          {"end marker only", lengthThen(-1, 0), true},
          {"negative first length", lengthThen(-7, 0), true},
          {"first block without server data", lengthThen(3, 3), true},
          {"recording magic alone", "MVD2", true},
          {"a demo", demo, false},
          {"damaged after its server data", damaged, false},
          {"first block of a later engine", lengthThen(6989, 6989), false}};
}

class NotADemo : public ::testing::TestWithParam<FileCase> {};

TEST_P(NotADemo, IsToldApartFromADamagedDemo) {
  ScanReport report;
  scanned(GetParam().bytes, &report);
  EXPECT_EQ(report.notADemo, GetParam().notADemo);
}

std::string caseName(const ::testing::TestParamInfo<FileCase>& c) {
  std::string name = c.param.name;
  for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Files, NotADemo, ::testing::ValuesIn(fileCases()), caseName);

// The summary names such a file and counts it as unreadable, as the library keeps it.
TEST(NotADemoFile, IsUnreadableInASummary) {
  TempDir dir;
  writeFile(dir.file("notes.dm2"), "not a demo\n");
  writeFile(dir.file("final.dm2"), smallTeamDemo());
  const CommandResult r = runCommand({"--summary", dir.path().string()});
  EXPECT_EQ(r.err, dir.file("notes.dm2") + ": Not a Quake 2 demo\n");
  EXPECT_NE(r.out.find("Demos       : 1\r\nUnreadable  : 1\r\n"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace obitrak::test
