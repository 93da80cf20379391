#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "cli/ReportCommand.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using Result = CommandResult;

// `programFolder` stands for the folder of the desktop program and its colour settings.
Result run(const std::vector<std::string>& args, const std::string& programFolder) {
  return runCommand(args, programFolder);
}

// Every file below `folder`, by relative path, with its contents.
std::map<std::string, std::string> filesBelow(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (e.is_regular_file())
      files[e.path().lexically_relative(folder).string()] = readFile(e.path());
  }
  return files;
}

class BatchReport : public ::testing::Test {
 protected:
  void SetUp() override {
    m_demos = m_dir.path() / "demos";
    m_program = m_dir.path() / "program";
    fs::create_directories(m_demos / "sub" / "deeper");
    fs::create_directories(m_program);
    std::string demo = smallTeamDemo();
    writeFile(m_demos / "a.dm2", demo);
    writeFile(m_demos / "sub" / "b.DM2", readFile(sampleDemo()));
    writeFile(m_demos / "sub" / "deeper" / "c.Dm2", demo.substr(0, demo.size() / 2));
    writeFile(m_demos / "sub" / "notes.txt", "not a demo");
    fs::create_symlink(m_demos / "nowhere.dm2", m_demos / "sub" / "gone.dm2");
  }

  TempDir m_dir;
  fs::path m_demos;
  fs::path m_program;
};

TEST_F(BatchReport, FolderWithAMissingAndADamagedDemo) {
  const std::string out = (m_dir.path() / "out").string();
  Result r = run({"--progress", "--output", out, m_demos.string()}, m_program.string());
  EXPECT_EQ(r.status, 1);
  const std::string gone = (m_demos / "sub" / "gone.dm2").string();
  const std::string cut = (m_demos / "sub" / "deeper" / "c.Dm2").string();
  EXPECT_NE(r.err.find(gone + ": File not found\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(cut + ": INCOMPLETE BLOCK. READING STOPPED.\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("4 demos: 3 written, 1 failed\n"), std::string::npos) << r.err;
  std::map<std::string, std::string> files = filesBelow(out);
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "sub/b.txt", "sub/deeper/c.txt"}));
  EXPECT_NE(files["sub/deeper/c.txt"].find("Demo name   : c.Dm2"), std::string::npos);
}

TEST_F(BatchReport, ReportsAreTheSameWhateverTheNumberOfJobs) {
  for (const char* format : {"text", "html", "json", "log"}) {
    const std::string one = (m_dir.path() / "one" / format).string();
    const std::string two = (m_dir.path() / "two" / format).string();
    Result r1 =
        run({"-j", "1", "--teamplay", "--format", format, "--output", one, m_demos.string()},
            m_program.string());
    Result r2 = run({"-j2", "--teamplay", "--format", format, "--output", two, m_demos.string()},
                    m_program.string());
    EXPECT_EQ(r1.status, 1);
    EXPECT_EQ(r1.err, r2.err) << format;
    EXPECT_EQ(filesBelow(one), filesBelow(two)) << format;
    EXPECT_EQ(filesBelow(one).size(), 3u) << format;
  }
}

TEST_F(BatchReport, ReportsBesideTheDemosByDefault) {
  Result r =
      run({"--format", "html", m_demos.string(), (m_demos / "sub").string()}, m_program.string());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(fs::exists(m_demos / "a.htm"));
  EXPECT_TRUE(fs::exists(m_demos / "sub" / "b.htm"));
  // The second argument names the same demos again: each is reported once.
  EXPECT_EQ(r.err.find("already written"), std::string::npos) << r.err;
  EXPECT_EQ(r.err, (m_demos / "sub" / "deeper" / "c.Dm2").string() +
                       ": INCOMPLETE BLOCK. READING STOPPED.\n" +
                       (m_demos / "sub" / "gone.dm2").string() + ": File not found\n");
}

