#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "export/HtmlExport.h"
#include "export/SiteFolder.h"
#include "export/SitePage.h"
#include "export/WorkThread.h"
#include "stats/DemoResult.h"
#include "stats/RankedPlayers.h"
#include "stats/TimeGraph.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

// The work thread that writes the files: every job done in order whatever the room, the
// first failure given back to the caller, and nothing left hanging. Each row is a room and
// the weights of ten jobs; the job with weight 0 fails.
TEST(SiteFolder, TheWorkThreadDoesEveryJobInOrderAndGivesBackTheFirstFailure) {
  struct Row {
    std::size_t limit;
    std::vector<std::size_t> weights;
  };
  for (const Row& row : std::vector<Row>{{1, std::vector<std::size_t>(10, 1)},
                                         {4, {1, 9, 1, 1, 1, 1, 1, 1, 1, 1}},
                                         {64, {5, 5, 5, 0, 5, 5, 0, 5, 5, 5}},
                                         {3, {1, 1, 1, 1, 0, 1, 1, 1, 1, 1}}}) {
    std::vector<int> done;  // read by the test only after drain()
    std::string failures;
    {
      WorkThread<int> thread(
          [&](int& job) {
            done.push_back(job);
            if (row.weights[static_cast<std::size_t>(job)] == 0)
              throw std::runtime_error(std::to_string(job));
          },
          row.limit);
      for (int job = 0; job < 10; ++job) {
        try {
          thread.push(job, row.weights[static_cast<std::size_t>(job)]);
        } catch (const std::runtime_error& e) {
          failures += e.what();
          break;  // a caller stops at the first failure it hears of
        }
      }
      try {
        thread.drain();
      } catch (const std::runtime_error& e) {
        failures += e.what();
      }
    }
    const auto firstFailure = std::find(row.weights.begin(), row.weights.end(), 0);
    if (firstFailure == row.weights.end()) {
      EXPECT_EQ(done, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9})) << row.limit;
      EXPECT_EQ(failures, "");
    } else {
      const std::string first = std::to_string(firstFailure - row.weights.begin());
      EXPECT_TRUE(failures == first || failures == first + first) << failures;
      for (std::size_t i = 0; i < done.size(); ++i) EXPECT_EQ(done[i], static_cast<int>(i));
    }
  }
  // Ended with jobs waiting: the one under way is finished, the rest dropped, and the end
  // does not wait for them.
  std::vector<int> done;
  {
    WorkThread<int> thread([&](int& job) { done.push_back(job); }, 1000);
    for (int job = 0; job < 1000; ++job) thread.push(job, 1);
  }
  for (std::size_t i = 0; i < done.size(); ++i) EXPECT_EQ(done[i], static_cast<int>(i));
}

// A file is written once, again only when its bytes change; a link at its name is replaced,
// never followed; only files the last run wrote, still as written, are removed.
TEST(SiteFolder, WritesOnlyWhatChangedAndNeverThroughALink) {
  TempDir dir;
  writeFile(dir.file("outside.txt"), "keep");
  {
    SiteFolder site(dir.file("site"));
    site.write("a.html", "one");
    site.write("b.html", "two");
    site.finish("first");
    EXPECT_EQ(site.counts().written, 2u);
  }
  fs::create_symlink(dir.file("outside.txt"), dir.file("site/c.html"));
  SiteFolder site(dir.file("site"));
  EXPECT_EQ(site.lastInputs(), "first");
  EXPECT_TRUE(site.filesIntact());
  site.write("a.html", "one");
  site.write("c.html", "three");
  ASSERT_EQ(::mkfifo(dir.file("site/d.html").c_str(), 0644), 0);  // replaced, not waited on
  site.write("d.html", "four");
  site.finish("second");
  EXPECT_EQ(site.counts().written, 2u);
  EXPECT_EQ(site.counts().unchanged, 1u);
  EXPECT_EQ(readFile(dir.file("site/d.html")), "four");
  EXPECT_EQ(site.counts().removed, 1u);
  EXPECT_EQ(readFile(dir.file("outside.txt")), "keep");
  EXPECT_FALSE(fs::is_symlink(dir.file("site/c.html")));
  EXPECT_FALSE(fs::exists(dir.file("site/b.html")));
  for (const char* name : {"../x.html", ".hidden", "a/b.html", "", ".obitrak-site"})
    EXPECT_THROW(site.write(name, "x"), SiteError) << name;
  fs::remove(dir.file("site/a.html"));
  EXPECT_FALSE(SiteFolder(dir.file("site")).filesIntact());
  writeFile(dir.file("plain"), "a file");
  EXPECT_THROW(SiteFolder(dir.file("plain")), SiteError);
}

