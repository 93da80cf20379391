#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#include "TestSupport.h"
#include "export/TextExport.h"
#include "stats/RankedPlayers.h"

namespace obitrak::test {
namespace {

struct HugeDemo {
  std::uint64_t messages = 0;
  std::uint64_t textBytes = 0;
  std::uint64_t fileBytes = 0;
};

// Writes a demo of about `megabytes` MB whose blocks are full of print messages with the
// text `line`, straight to disk.
HugeDemo writeHugeDemo(const std::string& path, int megabytes, const std::string& line) {
  HugeDemo demo;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr);
  std::string first =
      demoWithPlayers({{0, "Ann", "male/grunt"}, {1, "Bob", "female/athena"}}).finish(false);
  std::fwrite(first.data(), 1, first.size(), f);
  demo.fileBytes = first.size();
  DemoWriter w;
  while (w.currentBlockSize() + line.size() + 3 <= 1400) {
    w.print(3, line);
    ++demo.messages;
  }
  std::string block = w.endBlock().finish(false);
  const std::uint64_t perBlock = demo.messages;
  demo.messages = 0;
  std::string chunk;
  for (int i = 0; i < 512; ++i) chunk += block;
  while (demo.fileBytes < static_cast<std::uint64_t>(megabytes) << 20) {
    std::fwrite(chunk.data(), 1, chunk.size(), f);
    demo.fileBytes += chunk.size();
    demo.messages += 512 * perBlock;
  }
  std::int32_t end = -1;
  std::fwrite(&end, 4, 1, f);
  std::fclose(f);
  demo.textBytes = demo.messages * (line.empty() ? 0 : line.size() - 1);
  return demo;
}

struct ScanOutcome {
  unsigned long long logCount = 0;
  long grownKb = 0;
  int annFound = 0;
  bool logFull = false;
};

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Scans the demo and writes its text description in a child process, whose peak memory
// is its own.
ScanOutcome scanInChild(const std::string& path) {
  int fds[2];
  ScanOutcome outcome;
  if (pipe(fds) != 0) return outcome;
  pid_t pid = fork();
  if (pid == 0) {
    long before = peakKilobytes();
    DemoTables t;
    ScanReport report = DemoScan(t, path);
    StringSink text;
    recomputeAllWeapons(t, false);
    WriteTextDescription(t, path, false, text);
    long grown = peakKilobytes() - before;
    std::string answer = std::to_string(t.log.logCount) + " " + std::to_string(grown) + " " +
                         std::to_string(t.players[1].name == "Ann") + " " +
                         std::to_string(report.statusPanel1 == kNoticeMessageLogFull);
    ssize_t written = write(fds[1], answer.data(), answer.size());
    _exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 1);
  }
  close(fds[1]);
  char buf[128] = {};
  ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GT(n, 0);
  int full = 0;
  EXPECT_EQ(std::sscanf(buf, "%llu %ld %d %d", &outcome.logCount, &outcome.grownKb,
                        &outcome.annFound, &full),
            4);
  outcome.logFull = full != 0;
  return outcome;
}

// A demo of a few hundred MB made of print messages scans to the end, and its memory is
// that of the kept messages: each costs its text and a 32-byte record, and the log keeps
// no more than its limits allow.
TEST(HugeDemo, PrintMessagesCostWhatTheyKeep) {
  for (const std::string& line : {"Ann: " + std::string(55, 'x') + "\n", std::string()}) {
    TempDir dir;
    const std::string path = dir.file("huge.dm2");
    const HugeDemo demo = writeHugeDemo(path, kSanitized ? 48 : 256, line);
    const MessageLogLimits limits;
    const std::uint64_t textSize = line.empty() ? 0 : line.size() - 1;
    std::uint64_t kept = std::min<std::uint64_t>(demo.messages, limits.records);
    if (textSize != 0) kept = std::min<std::uint64_t>(kept, limits.textBytes / textSize);
    const ScanOutcome scan = scanInChild(path);
    EXPECT_EQ(scan.logCount, kept);
    EXPECT_EQ(scan.logFull, kept < demo.messages);
    EXPECT_EQ(scan.annFound, 1);
    const double boundKb =
        (static_cast<double>(kept * textSize) + 32.0 * static_cast<double>(kept)) / 1024 * 1.1 +
        16 * 1024;
    std::cout << "[ NOTE ] " << demo.fileBytes / (1 << 20) << " MB demo, " << demo.messages
              << " messages of " << textSize << " bytes: memory grew by " << scan.grownKb / 1024
              << " MB (bound " << boundKb / 1024 << " MB)\n";
    if (!kSanitized) {
      EXPECT_LE(scan.grownKb, boundKb);
    }
  }
}

}  // namespace
}  // namespace obitrak::test
