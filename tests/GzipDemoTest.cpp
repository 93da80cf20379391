// Demos kept as gzip archives, and files that are not demos at all.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <functional>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "scan/DemoFile.h"
#include "scan/FileError.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

class GzipDemo : public ::testing::Test {
 protected:
  std::string report(const std::string& format, const std::string& path) {
    CommandResult r = runCommand({"--format", format, path}, m_dir.path().string());
    EXPECT_EQ(r.status, 0) << path << ": " << r.err;
    return r.out;
  }

  TempDir m_dir;
};

TEST_F(GzipDemo, ReportsAreThoseOfThePlainDemoButTheName) {
  struct Case {
    std::string label;
    std::string plain;
  };
  for (const Case& c : {Case{"small", smallTeamDemo()}, Case{"sample", readFile(sampleDemo())}}) {
    writeFile(m_dir.file("m.dm2"), c.plain);
    writeFile(m_dir.file("m.dm2.gz"), gzipped(c.plain));
    writeFile(m_dir.file("packed.dm2"), gzipped(c.plain));  // the signature decides, not the name
    for (const std::string format : {"text", "html", "log", "json"}) {
      const std::string plain = report(format, m_dir.file("m.dm2"));
      ASSERT_FALSE(plain.empty());
      EXPECT_EQ(replaceAll(report(format, m_dir.file("m.dm2.gz")), "m.dm2.gz", "m.dm2"), plain)
          << c.label << " " << format;
      EXPECT_EQ(replaceAll(report(format, m_dir.file("packed.dm2")), "packed.dm2", "m.dm2"), plain)
          << c.label << " " << format;
    }
  }
}

// A damaged archive keeps what inflated before the damage, with a notice; one that gives
// nothing at all fails as a whole and leaves the loaded demo as it was. Bytes after the
// last whole member that start no other are ignored, as gzip(1) ignores them.
TEST_F(GzipDemo, DamagedArchives) {
  const std::string plain = readFile(sampleDemo());
  const std::string packed = gzipped(plain);
  DemoTables whole;
  DemoScanBytes(whole, plain);
  const std::string cut(kNoticeIncompleteBlock);
  const std::string damaged(kNoticeDamagedArchive);
  auto flipped = [&packed](std::size_t at) {
    std::string bytes = packed;
    bytes[at] = static_cast<char>(~bytes[at]);
    return bytes;
  };
  struct Case {
    std::string name;
    std::string bytes;
    std::string outcome;  // the notice, or the start of the error
    bool everyMessage;    // the whole log is read
  };
  const std::vector<Case> cases{
      {"cut in half", packed.substr(0, packed.size() / 2), cut, false},
      {"header only", packed.substr(0, 10), cut, false},
      {"signature only", packed.substr(0, 2), cut, false},
      {"not a gzip header", packed.substr(0, 2) + "junk", "Damaged gzip data", false},
      {"flipped byte", flipped(packed.size() / 2), damaged, false},
      {"damaged byte near the end", flipped(packed.size() - 40), damaged, false},
      {"wrong check sum", flipped(packed.size() - 8), damaged, true},
      {"garbage after the last member", packed + "\x1f\x00 not gzip", "", true},
      {"damaged member after the last", packed + packed.substr(0, 12) + "junk", damaged, true},
      {"a second whole member", packed + gzipped(""), "", true},
  };
  DemoTables loaded;
  DemoScanBytes(loaded, smallTeamDemo());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(m_dir.file("d.dm2.gz"), c.bytes);
    DemoTables t = loaded;
    try {
      ScanReport r = DemoScan(t, m_dir.file("d.dm2.gz"));
      EXPECT_EQ(r.statusPanel1, c.outcome);
      EXPECT_EQ(r.notices.size(), c.outcome.empty() ? 0u : 1u);
      if (c.everyMessage) {
        EXPECT_EQ(t.log.logCount, whole.log.logCount);
      }
      expectScanInvariants(t);
    } catch (const FileError& e) {
      EXPECT_EQ(std::string(e.what()).substr(0, c.outcome.size()), c.outcome);
      EXPECT_EQ(t.log.logCount, loaded.log.logCount);
    }
  }
  // Cut in half or damaged half way, the archive still gives what its first half holds, and
  // obitrak-report writes its report.
  writeFile(m_dir.file("half.dm2.gz"), flipped(packed.size() / 2));
  DemoTables half;
  DemoScan(half, m_dir.file("half.dm2.gz"));
  EXPECT_GT(half.players.playerCount, 0);
  EXPECT_GT(half.log.logCount, 0u);
  CommandResult r = runCommand({"--summary", m_dir.file("half.dm2.gz")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, m_dir.file("half.dm2.gz") + ": " + damaged + "\n");
}

TEST_F(GzipDemo, OnlyRegularFilesAreRead) {
  const std::string fifo = m_dir.file("pipe.dm2");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/null"), fifo, m_dir.path().string()}) {
    DemoTables t;
    try {
      DemoScan(t, path);
      ADD_FAILURE() << path << ": no error";
    } catch (const FileError& e) {
      EXPECT_EQ(std::string(e.what()), kNotRegularFileMessage) << path;
    }
  }
}

TEST_F(GzipDemo, FolderSearchFindsArchives) {
  fs::create_directories(m_dir.path() / "demos" / "sub");
  writeFile(m_dir.path() / "demos" / "a.dm2.gz", gzipped(smallTeamDemo()));
  writeFile(m_dir.path() / "demos" / "sub" / "B.DM2.GZ", gzipped(smallTeamDemo()));
  writeFile(m_dir.path() / "demos" / "notes.gz", gzipped("not a demo"));
  CommandResult r = runCommand({(m_dir.path() / "demos").string()}, m_dir.path().string());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(m_dir.path() / "demos" / "a.txt"));
  EXPECT_TRUE(fs::exists(m_dir.path() / "demos" / "sub" / "B.txt"));
  EXPECT_FALSE(fs::exists(m_dir.path() / "demos" / "notes.txt"));
}

}  // namespace
}  // namespace obitrak::test