// A folder that cannot be written fails the run with the file's name; nothing is half done.
TEST(SiteFolder, AFailedWriteIsReportedWithItsFile) {
  TempDir dir;
  { SiteFolder(dir.file("site")).finish("first"); }
  fs::permissions(dir.path() / "site", fs::perms::owner_read | fs::perms::owner_exec |
                                           fs::perms::group_read | fs::perms::others_read |
                                           fs::perms::others_exec | fs::perms::group_exec);
  const int status = runUnprivileged([&] {
    try {
      SiteFolder site(dir.file("site"));
      site.write("a.html", "page");
      site.finish("second");
    } catch (const SiteError& e) {
      return std::string(e.what()) == dir.file("site/a.html") + ": File access denied" ? 0 : 2;
    }
    return 1;
  });
  EXPECT_EQ(status, 0);
  fs::permissions(dir.path() / "site", fs::perms::all);
  EXPECT_EQ(SiteFolder(dir.file("site")).lastInputs(), "first");
}

// A marker edited by hand can name no file outside the folder or of another form: such a
// line is ignored, and what it names is left alone.
TEST(SiteFolder, AMarkerNeverLeadsOutOfTheFolder) {
  TempDir dir;
  { SiteFolder(dir.file("site")).finish("first"); }
  writeFile(dir.file("outside.txt"), "keep");
  writeFile(dir.file("site/.obitrak-site"),
            "obitrak-site 1\ninputs x\n0000000000000000 4 ../outside.txt\n"
            "0000000000000000 4 .hidden\n");
  writeFile(dir.file("site/.hidden"), "keep");
  SiteFolder site(dir.file("site"));
  site.finish("second");
  EXPECT_EQ(site.counts().removed, 0u);
  EXPECT_EQ(readFile(dir.file("outside.txt")), "keep");
  EXPECT_EQ(readFile(dir.file("site/.hidden")), "keep");
}

TEST(SitePage, TextsAndLinksAreSafeAndReadable) {
  const struct {
    const char* bytes;
    const char* shown;
  } texts[] = {
      {"\x10"
       "dm\x11Zed\x92",
       "[dm]Zed0"},
      {"a\nb", "a / b"},
      {"<b>&\"", "&lt;b&gt;&amp;&quot;"},
      {"\xC1nn", "Ann"},
  };
  for (const auto& t : texts) EXPECT_EQ(siteText(t.bytes), t.shown);
  EXPECT_EQ(urlEncoded("../a b/\xC3\xBC?#\"<"), "../a%20b/%C3%BC%3F%23%22%3C");

  SiteNames names;
  const std::string a = names.nameOf("player", "x/../\"y");
  EXPECT_TRUE(std::regex_match(a, std::regex("player-x-y-[0-9a-f]{16}"))) << a;
  EXPECT_EQ(names.nameOf("player", "x/../\"y"), a);
  EXPECT_NE(names.nameOf("player", "x/../\"Y"), a);
  EXPECT_NE(names.nameOf("map", "x/../\"y"), a);
}

TEST(SitePage, DaysAreCountedInUtc) {
  const struct {
    FileTime time;
    std::int64_t day;
    const char* text;
  } days[] = {
      {{0, 0}, 0, "1970-01-01"},
      {{-1, 999'999'999}, -1, "1969-12-31"},
      {{11016LL * 86'400 + 86'399, 999'999'999}, 11016, "2000-02-29"},
  };
  for (const auto& d : days) {
    EXPECT_EQ(utcDay(d.time), d.day);
    EXPECT_EQ(dayText(d.day), d.text);
  }
  EXPECT_EQ(dayText(106752), "2262-04-12");
}

// The tables made again from what the library keeps give the pages what the scan gave
// the reports: the frag matrix, the kills per weapon and the frags over time.
TEST(SitePage, TablesFromAResultAreThoseOfTheScan) {
  std::vector<fs::path> demos = realDemos();
  demos.push_back(sampleDemo());
  for (const fs::path& demo : demos) {
    SCOPED_TRACE(demo.filename().string());
    DemoTables scannedTables;
    const ScanReport report = DemoScan(scannedTables, demo.string());
    DemoTables rebuilt = DemoTablesOf(DemoResultOf(scannedTables, demo.string(), report.notices));
    for (const bool teamPlay : {false, true}) {
      std::string pages[2];
      int i = 0;
      for (DemoTables* t : {&scannedTables, &rebuilt}) {
        recomputeAllWeapons(*t, teamPlay);
        StringSink out;
        const RankedPlayers ranked(*t);
        WriteHtmlFragMatrix(ranked, HtmlHexColors(HtmlColorSet::defaults()), out);
        WriteHtmlWeaponTable(ranked, t->weapons, HtmlHexColors(HtmlColorSet::defaults()), out);
        for (const GraphCurve& c : timeGraphLayout(*t, teamPlay, 720, 320).curves) {
          for (const GraphPoint& p : c.points) out.write(std::to_string(p.x * 1000 + p.y) + ",");
        }
        pages[i++] = out.data();
      }
      EXPECT_EQ(pages[0], pages[1]);
    }
  }
}

}  // namespace
}  // namespace obitrak::test
