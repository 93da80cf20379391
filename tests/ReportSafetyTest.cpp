#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "cli/ReportPlan.h"
#include "cli/SignalCleanup.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

// The wait status of `body` run in a child process that exits with what it returns.
int inChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int status = body();
    std::fflush(nullptr);
    _exit(status);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return wstatus;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Names of everything in `folder`, hidden files included.
std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class ReportSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    // An unprivileged user must reach the files of the tests run as such.
    fs::permissions(m_dir.path(), fs::perms::all);
    m_demo = m_dir.file("a.dm2");
    writeFile(m_demo, smallTeamDemo());
  }
  std::string makeFolder(const std::string& name) {
    fs::create_directories(m_dir.path() / name);
    fs::permissions(m_dir.path() / name, fs::perms::all);
    return m_dir.file(name);
  }
  TempDir m_dir;
  std::string m_demo;
};

TEST(ReportNames, DotDm2IsReplacedAnyOtherNameKeptWhole) {
  struct Case {
    std::string demo;
    std::string report;
  };
  for (const Case& c :
       {Case{"a.dm2", "a.txt"}, Case{"up/B.DM2", "up/B.txt"}, Case{"final", "final.txt"},
        Case{"abc", "abc.txt"}, Case{"game.demo", "game.demo.txt"},
        Case{"x.dm2/abc", "x.dm2/abc.txt"}, Case{".dm2", ".txt"}, Case{"dm2", "dm2.txt"}}) {
    EXPECT_EQ(reportNameFor(c.demo, "txt"), c.report) << c.demo;
  }
}

// A link where a report will go is replaced by the report; its target stays as it was.
TEST_F(ReportSafety, APlantedLinkIsReplacedNotFollowed) {
  const std::string uploads = makeFolder("uploads");
  writeFile(m_dir.file("victim.conf"), "secret");
  fs::copy_file(m_demo, uploads + "/match.dm2");
  fs::create_symlink("../victim.conf", uploads + "/match.txt");
  CommandResult r = runCommand({uploads});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(m_dir.file("victim.conf")), "secret");
  EXPECT_FALSE(fs::is_symlink(uploads + "/match.txt"));
  EXPECT_TRUE(contains(readFile(uploads + "/match.txt"), "Demo name   : match.dm2"));
  EXPECT_EQ(namesIn(uploads), (std::vector<std::string>{"match.dm2", "match.txt"}));
}

// A failed write and a signal leave no report cut short under its name, nor a temporary.
TEST_F(ReportSafety, OnlyWholeReportsGetTheirNames) {
  const std::string out = makeFolder("out");
  writeFile(out + "/a.txt", "the last whole report");
  int failed = inChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small{100, 100};
    setrlimit(RLIMIT_FSIZE, &small);
    CommandResult r = runCommand({m_demo, "--output", out + "/a.txt"});
    return r.status == 1 && r.err == out + "/a.txt: I/O error 27: File too large\n" ? 0 : 1;
  });
  EXPECT_TRUE(WIFEXITED(failed) && WEXITSTATUS(failed) == 0);
  EXPECT_EQ(readFile(out + "/a.txt"), "the last whole report");

  for (int signal : {SIGINT, SIGTERM}) {
    int killed = inChild([&] {
      TemporaryFileCleanup cleanup;
      WholeFile file(out + "/b.txt", &reportTemporaries());
      file.write("half a report");
      std::raise(signal);
      return 0;
    });
    EXPECT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == signal) << signal;
  }
  EXPECT_EQ(namesIn(out), (std::vector<std::string>{"a.txt"}));
}

