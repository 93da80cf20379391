#include "cli/ReportCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>

#include "cli/ReportFile.h"
#include "cli/ReportOptions.h"
#include "cli/ReportPlan.h"
#include "export/ByteSink.h"
#include "export/HtmlColors.h"
#include "export/HtmlExport.h"
#include "export/JsonExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/DemoScan.h"
#include "scan/FileError.h"
#include "stats/Scoreboard.h"
#include "stats/Tally.h"

#ifndef OBITRAK_VERSION
#define OBITRAK_VERSION "unknown"
#endif

namespace obitrak {

namespace {

namespace fs = std::filesystem;

void print(std::FILE* stream, std::string_view text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

// A stream such as standard output as a checked byte sink.
class StreamSink : public ByteSink {
 public:
  explicit StreamSink(std::FILE* stream) : m_stream(stream) {}
  void write(std::string_view bytes) override {
    if (bytes.empty()) return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_stream) != bytes.size()) fail();
  }
  void close() {
    errno = 0;
    if (std::fflush(m_stream) != 0) fail();
  }

 private:
  [[noreturn]] void fail() { throwFileError(errno != 0 ? errno : EIO, ""); }
  std::FILE* m_stream;
};

struct JobResult {
  bool ok = false;
  std::string messages;  // lines for standard error
};

class ReportRun {
 public:
  ReportRun(const ReportOptions& o, std::FILE* out, std::FILE* err)
      : m_o(o), m_out(out), m_err(err) {}

  int run(const std::string& programFolder) {
    if (m_o.format->format == ReportFormat::Html && !loadColors(programFolder)) {
      return kExitFailed;
    }
    m_plan = planReports(m_o);
    print(m_err, m_plan.messages);
    if (m_plan.jobs.empty()) return m_plan.failed ? kExitFailed : kExitOk;
    std::optional<TemporaryFileCleanup> cleanup;
    if (!m_plan.toStandardOutput) cleanup.emplace();
    std::vector<JobResult> results = runJobs();
    std::size_t failed = 0;
    for (const JobResult& r : results) failed += r.ok ? 0 : 1;
    if (showProgress()) {
      print(m_err, progressPrefix() + std::to_string(results.size()) +
                       " demos: " + std::to_string(results.size() - failed) + " written, " +
                       std::to_string(failed) + " failed\n");
    }
    return failed == 0 && !m_plan.failed ? kExitOk : kExitFailed;
  }

 private:
  bool showProgress() const {
    return !m_plan.toStandardOutput && (m_o.progress || ::isatty(::fileno(m_err)) != 0);
  }
  std::string progressPrefix() const { return ::isatty(::fileno(m_err)) != 0 ? "\r\033[K" : ""; }

  // The colours as the desktop application would use them, or from --colors.
  bool loadColors(const std::string& programFolder) {
    if (m_o.colors) {
      std::error_code ec;
      try {
        if (!fs::exists(*m_o.colors, ec)) throw FileError(kFileNotFound);
        LoadHtmlColors(m_colors, *m_o.colors);
      } catch (const FileError& e) {
        print(m_err, *m_o.colors + ": " + e.what() + "\n");
        return false;
      }
      return true;
    }
    std::string folder = programFolder;
    if (folder.empty()) {
      std::error_code ec;
      fs::path self = fs::read_symlink("/proc/self/exe", ec);
      folder = ec ? std::string(".") : self.parent_path().string();
    }
    std::string path = colorSettingsPath((fs::path(folder) / "obitrak").string());
    try {
      LoadHtmlColors(m_colors, path);
    } catch (const FileError& e) {
      // The desktop application goes on with the default colours; so do we.
      print(m_err, path + ": " + e.what() + " (using the default colours)\n");
    }
    return true;
  }

  // Starts up to `wanted` threads running `worker`; where the system refuses more, the
  // run goes on with those it has (and with none, on this thread) after a warning.
  template <typename Worker>
  std::vector<std::thread> startThreads(unsigned wanted, Worker& worker) {
    std::vector<std::thread> pool;
    try {
      for (unsigned t = 0; t < wanted; ++t) pool.emplace_back(worker);
    } catch (const std::system_error& e) {
      print(m_err, "obitrak-report: could start only " + std::to_string(pool.size()) + " of " +
                       std::to_string(wanted) + " threads (" + e.what() + "); going on with " +
                       std::to_string(std::max<std::size_t>(pool.size(), 1)) + "\n");
    }
    return pool;
  }

