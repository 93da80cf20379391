#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "cli/ReportCommand.h"
#include "library/LibraryStore.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A season of two demos in a folder and one named by itself.
class SummaryCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir.path() / "season");
    writeFile(dir.file("season/final.dm2"), smallTeamDemo());
    writeFile(dir.file("season/rematch.dm2"), smallRematchDemo());
    writeFile(dir.file("warmup.dm2"), demoWithPlayers({{0, "Ann", "male/grunt"}}).finish());
  }
  std::vector<std::string> demos() const { return {dir.file("season"), dir.file("warmup.dm2")}; }
  static std::vector<std::string> with(std::vector<std::string> args,
                                       const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  TempDir dir;
};

TEST_F(SummaryCommandTest, TotalsAreThoseOfTheDemosReports) {
  for (const bool teamPlay : {false, true}) {
    SCOPED_TRACE(teamPlay);
    const std::vector<std::string> mode =
        teamPlay ? std::vector<std::string>{"--teamplay"} : std::vector<std::string>{};
    std::map<std::string, std::int64_t> frags;
    for (const char* demo : {"season/final.dm2", "season/rematch.dm2", "warmup.dm2"}) {
      const CommandResult r = runCommand(with(mode, {"--format", "json", dir.file(demo)}));
      ASSERT_EQ(r.status, kExitOk) << r.err;
      const json report = json::parse(r.out);
      for (const json& p : report["players"]) {
        if (p["status"] == "ranked") frags[p["name"].get<std::string>()] += p["frags"].get<int>();
      }
    }
    const CommandResult r =
        runCommand(with(with(mode, {"--summary", "--format", "json"}), demos()));
    ASSERT_EQ(r.status, kExitOk) << r.err;
    const json summary = json::parse(r.out);
    EXPECT_EQ(summary["demoCount"], 3);
    for (const json& p : summary["players"])
      EXPECT_EQ(p["frags"].get<int>(), frags[p["name"].get<std::string>()]) << p["name"];
  }
}

TEST_F(SummaryCommandTest, TheLibraryChangesNothingInTheOutput) {
  const std::string library = dir.file("library.sqlite");
  for (const char* format : {"text", "html", "json"}) {
    SCOPED_TRACE(format);
    const std::vector<std::string> args = with({"--summary", "--format", format}, demos());
    const CommandResult fresh = runCommand(args);
    const CommandResult first = runCommand(with({"--library", library}, args));
    const CommandResult second = runCommand(with({"--library", library}, args));
    EXPECT_EQ(first.out, fresh.out);
    EXPECT_EQ(second.out, fresh.out);
    EXPECT_EQ(second.err, fresh.err);
  }
}

TEST_F(SummaryCommandTest, UnreadableDemosAreNamedAndLeftOut) {
  const std::string missing = dir.file("missing.dm2");
  const CommandResult r = runCommand(with({"--summary", missing}, demos()));
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_EQ(r.err, missing + ": File not found\n");
  EXPECT_NE(r.out.find("Demos       : 3\r\nUnreadable  : 1\r\n"), std::string::npos);
}

TEST_F(SummaryCommandTest, WrongUseAndRefusedOutputs) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{"--summary", "--format", "log"}, kExitUsage, "--summary is written as text, html or json"},
      {{"--library", "lib.sqlite"}, kExitUsage, "--library is used with --summary"},
      {{"--summary", "--output", dir.file("warmup.dm2")}, kExitFailed, "would overwrite a demo"},
      {{"--summary", "--library", dir.file("warmup.dm2")}, kExitFailed, "not an Obitrak library"},
  };
  const std::string before = readFile(dir.file("warmup.dm2"));
  for (const auto& c : cases) {
    const CommandResult r = runCommand(with(c.args, demos()));
    EXPECT_EQ(r.status, c.status) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_EQ(readFile(dir.file("warmup.dm2")), before);

  const CommandResult progress =
      runCommand(with({"--summary", "--progress", dir.file("season/final.dm2")}, demos()));
  EXPECT_EQ(progress.err, "3 demos: 3 read, 0 failed\n");  // a demo named twice counts once

  const CommandResult written =
      runCommand(with({"--summary", "--output", dir.file("summary.txt")}, demos()));
  EXPECT_EQ(written.status, kExitOk);
  EXPECT_EQ(written.out, "");
  EXPECT_EQ(readFile(dir.file("summary.txt")), runCommand(with({"--summary"}, demos())).out);
}

TEST_F(SummaryCommandTest, ThePackAndVanishedDemosReachTheLibrary) {
  const std::string library = dir.file("library.sqlite");
  const std::string pack = dir.file("mod.pack");
  writeFile(pack, "self \"tripped over\"\n");
  auto summary = [&](const std::vector<std::string>& more) {
    const CommandResult r =
        runCommand(with(with({"--summary", "--format", "json"}, more), demos()));
    EXPECT_EQ(r.status, kExitOk) << r.err;
    return r.out;
  };
  const std::string withPack = summary({"--phrases", pack});
  EXPECT_EQ(summary({"--library", library, "--phrases", pack}), withPack);
  EXPECT_NE(withPack.find("\"phrasePack\": \"mod.pack\""), std::string::npos);
  EXPECT_EQ(summary({"--library", library}), summary({}));

  fs::remove(dir.file("season/rematch.dm2"));
  EXPECT_EQ(summary({"--library", library}), summary({}));
  EXPECT_EQ(LibraryStore(library).rows().size(), 2u);
}

}  // namespace
}  // namespace obitrak::test
