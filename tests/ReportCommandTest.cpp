#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "cli/ReportCommand.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

using Result = CommandResult;

Result run(const std::vector<std::string>& args) {
  return runCommand(args);
}

// Runs the built command in a child process.
Result runBinary(const std::vector<std::string>& args) {
  TempDir io;
  std::string outPath = io.file("out");
  std::string errPath = io.file("err");
  pid_t pid = fork();
  if (pid == 0) {
    std::FILE* o = std::freopen(outPath.c_str(), "wb", stdout);
    std::FILE* e = std::freopen(errPath.c_str(), "wb", stderr);
    if (o == nullptr || e == nullptr) _exit(120);
    std::vector<char*> argv;
    std::string exe = OBITRAK_REPORT_EXE;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(122);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, readFile(outPath), readFile(errPath)};
}

// Runs the command in a child process as an unprivileged user when we are root, who reads
// every file whatever its permissions.
Result runUnprivileged(const std::vector<std::string>& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(121);
    int status = runReportCommand(args, out, err);
    std::fflush(out);
    std::fflush(err);
    _exit(status);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, contentsOf(out), contentsOf(err)};
}

std::string textReport(const std::string& demoPath, bool teamPlay) {
  DemoTables t;
  DemoScan(t, demoPath);
  if (teamPlay) TallyTeamPlay(t, 0);
  recomputeAllWeapons(t, teamPlay);
  StringSink sink;
  WriteTextDescription(t, demoPath, teamPlay, sink);
  return sink.data();
}

class ReportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    m_demo = m_dir.file("small.dm2");
    writeFile(m_demo, smallTeamDemo());
  }
  TempDir m_dir;
  std::string m_demo;
};

TEST_F(ReportCommand, UsageHelpAndVersion) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string outStart;
    std::string errStart;
  };
  for (const Case& c :
       {Case{{"--help"}, 0, "Usage: obitrak-report", ""},
        Case{{"--version"}, 0, "obitrak-report 1.0.5\n", ""},
        Case{{}, 2, "", "obitrak-report: no demo given\nUsage:"},
        Case{{"--bogus", "x.dm2"}, 2, "", "obitrak-report: unknown option '--bogus'"},
        Case{{"--format", "pdf", "x.dm2"}, 2, "", "obitrak-report: unknown format 'pdf'"},
        Case{{"x.dm2", "--format"}, 2, "", "obitrak-report: --format needs a value"},
        Case{{"x.dm2", "--output"}, 2, "", "obitrak-report: --output needs a path"},
        // Only the documented options: nothing takes a value glued to a short name.
        Case{{"-old.dm2", "a.dm2"}, 2, "", "obitrak-report: unknown option '-old.dm2'"},
        Case{{"-o", "r.txt", "a.dm2"}, 2, "", "obitrak-report: unknown option '-o'"},
        Case{{"-flog", "a.dm2"}, 2, "", "obitrak-report: unknown option '-flog'"},
        Case{{"-h"}, 2, "", "obitrak-report: unknown option '-h'"},
        Case{{"--teamplay=no", "a.dm2"}, 2, "", "obitrak-report: --teamplay takes no value"},
        Case{{"--progress=no", "a.dm2"}, 2, "", "obitrak-report: --progress takes no value"},
        Case{{"--jobs=2", "--version"}, 0, "obitrak-report 1.0.5\n", ""}}) {
    Result r = run(c.args);
    std::string what = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(r.status, c.status) << what;
    EXPECT_TRUE(r.out.starts_with(c.outStart)) << what << ": " << r.out;
    EXPECT_TRUE(r.err.starts_with(c.errStart)) << what << ": " << r.err;
  }
}

TEST_F(ReportCommand, OneDemoGoesToStandardOutput) {
  Result text = run({m_demo});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(text.out, textReport(m_demo, false));

  Result teams = run({"--teamplay", m_demo});
  EXPECT_EQ(teams.out, textReport(m_demo, true));
  EXPECT_NE(teams.out, text.out);

  Result log = run({"--format=log", m_demo});
  DemoTables t;
  DemoScan(t, m_demo);
  StringSink sink;
  WriteLog(t, sink);
  EXPECT_EQ(log.out, sink.data());
}

TEST_F(ReportCommand, OutputFileAndFolders) {
  std::string second = m_dir.file("second.dm2");
  fs::copy_file(m_demo, second);

  Result one = run({"--output", m_dir.file("one.txt"), m_demo});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out, "");
  EXPECT_EQ(readFile(m_dir.file("one.txt")), textReport(m_demo, false));

  Result beside = run({"--format", "log", m_demo, second});
  EXPECT_EQ(beside.status, 0);
  EXPECT_TRUE(fs::exists(m_dir.file("small.log")));
  EXPECT_TRUE(fs::exists(m_dir.file("second.log")));

  Result into = run({"--output", m_dir.file("reports"), m_demo, second});
  EXPECT_EQ(into.status, 0) << into.err;
  EXPECT_EQ(readFile(m_dir.file("reports/small.txt")), textReport(m_demo, false));
  EXPECT_EQ(readFile(m_dir.file("reports/second.txt")), textReport(second, false));
}

TEST_F(ReportCommand, FailuresAreReportedAndTheRestIsWritten) {
  std::string missing = m_dir.file("missing.dm2");
  std::string second = m_dir.file("second.dm2");
  fs::copy_file(m_demo, second);
  Result r = run({"--output", m_dir.file("out"), missing, m_demo, second});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, missing + ": File not found\n");
  EXPECT_EQ(readFile(m_dir.file("out/small.txt")), textReport(m_demo, false));
  EXPECT_EQ(readFile(m_dir.file("out/second.txt")), textReport(second, false));
  EXPECT_FALSE(fs::exists(m_dir.file("out/missing.txt")));

  if (fs::exists("/dev/full")) {
    Result full = run({"--output", "/dev/full", m_demo});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "/dev/full: Disk full\n");
  }
}

TEST_F(ReportCommand, ScanNoticesGoToStandardErrorAndTheReportIsWritten) {
  DemoWriter w = demoWithPlayers({{0, "Ann", "x"}, {1, "Bob", "y"}});
  w.print(1, "Bob was railed by Ann\n").endBlock();
  w.lengthField(1401);
  std::string damaged = m_dir.file("damaged.dm2");
  writeFile(damaged, w.finish());
  Result r = run({damaged});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, damaged + ": BAD BLOCK. READING STOPPED.\n");
  EXPECT_EQ(r.out, textReport(damaged, false));
  EXPECT_NE(r.out.find("Ann                  :   1 (  1 /   0 )"), std::string::npos);
}

TEST_F(ReportCommand, TheInstalledCommandExitsWithItsStatus) {
  Result ok = runBinary({m_demo});
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out, textReport(m_demo, false));

  Result usage = runBinary({"--nonsense"});
  EXPECT_EQ(usage.status, 2);

  std::string missing = m_dir.file("gone.dm2");
  Result notFound = runBinary({missing});
  EXPECT_EQ(notFound.status, 1);
  EXPECT_EQ(notFound.err, missing + ": File not found\n");

  std::string locked = m_dir.file("locked.dm2");
  fs::copy_file(m_demo, locked);
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  Result denied = runUnprivileged({locked});
  EXPECT_EQ(denied.status, 1);
  EXPECT_EQ(denied.err, locked + ": File access denied\n");
  EXPECT_EQ(denied.out, "");
}

}  // namespace
}  // namespace obitrak::test
