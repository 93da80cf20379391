#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "scan/DemoScan.h"

namespace obitrak::test {
namespace {

// Alice kills Bob four times, then Bob kills himself once; a chat line comes between.
std::string killingDemo() {
  DemoWriter w = demoWithPlayers({{0, "Alice", "female/athena"}, {1, "Bob", "male/grunt"}});
  for (int i = 0; i < 4; ++i) w.print(1, "Bob was railed by Alice\n").endBlock();
  w.print(3, "Alice: gg\n").endBlock();
  w.print(1, "Bob died.\n").endBlock();
  return w.finish();
}

// A full log stops keeping messages, says so once, and still counts every kill.
TEST(MessageLogLimit, KillsPastTheLimitStillCount) {
  struct Case {
    MessageLogLimits limits;
    std::uint32_t kept;
  };
  for (const Case& c : {Case{{100, 1000}, 6}, Case{{6, 1000}, 6}, Case{{3, 1000}, 3},
                        Case{{0, 1000}, 0}, Case{{100, 46}, 2}, Case{{100, 0}, 0}}) {
    const std::string what =
        std::to_string(c.limits.records) + " records, " + std::to_string(c.limits.textBytes);
    DemoTables t;
    t.log.setLimits(c.limits);
    ScanReport report = DemoScanBytes(t, killingDemo());
    EXPECT_EQ(t.log.logCount, c.kept) << what;
    const bool full = c.kept < 6;
    EXPECT_EQ(report.statusPanel1, full ? kNoticeMessageLogFull : "") << what;
    EXPECT_EQ(report.notices, full ? std::vector<std::string>{std::string(kNoticeMessageLogFull)}
                                   : std::vector<std::string>{})
        << what;
    EXPECT_EQ(t.killMatrix(2, 1, 0), 4u) << what;
    EXPECT_EQ(t.killMatrix(2, 2, 0), 1u) << what;
    EXPECT_EQ(t.players[1].frags, 4) << what;
    EXPECT_EQ(t.players[2].frags, -1) << what;
    EXPECT_EQ(t.players[2].deaths, 5) << what;
    expectScanInvariants(t);
  }
}

// The limits stay with the tables from one scan to the next.
TEST(MessageLogLimit, LimitsStayWithTheTables) {
  DemoTables t;
  t.log.setLimits({2, 1000});
  DemoScanBytes(t, killingDemo());
  DemoScanBytes(t, killingDemo());
  EXPECT_EQ(t.log.logCount, 2u);
  DemoTables copy = t;
  EXPECT_EQ(copy.log.limits().records, 2u);
}

}  // namespace
}  // namespace obitrak::test
