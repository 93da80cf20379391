#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "cli/ReportCommand.h"
#include "library/LibraryIndexer.h"
#include "library/LibraryStore.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `sql` on a library as any program could, without the limits Obitrak reads with.
void craft(const std::string& library, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(library.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);
}

void setModified(const std::string& path, const timespec& time) {
  const timespec both[2] = {time, time};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), both, 0), 0);
}

timespec changedOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_ctim;
}

// Waits until a file changed now would not get the change time of `path`: the system stamps
// files with a clock that ticks coarsely.
void waitForAnotherChangeTime(const std::string& path, const std::string& probe) {
  const timespec then = changedOf(path);
  for (timespec now = then; now.tv_sec == then.tv_sec && now.tv_nsec == then.tv_nsec;) {
    writeFile(probe, "");
    now = changedOf(probe);
  }
  fs::remove(probe);
}

// A season of three demos that an unprivileged user may read.
class LibraryReliability : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::permissions(dir.path(), fs::perms::all);
    fs::create_directory(season);
    writeFile(season + "/final.dm2", smallTeamDemo());
    writeFile(season + "/rematch.dm2", smallRematchDemo());
    writeFile(warmup, demoWithPlayers({{0, "Ann", "male/grunt"}}).finish());
  }

  CommandResult summary(std::vector<std::string> options) const {
    options.insert(options.begin(), "--summary");
    options.push_back(season);
    return runCommand(options);
  }

  TempDir dir;
  std::string season = dir.file("season");
  std::string warmup = season + "/warmup.dm2";
  std::string library = dir.file("library.sqlite");
};

// Rows that no scan writes, crafted over a real library: the demos are scanned again, the run
// says so once and its output is that of a run without the library; the desktop's update,
// which hands no stored result on, finds them too.
TEST_F(LibraryReliability, HostileLibrariesAreReadAsDamaged) {
  ASSERT_EQ(summary({"--library", library}).status, kExitOk);
  const std::string pristine = readFile(library);
  const std::string fresh = summary({}).out;
  const char* statements[] = {
      "UPDATE players SET slot = 1000 WHERE slot = 1",
      "UPDATE players SET slot = -5 WHERE slot = 1",
      "DELETE FROM players WHERE slot = 1",
      "UPDATE demos SET kill_counts = x'C8010001000000'",  // a victim past the players
      "UPDATE demos SET kill_counts = x'0101C801000000'",  // weapon 200
      "UPDATE demos SET kill_counts = x'01020300000000'",  // a counter of nothing
      "UPDATE demos SET kill_counts = x'0102'",
      "UPDATE players SET place = 70",
      "UPDATE players SET kills = -3",
      "UPDATE players SET frags = 5000000000",
      "UPDATE players SET name = randomblob(100)",
      "UPDATE players SET name = ''",
      "UPDATE players SET skin = zeroblob(2000000)",
      "UPDATE demos SET duration = 'long'",
      "UPDATE demos SET duration = -1",
      "UPDATE demos SET view_player = -1",
      "UPDATE demos SET player_count = 99",
      "UPDATE demos SET winner_frags = winner_frags + 1",
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100)"
      " INSERT INTO notices SELECT id, i, 'x' FROM demos, n",
  };
  const std::string told = library + ": ";
  for (const char* sql : statements) {
    SCOPED_TRACE(sql);
    writeFile(library, pristine);
    craft(library, sql);
    const CommandResult damaged = summary({"--library", library});
    EXPECT_EQ(damaged.status, kExitOk);
    EXPECT_EQ(damaged.out, fresh);
    EXPECT_EQ(occurrences(damaged.err, told), 1u) << damaged.err;
    EXPECT_NE(damaged.err.find("did not hold; their demos were scanned again"), std::string::npos);
    EXPECT_EQ(summary({"--library", library}).err, "");  // mended

    writeFile(library, pristine);
    craft(library, sql);
    LibraryStore store(library);
    EXPECT_LE(store.rows().size(), 3u);
    LibraryIndexer window(&store, nullptr, 1);
    window.setLoadReused(false);
    EXPECT_GT(
        window.run({season + "/final.dm2", season + "/rematch.dm2", warmup}, [](IndexOutcome&&) {})
            .damaged,
        0u);
  }
}

// The library of the run is never an output, whichever way it is named.
TEST_F(LibraryReliability, TheLibraryIsNeverTheOutput) {
  const std::string spelled = season + "/../library.sqlite";
  for (const std::string& output : {library, spelled}) {
    EXPECT_EQ(summary({"--library", library, "--output", output}).status, kExitFailed);
  }
  EXPECT_FALSE(fs::exists(library));
  ASSERT_EQ(summary({"--library", library}).status, kExitOk);
  fs::create_symlink(library, dir.file("link.sqlite"));
  fs::create_hard_link(library, dir.file("hard.sqlite"));
  const std::string before = readFile(library);
  for (const std::string& output :
       {library, spelled, dir.file("./library.sqlite"), fs::relative(library).string(),
        dir.file("link.sqlite"), dir.file("hard.sqlite"), library + "-wal"}) {
    const CommandResult r = summary({"--library", library, "--output", output});
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_EQ(r.err, output + ": the summary would overwrite the library\n");
  }
  EXPECT_EQ(readFile(library), before);
}

