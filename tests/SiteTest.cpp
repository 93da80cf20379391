#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "cli/ReportCommand.h"
#include "export/SiteFolder.h"
#include "export/SitePage.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

// Two players whose names are made to break pages, paths and links.
std::string hostileDemo() {
  DemoWriter w = demoWithPlayers(
      {{0, "<script>alert(1)", "male/grunt"}, {1, "../..\"/x&y", "female/athena"}}, "q2dm3");
  w.print(1, "../..\"/x&y was railed by <script>alert(1)\n").endBlock();
  return w.finish();
}

class SiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir.path() / "demos");
    writeFile(dir.file("demos/final.dm2"), smallTeamDemo());
    writeFile(dir.file("demos/rematch.dm2"), smallRematchDemo());
    writeFile(dir.file("demos/hostile.dm2"), hostileDemo());
  }
  CommandResult site(std::vector<std::string> more = {}) {
    std::vector<std::string> args{"--site", site_dir(), "--library", dir.file("l.sqlite"),
                                  "--progress"};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(dir.file("demos"));
    return runCommand(args);
  }
  std::string site_dir() const { return dir.file("site"); }
  // Every file of the site with its modification time. A running watcher's temporary files
  // are left out, as they come and go while the folder is listed.
  std::map<std::string, fs::file_time_type> files() const {
    std::map<std::string, fs::file_time_type> out;
    for (const auto& e : fs::directory_iterator(site_dir())) {
      const std::string name = e.path().filename().string();
      if (name.starts_with(".obitrak-") && name != kSiteMarker) continue;
      std::error_code gone;
      const fs::file_time_type time = e.last_write_time(gone);
      if (!gone) out[name] = time;
    }
    return out;
  }

  TempDir dir;
};

TEST_F(SiteTest, EveryLinkLeadsToAFileAndEveryPageIsLinked) {
  const CommandResult r = site();
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const std::regex target("(?:href|src)=\"([^\"]*)\"");
  std::set<std::string> linked{"index.html"};
  for (const auto& [name, time] : files()) {
    EXPECT_TRUE(std::regex_match(name, std::regex("\\.obitrak-site|[a-z0-9][a-z0-9.-]*"))) << name;
    if (!name.ends_with(".html")) continue;
    const std::string page = readFile(dir.path() / "site" / name);
    for (std::sregex_iterator m(page.begin(), page.end(), target), end; m != end; ++m) {
      std::string href = (*m)[1];
      for (std::size_t p; (p = href.find("%")) != std::string::npos;)
        href.replace(p, 3, 1, static_cast<char>(std::stoi(href.substr(p + 1, 2), nullptr, 16)));
      EXPECT_TRUE(fs::exists(dir.path() / "site" / href)) << name << " -> " << href;
      if (href.find('/') == std::string::npos) linked.insert(href);
    }
  }
  for (const auto& [name, time] : files()) {
    if (name.ends_with(".html")) {
      EXPECT_TRUE(linked.contains(name)) << name;
    }
  }
  const nlohmann::json summary = nlohmann::json::parse(readFile(dir.path() / "site/summary.json"));
  EXPECT_EQ(summary["demoCount"], 3);
}

TEST_F(SiteTest, NamesShowAsTextAndNeverAsMarkupOrPaths) {
  ASSERT_EQ(site().status, kExitOk);
  std::string all;
  for (const auto& [name, time] : files()) {
    if (name.ends_with(".html")) all += readFile(dir.path() / "site" / name);
  }
  EXPECT_EQ(all.find("<script>alert"), std::string::npos);
  EXPECT_NE(all.find("&lt;script&gt;alert(1)"), std::string::npos);
  EXPECT_NE(all.find("../..&quot;/x&amp;y"), std::string::npos);
  for (const auto& e : fs::directory_iterator(dir.path())) {
    EXPECT_TRUE(std::regex_match(e.path().filename().string(),
                                 std::regex("demos|site|l\\.sqlite(-wal|-shm)?")))
        << e.path();
  }
}

