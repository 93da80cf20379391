#include <gtest/gtest.h>

#include <string>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "export/LogExport.h"

namespace obitrak::test {
namespace {

using namespace std::string_literals;

std::string logOf(const DemoTables& t) {
  StringSink sink;
  WriteLog(t, sink);
  return sink.data();
}

TEST(LogExport, Golden) {
  expectGolden("small.log", logOf(scanned(smallTeamDemo())));
}

TEST(LogExport, OneLinePerMessageAsTheScanLeftIt) {
  DemoWriter w = demoWithPlayers({{0, "Ann", "x"}});
  w.print(1, "Ann died.\n").print(2, "").print(3, "\xc1\xce\xce: hi\n\n").endBlock();
  EXPECT_EQ(logOf(scanned(w.finish())), "Ann died.\r\n\r\nANN: hi\n\r\n");
}

TEST(LogExport, EmptyLogGivesAnEmptyFile) {
  TempDir dir;
  DemoTables t = scanned(demoWithPlayers({{0, "Ann", "x"}}).finish());
  writeFile(dir.file("old.log"), "previous contents");
  ExportLog(t, dir.file("old.log"));
  EXPECT_EQ(readFile(dir.file("old.log")), "") << "created anew or truncated";
}

}  // namespace
}  // namespace obitrak::test