TEST_F(ReportSafety, AnUnreadableFolderIsNamedAndTheRestSearched) {
  const std::string demos = makeFolder("demos");
  for (const char* sub : {"demos/locked", "demos/z"}) makeFolder(sub);
  for (const char* name : {"/a.dm2", "/locked/x.dm2", "/z/y.dm2"})
    fs::copy_file(m_demo, demos + name);
  fs::permissions(demos + "/locked", fs::perms::none);
  const std::string out = makeFolder("out");
  int status = runUnprivileged([&] {
    CommandResult r = runCommand({demos, "--output", out});
    return r.status == 1 && r.err == demos + "/locked: File access denied\n" ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(fs::exists(out + "/a.txt"));
  EXPECT_TRUE(fs::exists(out + "/z/y.txt"));
}

// Only regular files are demos: a device or a pipe would never end or would block.
TEST_F(ReportSafety, DevicesAndPipesAreNoDemos) {
  CommandResult zero = runCommand({"/dev/zero"});
  EXPECT_EQ(zero.status, 1);
  EXPECT_EQ(zero.err, "/dev/zero: Not a regular file\n");

  const std::string demos = makeFolder("demos");
  fs::copy_file(m_demo, demos + "/a.dm2");
  fs::create_symlink("/dev/zero", demos + "/zero.dm2");
  ASSERT_EQ(mkfifo((demos + "/pipe.dm2").c_str(), 0600), 0);
  CommandResult folder = runCommand({demos});
  EXPECT_EQ(folder.status, 0);
  EXPECT_EQ(folder.err,
            demos + "/pipe.dm2: Not a regular file\n" + demos + "/zero.dm2: Not a regular file\n");
  EXPECT_TRUE(fs::exists(demos + "/a.txt"));
}

TEST_F(ReportSafety, FolderArgumentsKeepTheirNamesAndADemoIsReportedOnce) {
  for (const char* name : {"A/x.dm2", "B/x.dm2"}) {
    fs::create_directories((m_dir.path() / name).parent_path());
    fs::copy_file(m_demo, m_dir.path() / name);
  }
  const std::string out = m_dir.file("out");
  CommandResult r = runCommand({m_dir.file("A"), m_dir.file("B") + "/", "--output", out});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(fs::exists(out + "/A/x.txt"));
  EXPECT_TRUE(fs::exists(out + "/B/x.txt"));

  CommandResult twice =
      runCommand({m_demo, m_dir.file("./a.dm2"), m_dir.file("A/x.dm2"), "--output", out});
  EXPECT_EQ(twice.status, 0);
  EXPECT_EQ(twice.err, "");
}

// Where threads cannot be started the run goes on with those it has.
TEST_F(ReportSafety, TooFewThreadsAreAWarningNotAnEnd) {
  fs::copy_file(m_demo, m_dir.file("b.dm2"));
  const std::string out = makeFolder("out");
  int status = runUnprivileged([&] {
    rlimit none{0, 0};
    if (setrlimit(RLIMIT_NPROC, &none) != 0) return 2;
    CommandResult r = runCommand({"-j", "4", m_demo, m_dir.file("b.dm2"), "--output", out});
    return r.status == 0 && contains(r.err, "could start only 0 of 2 threads") ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(fs::exists(out + "/a.txt"));
  EXPECT_TRUE(fs::exists(out + "/b.txt"));
}

// A demo that needs more memory than there is fails alone.
TEST_F(ReportSafety, OutOfMemoryEndsOneDemoNotTheRun) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers reserve more address space than the limit";
  DemoWriter w = demoWithPlayers({{0, "Ann", "x"}});
  for (int block = 0; block < 3000; ++block) {
    while (w.currentBlockSize() + 3 <= 1400) w.print(2, "");
    w.endBlock();
  }
  const std::string big = m_dir.file("big.dm2");
  writeFile(big, w.finish());
  const std::string out = makeFolder("out");
  int status = inChild([&] {
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    std::string maps = readFile("/proc/self/statm");
    const rlim_t used = std::stoull(maps) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    limit.rlim_cur = used + (24 << 20);
    setrlimit(RLIMIT_AS, &limit);
    CommandResult r = runCommand({"-j", "1", big, m_demo, "--output", out});
    return r.status == 1 && contains(r.err, big + ": Out of memory\n") ? 0 : 1;
  });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(fs::exists(out + "/a.txt"));
  EXPECT_FALSE(fs::exists(out + "/big.txt"));
}

}  // namespace
}  // namespace obitrak::test