TEST_F(SiteTest, AnUnchangedArchiveRewritesNothingAndAChangeOnlyWhatItTouches) {
  ASSERT_EQ(site().status, kExitOk);
  const auto before = files();
  const CommandResult again = site();
  EXPECT_NE(again.err.find("site unchanged"), std::string::npos) << again.err;
  EXPECT_EQ(files(), before);

  writeFile(dir.file("demos/duel.dm2"), smallRematchDemo(true));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(site().status, kExitOk);
  const auto after = files();
  EXPECT_EQ(after.size(), before.size() + 2);  // the new match's page and JSON
  std::size_t unchanged = 0;
  for (const auto& [name, time] : before) unchanged += after.at(name) == time ? 1 : 0;
  EXPECT_GE(unchanged, 6u);  // the other matches' pages and JSON, the style sheet, the script

  fs::remove(dir.file("demos/duel.dm2"));
  ASSERT_EQ(site().status, kExitOk);
  EXPECT_EQ(files().size(), before.size());
}

TEST_F(SiteTest, OnlyAnEmptyFolderOrAnObitrakSiteIsWrittenAndForeignFilesStay) {
  fs::create_directory(site_dir());
  writeFile(dir.file("site/notes.txt"), "mine");
  CommandResult r = site();
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_NE(r.err.find("neither empty nor a site made by Obitrak"), std::string::npos) << r.err;
  EXPECT_EQ(files().size(), 1u);

  fs::remove(dir.file("site/notes.txt"));
  ASSERT_EQ(site().status, kExitOk);
  writeFile(dir.file("site/notes.txt"), "mine");
  std::string page;  // a page that the demos' removal takes away
  for (const auto& [name, time] : files()) page = name.starts_with("match-") ? name : page;
  writeFile(dir.file("site/" + page), "changed by hand");
  fs::remove_all(dir.path() / "demos");
  fs::create_directory(dir.path() / "demos");
  ASSERT_EQ(site().status, kExitOk);
  EXPECT_EQ(readFile(dir.file("site/notes.txt")), "mine");
  EXPECT_EQ(readFile(dir.file("site/" + page)), "changed by hand");

  writeFile(dir.file("site/.obitrak-site"), "something else");
  EXPECT_EQ(site().status, kExitFailed);
}

