#include "cli/ReportCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>

#include "export/ByteSink.h"
#include "export/ExportNames.h"
#include "export/HtmlColors.h"
#include "export/HtmlExport.h"
#include "export/JsonExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/DemoScan.h"
#include "scan/FileError.h"
#include "scan/PhrasePack.h"
#include "stats/Tally.h"

#ifndef OBITRAK_VERSION
#define OBITRAK_VERSION "unknown"
#endif

namespace obitrak {

namespace {

namespace fs = std::filesystem;

enum class Format { Text, Log, Html, Json };

struct FormatInfo {
  std::string_view name;
  Format format;
  std::string_view extension;  // of the default report name
};

constexpr FormatInfo kFormats[] = {
    {"text", Format::Text, "txt"},
    {"log", Format::Log, "log"},
    {"html", Format::Html, "htm"},
    {"json", Format::Json, "json"},
};

struct Options {
  const FormatInfo* format = &kFormats[0];
  bool teamPlay = false;
  std::optional<std::string> output;
  std::optional<std::string> colors;
  std::optional<std::string> phrases;
  std::optional<PhrasePack> pack;  // loaded from `phrases`
  unsigned jobs = 0;               // 0: one per core
  bool progress = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> inputs;
};

constexpr std::string_view kUsage =
    "Usage: obitrak-report [OPTIONS] DEMO|FOLDER...\n"
    "Writes reports of Quake 2 demos (.dm2): who killed whom with which weapon, the\n"
    "players, the level and the server messages. Folders are searched for demos.\n"
    "\n"
    "  --format FORMAT    text: the description (the default); html: the description as\n"
    "                     a web page; log: the print messages, one per line; json: all\n"
    "                     of it for scripts\n"
    "  --teamplay         count teams of players with the same skin\n"
    "  --output PATH      with one demo: the file to write (default: standard output);\n"
    "                     with several demos or a folder: the folder to write into,\n"
    "                     keeping the folders below a folder argument (default: beside\n"
    "                     each demo, named like it with the extension txt, htm, log or\n"
    "                     json)\n"
    "  --colors FILE      the six HTML colours from this settings file (default: the\n"
    "                     desktop application's settings, or its default colours)\n"
    "  --phrases FILE     also count the death messages of a mod, worded as the pack\n"
    "                     FILE gives them (see packs/ and the README)\n"
    "  -j, --jobs N       work on N demos at once (default: one per core)\n"
    "  --progress         show progress and a summary even when not on a terminal\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Exit status: 0 all reports written, 1 a demo failed, 2 wrong usage.\n";

void print(std::FILE* stream, std::string_view text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

std::optional<unsigned> parseJobs(const std::string& text) {
  if (text.empty() || text.size() > 4 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  unsigned n = static_cast<unsigned>(std::stoul(text));
  if (n < 1 || n > 1024) return std::nullopt;
  return n;
}

// Parses the arguments; returns a message for a usage error.
std::optional<std::string> parseArgs(const std::vector<std::string>& args, Options& o) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      o.inputs.push_back(a);
      continue;
    }
    std::string name = a;
    std::optional<std::string> value;
    if (std::size_t eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    } else if (a.size() > 2 && a[1] != '-' && (a[1] == 'j' || a[1] == 'o' || a[1] == 'f')) {
      name = a.substr(0, 2);  // -j4, -oreports
      value = a.substr(2);
    }
    auto takeValue = [&]() -> std::optional<std::string> {
      if (value) return value;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    if (name == "--") {
      optionsEnded = true;
    } else if (name == "--help" || name == "-h") {
      o.help = true;
    } else if (name == "--version") {
      o.version = true;
    } else if (name == "--teamplay") {
      o.teamPlay = true;
    } else if (name == "--progress") {
      o.progress = true;
    } else if (name == "--format" || name == "-f") {
      std::optional<std::string> v = takeValue();
      if (!v) return "--format needs a value: text, html, log or json";
      auto found = std::find_if(std::begin(kFormats), std::end(kFormats),
                                [&](const FormatInfo& f) { return f.name == *v; });
      if (found == std::end(kFormats)) {
        return "unknown format '" + *v + "' (use text, html, log or json)";
      }
      o.format = found;
    } else if (name == "--output" || name == "-o") {
      std::optional<std::string> v = takeValue();
      if (!v || v->empty()) return "--output needs a path";
      o.output = *v;
    } else if (name == "--colors") {
      std::optional<std::string> v = takeValue();
      if (!v || v->empty()) return "--colors needs a settings file";
      o.colors = *v;
    } else if (name == "--phrases") {
      std::optional<std::string> v = takeValue();
      if (!v || v->empty()) return "--phrases needs a pack file";
      o.phrases = *v;
    } else if (name == "--jobs" || name == "-j") {
      std::optional<std::string> v = takeValue();
      std::optional<unsigned> n = v ? parseJobs(*v) : std::nullopt;
      if (!n) return "--jobs needs a number from 1 to 1024";
      o.jobs = *n;
    } else {
      return "unknown option '" + a + "'";
    }
  }
  return std::nullopt;
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

// One demo and where its report goes (empty: standard output), or a message for an
// input that cannot be reported.
struct Job {
  std::string demo;
  std::string output;
  std::string problem;
};

struct JobResult {
  bool ok = false;
  std::string messages;  // lines for standard error
};

class ReportRun {
 public:
  ReportRun(const Options& o, std::FILE* out, std::FILE* err) : m_o(o), m_out(out), m_err(err) {}

  int run(const std::string& programFolder) {
    if (m_o.format->format == Format::Html && !loadColors(programFolder)) return kExitFailed;
    if (!collectJobs()) return kExitFailed;
    if (m_jobs.empty()) return m_failedInputs ? kExitFailed : kExitOk;
    std::vector<JobResult> results = runJobs();
    std::size_t failed = 0;
    for (const JobResult& r : results) failed += r.ok ? 0 : 1;
    if (showProgress()) {
      print(m_err, progressPrefix() + std::to_string(results.size()) +
                       " demos: " + std::to_string(results.size() - failed) + " written, " +
                       std::to_string(failed) + " failed\n");
    }
    return failed == 0 && !m_failedInputs ? kExitOk : kExitFailed;
  }

 private:
  bool toStandardOutput() const {
    std::error_code ec;
    return !m_o.output && m_o.inputs.size() == 1 && !fs::is_directory(m_o.inputs[0], ec);
  }

  bool showProgress() const {
    return !toStandardOutput() && (m_o.progress || ::isatty(::fileno(m_err)) != 0);
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

  const PhrasePack* pack() const { return m_o.pack ? &*m_o.pack : nullptr; }

  std::string reportName(const std::string& demo) const {
    return defaultExportName(demo, m_o.format->extension);
  }

  // Turns the inputs into jobs: folders are searched for demos, every report gets its
  // output path, and no two demos may write the same report.
  bool collectJobs() {
    std::error_code ec;
    bool intoFolder = false;
    if (m_o.output) {
      bool batch = m_o.inputs.size() > 1 || fs::is_directory(m_o.inputs[0], ec);
      intoFolder = batch || fs::is_directory(*m_o.output, ec);
      if (batch && !fs::is_directory(*m_o.output, ec)) {
        fs::create_directories(*m_o.output, ec);
        if (ec) {
          print(m_err,
                *m_o.output + ": " + fileErrorFromErrno(ec.value(), *m_o.output).what() + "\n");
          return false;
        }
      }
    }
    const bool toStdout = toStandardOutput();
    for (const std::string& input : m_o.inputs) {
      if (fs::is_directory(input, ec)) {
        addFolder(input, intoFolder);
        continue;
      }
      Job job{input, {}, {}};
      if (!toStdout) {
        job.output = intoFolder
                         ? (fs::path(*m_o.output) / fs::path(reportName(input)).filename()).string()
                     : m_o.output ? *m_o.output
                                  : reportName(input);
      }
      addJob(std::move(job));
    }
    return true;
  }

  void addFolder(const std::string& folder, bool intoFolder) {
    std::vector<fs::path> demos;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
      // Links are taken as they are: one to a missing demo is reported, not skipped.
      std::error_code typeEc;
      if (!it->is_regular_file(typeEc) && !it->is_symlink(typeEc)) continue;
      if (it->is_directory(typeEc)) continue;
      std::string ext = it->path().extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
      });
      if (ext == ".dm2") demos.push_back(it->path());
    }
    if (ec) {
      std::string where = it != end ? it->path().string() : folder;
      print(m_err, where + ": " + fileErrorFromErrno(ec.value(), where).what() + "\n");
      m_failedInputs = true;
    }
    if (demos.empty() && !ec) print(m_err, folder + ": no demos found\n");
    std::sort(demos.begin(), demos.end());
    for (const fs::path& demo : demos) {
      Job job{demo.string(), {}, {}};
      if (intoFolder) {
        fs::path below = demo.lexically_relative(folder).parent_path();
        job.output =
            (fs::path(*m_o.output) / below / fs::path(reportName(demo.string())).filename())
                .string();
      } else {
        job.output = reportName(demo.string());
      }
      addJob(std::move(job));
    }
  }

