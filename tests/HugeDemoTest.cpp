#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "TestSupport.h"
#include "export/TextExport.h"

namespace obitrak::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct HugeDemo {
  std::uint64_t messages = 0;
  std::uint64_t textBytes = 0;
  std::uint64_t fileBytes = 0;
};

// Writes a demo of about `megabytes` MB whose blocks are full of chat lines of 60
// characters, straight to disk.
HugeDemo writeHugeDemo(const std::string& path, int megabytes) {
  HugeDemo demo;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr);
  std::string first =
      demoWithPlayers({{0, "Ann", "male/grunt"}, {1, "Bob", "female/athena"}}).finish(false);
  std::fwrite(first.data(), 1, first.size(), f);
  demo.fileBytes = first.size();
  DemoWriter w;
  const std::string line = "Ann: " + std::string(55, 'x') + "\n";
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
  demo.textBytes = demo.messages * (line.size() - 1);
  return demo;
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A demo of a few hundred MB made of print messages scans to the end, and its memory is
// that of the kept messages: each costs its text and a 32-byte record.
TEST(HugeDemo, PrintMessagesCostWhatTheyKeep) {
  TempDir dir;
  const std::string path = dir.file("huge.dm2");
  const HugeDemo demo = writeHugeDemo(path, kSanitized ? 48 : 256);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t pid = fork();
  if (pid == 0) {
    long before = peakKilobytes();
    DemoTables t;
    DemoScan(t, path);
    StringSink text;
    WriteTextDescription(t, path, false, text);
    long grown = peakKilobytes() - before;
    std::string answer = std::to_string(t.log.logCount) + " " + std::to_string(grown) + " " +
                         std::to_string(t.players[1].name == "Ann");
    ssize_t written = write(fds[1], answer.data(), answer.size());
    _exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 1);
  }
  close(fds[1]);
  char buf[128] = {};
  ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_GT(n, 0);
  unsigned long long logCount = 0;
  long grownKb = 0;
  int annFound = 0;
  ASSERT_EQ(std::sscanf(buf, "%llu %ld %d", &logCount, &grownKb, &annFound), 3);
  EXPECT_EQ(logCount, demo.messages);
  EXPECT_EQ(annFound, 1);
  const double boundKb =
      (static_cast<double>(demo.textBytes) + 32.0 * static_cast<double>(demo.messages)) / 1024 *
          1.1 +
      16 * 1024;
  std::cout << "[ NOTE ] " << demo.fileBytes / (1 << 20) << " MB demo, " << demo.messages
            << " messages: memory grew by " << grownKb / 1024 << " MB (bound " << boundKb / 1024
            << " MB)\n";
  if (!kSanitized) {
    EXPECT_LE(grownKb, boundKb);
  }
}

}  // namespace
}  // namespace obitrak::test
