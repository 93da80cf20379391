#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "cli/ReportCommand.h"
#include "export/HtmlColors.h"
#include "export/HtmlExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/FileError.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

struct Export {
  std::string name;
  std::function<void(DemoTables&, const std::string&)> run;
};

const std::vector<Export>& exports() {
  static const std::vector<Export> all{
      {"text", [](DemoTables& t,
                  const std::string& out) { ExportTextDescription(t, "d.dm2", false, out); }},
      {"html",
       [](DemoTables& t, const std::string& out) {
         ExportHtmlDescription(t, "d.dm2", true, HtmlColorSet::defaults(), out);
       }},
      {"log", [](DemoTables& t, const std::string& out) { ExportLog(t, out); }},
      {"colours",
       [](DemoTables&, const std::string& out) { SaveHtmlColors(HtmlColorSet::defaults(), out); }},
  };
  return all;
}

// The message an export to `target` fails with, or "" when it succeeds.
std::string failureOf(const Export& e, const std::string& target) {
  DemoTables t = scanned(smallTeamDemo());
  try {
    e.run(t, target);
  } catch (const FileError& error) {
    return error.what();
  }
  return "";
}

class FailingOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(m_dir.path() / "read-only");
    fs::permissions(m_dir.path() / "read-only",
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::create_directory(m_dir.path() / "folder.txt");
  }
  TempDir m_dir;
};

TEST_F(FailingOutput, EveryExportSaysWhatWentWrong) {
  struct Case {
    std::string target;
    std::string message;
  };
  std::vector<Case> cases{{m_dir.file("no-such-folder/out.txt"), "Folder not found"},
                          {m_dir.file("folder.txt"), "Is a folder"}};
  if (fs::exists("/dev/full")) cases.push_back({"/dev/full", "Disk full"});
  for (const Export& e : exports()) {
    for (const Case& c : cases) {
      // The colour settings file makes its folder, which is ~/.config/obitrak the first time.
      std::string expected =
          e.name == "colours" && c.message == "Folder not found" ? "" : c.message;
      EXPECT_EQ(failureOf(e, c.target), expected) << e.name << " to " << c.target;
    }
    EXPECT_EQ(failureOf(e, m_dir.file("fine.out")), "") << e.name;
  }
}

TEST_F(FailingOutput, ReadOnlyFolder) {
  const std::string target = m_dir.file("read-only/out.txt");
  for (const Export& e : exports()) {
    int status =
        runUnprivileged([&] { return failureOf(e, target) == "File access denied" ? 0 : 1; });
    EXPECT_EQ(status, 0) << e.name;
  }
  EXPECT_FALSE(fs::exists(target));
}

// A write that fails half-way (here at the file size limit, as on a full disk) leaves the
// file that was there as it was, and no temporary file beside it.
TEST_F(FailingOutput, AFailedWriteKeepsTheOldFile) {
  fs::permissions(m_dir.path(), fs::perms::all);
  const std::string target = m_dir.file("old.out");
  for (const Export& e : exports()) {
    writeFile(target, "the last whole file");
    int status = runUnprivileged([&] {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit small{10, 10};
      setrlimit(RLIMIT_FSIZE, &small);
      return failureOf(e, target) == "I/O error 27: File too large" ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << e.name;
    EXPECT_EQ(readFile(target), "the last whole file") << e.name;
  }
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(m_dir.path()))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"folder.txt", "old.out", "read-only"}));
}

TEST_F(FailingOutput, TheCommandExitsWithOneAndCountsNothingAsWritten) {
  const std::string demo = m_dir.file("d.dm2");
  writeFile(demo, smallTeamDemo());
  for (const char* format : {"text", "html", "log", "json"}) {
    struct Case {
      std::string output;
      std::string message;
    };
    // A folder as --output takes the report inside; a path through a file cannot be made.
    writeFile(m_dir.file("plain"), "x");
    std::vector<Case> cases{{m_dir.file("plain/out.txt"), "Not a folder"}};
    if (fs::exists("/dev/full")) cases.push_back({"/dev/full", "Disk full"});
    for (const Case& c : cases) {
      CommandResult r =
          runCommand({"--format", format, "--output", c.output, demo}, m_dir.path().string());
      EXPECT_EQ(r.status, 1) << format << " to " << c.output;
      EXPECT_EQ(r.err, c.output + ": " + c.message + "\n") << format;
    }
  }
  // In a batch into a folder that cannot be written, every demo fails and none is counted.
  fs::create_directory(m_dir.path() / "demos");
  for (const char* name : {"a.dm2", "b.dm2"}) fs::copy_file(demo, m_dir.path() / "demos" / name);
  int status = runUnprivileged([&] {
    CommandResult r =
        runCommand({"--progress", "--output", m_dir.file("read-only"), m_dir.file("demos")},
                   m_dir.path().string());
    bool counted = r.err.find("2 demos: 0 written, 2 failed") != std::string::npos;
    bool said =
        r.err.find(m_dir.file("read-only/a.txt") + ": File access denied") != std::string::npos;
    return r.status == 1 && counted && said ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace obitrak::test
