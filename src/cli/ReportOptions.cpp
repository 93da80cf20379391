#include "cli/ReportOptions.h"

#include <algorithm>

namespace obitrak {

const std::string_view kReportUsage =
    "Usage: obitrak-report [OPTIONS] DEMO|FOLDER...\n"
    "Writes reports of Quake 2 demos (.dm2) and server recordings (.mvd2), plain or\n"
    "gzip-packed (.dm2.gz, .mvd2.gz): who killed whom with which weapon, the players,\n"
    "the level, the server messages and the game's scoreboard. Folders are searched\n"
    "for demos.\n"
    "\n"
    "  --format FORMAT    text: the description (the default); html: the description as\n"
    "                     a web page; log: the print messages, one per line; json: all\n"
    "                     of it for scripts\n"
    "  --teamplay         count teams of players with the same skin\n"
    "  --output PATH      with one demo: the file to write (default: standard output);\n"
    "                     with several demos or a folder: the folder to write into,\n"
    "                     keeping the folders below a folder argument, each folder\n"
    "                     argument in a folder of its name when there are several inputs\n"
    "                     (default: beside each demo, named like it with the extension\n"
    "                     txt, htm, log or json in place of .dm2 or .mvd2)\n"
    "  --colors FILE      the six HTML colours from this settings file (default: the\n"
    "                     desktop application's settings, or its default colours)\n"
    "  --phrases FILE     count the death messages of a mod as the pack FILE words them\n"
    "                     (default: the bundled pack of each demo's game directory, if\n"
    "                     any; see packs/ and the README)\n"
    "  --no-pack          count the original game's death messages only\n"
    "  -j, --jobs N       work on N demos at once, 1 to 1024 (default: one per core)\n"
    "  --progress         show progress and a summary even when not on a terminal\n"
    "  --summary          one summary of all the demos instead of a report each: every\n"
    "                     player's totals, kills per weapon and between players, a\n"
    "                     row per demo (format text, html or json; --output FILE)\n"
    "  --site DIR         a static web site of all the demos in the folder DIR (empty,\n"
    "                     or a site made before): the rating ladder, a page per\n"
    "                     player, match and map, the summary and the matches as JSON\n"
    "  --watch            with --site and --library: go on watching the folders and\n"
    "                     bring the site up to date when demos come or change\n"
    "  --library FILE     with --summary or --site: keep the demos' results in the\n"
    "                     library FILE and reuse those of demos whose size and time\n"
    "                     are unchanged\n"
    "  --aliases FILE     with --summary or --site: count the names that FILE gives\n"
    "                     one player as one person (see the README)\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "A report is never written onto a .dm2 or .mvd2 file or onto a demo of the run.\n"
    "Exit status: 0 all reports written, 1 a demo failed, 2 wrong usage.\n";

namespace {

std::optional<unsigned> parseJobs(const std::string& text) {
  if (text.empty() || text.size() > 4 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  unsigned n = static_cast<unsigned>(std::stoul(text));
  if (n < 1 || n > 1024) return std::nullopt;
  return n;
}

enum class Kind { Switch, Value };

struct OptionInfo {
  std::string_view name;
  Kind kind;
};

constexpr OptionInfo kOptions[] = {
    {"--format", Kind::Value},    {"--teamplay", Kind::Switch}, {"--output", Kind::Value},
    {"--colors", Kind::Value},    {"--phrases", Kind::Value},   {"--jobs", Kind::Value},
    {"--progress", Kind::Switch}, {"--help", Kind::Switch},     {"--version", Kind::Switch},
    {"--summary", Kind::Switch},  {"--library", Kind::Value},   {"--no-pack", Kind::Switch},
    {"--site", Kind::Value},      {"--watch", Kind::Switch},    {"--aliases", Kind::Value},
};

void setSwitch(std::string_view name, ReportOptions& o) {
  if (name == "--teamplay") o.teamPlay = true;
  if (name == "--progress") o.progress = true;
  if (name == "--help") o.help = true;
  if (name == "--version") o.version = true;
  if (name == "--summary") o.summary = true;
  if (name == "--no-pack") o.noPack = true;
  if (name == "--watch") o.watch = true;
}

std::optional<std::string> setValue(std::string_view name, const std::optional<std::string>& v,
                                    ReportOptions& o) {
  if (name == "--format") {
    if (!v) return "--format needs a value: text, html, log or json";
    auto found = std::find_if(std::begin(kReportFormats), std::end(kReportFormats),
                              [&](const ReportFormatInfo& f) { return f.name == *v; });
    if (found == std::end(kReportFormats)) {
      return "unknown format '" + *v + "' (use text, html, log or json)";
    }
    o.format = found;
    o.formatGiven = true;
  } else if (name == "--output") {
    if (!v || v->empty()) return "--output needs a path";
    o.output = *v;
  } else if (name == "--colors") {
    if (!v || v->empty()) return "--colors needs a settings file";
    o.colors = *v;
  } else if (name == "--phrases") {
    if (!v || v->empty()) return "--phrases needs a pack file";
    o.phrases = *v;
  } else if (name == "--library") {
    if (!v || v->empty()) return "--library needs a library file";
    o.library = *v;
  } else if (name == "--site") {
    if (!v || v->empty()) return "--site needs a folder";
    o.site = *v;
  } else if (name == "--aliases") {
    if (!v || v->empty()) return "--aliases needs an aliases file";
    o.aliasesFile = *v;
  } else if (name == "--jobs") {
    std::optional<unsigned> n = v ? parseJobs(*v) : std::nullopt;
    if (!n) return "--jobs needs a number from 1 to 1024";
    o.jobs = *n;
  }
  return std::nullopt;
}

std::optional<std::string> checkCombination(const ReportOptions& o) {
  const bool totals = o.summary || o.site;
  if (o.summary && o.site) return std::string("--summary and --site are separate runs");
  if (o.phrases && o.noPack) return std::string("--phrases and --no-pack exclude each other");
  if (o.library && !totals) return std::string("--library is used with --summary or --site");
  if (o.aliasesFile && !totals) return std::string("--aliases is used with --summary or --site");
  if (o.watch && !o.site) return std::string("--watch is used with --site");
  if (o.watch && !o.library) {
    return std::string("--watch needs --library FILE, so that a change reads only what changed");
  }
  if (o.site && (o.output || o.formatGiven)) {
    return std::string("--site writes its own files into its folder: no --output or --format");
  }
  if (o.summary && o.format->format == ReportFormat::Log) {
    return std::string("--summary is written as text, html or json");
  }
  return std::nullopt;
}

}  // namespace

PackChoice packChoiceOf(const ReportOptions& options) {
  if (options.pack) return &*options.pack;
  if (options.noPack) return {};
  return PackChoice::byGameDir(options.bundledPacks);
}

std::optional<std::string> parseReportArgs(const std::vector<std::string>& args, ReportOptions& o) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      o.inputs.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = a;
    std::optional<std::string> value;
    if (std::size_t eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    } else if (a.starts_with("-j")) {
      name = "--jobs";  // -j N, -jN
      if (a.size() > 2) value = a.substr(2);
    }
    auto known = std::find_if(std::begin(kOptions), std::end(kOptions),
                              [&](const OptionInfo& info) { return info.name == name; });
    if (known == std::end(kOptions)) return "unknown option '" + a + "'";
    if (known->kind == Kind::Switch) {
      if (value) return name + " takes no value";
      setSwitch(name, o);
      continue;
    }
    if (!value && i + 1 < args.size()) value = args[++i];
    if (std::optional<std::string> problem = setValue(name, value, o)) return problem;
  }
  return checkCombination(o);
}

}  // namespace obitrak