TEST_F(BatchReport, NoReportOverwritesADemo) {
  const fs::path a = m_demos / "a.dm2";
  fs::copy_file(a, m_demos / "b.dm2");
  fs::create_symlink(a, m_demos / "alink.txt");
  fs::create_hard_link(a, m_demos / "hard.txt");
  struct Case {
    std::string output;
    std::string says;
  };
  for (const Case& c : {Case{"b.dm2", "a demo"}, Case{"NEW.DM2", "a demo"},
                        Case{"alink.txt", "the demo"}, Case{"hard.txt", "the demo"}}) {
    const std::string output = (m_demos / c.output).string();
    Result r = run({a.string(), "--output", output}, m_program.string());
    EXPECT_EQ(r.status, 1) << c.output;
    EXPECT_EQ(r.err, a.string() + ": the report " + output + " would overwrite " + c.says + "\n");
  }
  EXPECT_FALSE(fs::exists(m_demos / "NEW.DM2"));
  EXPECT_TRUE(fs::is_symlink(m_demos / "alink.txt"));
  for (const char* demo : {"a.dm2", "b.dm2", "hard.txt"})
    EXPECT_EQ(readFile(m_demos / demo), smallTeamDemo()) << demo;

  // A demo whose name does not end in .dm2 gets the extension appended.
  fs::copy_file(a, m_demos / "odd.txt");
  Result odd = run({(m_demos / "odd.txt").string(), a.string()}, m_program.string());
  EXPECT_EQ(odd.status, 0) << odd.err;
  EXPECT_EQ(readFile(m_demos / "odd.txt"), smallTeamDemo());
  EXPECT_TRUE(fs::exists(m_demos / "odd.txt.txt"));
}

TEST_F(BatchReport, HtmlColoursFromTheSettingsOrAnotherFile) {
  const std::string demo = (m_demos / "a.dm2").string();
  Result defaults =
      run({"--format", "html", demo, "--output", m_dir.file("d.htm")}, m_program.string());
  EXPECT_EQ(defaults.status, 0);
  EXPECT_NE(readFile(m_dir.file("d.htm")).find("<body bgcolor=\"#000000\" link=\"#FFD5D5\""),
            std::string::npos);

  std::string settings = "\x01\x02\x03\x00"s;
  for (int i = 0; i < 5; ++i) settings += "\x10\x20\x30\x00"s;
  writeFile(m_program / "obitrak.cfg", settings);
  Result desktop =
      run({"--format", "html", demo, "--output", m_dir.file("s.htm")}, m_program.string());
  EXPECT_EQ(desktop.status, 0);
  EXPECT_NE(readFile(m_dir.file("s.htm")).find("<body bgcolor=\"#010203\" link=\"#102030\""),
            std::string::npos);

  std::string other = "\x7f\x7f\x7f\x00"s;
  for (int i = 0; i < 5; ++i) other += other.substr(0, 4);
  writeFile(m_dir.file("other.cfg"), other);
  Result fromOther =
      run({"--format", "html", "--colors", m_dir.file("other.cfg"), demo}, m_program.string());
  EXPECT_EQ(fromOther.status, 0);
  EXPECT_NE(fromOther.out.find("<body bgcolor=\"#7F7F7F\""), std::string::npos);

  Result missing =
      run({"--format", "html", "--colors", m_dir.file("none.cfg"), demo}, m_program.string());
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, m_dir.file("none.cfg") + ": File not found\n");
  EXPECT_EQ(missing.out, "");

  writeFile(m_program / "obitrak.cfg", "short");
  Result damaged = run({"--format", "html", demo}, m_program.string());
  EXPECT_EQ(damaged.status, 0);
  EXPECT_EQ(damaged.err, (m_program / "obitrak.cfg").string() +
                             ": Read beyond end of file (using the default colours)\n");
  EXPECT_NE(damaged.out.find("<body bgcolor=\"#000000\""), std::string::npos);
}

TEST_F(BatchReport, EmptyFolderAndBadJobCounts) {
  fs::create_directory(m_dir.path() / "empty");
  Result empty = run({(m_dir.path() / "empty").string()}, m_program.string());
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.err, (m_dir.path() / "empty").string() + ": no demos found\n");
  for (const char* jobs : {"0", "-1", "x", "2000"}) {
    EXPECT_EQ(run({"-j", jobs, m_demos.string()}, m_program.string()).status, 2) << jobs;
  }
}

}  // namespace
}  // namespace obitrak::test
