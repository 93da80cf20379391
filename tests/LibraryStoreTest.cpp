#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "library/AnalysisVersion.h"
#include "library/LibraryIndexer.h"
#include "library/LibraryPlace.h"
#include "library/LibraryStore.h"
#include "scan/PhrasePack.h"

namespace obitrak::test {
namespace {

namespace fs = std::filesystem;

struct Indexed {
  IndexCounts counts;
  std::vector<IndexOutcome> outcomes;  // in the order of the demos given
};

// A folder of three demos and a library beside it.
class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir.path() / "demos");
    writeFile(demos[0], smallTeamDemo());
    writeFile(demos[1], smallRematchDemo());
    writeFile(demos[2], demoWithPlayers({{0, "Ann", "male/grunt"}}).frameBlocks(30).finish());
  }

  Indexed index(const PhrasePack* pack = nullptr, const std::atomic<bool>* cancel = nullptr) {
    LibraryStore store(library);
    LibraryIndexer indexer(&store, pack, 2);
    Indexed run;
    run.counts = indexer.run(
        demos, [&](IndexOutcome&& o) { run.outcomes.push_back(std::move(o)); }, cancel);
    std::sort(run.outcomes.begin(), run.outcomes.end(),
              [](const auto& a, const auto& b) { return a.index < b.index; });
    return run;
  }

  TempDir dir;
  std::string library = dir.file("library.sqlite");
  std::vector<std::string> demos{dir.file("demos/a.dm2"), dir.file("demos/b.dm2"),
                                 dir.file("demos/c.dm2")};
};

// A key made from the current folder asked for once is the key made from scratch.
TEST(LibraryKey, FromAGivenBaseIsTheSame) {
  const std::string base = libraryBase();
  ASSERT_FALSE(base.empty());
  for (const std::string path :
       {"a.dm2", "./a/../b/c.dm2", "../x/./y.dm2", "/abs/./p/../q.dm2", "/", "", "."}) {
    EXPECT_EQ(libraryKey(path, base), libraryKey(path)) << path;
  }
}

