#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DemoWriter.h"
#include "scan/DemoScan.h"
#include "scan/DemoTables.h"

namespace obitrak::test {

// Whether this build runs under AddressSanitizer, whose address reservations rule out
// tests of memory limits.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

using tools::DemoWriter;

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return m_path; }
  std::string file(const std::string& name) const { return (m_path / name).string(); }

 private:
  std::filesystem::path m_path;
};

// The folder of real demos, or empty when it is not there.
std::filesystem::path realDemosDir();
// The real demos and server recordings (.dm2, .mvd2), sorted.
std::vector<std::filesystem::path> realDemos();
std::filesystem::path sampleDemo();
std::filesystem::path testDataDir();

// Compares `actual` with the golden file `name` under tests/data. With the environment
// variable OBITRAK_UPDATE_GOLDEN=1 the golden file is rewritten instead.
void expectGolden(const std::string& name, const std::string& actual);

// A demo whose block 1 carries the server data (game directory `gameDir`) and the given
// players (client, name, skin) through config strings, as the game sends them.
struct PlayerSpec {
  int client;
  std::string name;
  std::string skin;
};
DemoWriter demoWithPlayers(const std::vector<PlayerSpec>& players, const std::string& map = "q2dm1",
                           int protocol = 34, const std::string& gameDir = "");

// `bytes` as one gzip member, the way gzip(1) writes it.
std::string gzipped(const std::string& bytes);

// Scans demo bytes into fresh tables.
DemoTables scanned(const std::string& bytes, ScanReport* report = nullptr);

// Runs `body` in a child process as an unprivileged user when the tests run as root, who
// reads and writes every file whatever its permissions; returns what `body` returned, or
// -1 when the child did not end normally.
int runUnprivileged(const std::function<int()>& body);

// What obitrak-report answered, run in this process.
struct CommandResult {
  int status;
  std::string out;
  std::string err;
};
CommandResult runCommand(const std::vector<std::string>& args,
                         const std::string& programFolder = {});

// The same run in a child process, as an unprivileged user when the tests run as root (who
// would pass checks that stop anyone else, and whose mistakes reach system files). A run that
// hangs is ended after a minute and answers status -1.
CommandResult runCommandUnprivileged(const std::vector<std::string>& args,
                                     const std::string& programFolder = {});

// Everything written to a temporary file, which is closed.
std::string contentsOf(std::FILE* f);

// Checks the invariants that every completed scan leaves in the tables.
void expectScanInvariants(const DemoTables& t);

}  // namespace obitrak::test
