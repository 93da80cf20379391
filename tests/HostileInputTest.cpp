// Inputs that are not what they claim: pipes and folders as settings files and packs, link
// loops, folders where a report goes, trees deeper than the path limit, the names of standard
// output, and demos swapped after the folder search found them.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "scan/DemoScan.h"
#include "scan/DemoSearch.h"
#include "scan/FileAccess.h"
#include "scan/FileError.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

// A folder tree below `root` whose path is longer than the system allows (PATH_MAX is 4096),
// made one folder at a time; returns the way down.
std::string makeDeepTree(const std::string& root) {
  const std::string name(250, 'd');
  std::string below;
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  for (int level = 0; level < 20; ++level) {
    ::mkdirat(fd, name.c_str(), 0777);
    ::fchmodat(fd, name.c_str(), 0777, 0);
    int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
    below += (below.empty() ? "" : "/") + name;
  }
  int demo = ::openat(fd, "deep.dm2", O_WRONLY | O_CREAT, 0644);
  const std::string bytes = smallTeamDemo();
  EXPECT_EQ(::write(demo, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(demo);
  ::close(fd);
  return below;
}

bool reportIsBelow(const std::string& folder, const std::string& below, const char* name) {
  try {
    FileHandle fd = openFolderBelow(folder, below, false, folder);
    struct stat st {};
    return ::fstatat(fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
  } catch (const FileError&) {
    return false;
  }
}

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override {
    // The runs are made as an unprivileged user, who must reach the test's files.
    fs::permissions(m_dir.path(), fs::perms::all);
    m_demo = file("a.dm2");
    writeFile(m_demo, smallTeamDemo());
    m_report = runCommand({m_demo}).out;
  }
  void TearDown() override {
    // Trees deeper than the path limit are beyond std::filesystem.
    std::system(("rm -rf '" + m_dir.file("deep") + "'").c_str());
  }
  std::string file(const std::string& name) const { return m_dir.file(name); }
  std::string folder(const std::string& name) const {
    fs::create_directories(m_dir.path() / name);
    fs::permissions(m_dir.path() / name, fs::perms::all);
    return file(name);
  }
  std::string fifo(const std::string& name) const {
    EXPECT_EQ(::mkfifo(file(name).c_str(), 0666), 0);
    EXPECT_EQ(::chmod(file(name).c_str(), 0666), 0);
    return file(name);
  }

  TempDir m_dir;
  std::string m_demo;
  std::string m_report;
};

TEST_F(HostileInput, EachIsRefusedWithWhatIsTrueOrHandledAsWhatItIs) {
  fifo("pipe");
  folder("folder");
  fs::create_symlink("loop", file("loop"));
  fs::copy_file(m_demo, folder("demos") + "/x.dm2");
  folder("demos/x.txt");
  fs::create_symlink("l.dm2", folder("loops") + "/l.dm2");
  fifo(folder("program") + "/obitrak.cfg");
  const std::string deep = makeDeepTree(folder("deep"));
  // Opened for reading and writing here, so that the command's open finds a reader.
  FileHandle reader(::open(fifo("out.pipe").c_str(), O_RDWR | O_NONBLOCK));

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
    std::string programFolder = {};
  };
  const std::string html = "--format=html";
  const std::vector<Case> cases{
      {{"--phrases", file("pipe"), m_demo},
       2,
       "obitrak-report: " + file("pipe") + ": Not a regular file\n"},
      {{html, "--colors", file("pipe"), m_demo}, 1, file("pipe") + ": Not a regular file\n"},
      {{html, m_demo, "--output", file("a.htm")},
       0,
       file("program/obitrak.cfg") + ": Not a regular file (using the default colours)\n",
       file("program")},
      {{"--phrases", file("folder"), m_demo},
       2,
       "obitrak-report: " + file("folder") + ": Is a folder\n"},
      {{html, "--colors", file("folder"), m_demo}, 1, file("folder") + ": Is a folder\n"},
      {{file("demos")}, 1, file("demos/x.txt") + ": Is a folder\n"},
      {{html, "--colors", file("loop"), m_demo},
       1,
       file("loop") + ": Too many levels of symbolic links\n"},
      {{file("loops")}, 1, file("loops/l.dm2") + ": Too many levels of symbolic links\n"},
      {{file("deep")}, 0, ""},
      {{file("deep"), "--output", folder("out")}, 0, ""},
      {{m_demo, "--output", "/dev/stdout"}, 0, ""},
      {{m_demo, "--output", "/dev/fd/1"}, 0, ""},
      {{m_demo, "--output", "/dev/null"}, 0, ""},
      {{m_demo, "--output", file("out.pipe")}, 0, ""},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& a : c.args) shown += a + " ";
    SCOPED_TRACE(shown);
    CommandResult r = runCommandUnprivileged(c.args, c.programFolder);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err, c.err);
    if (c.args.back().starts_with("/dev/")) {
      EXPECT_EQ(r.out, c.args.back() == "/dev/null" ? "" : m_report);
    }
  }
  EXPECT_TRUE(reportIsBelow(file("deep"), deep, "deep.txt"));
  EXPECT_TRUE(reportIsBelow(file("out"), deep, "deep.txt"));
  // Devices and pipes are written, never replaced.
  EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_TRUE(fs::is_fifo(file("out.pipe")));
  std::string piped(m_report.size() + 1, '\0');
  piped.resize(static_cast<std::size_t>(
      std::max<ssize_t>(0, ::read(reader.get(), piped.data(), piped.size()))));
  EXPECT_EQ(piped, m_report);
}

// A demo that is not the file the folder search found is not read.
TEST_F(HostileInput, ADemoSwappedAfterTheSearchIsNotRead) {
  struct Case {
    std::string name;
    std::function<void(const std::string& demo)> swap;
    std::string message;
  };
  writeFile(file("other.dm2"), smallTeamDemo());
  const std::vector<Case> cases{
      {"unchanged", [](const std::string&) {}, ""},
      {"a link in its place",
       [&](const std::string& demo) {
         fs::remove(demo);
         fs::create_symlink(file("other.dm2"), demo);
       },
       "Replaced since it was found"},
      {"another file renamed over it",
       [&](const std::string& demo) {
         fs::copy_file(file("other.dm2"), demo + ".new");
         fs::rename(demo + ".new", demo);
       },
       "Replaced since it was found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string demos = folder("swap-" + std::to_string(&c - cases.data()));
    fs::copy_file(m_demo, demos + "/m.dm2");
    DemoSearch search;
    searchFolder(demos, search);
    ASSERT_EQ(search.demos.size(), 1u);
    c.swap(demos + "/m.dm2");
    std::string message;
    try {
      openFoundFile(search.demos[0].file, search.demos[0].path);
    } catch (const FileError& e) {
      message = e.what();
    }
    EXPECT_EQ(message, c.message);
  }
}

TEST(DemoScan, FolderIsNotADemo) {
  TempDir dir;
  DemoTables t;
  try {
    DemoScan(t, dir.path().string());
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Not a regular file");
  }
}

}  // namespace
}  // namespace obitrak::test
