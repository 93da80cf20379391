#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/PackChoice.h"
#include "scan/PhrasePack.h"
#include "stats/Aliases.h"

namespace obitrak {

enum class ReportFormat { Text, Log, Html, Json };

struct ReportFormatInfo {
  std::string_view name;
  ReportFormat format;
  std::string_view extension;  // of the default report name
};

inline constexpr ReportFormatInfo kReportFormats[] = {
    {"text", ReportFormat::Text, "txt"},
    {"log", ReportFormat::Log, "log"},
    {"html", ReportFormat::Html, "htm"},
    {"json", ReportFormat::Json, "json"},
};

// What the command line asks for.
struct ReportOptions {
  const ReportFormatInfo* format = &kReportFormats[0];
  bool formatGiven = false;
  bool teamPlay = false;
  std::optional<std::string> output;
  std::optional<std::string> colors;
  std::optional<std::string> phrases;
  std::optional<PhrasePack> pack;  // loaded from `phrases`
  bool noPack = false;             // the built-in phrases only, whatever the game directory
  PackShelf bundledPacks;          // chosen by each demo's game directory otherwise
  unsigned jobs = 0;               // 0: one per core
  bool progress = false;
  bool summary = false;                // one summary of all the demos
  std::optional<std::string> library;  // the library file that keeps the results
  std::optional<std::string> site;     // the folder of the web site to write
  bool watch = false;                  // keep the site current until stopped
  std::optional<std::string> aliasesFile;
  std::optional<Aliases> aliases;  // loaded from `aliasesFile`
  bool help = false;
  bool version = false;
  std::vector<std::string> inputs;
};

// The pack that counts each demo as the options ask: the one of --phrases, none with
// --no-pack, else the bundled pack of the demo's game directory. Refers to `options`.
PackChoice packChoiceOf(const ReportOptions& options);

// The text of --help.
extern const std::string_view kReportUsage;

// Reads the arguments into `options`; returns a message for a usage error. Only the
// options of the usage text are known: long options take their value as the next
// argument or after "=", and -j also as "-jN".
std::optional<std::string> parseReportArgs(const std::vector<std::string>& args,
                                           ReportOptions& options);

}  // namespace obitrak
