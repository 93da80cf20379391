#include "cli/SummaryCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli/ReportCommand.h"
#include "cli/ReportPlan.h"
#include "cli/SignalCleanup.h"
#include "export/SummaryExport.h"
#include "export/WholeFile.h"
#include "library/LibraryIndexer.h"
#include "library/LibraryStore.h"
#include "scan/DemoSearch.h"
#include "scan/FileError.h"

namespace obitrak {

std::vector<IndexDemo> distinctDemos(const DemoSearch& search) {
  std::vector<IndexDemo> demos;
  std::set<FileId> files;
  std::set<std::string> missing;
  for (const FoundDemo& d : search.demos) {
    const std::optional<FileId> id = d.file.seen ? d.file.seen : fileIdOf(d.path);
    const bool added = id ? files.insert(*id).second : missing.insert(libraryKey(d.path)).second;
    if (added) demos.push_back({d.path, d.file});
  }
  return demos;
}

std::vector<std::string> folderInputs(const std::vector<std::string>& inputs) {
  std::vector<std::string> folders;
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (std::filesystem::is_directory(input, ec)) folders.push_back(input);
  }
  return folders;
}

namespace {

void print(std::FILE* stream, const std::string& text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

class SummaryRun {
 public:
  SummaryRun(const ReportOptions& o, const HtmlColorSet& colors, std::FILE* out, std::FILE* err)
      : m_o(o), m_colors(colors), m_out(out), m_err(err) {}

  int run() {
    // A signal removes the temporary files of a library being made and of the summary.
    TemporaryFileCleanup cleanup;
    const DemoSearch search = findDemos(m_o.inputs);
    print(m_err, search.messages);
    const std::vector<IndexDemo> demos = distinctDemos(search);
    if (!outputAllowed(demos)) return kExitFailed;
    std::unique_ptr<LibraryStore> store;
    if (m_o.library) store = openLibrary(*m_o.library);
    SummaryBuilder builder(m_o.teamPlay, m_o.aliases ? &*m_o.aliases : nullptr);
    builder.reserve(demos.size());
    const std::vector<Said> said = index(store.get(), demos, builder);
    if (store) LibraryIndexer(store.get(), {}, 1).removeVanished(folderInputs(m_o.inputs));
    if (m_counts.damaged > 0) {
      print(m_err, *m_o.library + ": " + std::to_string(m_counts.damaged) +
                       " stored results did not hold; their demos were scanned again\n");
    }

    std::size_t failed = 0;
    for (std::size_t i = 0; i < said.size(); ++i) {
      const std::string& path = demos[i].path;
      if (said[i].failed) ++failed;
      for (const std::string& line : said[i].lines) print(m_err, path + ": " + line + "\n");
    }
    Summary summary = builder.finish();
    summary.unreadable = static_cast<int>(failed);
    if (!write(summary)) return kExitFailed;
    if (m_o.progress || ::isatty(::fileno(m_err)) != 0) {
      print(m_err, std::to_string(said.size()) + " demos: " + std::to_string(said.size() - failed) +
                       " read, " + std::to_string(failed) + " failed\n");
    }
    return failed == 0 && !search.failed ? kExitOk : kExitFailed;
  }

 private:
  std::unique_ptr<LibraryStore> openLibrary(const std::string& path) const {
    auto store = std::make_unique<LibraryStore>(path, &reportTemporaries());
    if (!store->readOnlyReason().empty()) {
      print(m_err, path + ": read-only (" + store->readOnlyReason() +
                       "): its results are used, new ones are not kept\n");
    }
    return store;
  }

  // As with the reports, the summary is never written onto a .dm2 file or a demo of the run;
  // nor onto the library of the run or the journal files beside it. Files are compared as
  // files, links and spellings resolved.
  bool outputAllowed(const std::vector<IndexDemo>& demos) const {
    if (!m_o.output) return true;
    const std::string& output = *m_o.output;
    const std::optional<FileId> target = fileIdOf(output);
    bool demo = hasDemoExtension(std::filesystem::path(output).filename().string());
    for (const IndexDemo& d : demos) demo = demo || (target && fileIdOf(d.path) == target);
    if (demo) {
      print(m_err, output + ": the summary would overwrite a demo\n");
      return false;
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
      if (!m_o.library) break;
      const std::string file = *m_o.library + suffix;
      if ((target && fileIdOf(file) == target) || sameSpelling(output, file)) {
        print(m_err, output + ": the summary would overwrite the library\n");
        return false;
      }
    }
    return true;
  }

  // Two names of one place, whether or not a file is there yet.
  static bool sameSpelling(const std::string& a, const std::string& b) {
    std::error_code ec;
    const std::filesystem::path pa = std::filesystem::weakly_canonical(a, ec);
    if (ec) return false;
    const std::filesystem::path pb = std::filesystem::weakly_canonical(b, ec);
    return !ec && pa == pb;
  }

  // What a demo has to say on standard error: its notices, or why it could not be read.
  struct Said {
    bool failed = false;
    std::vector<std::string> lines;
  };

  // Adds every demo that could be read to `builder` as it comes, so that the results need
  // not all be held at once; returns what each demo has to say, in the order of the demos.
  std::vector<Said> index(LibraryStore* store, const std::vector<IndexDemo>& demos,
                          SummaryBuilder& builder) {
    const unsigned threads =
        m_o.jobs != 0 ? m_o.jobs : std::max(1u, std::thread::hardware_concurrency());
    LibraryIndexer indexer(store, packChoiceOf(m_o), threads);
    indexer.setThreadWarning([this, threads](unsigned started) {
      print(m_err, "obitrak-report: could start only " + std::to_string(started) + " of " +
                       std::to_string(threads) + " threads; going on with " +
                       std::to_string(std::max(started, 1u)) + "\n");
    });
    std::vector<Said> said(demos.size());
    m_counts = indexer.run(demos, [&](IndexOutcome&& o) {
      Said& s = said[o.index];
      if (o.kind == IndexOutcome::Kind::Failed) {
        s = {true, {o.error}};
        return;
      }
      s.lines = o.result.notices;
      builder.add(o.result, o.index);
    });
    return said;
  }

  void writeSummary(const Summary& summary, ByteSink& out) const {
    switch (m_o.format->format) {
      case ReportFormat::Html:
        WriteHtmlSummary(summary, m_colors, out);
        break;
      case ReportFormat::Json:
        WriteJsonSummary(summary, m_o.pack ? &*m_o.pack : nullptr, out);
        break;
      default:
        WriteTextSummary(summary, out);
    }
  }

  // To --output, whole or not at all, or to standard output.
  bool write(const Summary& summary) {
    const std::string shown = m_o.output ? *m_o.output : std::string("standard output");
    try {
      if (m_o.output) {
        WholeFile file(*m_o.output, &reportTemporaries());
        writeSummary(summary, file);
        file.commit();
        return true;
      }
      StringSink text;
      writeSummary(summary, text);
      errno = 0;
      if (std::fwrite(text.data().data(), 1, text.data().size(), m_out) != text.data().size() ||
          std::fflush(m_out) != 0) {
        throwFileError(errno != 0 ? errno : EIO, "");
      }
      return true;
    } catch (const FileError& e) {
      print(m_err, shown + ": " + e.what() + "\n");
      return false;
    }
  }

  const ReportOptions& m_o;
  const HtmlColorSet& m_colors;
  std::FILE* m_out;
  std::FILE* m_err;
  IndexCounts m_counts;
};

}  // namespace

int runSummaryCommand(const ReportOptions& options, const HtmlColorSet& colors, std::FILE* out,
                      std::FILE* err) {
  try {
    return SummaryRun(options, colors, out, err).run();
  } catch (const LibraryError& e) {
    print(err, std::string(e.what()) + "\n");
    return kExitFailed;
  }
}

}  // namespace obitrak