  // Works on the jobs with the chosen number of threads and prints each job's messages in
  // input order, so the output is the same whatever the number of threads.
  std::vector<JobResult> runJobs() {
    const std::size_t count = m_plan.jobs.size();
    std::vector<JobResult> results(count);
    std::vector<bool> done(count, false);
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t next = 0;

    unsigned threads = m_o.jobs != 0 ? m_o.jobs : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    auto worker = [&]() {
      for (;;) {
        std::size_t i;
        {
          std::lock_guard lock(mutex);
          if (next == count) return;
          i = next++;
        }
        JobResult r = reportOne(m_plan.jobs[i]);
        {
          std::lock_guard lock(mutex);
          results[i] = std::move(r);
          done[i] = true;
        }
        finished.notify_all();
      }
    };
    std::vector<std::thread> pool = startThreads(threads, worker);
    if (pool.empty()) worker();

    for (std::size_t i = 0; i < count; ++i) {
      std::unique_lock lock(mutex);
      finished.wait(lock, [&] { return done[i]; });
      std::string messages = results[i].messages;
      lock.unlock();
      if (!messages.empty()) print(m_err, (showProgress() ? progressPrefix() : "") + messages);
      if (showProgress()) {
        std::string line =
            std::to_string(i + 1) + "/" + std::to_string(count) + " " + m_plan.jobs[i].demo;
        print(m_err, progressPrefix().empty() ? line + "\n" : progressPrefix() + line);
      }
    }
    for (std::thread& t : pool) t.join();
    return results;
  }

  void writeReport(DemoTables& tables, const ReportJob& job, const ScanReport& scan,
                   ByteSink& out) {
    switch (m_o.format->format) {
      case ReportFormat::Text:
        WriteTextDescription(tables, job.demo, m_o.teamPlay, out);
        break;
      case ReportFormat::Log:
        WriteLog(tables, out);
        break;
      case ReportFormat::Html:
        WriteHtmlDescription(tables, job.demo, m_o.teamPlay, m_colors, out);
        break;
      case ReportFormat::Json:
        WriteJsonReport(tables, job.demo, m_o.teamPlay, scan.notices, out, pack());
        break;
    }
  }

  // Scans one demo and writes its report. A demo that needs more memory than there is
  // fails alone; the run goes on with the next.
  JobResult reportOne(const ReportJob& job) {
    JobResult result;
    try {
      reportOne(job, result);
    } catch (const std::bad_alloc&) {
      result.ok = false;
      result.messages += job.demo + ": Out of memory\n";
    }
    return result;
  }

  void reportOne(const ReportJob& job, JobResult& result) {
    if (!job.problem.empty()) {
      result.messages = job.demo + ": " + job.problem + "\n";
      return;
    }
    // Only a regular file is read: a device or a pipe never ends or blocks.
    struct stat st {};
    if (::stat(job.demo.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
      result.messages = job.demo + ": " + std::string(kNotARegularFile) + "\n";
      return;
    }
    DemoTables tables;
    ScanReport scan;
    try {
      scan = DemoScan(tables, job.demo, nullptr, pack());
    } catch (const FileError& e) {
      result.messages = job.demo + ": " + e.what() + "\n";
      return;
    }
    for (const std::string& notice : scan.notices)
      result.messages += job.demo + ": " + notice + "\n";
    if (CompareScoreboard(tables).countedLower) {
      result.messages += job.demo + ": " + std::string(kNoticeScoreboardDiffers) + "\n";
    }
    // "TeamPlay" is checked as a user checks it: an all-weapons team tally runs before the
    // report runs its own.
    if (m_o.teamPlay) TallyTeamPlay(tables, 0);
    try {
      if (job.output.empty()) {
        StreamSink sink(m_out);
        writeReport(tables, job, scan, sink);
        sink.close();
      } else {
        std::error_code ec;
        fs::path folder = fs::path(job.output).parent_path();
        if (!folder.empty() && !fs::exists(folder, ec)) fs::create_directories(folder, ec);
        ReportFile file(job.output, job.direct);
        writeReport(tables, job, scan, file);
        file.commit();
      }
    } catch (const FileError& e) {
      result.messages += (job.output.empty() ? std::string("standard output") : job.output) + ": " +
                         e.what() + "\n";
      return;
    }
    result.ok = true;
  }

  const PhrasePack* pack() const { return m_o.pack ? &*m_o.pack : nullptr; }

  const ReportOptions& m_o;
  std::FILE* m_out;
  std::FILE* m_err;
  HtmlColorSet m_colors = HtmlColorSet::defaults();
  ReportPlan m_plan;
};

}  // namespace

int runReportCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                     const std::string& programFolder) {
  ReportOptions o;
  if (std::optional<std::string> problem = parseReportArgs(args, o)) {
    print(err, "obitrak-report: " + *problem + "\n");
    print(err, kReportUsage);
    return kExitUsage;
  }
  if (o.help) {
    print(out, kReportUsage);
    return kExitOk;
  }
  if (o.version) {
    print(out, "obitrak-report " OBITRAK_VERSION "\n");
    return kExitOk;
  }
  if (o.inputs.empty()) {
    print(err, "obitrak-report: no demo given\n");
    print(err, kReportUsage);
    return kExitUsage;
  }
  if (o.phrases) {
    PhrasePackLoad loaded = LoadPhrasePack(*o.phrases);
    if (!loaded.pack) {
      print(err, "obitrak-report: " + loaded.error + "\n");
      return kExitUsage;
    }
    o.pack = std::move(loaded.pack);
  }
  return ReportRun(o, out, err).run(programFolder);
}

}  // namespace obitrak
