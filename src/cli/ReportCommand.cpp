#include "cli/ReportCommand.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "export/ByteSink.h"
#include "export/ExportNames.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/DemoScan.h"
#include "scan/FileError.h"
#include "stats/Tally.h"

#ifndef OBITRAK_VERSION
#define OBITRAK_VERSION "unknown"
#endif

namespace obitrak {

namespace {

namespace fs = std::filesystem;

enum class Format { Text, Log };

struct Options {
  Format format = Format::Text;
  bool teamPlay = false;
  std::optional<std::string> output;
  std::vector<std::string> demos;
  bool help = false;
  bool version = false;
};

constexpr std::string_view kUsage =
    "Usage: obitrak-report [--format text|log] [--teamplay] [--output PATH] DEMO...\n"
    "Writes the text description or the message log of Quake 2 demos (.dm2).\n"
    "\n"
    "  --format text|log  text: the demo's description (the default);\n"
    "                     log: its print messages, one per line\n"
    "  --teamplay         count teams of players with the same skin\n"
    "  --output PATH      with one demo: the file to write (default: standard output);\n"
    "                     with several: the folder to write into (default: beside each\n"
    "                     demo, named like the demo with the extension txt or log)\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Exit status: 0 all reports written, 1 a demo failed, 2 wrong usage.\n";

void print(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

// Parses the arguments; returns a message for a usage error.
std::optional<std::string> parseArgs(const std::vector<std::string>& args, Options& o) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      o.demos.push_back(a);
      continue;
    }
    std::string name = a;
    std::optional<std::string> value;
    if (std::size_t eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
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
    } else if (name == "--format" || name == "-f") {
      std::optional<std::string> v = takeValue();
      if (!v) return "--format needs a value: text or log";
      if (*v == "text") {
        o.format = Format::Text;
      } else if (*v == "log") {
        o.format = Format::Log;
      } else {
        return "unknown format '" + *v + "' (use text or log)";
      }
    } else if (name == "--output" || name == "-o") {
      std::optional<std::string> v = takeValue();
      if (!v || v->empty()) return "--output needs a path";
      o.output = *v;
    } else {
      return "unknown option '" + a + "'";
    }
  }
  return std::nullopt;
}

// Standard output as a checked byte sink.
class StreamSink : public ByteSink {
 public:
  explicit StreamSink(std::FILE* stream) : m_stream(stream) {}
  void write(std::string_view bytes) override {
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

std::string_view extensionOf(Format format) {
  return format == Format::Log ? "log" : "txt";
}

void writeReport(DemoTables& tables, const std::string& demoPath, const Options& o, ByteSink& out) {
  if (o.format == Format::Log) {
    WriteLog(tables, out);
  } else {
    WriteTextDescription(tables, demoPath, o.teamPlay, out);
  }
}

// Where the report of `demoPath` goes: empty for standard output.
std::string outputPathFor(const std::string& demoPath, const Options& o, bool intoFolder) {
  std::string defaultName = defaultExportName(demoPath, extensionOf(o.format));
  if (!o.output) return o.demos.size() == 1 ? std::string() : defaultName;
  if (!intoFolder) return *o.output;
  return (fs::path(*o.output) / fs::path(defaultName).filename()).string();
}

// Scans one demo and writes its report; prints notices and failures. Returns success.
bool reportOne(const std::string& demoPath, const std::string& outputPath, const Options& o,
               std::FILE* out, std::FILE* err) {
  DemoTables tables;
  try {
    ScanReport report = DemoScan(tables, demoPath);
    for (const std::string& notice : report.notices) {
      print(err, demoPath + ": " + notice + "\n");
    }
  } catch (const FileError& e) {
    print(err, demoPath + ": " + e.what() + "\n");
    return false;
  }
  // The team-play box is checked as a user checks it: an all-weapons team tally runs
  // before the export runs its own.
  if (o.teamPlay) TallyTeamPlay(tables, 0);
  try {
    if (outputPath.empty()) {
      StreamSink sink(out);
      writeReport(tables, demoPath, o, sink);
      sink.close();
    } else {
      writeFile(outputPath, [&](ByteSink& sink) { writeReport(tables, demoPath, o, sink); });
    }
  } catch (const FileError& e) {
    print(err, (outputPath.empty() ? std::string("standard output") : outputPath) + ": " +
                   e.what() + "\n");
    return false;
  }
  return true;
}

}  // namespace

int runReportCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
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
  if (o.demos.empty()) {
    print(err, "obitrak-report: no demo given\n");
    print(err, kUsage);
    return kExitUsage;
  }

  std::error_code ec;
  bool intoFolder = false;
  if (o.output) {
    intoFolder = o.demos.size() > 1 || fs::is_directory(*o.output, ec);
    if (intoFolder && !fs::is_directory(*o.output, ec)) {
      fs::create_directories(*o.output, ec);
      if (ec) {
        print(err, *o.output + ": " + fileErrorFromErrno(ec.value(), *o.output).what() + "\n");
        return kExitFailed;
      }
    }
  }

  bool allOk = true;
  for (const std::string& demo : o.demos) {
    allOk = reportOne(demo, outputPathFor(demo, o, intoFolder), o, out, err) && allOk;
  }
  return allOk ? kExitOk : kExitFailed;
}

}  // namespace obitrak
