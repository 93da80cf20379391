// The formats a recording may come in: those Obitrak cannot read end at once as unsupported.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingWriter.h"
#include "TestSupport.h"

namespace obitrak::test {
namespace {

using tools::RecordingWriter;

// A demo or a recording of an unknown protocol or version stops at its server data with one
// notice that names it, and obitrak-report counts it as a demo that failed.
TEST(RecordingFormats, UnknownProtocolsAndVersionsAreUnsupported) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* notice;
  };
  auto recording = [](RecordingWriter::Format format) {
    return RecordingWriter()
        .serverData("baseq2", -1, "Map", "maps/m.bsp", format)
        .endServerData()
        .endMessage()
        .finish();
  };
  std::string mvd36 = recording({});
  mvd36[7] = 36;  // after the magic, the length and the code: the protocol
  const std::vector<Case> cases{
      {"a.dm2", demoWithPlayers({{0, "Ann", "male/grunt"}}, "m", 1234).finish(),
       "Unsupported recording: protocol 1234"},
      {"b.dm2", demoWithPlayers({{0, "Ann", "male/grunt"}}, "m", 37).finish(),
       "Unsupported recording: protocol 37"},
      {"c.mvd2", mvd36, "Unsupported recording: protocol 36"},
      {"d.mvd2", recording({2014, 0}), "Unsupported recording: protocol 37 version 2014"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScanReport report;
    const DemoTables t = scanned(c.bytes, &report);
    EXPECT_TRUE(report.unsupported);
    EXPECT_EQ(report.notices, std::vector<std::string>{c.notice});
    EXPECT_EQ(t.players.slotCount, 0);
    writeFile(dir.file(c.name), c.bytes);
    const CommandResult r = runCommand({"--format", "json", dir.file(c.name)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, dir.file(c.name) + ": " + c.notice + "\n");
    EXPECT_EQ(r.out, "");
  }
  const CommandResult summary = runCommand({"--summary", dir.path().string()});
  EXPECT_EQ(summary.status, 1);
  EXPECT_NE(summary.out.find("Unreadable  : 4"), std::string::npos) << summary.out;
}

}  // namespace
}  // namespace obitrak::test
