#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "cli/ReportPlan.h"
#include "cli/SignalCleanup.h"
#include "export/ExportNames.h"
#include "export/WholeFile.h"

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

// Small pieces are gathered and large ones written straight: the file keeps their order.
TEST(WholeFileWrites, PiecesOfAnySizeKeepTheirOrder) {
  TempDir dir;
  std::string expected;
  WholeFile file(dir.file("out.txt"));
  char letter = 'a';
  for (const std::size_t size : {10u, 5000u, 3u, 70000u, 1u, 4096u, 65536u, 2u}) {
    const std::string piece(size, letter++);
    file.write(piece);
    expected += piece;
  }
  file.commit();
  EXPECT_EQ(readFile(dir.file("out.txt")), expected);
}

TEST(ReportNames, DotDm2IsReplacedAnyOtherNameKeptWhole) {
  struct Case {
    std::string demo;
    std::string report;
  };
  for (const Case& c :
       {Case{"a.dm2", "a.txt"}, Case{"up/B.DM2", "up/B.txt"}, Case{"final", "final.txt"},
        Case{"abc", "abc.txt"}, Case{"game.demo", "game.demo.txt"},
        Case{"x.dm2/abc", "x.dm2/abc.txt"}, Case{".dm2", ".txt"}, Case{"dm2", "dm2.txt"},
        Case{"s.mvd2", "s.txt"}, Case{"up/S.MVD2.Gz", "up/S.txt"}, Case{"s.mvd", "s.mvd.txt"}}) {
    EXPECT_EQ(defaultExportName(c.demo, "txt"), c.report) << c.demo;
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
  EXPECT_EQ(namesIn(out), (std::vector<std::string>{"a.txt"}));
}

// A demo of many print messages, whose log report takes a while to write.
std::string longDemo() {
  DemoWriter w = demoWithPlayers({{0, "Ann", "x"}});
  for (int block = 0; block < 400; ++block) {
    while (w.currentBlockSize() + 40 <= 1400) w.print(2, "a message of the server, one of many\n");
    w.endBlock();
  }
  return w.finish();
}

// The built command started on `args` with the signals at their defaults; its standard error
// comes through `err`.
pid_t startCommand(const std::vector<std::string>& args, int& err) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(s, SIG_DFL);
    dup2(channel[1], 2);
    close(channel[0]);
    std::vector<std::string> all{OBITRAK_REPORT_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(122);
  }
  close(channel[1]);
  err = channel[0];
  return pid;
}

// Temporary files anywhere below `folder`.
std::vector<std::string> temporariesBelow(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (e.path().filename().string().starts_with(".obitrak-")) found.push_back(e.path());
  }
  return found;
}

// The signals that end a run: each removes every temporary file, whichever thread it reaches,
// and the run ends as the signal ends a program.
class ReportSignals : public ReportSafety, public ::testing::WithParamInterface<int> {};

TEST_P(ReportSignals, LeaveNoTemporaryFile) {
  const int signal = GetParam();
  const std::string out = makeFolder("out");
  int killed = inChild([&] {
    TemporaryFileCleanup cleanup;
    WholeFile file(out + "/b.txt", &reportTemporaries());
    file.write("half a report");
    std::thread([signal] { std::raise(signal); }).join();
    return 0;
  });
  EXPECT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == signal) << killed;

  // A run on 16 threads, ended as its first reports are written.
  const std::string demos = makeFolder("demos");
  writeFile(demos + "/0.dm2", longDemo());
  for (int i = 1; i < 48; ++i)
    fs::copy_file(demos + "/0.dm2", demos + "/" + std::to_string(i) + ".dm2");
  int err = -1;
  pid_t pid =
      startCommand({"-j", "16", "--progress", "--format", "log", demos, "--output", out}, err);
  ASSERT_GT(pid, 0);
  std::string progress;
  char c = 0;
  while (progress.find("1/48") == std::string::npos && read(err, &c, 1) == 1) progress += c;
  kill(pid, signal);
  while (read(err, &c, 1) == 1) {
  }
  close(err);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
  EXPECT_EQ(temporariesBelow(m_dir.path()), std::vector<std::string>());
}

std::string signalName(const ::testing::TestParamInfo<int>& signal) {
  return sigabbrev_np(signal.param);
}

INSTANTIATE_TEST_SUITE_P(Signals, ReportSignals,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGPIPE), signalName);

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

// A demo of `blocks` blocks full of empty print messages: the message log of a scan of 3000
// of them needs some 30 MB.
std::string emptyPrints(int blocks) {
  DemoWriter w = demoWithPlayers({{0, "Ann", "x"}});
  for (int block = 0; block < blocks; ++block) {
    while (w.currentBlockSize() + 3 <= 1400) w.print(2, "");
    w.endBlock();
  }
  return w.finish();
}

// Leaves this process `more` bytes of address space beyond what it uses now.
void limitAddressSpace(rlim_t more) {
  rlimit limit{};
  getrlimit(RLIMIT_AS, &limit);
  const rlim_t used =
      std::stoull(readFile("/proc/self/statm")) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
  limit.rlim_cur = used + more;
  setrlimit(RLIMIT_AS, &limit);
}

// A demo that needs more memory than there is fails alone, in the reports and in the summary
// (whose scans run as the library's indexer runs them).
TEST_F(ReportSafety, OutOfMemoryEndsOneDemoNotTheRun) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers reserve more address space than the limit";
  const std::string big = m_dir.file("big.dm2");
  writeFile(big, emptyPrints(3000));
  const std::string out = makeFolder("out");
  const std::vector<std::string> runs[] = {{"-j", "1", big, m_demo, "--output", out},
                                           {"--summary", "-j", "1", big, m_demo}};
  for (const std::vector<std::string>& args : runs) {
    int status = inChild([&] {
      limitAddressSpace(24 << 20);
      CommandResult r = runCommand(args);
      return r.status == 1 && contains(r.err, big + ": Out of memory\n") ? 0 : 1;
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << args.front();
  }
  EXPECT_TRUE(fs::exists(out + "/a.txt"));
  EXPECT_FALSE(fs::exists(out + "/big.txt"));
}

// Under a memory limit a run on many threads starts those it can, hands back the jobs that
// run out of memory to the threads left, and reports every demo; so does the summary.
TEST_F(ReportSafety, MemoryRunningOutLeavesFewerThreadsAndEveryDemoReported) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers reserve more address space than the limit";
  writeFile(m_dir.file("big"), emptyPrints(3000));
  writeFile(m_dir.file("mid"), emptyPrints(300));
  const std::string demos = makeFolder("demos");
  for (int i = 0; i < 32; ++i) {
    fs::copy_file(m_dir.file(i < 4 ? "big" : "mid"), demos + "/" + std::to_string(i) + ".dm2");
  }
  const std::string out = makeFolder("out");
  const std::vector<std::string> runs[] = {{"-j", "64", demos, "--output", out},
                                           {"--summary", "-j", "64", demos}};
  for (const std::vector<std::string>& args : runs) {
    int status = inChild([&] {
      limitAddressSpace(200 << 20);  // less than the stacks of 32 threads
      CommandResult r = runCommand(args);
      return r.status == 0 && contains(r.err, "could start only") ? 0 : 1;
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << args.front() << " " << status;
  }
  std::size_t reports = 0;
  for (const auto& e : fs::directory_iterator(out)) reports += e.path().extension() == ".txt";
  EXPECT_EQ(reports, 32u);
}

}  // namespace
}  // namespace obitrak::test