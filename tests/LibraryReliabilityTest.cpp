#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "cli/ReportCommand.h"
#include "library/LibraryIndexer.h"
#include "library/LibraryStore.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

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