// Team play makes team results; an aliases file makes people in the site and the summary.
TEST_F(SiteTest, TeamPlayAndPeople) {
  writeFile(dir.file("people.txt"), "player \"Ann\" \"Dee\"\n");
  ASSERT_EQ(site({"--teamplay", "--aliases", dir.file("people.txt")}).status, kExitOk);
  int seen = 0;
  for (const auto& [name, time] : files()) {
    if (!name.starts_with("match-final") || !name.ends_with(".json")) continue;
    ++seen;
    const nlohmann::json match = nlohmann::json::parse(readFile(dir.path() / "site" / name));
    EXPECT_EQ(match["result"]["kind"], "teams");
    EXPECT_EQ(match["players"][3]["person"], "Ann");  // Dee, client 3
  }
  EXPECT_EQ(seen, 1);
  const CommandResult r = runCommand(
      {"--summary", "--format", "json", "--aliases", dir.file("people.txt"), dir.file("demos")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const nlohmann::json summary = nlohmann::json::parse(r.out);
  for (const nlohmann::json& p : summary["players"]) {
    EXPECT_NE(p["name"], "Dee");
    if (p["name"] == "Ann") {
      EXPECT_EQ(p["aliases"], nlohmann::json({"Dee"}));
    }
  }
}

// A demo that cannot be read is named and left out; the site is written all the same, and
// a run after it reads everything again.
TEST_F(SiteTest, AnUnreadableDemoIsNamedAndTheSiteWritten) {
  writeFile(dir.file("demos/broken.dm2.gz"),
            std::string("\x1f\x8b\x08\x00\0\0\0\0\0\x03 damaged", 18));
  CommandResult r = site();
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_NE(r.err.find("broken.dm2.gz: "), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(dir.file("site/index.html")));
  r = site();
  EXPECT_EQ(r.err.find("site unchanged"), std::string::npos) << r.err;
  for (const auto& [name, time] : files()) {
    if (name.ends_with(".json")) {
      EXPECT_NO_THROW(nlohmann::json::parse(readFile(dir.path() / "site" / name))) << name;
    }
  }
}

// A page that cannot be written ends the run as failed, naming the page; it never hangs it.
TEST_F(SiteTest, APageThatCannotBeWrittenFailsTheRunAndIsNamed) {
  ASSERT_EQ(site().status, kExitOk);
  std::string page;
  for (const auto& [name, time] : files()) {
    if (name.starts_with("match-final-") && name.ends_with(".html")) page = name;
  }
  ASSERT_FALSE(page.empty());
  fs::remove(dir.path() / "site" / page);
  fs::create_directory(dir.path() / "site" / page);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  writeFile(dir.file("demos/final.dm2"), smallTeamDemo());  // a new time: a new page
  const CommandResult r = site();
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_NE(r.err.find(page + ": "), std::string::npos) << r.err;
}

// What the pages say of a season: the ladder in rating order, a person's other names and
// record, a match's result.
TEST_F(SiteTest, PagesShowTheLadderPeopleAndResults) {
  writeFile(dir.file("people.txt"), "player \"Ann\" \"<b>&Co\"\n");
  ASSERT_EQ(site({"--aliases", dir.file("people.txt")}).status, kExitOk);
  const nlohmann::json summary = nlohmann::json::parse(readFile(dir.path() / "site/summary.json"));
  std::vector<std::pair<double, std::string>> rated;
  for (const nlohmann::json& p : summary["players"]) {
    if (!p["rating"].is_null()) rated.emplace_back(-p["rating"]["value"].get<double>(), p["name"]);
  }
  std::sort(rated.begin(), rated.end());
  const std::string index = readFile(dir.path() / "site/index.html");
  std::size_t at = 0;
  for (const auto& [value, name] : rated) {
    at = index.find(">" + siteText(name) + "</a>", at);
    EXPECT_NE(at, std::string::npos) << name << " in ladder order";
  }
  std::string ann;
  for (const auto& [name, time] : files()) {
    if (name.starts_with("player-ann-")) ann = readFile(dir.path() / "site" / name);
  }
  EXPECT_NE(ann.find("Also played as &lt;b&gt;&amp;Co."), std::string::npos);
  EXPECT_NE(ann.find("won, "), std::string::npos);
  EXPECT_NE(ann.find("<h2>Rating over time</h2>"), std::string::npos);
}

TEST_F(SiteTest, WrongUse) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--site", "s", "--summary", "d"},
                                             {"--site", "s", "--watch", "d"},
                                             {"--site", "s", "--output", "o", "d"},
                                             {"--aliases", "a", "d"},
                                             {"--watch", "d"}}) {
    EXPECT_EQ(runCommand(args).status, kExitUsage) << args[1];
  }
  writeFile(dir.file("people.txt"), "player \"a\"\nplayer \"b\" \"a\"\n");
  const CommandResult r = site({"--aliases", dir.file("people.txt")});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_NE(r.err.find("people.txt:2: \"a\" is already a name of \"a\" (line 1)"),
            std::string::npos)
      << r.err;
}

// The command as a server runs it: the site follows a demo that comes into the folder.
TEST_F(SiteTest, WatchPicksUpANewDemo) {
  const std::vector<std::string> args{
      OBITRAK_REPORT_EXE,   "--site",  site_dir(),       "--library",
      dir.file("l.sqlite"), "--watch", dir.file("demos")};
  // Ended and waited for however the test ends: a watcher left running would hold the
  // test's output open, and the test runner would wait for it for ever.
  struct Watcher {
    pid_t pid = ::fork();
    int status = 0;
    int end() {
      if (pid > 0 && ::kill(pid, SIGTERM) == 0) ::waitpid(pid, &status, 0);
      pid = -1;
      return status;
    }
    ~Watcher() { end(); }
  } watcher;
  ASSERT_GE(watcher.pid, 0);
  if (watcher.pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // nor does a test that is killed leave it behind
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  auto waitFor = [&](std::size_t count) {
    for (int i = 0;
         i < 600 && (!fs::exists(dir.file("site/summary.json")) || files().size() < count); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return fs::exists(site_dir()) ? files().size() : 0;
  };
  waitFor(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::size_t first = files().size();
  writeFile(dir.file("demos/new.dm2.part"), smallRematchDemo(true));
  fs::rename(dir.file("demos/new.dm2.part"), dir.file("demos/new.dm2"));
  EXPECT_GE(waitFor(first + 2), first + 2);
  fs::create_directory(dir.path() / "demos/late");  // a folder made while watching
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  writeFile(dir.file("demos/late/later.dm2"), smallRematchDemo());
  EXPECT_GE(waitFor(first + 4), first + 4);
  const int status = watcher.end();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}

}  // namespace
}  // namespace obitrak::test
