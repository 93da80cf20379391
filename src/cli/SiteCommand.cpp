#include "cli/SiteCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>

#include "cli/FolderWatch.h"
#include "cli/ReportCommand.h"
#include "cli/SignalCleanup.h"
#include "cli/SummaryCommand.h"
#include "export/Site.h"
#include "library/AnalysisVersion.h"
#include "library/LibraryStore.h"
#include "scan/FileError.h"

#ifndef OBITRAK_VERSION
#define OBITRAK_VERSION "unknown"
#endif

namespace obitrak {

namespace {

// Never the fingerprint of a run: a run that missed demos is done again in full.
constexpr std::string_view kIncompleteRun = "-";

void print(std::FILE* stream, const std::string& text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

class SiteRun {
 public:
  SiteRun(const ReportOptions& o, const HtmlColorSet& colors, std::FILE* err)
      : m_o(o), m_colors(colors), m_err(err) {}

  int run() {
    TemporaryFileCleanup cleanup;
    std::unique_ptr<LibraryStore> store;
    if (m_o.library) {
      store = std::make_unique<LibraryStore>(*m_o.library, &reportTemporaries());
      if (!store->readOnlyReason().empty()) {
        print(m_err, *m_o.library + ": read-only (" + store->readOnlyReason() +
                         "): its results are used, new ones are not kept\n");
      }
    }
    int status = update(store.get());
    if (!m_o.watch) return status;
    FolderWatch watch(m_o.inputs, m_err);
    for (;;) {
      watch.waitForChange();
      status = update(store.get());
    }
  }

 private:
  // The analysis of every pack that may count a demo: the one chosen, or none, or the
  // bundled pack of each game directory.
  std::string analyses() const {
    if (m_o.pack || m_o.noPack) return AnalysisVersion(m_o.pack ? &*m_o.pack : nullptr);
    std::string all = AnalysisVersion(nullptr);
    for (const PhrasePack& pack : m_o.bundledPacks.packs()) all += '\n' + AnalysisVersion(&pack);
    return all;
  }

  // Everything the pages follow from besides the stored results: the program, the
  // analysis, the options, the site's place and what tells each demo's file apart.
  std::string fingerprint(const std::vector<IndexDemo>& demos, const SiteFolder& folder) const {
    std::string facts = std::string(OBITRAK_VERSION) + '\n' + analyses() + '\n' +
                        (m_o.teamPlay ? "teamplay\n" : "free-for-all\n") +
                        (m_o.aliases ? AliasesText(*m_o.aliases) : std::string()) + '\n' +
                        std::filesystem::absolute(folder.path()).lexically_normal().string() + '\n';
    const HtmlHexColors hex(m_colors);
    for (const std::string* c : {&hex.active, &hex.passive}) facts += *c + '\n';
    const std::string base = libraryBase();
    for (const IndexDemo& d : demos) {
      struct stat st {};
      if (::stat(d.path.c_str(), &st) != 0) return std::string(kIncompleteRun);
      facts += libraryKey(d.path, base) + '\0' + std::to_string(st.st_size) + '\0' +
               std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec) + '\0' +
               std::to_string(st.st_dev) + '.' + std::to_string(st.st_ino) + '\0' +
               std::to_string(st.st_ctim.tv_sec) + '.' + std::to_string(st.st_ctim.tv_nsec) + '\n';
    }
    char digest[17];
    std::snprintf(digest, sizeof digest, "%016" PRIx64, siteDigest(facts));
    return digest;
  }

  int update(LibraryStore* store) {
    try {
      return updateSite(store);
    } catch (const SiteError& e) {
      print(m_err, std::string(e.what()) + "\n");
    } catch (const LibraryError& e) {
      print(m_err, std::string(e.what()) + "\n");
    }
    return kExitFailed;
  }

  int updateSite(LibraryStore* store) {
    const DemoSearch search = findDemos(m_o.inputs);
    print(m_err, search.messages);
    const std::vector<IndexDemo> demos = distinctDemos(search);
    SiteFolder folder(*m_o.site, &reportTemporaries());
    const std::string inputs = fingerprint(demos, folder);
    if (!search.failed && inputs != kIncompleteRun && inputs == folder.lastInputs() &&
        folder.filesIntact()) {
      if (showCounts()) print(m_err, std::to_string(demos.size()) + " demos: site unchanged\n");
      return kExitOk;
    }
    SiteSettings settings{m_o.teamPlay, m_o.aliases ? &*m_o.aliases : nullptr,
                          m_o.pack ? &*m_o.pack : nullptr, m_colors};
    SiteWriter writer(folder, settings);
    const unsigned threads =
        m_o.jobs != 0 ? m_o.jobs : std::max(1u, std::thread::hardware_concurrency());
    LibraryIndexer indexer(store, packChoiceOf(m_o), threads);
    std::vector<std::string> said(demos.size());
    std::size_t failed = 0;
    indexer.run(demos, [&](IndexOutcome&& o) {
      if (o.kind == IndexOutcome::Kind::Failed) {
        ++failed;
        said[o.index] = o.error;
        return;
      }
      writer.addMatch(std::move(o.result), o.key, o.index);
    });
    if (store != nullptr) indexer.removeVanished(folderInputs(m_o.inputs));
    for (std::size_t i = 0; i < demos.size(); ++i) {
      if (!said[i].empty()) print(m_err, demos[i].path + ": " + said[i] + "\n");
    }
    const bool complete = failed == 0 && !search.failed;
    writer.finish(static_cast<int>(failed), complete ? inputs : std::string(kIncompleteRun));
    const SiteFolder::Counts& c = folder.counts();
    if (showCounts()) {
      print(m_err, std::to_string(demos.size()) +
                       " demos: " + std::to_string(demos.size() - failed) + " read, " +
                       std::to_string(failed) + " failed; site: " + std::to_string(c.written) +
                       " files written, " + std::to_string(c.unchanged) + " unchanged, " +
                       std::to_string(c.removed) + " removed\n");
    }
    return complete ? kExitOk : kExitFailed;
  }

  bool showCounts() const { return m_o.progress || m_o.watch || ::isatty(::fileno(m_err)) != 0; }

  const ReportOptions& m_o;
  const HtmlColorSet& m_colors;
  std::FILE* m_err;
};

}  // namespace

int runSiteCommand(const ReportOptions& options, const HtmlColorSet& colors, std::FILE* err) {
  try {
    return SiteRun(options, colors, err).run();
  } catch (const LibraryError& e) {
    print(err, std::string(e.what()) + "\n");
    return kExitFailed;
  }
}

}  // namespace obitrak
