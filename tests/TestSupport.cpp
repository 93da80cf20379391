#include "TestSupport.h"

#include "cli/ReportCommand.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace obitrak::test {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TempDir::TempDir() {
  std::random_device rd;
  for (;;) {
    m_path = fs::temp_directory_path() / ("obitrak-test-" + std::to_string(rd()));
    if (fs::create_directory(m_path)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(m_path, ec);
}

fs::path realDemosDir() {
  fs::path dir(OBITRAK_DEMOS_DIR);
  return fs::is_directory(dir) ? dir : fs::path();
}

std::vector<fs::path> realDemos() {
  std::vector<fs::path> demos;
  fs::path dir = realDemosDir();
  if (dir.empty()) return demos;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const fs::path extension = entry.path().extension();
    if (extension == ".dm2" || extension == ".mvd2") demos.push_back(entry.path());
  }
  std::sort(demos.begin(), demos.end());
  return demos;
}

std::string gzipped(const std::string& bytes) {
  z_stream s{};
  EXPECT_EQ(deflateInit2(&s, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&s, static_cast<uLong>(bytes.size())), '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  s.avail_in = static_cast<uInt>(bytes.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

fs::path sampleDemo() {
  return fs::path(OBITRAK_SAMPLE_DEMO);
}
fs::path testDataDir() {
  return fs::path(OBITRAK_TEST_DATA_DIR);
}

void expectGolden(const std::string& name, const std::string& actual) {
  fs::path path = testDataDir() / name;
  const char* update = std::getenv("OBITRAK_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    writeFile(path, actual);
    return;
  }
  ASSERT_TRUE(fs::exists(path)) << "missing golden file " << path;
  std::string expected = readFile(path);
  EXPECT_EQ(expected, actual) << "output differs from " << path;
}

int runUnprivileged(const std::function<int()>& body) {
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(121);
    int status = body();
    std::fflush(nullptr);
    _exit(status);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

std::string contentsOf(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
  std::fclose(f);
  return s;
}

CommandResult runCommand(const std::vector<std::string>& args, const std::string& programFolder) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  int status = runReportCommand(args, out, err, programFolder);
  return {status, contentsOf(out), contentsOf(err)};
}

namespace {

void writeAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

std::string readAll(int fd) {
  std::string bytes;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

}  // namespace

CommandResult runCommandUnprivileged(const std::vector<std::string>& args,
                                     const std::string& programFolder) {
  int channel[2];
  if (::pipe(channel) != 0) return {-1, "", "no pipe"};
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    ::close(channel[0]);
    ::alarm(60);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(121);
    CommandResult r = runCommand(args, programFolder);
    writeAll(channel[1],
             std::to_string(r.status) + " " + std::to_string(r.out.size()) + "\n" + r.out + r.err);
    _exit(0);
  }
  ::close(channel[1]);
  const std::string answer = readAll(channel[0]);
  ::close(channel[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  std::size_t lineEnd = answer.find('\n');
  if (!WIFEXITED(wstatus) || WEXITSTATUS(wstatus) != 0 || lineEnd == std::string::npos) {
    return {-1, "", "the run did not end normally (wait status " + std::to_string(wstatus) + ")"};
  }
  std::istringstream head(answer.substr(0, lineEnd));
  int status = 0;
  std::size_t outSize = 0;
  head >> status >> outSize;
  return {status, answer.substr(lineEnd + 1, outSize), answer.substr(lineEnd + 1 + outSize)};
}

DemoWriter demoWithPlayers(const std::vector<PlayerSpec>& players, const std::string& map,
                           int protocol, const std::string& gameDir) {
  DemoWriter w;
  w.serverData(protocol, gameDir, 0, map);
  w.levelMessage(map + " message");
  w.mapModel("maps/" + map + ".bsp");
  for (const PlayerSpec& p : players) w.player(p.client, p.name, p.skin);
  w.endBlock();
  return w;
}

DemoTables scanned(const std::string& bytes, ScanReport* report) {
  DemoTables t;
  ScanReport r = DemoScanBytes(t, bytes);
  if (report != nullptr) *report = r;
  return t;
}

void expectScanInvariants(const DemoTables& t) {
  const PlayerTable& p = t.players;
  ASSERT_EQ(p.slotCount, p.playerCount + p.idleCount + p.emptyCount);
  std::vector<int> placeSeen(p.playerCount + 1, 0);
  for (int s = 1; s <= kMaxSlots; ++s) {
    int rank = p[s].rank;
    if (s > p.slotCount) {
      EXPECT_EQ(rank, 0) << "slot " << s;
      EXPECT_TRUE(p[s].name.empty()) << "slot " << s;
      continue;
    }
    if (rank == kRankIdle || rank == kRankEmpty) continue;
    ASSERT_GE(rank, 1) << "slot " << s;
    ASSERT_LE(rank, p.playerCount) << "slot " << s;
    ++placeSeen[static_cast<std::size_t>(rank)];
  }
  for (int place = 1; place <= p.playerCount; ++place)
    EXPECT_EQ(placeSeen[static_cast<std::size_t>(place)], 1);

  const KillMatrix& km = t.killMatrix;
  for (int v = 1; v <= kMaxSlots; ++v) {
    for (int k = 1; k <= kMaxSlots; ++k) {
      std::uint64_t weaponSum = 0;
      for (int w = 0; w < kWeaponIndices; ++w) {
        std::uint32_t cell = km(v, k, w);
        if (v > p.slotCount || k > p.slotCount || w > t.weapons.count() || (v == k && w != 0)) {
          EXPECT_EQ(cell, 0u) << v << "," << k << "," << w;
        }
        if (w >= 1) weaponSum += cell;
      }
      if (v != k) {
        EXPECT_EQ(km(v, k, 0), weaponSum) << v << "," << k;
      }
    }
  }
  for (int a = 1; a <= p.slotCount; ++a) {
    std::int64_t kills = 0;
    std::int64_t deaths = 0;
    for (int x = 1; x <= p.slotCount; ++x) {
      if (x != a) kills += km(x, a, 0);
      deaths += km(a, x, 0);
    }
    EXPECT_EQ(p[a].kills, kills) << "slot " << a;
    EXPECT_EQ(p[a].frags, kills - km(a, a, 0)) << "slot " << a;
    EXPECT_EQ(p[a].deaths, deaths) << "slot " << a;
  }
  for (std::uint32_t r = 1; r <= t.log.logCount; ++r) {
    const LogRecord& rec = t.log[r];
    bool none = rec.killer == 0 && rec.victim == 0;
    bool counted = rec.killer >= 1 && rec.victim >= 1 && rec.killer <= p.slotCount &&
                   rec.victim <= p.slotCount;
    EXPECT_TRUE(none || counted) << "record " << r;
    for (char c : rec.text) EXPECT_LT(static_cast<unsigned char>(c), 128u) << "record " << r;
  }
}

}  // namespace obitrak::test
