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

// A damaged archive either keeps what it read, with the notice, or fails as a whole; a
// failure leaves the loaded demo as it was.
TEST_F(GzipDemo, DamagedArchives) {
  const std::string plain = readFile(sampleDemo());
  const std::string packed = gzipped(plain);
  struct Case {
    std::string name;
    std::string bytes;
    std::string error;  // empty: the scan ends with the notice
  };
  std::string flipped = packed;
  flipped[flipped.size() / 2] = static_cast<char>(~flipped[flipped.size() / 2]);
  std::string badCheck = packed;
  badCheck[badCheck.size() - 8] = static_cast<char>(~badCheck[badCheck.size() - 8]);
  const std::vector<Case> cases{
      {"cut in half", packed.substr(0, packed.size() / 2), ""},
      {"cut at three quarters", packed.substr(0, packed.size() * 3 / 4), ""},
      {"header only", packed.substr(0, 10), ""},
      {"signature only", packed.substr(0, 2), ""},
      {"not a gzip header", packed.substr(0, 2) + "junk", "Damaged gzip data"},
      {"flipped byte", flipped, "Damaged gzip data"},
      {"wrong check sum", badCheck, "Damaged gzip data (incorrect data check)"},
  };
  DemoTables loaded;
  DemoScanBytes(loaded, smallTeamDemo());
  for (const Case& c : cases) {
    writeFile(m_dir.file("d.dm2.gz"), c.bytes);
    DemoTables t = loaded;
    if (c.error.empty()) {
      ScanReport r = DemoScan(t, m_dir.file("d.dm2.gz"));
      EXPECT_EQ(r.statusPanel1, "INCOMPLETE BLOCK. READING STOPPED.") << c.name;
      expectScanInvariants(t);
      continue;
    }
    try {
      DemoScan(t, m_dir.file("d.dm2.gz"));
      ADD_FAILURE() << c.name << ": no error";
    } catch (const FileError& e) {
      EXPECT_EQ(std::string(e.what()).substr(0, c.error.size()), c.error) << c.name;
    }
    EXPECT_EQ(t.players.playerCount, loaded.players.playerCount) << c.name;
    EXPECT_EQ(t.log.logCount, loaded.log.logCount) << c.name;
  }
  // Cut in half, the archive still gives what its first half holds.
  writeFile(m_dir.file("half.dm2.gz"), packed.substr(0, packed.size() / 2));
  DemoTables half;
  DemoScan(half, m_dir.file("half.dm2.gz"));
  EXPECT_GT(half.players.playerCount, 0);
  EXPECT_GT(half.log.logCount, 0u);
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