  void addJob(Job job) {
    if (!job.output.empty()) {
      std::error_code ec;
      fs::path key = fs::absolute(job.output, ec).lexically_normal();
      fs::path demoKey = fs::absolute(job.demo, ec).lexically_normal();
      if (key == demoKey) {
        job.problem = "the report " + job.output + " would overwrite the demo";
      } else if (auto [it, inserted] = m_outputs.emplace(key.string(), job.demo); !inserted) {
        job.problem = "the report " + job.output + " is already written for " + it->second;
      }
    }
    m_jobs.push_back(std::move(job));
  }

  // Works on the jobs with the chosen number of threads and prints each job's messages in
  // input order, so the output is the same whatever the number of threads.
  std::vector<JobResult> runJobs() {
    const std::size_t count = m_jobs.size();
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
        JobResult r = reportOne(m_jobs[i]);
        {
          std::lock_guard lock(mutex);
          results[i] = std::move(r);
          done[i] = true;
        }
        finished.notify_all();
      }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);

    for (std::size_t i = 0; i < count; ++i) {
      std::unique_lock lock(mutex);
      finished.wait(lock, [&] { return done[i]; });
      std::string messages = results[i].messages;
      lock.unlock();
      if (!messages.empty()) print(m_err, (showProgress() ? progressPrefix() : "") + messages);
      if (showProgress()) {
        std::string line =
            std::to_string(i + 1) + "/" + std::to_string(count) + " " + m_jobs[i].demo;
        print(m_err, progressPrefix().empty() ? line + "\n" : progressPrefix() + line);
      }
    }
    for (std::thread& t : pool) t.join();
    return results;
  }

  void writeReport(DemoTables& tables, const Job& job, const ScanReport& scan, ByteSink& out) {
    switch (m_o.format->format) {
      case Format::Text:
        WriteTextDescription(tables, job.demo, m_o.teamPlay, out);
        break;
      case Format::Log:
        WriteLog(tables, out);
        break;
      case Format::Html:
        WriteHtmlDescription(tables, job.demo, m_o.teamPlay, m_colors, out);
        break;
      case Format::Json:
        WriteJsonReport(tables, job.demo, m_o.teamPlay, scan.notices, out, pack());
        break;
    }
  }

  // Scans one demo and writes its report.
  JobResult reportOne(const Job& job) {
    JobResult result;
    if (!job.problem.empty()) {
      result.messages = job.demo + ": " + job.problem + "\n";
      return result;
    }
    DemoTables tables;
    ScanReport scan;
    try {
      scan = DemoScan(tables, job.demo, nullptr, pack());
    } catch (const FileError& e) {
      result.messages = job.demo + ": " + e.what() + "\n";
      return result;
    }
    for (const std::string& notice : scan.notices)
      result.messages += job.demo + ": " + notice + "\n";
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
        writeFile(job.output, [&](ByteSink& sink) { writeReport(tables, job, scan, sink); });
      }
    } catch (const FileError& e) {
      result.messages += (job.output.empty() ? std::string("standard output") : job.output) + ": " +
                         e.what() + "\n";
      return result;
    }
    result.ok = true;
    return result;
  }

  const Options& m_o;
  std::FILE* m_out;
  std::FILE* m_err;
  HtmlColorSet m_colors = HtmlColorSet::defaults();
  std::vector<Job> m_jobs;
  std::map<std::string, std::string> m_outputs;  // report path -> demo
  bool m_failedInputs = false;
};

}  // namespace

int runReportCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                     const std::string& programFolder) {
  Options o;
  if (std::optional<std::string> problem = parseArgs(args, o)) {
    print(err, "obitrak-report: " + *problem + "\n");
    print(err, kUsage);
    return kExitUsage;
  }
  if (o.help) {
    print(out, kUsage);
    return kExitOk;
  }
  if (o.version) {
    print(out, "obitrak-report " OBITRAK_VERSION "\n");
    return kExitOk;
  }
  if (o.inputs.empty()) {
    print(err, "obitrak-report: no demo given\n");
    print(err, kUsage);
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