// A library the user may read but not write, in a folder he may write or not: its results are
// used, a demo changed since is scanned, nothing is left beside it, and its owner's next run
// goes on as before.
TEST_F(LibraryReliability, ALibraryTheUserMayNotWriteIsReadOnly) {
  const struct {
    const char* folder;
    fs::perms mode;
  } cases[] = {{"shared", fs::perms::all | fs::perms::sticky_bit}, {"closed", fs::perms(0755)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    const std::string folder = dir.file(c.folder);
    const std::string lib = folder + "/library.sqlite";
    fs::create_directory(folder);
    ASSERT_EQ(summary({"--library", lib}).status, kExitOk);
    writeFile(warmup, demoWithPlayers({{0, c.folder, "male/grunt"}}).finish());
    fs::permissions(lib, fs::perms(0444));
    fs::permissions(folder, c.mode);
    const std::vector<std::string> names = namesIn(folder);
    const std::string bytes = readFile(lib);
    const CommandResult r = runCommandUnprivileged({"--summary", "--library", lib, season});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.out, summary({}).out);
    EXPECT_EQ(r.err, lib +
                         ": read-only (File access denied): its results are used, new ones "
                         "are not kept\n");
    EXPECT_EQ(namesIn(folder), names);
    EXPECT_EQ(readFile(lib), bytes);

    fs::permissions(lib, fs::perms(0644));
    const CommandResult owner = summary({"--library", lib});
    EXPECT_EQ(owner.status, kExitOk);
    EXPECT_EQ(owner.err, "");
    fs::permissions(lib, fs::perms(0200));
    EXPECT_EQ(runCommandUnprivileged({"--summary", "--library", lib, season}).err,
              lib + ": the library cannot be opened (File access denied)\n");
  }
}

// Where a signal comes in while a new library is made: at its first statement, with the file
// alone, or as it is closed, its schema committed to the write-ahead log beside it.
enum class Moment { FirstStatement, Closing };
int g_signal = 0;
Moment g_moment = Moment::FirstStatement;

int raiseSignal(unsigned, void*, void*, void*) {
  std::raise(g_signal);
  return 0;
}

// Run for every connection the program opens: the ones to a library being made get a hook.
int hookNewLibraries(sqlite3* db, char**, const sqlite3_api_routines*) {
  const char* name = sqlite3_db_filename(db, "main");
  if (name == nullptr || std::string(name).find(".new-") == std::string::npos) return SQLITE_OK;
  sqlite3_trace_v2(db, g_moment == Moment::FirstStatement ? SQLITE_TRACE_STMT : SQLITE_TRACE_CLOSE,
                   raiseSignal, nullptr);
  return SQLITE_OK;
}

class LibrarySignals : public LibraryReliability,
                       public ::testing::WithParamInterface<std::tuple<int, Moment>> {};

TEST_P(LibrarySignals, LeaveNoTemporaryFileOfANewLibrary) {
  std::tie(g_signal, g_moment) = GetParam();
  const std::string folder = dir.file("new");
  fs::create_directory(folder);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(s, SIG_DFL);
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(hookNewLibraries));
    summary({"--library", folder + "/library.sqlite"});
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == g_signal) << status;
  EXPECT_EQ(namesIn(folder), std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(Signals, LibrarySignals,
                         ::testing::Combine(::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGPIPE),
                                            ::testing::Values(Moment::FirstStatement,
                                                              Moment::Closing)));

// A demo replaced by a file of the same size and modification time, moved over it or written
// into it, is scanned again.
TEST_F(LibraryReliability, AReplacedDemoIsScannedAgain) {
  const std::string upload = dir.file("upload.dm2");
  const struct {
    const char* how;
    const char* name;  // of the player in its place, as long as "Ann"
    std::function<void(const std::string&)> replace;
  } cases[] = {
      {"moved over", "Bob",
       [&](const std::string& bytes) {
         writeFile(upload, bytes);
         fs::rename(upload, warmup);
       }},
      {"written into", "Cid",
       [&](const std::string& bytes) {
         waitForAnotherChangeTime(warmup, upload);
         writeFile(warmup, bytes);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    ASSERT_EQ(summary({"--library", library}).status, kExitOk);
    struct stat st {};
    stat(warmup.c_str(), &st);
    const std::string other = demoWithPlayers({{0, c.name, "male/grunt"}}).finish();
    c.replace(other);
    setModified(warmup, st.st_mtim);
    EXPECT_EQ(fs::file_size(warmup), static_cast<std::uintmax_t>(st.st_size));
    EXPECT_EQ(summary({"--library", library}).out, summary({}).out);
  }
}

// Dates past 2262 and before 1970 are right in every summary, with a library or without, and
// a library keeps any time a file system can hold.
TEST_F(LibraryReliability, FarDatesComeOutRight) {
  setModified(season + "/final.dm2", {10'413'792'000, 0});
  setModified(warmup, {-2'000'000'000, 5});
  for (const char* format : {"text", "html", "json"}) {
    const std::string fresh = summary({"--format", format}).out;
    EXPECT_EQ(summary({"--library", library, "--format", format}).out, fresh);
    EXPECT_EQ(summary({"--library", library, "--format", format}).out, fresh);
    for (const char* day : {"2300-01-01", "1906-08-16"})
      EXPECT_NE(fresh.find(day), std::string::npos) << format << " " << day;
  }
  LibraryStore store(library);
  DemoResult result = *store.load(libraryKey(warmup));
  for (const FileTime time : {FileTime{INT64_MAX, 999'999'999}, FileTime{INT64_MIN, 0}}) {
    result.modified = time;
    store.save("/far.dm2", result, "v");
    EXPECT_EQ(store.load("/far.dm2")->modified, time);
    EXPECT_EQ(store.rows("/").front().modified, time);
  }
}

}  // namespace
}  // namespace obitrak::test
