#include "cli/ReportCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/ReportOptions.h"
#include "cli/ReportPlan.h"
#include "cli/SignalCleanup.h"
#include "cli/SiteCommand.h"
#include "cli/SummaryCommand.h"
#include "export/ByteSink.h"
#include "export/HtmlColors.h"
#include "export/HtmlExport.h"
#include "export/JsonExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "export/WholeFile.h"
#include "scan/DemoScan.h"
#include "scan/FileError.h"
#include "scan/JobRunner.h"
#include "stats/RankedPlayers.h"
#include "stats/Scoreboard.h"
#include "stats/Tally.h"

#ifndef OBITRAK_VERSION
#define OBITRAK_VERSION "unknown"
#endif

namespace obitrak {

namespace {

namespace fs = std::filesystem;

// The folder given, or else that of this program, where its settings and packs lie.
std::string programFolderOf(const std::string& programFolder) {
  if (!programFolder.empty()) return programFolder;
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : self.parent_path().string();
}

// Writes the pieces one after the other, so that no text is put together in memory: a
// message about memory running out must not need any.
template <typename... Pieces>
void print(std::FILE* stream, const Pieces&... pieces) {
  for (std::string_view text : {std::string_view(pieces)...}) {
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
  }
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

// What one demo's report came to.
struct JobResult {
  bool ok = false;
  std::string messages;  // lines for standard error
};

class ReportRun {
 public:
  ReportRun(const ReportOptions& o, std::FILE* out, std::FILE* err)
      : m_o(o), m_out(out), m_err(err) {}

  int run(const std::string& programFolder) {
    if ((m_o.format->format == ReportFormat::Html || m_o.site) && !loadColors(programFolder)) {
      return kExitFailed;
    }
    if (m_o.summary) return runSummaryCommand(m_o, m_colors, m_out, m_err);
    if (m_o.site) return runSiteCommand(m_o, m_colors, m_err);
    m_plan = planReports(m_o);
    print(m_err, m_plan.messages);
    if (m_plan.jobs.empty()) return m_plan.failed ? kExitFailed : kExitOk;
    std::optional<TemporaryFileCleanup> cleanup;
    if (!m_plan.toStandardOutput) cleanup.emplace();
    const std::size_t count = m_plan.jobs.size();
    const std::size_t failed = runAll();
    if (showProgress()) {
      print(m_err, progressPrefix(), std::to_string(count),
            " demos: ", std::to_string(count - failed), " written, ", std::to_string(failed),
            " failed\n");
    }
    return failed == 0 && !m_plan.failed ? kExitOk : kExitFailed;
  }

 private:
  bool showProgress() const {
    return !m_plan.toStandardOutput && (m_o.progress || ::isatty(::fileno(m_err)) != 0);
  }
  std::string_view progressPrefix() const {
    return ::isatty(::fileno(m_err)) != 0 ? "\r\033[K" : "";
  }

  // The colours as the desktop application would use them, or from --colors.
  bool loadColors(const std::string& programFolder) {
    if (m_o.colors) {
      try {
        LoadHtmlColors(m_colors, *m_o.colors, true);
      } catch (const FileError& e) {
        print(m_err, *m_o.colors, ": ", e.what(), "\n");
        return false;
      }
      return true;
    }
    const std::string folder = programFolderOf(programFolder);
    std::string path = colorSettingsPath((fs::path(folder) / "obitrak").string());
    try {
      LoadHtmlColors(m_colors, path);
    } catch (const FileError& e) {
      // The desktop application goes on with the default colours; so do we.
      print(m_err, path + ": " + e.what() + " (using the default colours)\n");
    }
    return true;
  }

  // Works on the jobs with the chosen number of threads and prints each job's messages in
  // input order, so the output is the same whatever the number of threads. Returns how many
  // demos failed.
  std::size_t runAll() {
    const std::size_t count = m_plan.jobs.size();
    unsigned threads = m_o.jobs != 0 ? m_o.jobs : std::max(1u, std::thread::hardware_concurrency());
    std::size_t failed = 0;
    // Allocated before the threads start: a job that ends needs no memory to be told.
    std::vector<JobResult> results(count);
    JobRun run;
    run.count = count;
    run.threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    run.work = [&](std::size_t i) { results[i] = reportOne(m_plan.jobs[i]); };
    run.finished = [&](std::size_t i, bool outOfMemory) {
      const JobResult& r = results[i];
      failed += r.ok ? 0 : 1;
      const std::string& demo = m_plan.jobs[i].demo;
      const std::string_view prefix = showProgress() ? progressPrefix() : "";
      if (outOfMemory) print(m_err, prefix, demo, ": Out of memory\n");
      if (!r.messages.empty()) print(m_err, prefix, r.messages);
      if (showProgress()) {
        print(m_err, progressPrefix(), std::to_string(i + 1), "/", std::to_string(count), " ", demo,
              progressPrefix().empty() ? "\n" : "");
      }
    };
    run.fewerThreads = [this](std::size_t started, unsigned wanted, const char* error) {
      print(m_err, "obitrak-report: could start only ", std::to_string(started), " of ",
            std::to_string(wanted), " threads (", error, "); going on with ",
            std::to_string(std::max<std::size_t>(started, 1)), "\n");
    };
    runJobs(run);
    return failed;
  }

  void writeReport(const DemoTables& tables, const ReportJob& job, const ScanReport& scan,
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
        WriteJsonReport(tables, job.demo, m_o.teamPlay, scan.notices, out);
        break;
    }
  }

  // Scans one demo and writes its report. Running out of memory is left to the job runner;
  // any other failure is this demo's alone.
  JobResult reportOne(const ReportJob& job) {
    JobResult result;
    try {
      reportOne(job, result);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& e) {
      result.ok = false;
      result.messages += job.demo + ": " + e.what() + "\n";
    }
    return result;
  }

  void reportOne(const ReportJob& job, JobResult& result) {
    if (!job.problem.empty()) {
      result.messages = job.demo + ": " + job.problem + "\n";
      return;
    }
    DemoTables tables;
    ScanReport scan;
    try {
      // Opened once, as the search found it, and only a regular file: a device or a pipe
      // never ends or blocks, and a link put in its place since is not followed.
      scan =
          DemoScanOpened(tables, openFoundFile(job.found, job.demo), job.demo, nullptr, m_choice);
    } catch (const FileError& e) {
      result.messages = job.demo + ": " + e.what() + "\n";
      return;
    }
    // A recording Obitrak cannot read fails as a demo that cannot be read, with its notice.
    if (scan.unsupported) {
      result.messages = job.demo + ": " + scan.statusPanel1 + "\n";
      return;
    }
    for (const std::string& notice : scan.notices)
      result.messages += job.demo + ": " + notice + "\n";
    if (CompareScoreboard(tables).countedLower) {
      result.messages += job.demo + ": " + std::string(kNoticeScoreboardDiffers) + "\n";
    }
    // "TeamPlay" is checked as a user checks it: an all-weapons team tally runs before the
    // report's own tally (see recomputeAllWeapons on why the number of tallies matters).
    if (m_o.teamPlay) TallyTeamPlay(tables, 0);
    recomputeAllWeapons(tables, m_o.teamPlay);
    try {
      if (job.output.empty()) {
        StreamSink sink(m_out);
        writeReport(tables, job, scan, sink);
        sink.close();
      } else {
        WholeFile file = openReport(job);
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

  // The report's file: where the user named it (missing folders on the way made), or in its
  // place beside the demo or under --output, reached without following links.
  static WholeFile openReport(const ReportJob& job) {
    if (job.place.name.empty()) {
      std::error_code ec;
      fs::path folder = fs::path(job.output).parent_path();
      if (!folder.empty() && !fs::exists(folder, ec)) fs::create_directories(folder, ec);
      return WholeFile(job.output, &reportTemporaries());
    }
    const ReportPlace& place = job.place;
    return WholeFile(openFolderBelow(place.folder, place.below, place.create, job.output),
                     place.name, job.output, &reportTemporaries());
  }

  const ReportOptions& m_o;
  const PackChoice m_choice = packChoiceOf(m_o);
  std::FILE* m_out;
  std::FILE* m_err;
  HtmlColorSet m_colors = HtmlColorSet::defaults();
  ReportPlan m_plan;
};

int runCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
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
  } else if (!o.noPack) {
    // A bundled pack that does not load is left out, and said so: the demos of its game
    // go on with the built-in phrases.
    PackShelfLoad bundled = LoadPackShelf(bundledPacksFolder(programFolderOf(programFolder)));
    for (const std::string& error : bundled.errors)
      print(err, "obitrak-report: " + error + " (bundled pack left out)\n");
    o.bundledPacks = std::move(bundled.shelf);
  }
  if (o.aliasesFile) {
    AliasesLoad loaded = LoadAliases(*o.aliasesFile);
    if (!loaded.aliases) {
      print(err, "obitrak-report: " + loaded.error + "\n");
      return kExitUsage;
    }
    o.aliases = std::move(loaded.aliases);
  }
  return ReportRun(o, out, err).run(programFolder);
}

}  // namespace

// Memory that runs out outside a demo's own work (the options, the pack, the folder search)
// ends the run with a message rather than an abort.
int runReportCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                     const std::string& programFolder) {
  try {
    return runCommand(args, out, err, programFolder);
  } catch (const std::bad_alloc&) {
    print(err, "obitrak-report: Out of memory\n");
    return kExitFailed;
  }
}

}  // namespace obitrak