TEST_F(LibraryTest, UnchangedDemosAreReusedAndChangedOnesScannedAgain) {
  const Indexed first = index();
  EXPECT_EQ(first.counts.scanned, 3u);
  ASSERT_EQ(first.outcomes.size(), 3u);
  DemoResult fresh = ScanDemoResult(demos[1], nullptr);
  EXPECT_EQ(first.outcomes[1].result.players, fresh.players);
  EXPECT_EQ(first.outcomes[1].result.kills, fresh.kills);

  const Indexed second = index();
  EXPECT_EQ(second.counts.reused, 3u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(second.outcomes[i].result, first.outcomes[i].result);

  writeFile(demos[1], smallRematchDemo(true));
  const Indexed third = index();
  EXPECT_EQ(third.counts.scanned, 1u);
  EXPECT_EQ(third.counts.reused, 2u);
  EXPECT_EQ(third.outcomes[1].kind, IndexOutcome::Kind::Scanned);
  EXPECT_NE(third.outcomes[1].result.kills, first.outcomes[1].result.kills);

  const PhrasePackLoad pack = ParsePhrasePack("kill RL \"was spread around\"\n", "mod.pack");
  ASSERT_TRUE(pack.pack);
  EXPECT_EQ(index(&*pack.pack).counts.scanned, 3u);
  EXPECT_EQ(index(&*pack.pack).counts.reused, 3u);
}

TEST_F(LibraryTest, VanishedAndUnreadableDemosAreUpdated) {
  index();
  fs::remove(demos[0]);
  fs::remove(demos[2]);
  fs::create_directory(demos[2]);  // a folder where the demo was cannot be read
  const Indexed run = index();
  EXPECT_EQ(run.counts.failed, 2u);
  EXPECT_EQ(run.outcomes[2].kind, IndexOutcome::Kind::Failed);
  LibraryStore store(library);
  const std::vector<LibraryRow> rows = store.rows(dir.file("demos"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].path, libraryKey(demos[1]));
  EXPECT_FALSE(rows[1].error.empty());

  fs::remove(demos[1]);
  LibraryIndexer indexer(&store, nullptr, 1);
  EXPECT_EQ(indexer.removeVanished({dir.file("demos")}), 1u);
  EXPECT_EQ(store.rows().size(), 1u);
}

TEST_F(LibraryTest, CancelledRunKeepsWhatItDid) {
  std::atomic<bool> cancel{false};
  LibraryStore store(library);
  LibraryIndexer indexer(&store, nullptr, 1);
  const IndexCounts counts = indexer.run(
      demos, [&](IndexOutcome&&) { cancel = true; }, &cancel);
  EXPECT_TRUE(counts.cancelled);
  const Indexed next = index();
  EXPECT_EQ(next.counts.reused, counts.scanned);
  EXPECT_EQ(next.counts.scanned, 3 - counts.scanned);
}

TEST_F(LibraryTest, EarlierSchemaIsMigratedAndItsDemosScannedAgain) {
  for (const int version : {1, 2}) {
    SCOPED_TRACE(version);
    fs::remove(library);
    LibraryStore::createWithSchema(library, version);
    {
      SqliteDb db(library);
      SqliteStatement insert(
          db,
          "INSERT INTO demos(id, path, size, modified, analysis, error, protocol, game_dir,"
          " view_player, view_from, map, level_message, bsp, duration, player_count, names,"
          " winner, winner_frags) VALUES(1, ?, 0, 0, 'old', NULL, 34, '', 0, '', 'q2dm1', '',"
          " '', 60, 0, '', '', 0)");
      insert.bind(1, libraryKey(demos[0])).run();
    }
    {
      LibraryStore store(library);
      EXPECT_EQ(store.db().number("PRAGMA user_version"), kLibrarySchemaVersion);
      ASSERT_TRUE(store.stateOf(libraryKey(demos[0])));
      EXPECT_EQ(store.stateOf(libraryKey(demos[0]))->analysis, "");
    }
    EXPECT_EQ(index().counts.scanned, 3u);
  }
}

TEST_F(LibraryTest, FilesThatAreNoLibraryAreRefusedAndLeftAlone) {
  const std::string other = dir.file("other.sqlite");
  LibraryStore::createWithSchema(other, kLibrarySchemaVersion);
  const struct {
    const char* name;
    std::function<void(const std::string&)> make;
    const char* message;
  } cases[] = {
      {"text", [](const std::string& p) { writeFile(p, std::string(4096, 'x')); },
       "not an Obitrak library"},
      {"empty", [](const std::string& p) { writeFile(p, ""); }, "not an Obitrak library"},
      {"foreign",
       [](const std::string& p) {
         writeFile(p, "");
         SqliteDb(p).exec("CREATE TABLE notes(text)");
       },
       "not an Obitrak library"},
      {"newer",
       [](const std::string& p) {
         LibraryStore::createWithSchema(p, kLibrarySchemaVersion);
         SqliteDb(p).exec("PRAGMA user_version = 99");
       },
       "made by a newer Obitrak"},
      {"link", [&](const std::string& p) { fs::create_symlink(other, p); }, "a link"},
      {"damaged",
       [](const std::string& p) {
         LibraryStore::createWithSchema(p, kLibrarySchemaVersion);
         std::string bytes = readFile(p);
         std::fill(bytes.begin() + 100, bytes.end(), '\xA5');
         writeFile(p, bytes);
       },
       "damaged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.file(std::string(c.name) + ".sqlite");
    c.make(path);
    const std::string before = readFile(path);
    try {
      LibraryStore store(path);
      store.states();
      ADD_FAILURE() << "opened";
    } catch (const LibraryError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(path), before);
  }
}

TEST_F(LibraryTest, TwoProgramsIndexTheSameLibraryAtOnce) {
  LibraryStore::createWithSchema(library, kLibrarySchemaVersion);
  const PhrasePackLoad pack = ParsePhrasePack("self \"tripped\"\n", "mod.pack");
  std::atomic<int> errors{0};
  auto indexer = [&](const PhrasePack* p) {
    try {
      for (int round = 0; round < 5; ++round) {
        LibraryStore store(library);
        LibraryIndexer(&store, round % 2 == 0 ? p : nullptr, 1).run(demos, [](IndexOutcome&&) {});
      }
    } catch (const std::exception&) {
      ++errors;
    }
  };
  std::thread one(indexer, nullptr);
  std::thread two(indexer, &*pack.pack);
  one.join();
  two.join();
  EXPECT_EQ(errors, 0);
  LibraryStore store(library);
  EXPECT_EQ(store.rows().size(), 3u);
  SqliteStatement check(store.db(), "PRAGMA integrity_check");
  ASSERT_TRUE(check.step());
  EXPECT_EQ(check.bytes(0), "ok");
}

TEST_F(LibraryTest, EveryFactComesBackAsStored) {
  DemoResult result = ScanDemoResult(demos[0], nullptr);
  result.notices = {"BAD BLOCK. READING STOPPED.", "MESSAGE LOG FULL."};
  result.serverRecording = true;
  result.size = 12345;
  result.modified = {1'700'000'000, 123'456'789};
  LibraryStore store(library);
  for (const std::optional<bool> agrees :
       {std::optional<bool>(), std::optional(true), std::optional(false)}) {
    result.scoreboardAgrees = agrees;
    store.save("/season/a.dm2", result, "v");
    std::optional<DemoResult> loaded = store.load("/season/a.dm2");
    ASSERT_TRUE(loaded);
    loaded->path = result.path;
    EXPECT_EQ(*loaded, result);
  }
  store.db().exec("UPDATE demos SET kill_counts = x'01'");
  EXPECT_THROW(store.load("/season/a.dm2"), LibraryError);
  store.db().exec("UPDATE demos SET kill_counts = x'', deaths = x'0102'");
  EXPECT_THROW(store.load("/season/a.dm2"), LibraryError);
}

// Names, texts and paths are bytes of no particular character set.
TEST_F(LibraryTest, BytesStayBytes) {
  DemoResult result = ScanDemoResult(demos[1], nullptr);
  result.players.front().name = std::string("\x80\xff\0zed", 6);
  result.levelMessage = "line\nfeed\xe7";
  const std::string path = "/d/\xe9t\xe9.dm2";
  LibraryStore store(library);
  store.save(path, result, "v");
  std::optional<DemoResult> loaded = store.load(path);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->path, path);
  loaded->path = result.path;
  EXPECT_EQ(*loaded, result);
  EXPECT_EQ(store.rows("/d").front().names.substr(0, 7), std::string("\x80\xff\0zed\n", 7));
}

TEST_F(LibraryTest, AFolderHoldsOnlyWhatIsBelowIt) {
  LibraryStore store(library);
  const DemoResult result = ScanDemoResult(demos[2], nullptr);
  for (const char* path : {"/d/a.dm2", "/d/sub/b.dm2", "/d2/c.dm2", "/d-x/d.dm2", "/e.dm2"})
    store.save(path, result, "v");
  const struct {
    const char* folder;
    std::size_t rows;
  } cases[] = {{"/d", 2}, {"/d/", 2}, {"/d/sub", 1}, {"/d2", 1}, {"", 5}, {"/none", 0}};
  for (const auto& c : cases) EXPECT_EQ(store.rows(c.folder).size(), c.rows) << c.folder;
}

TEST(AnalysisVersion, FollowsThePacksLines) {
  auto version = [](const char* lines) {
    const PhrasePackLoad load = ParsePhrasePack(lines, "mod.pack");
    return AnalysisVersion(&*load.pack);
  };
  const std::string builtIn = AnalysisVersion(nullptr);
  EXPECT_EQ(version("kill RL \"spread\"\n"), version("# a comment\nkill 7 \"spread\"\n"));
  for (const char* other : {"kill RL \"spread\"\nself \"tripped\"\n", "kill RG \"spread\"\n",
                            "kill RL \"spread \"\n", "self \"spread\"\n"}) {
    EXPECT_NE(version(other), version("kill RL \"spread\"\n")) << other;
    EXPECT_NE(version(other), builtIn) << other;
  }
}

TEST(LibraryPlace, DataHomeOrHome) {
  const struct {
    const char* dataHome;
    const char* home;
    const char* path;
  } cases[] = {
      {"/x/data", "/home/ann", "/x/data/obitrak/library.sqlite"},
      {"/x/data/", "/home/ann", "/x/data/obitrak/library.sqlite"},
      {"", "/home/ann", "/home/ann/.local/share/obitrak/library.sqlite"},
      {"relative", "/home/ann", "/home/ann/.local/share/obitrak/library.sqlite"},
      {nullptr, "/home/ann", "/home/ann/.local/share/obitrak/library.sqlite"},
      {nullptr, nullptr, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(defaultLibraryPath(c.dataHome, c.home), c.path);
}

TEST(LibraryRealDemos, StoredResultsAreTheScannedOnes) {
  if (realDemosDir().empty()) GTEST_SKIP() << "no real demos in ../shared/demos";
  TempDir dir;
  LibraryStore store(dir.file("library.sqlite"));
  std::vector<std::string> paths;
  for (const fs::path& demo : realDemos()) paths.push_back(demo.string());
  std::vector<IndexOutcome> first;
  LibraryIndexer(&store, nullptr, 2).run(paths, [&](IndexOutcome&& o) {
    first.push_back(std::move(o));
  });
  std::size_t reused = 0;
  LibraryIndexer(&store, nullptr, 2).run(paths, [&](IndexOutcome&& o) {
    ++reused;
    auto scanned = std::find_if(first.begin(), first.end(),
                                [&](const IndexOutcome& f) { return f.index == o.index; });
    ASSERT_NE(scanned, first.end());
    EXPECT_EQ(o.kind, IndexOutcome::Kind::Reused) << o.result.path;
    EXPECT_EQ(o.result, scanned->result) << o.result.path;
  });
  EXPECT_EQ(reused, paths.size());
}

}  // namespace
}  // namespace obitrak::test
