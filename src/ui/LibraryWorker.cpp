#include "ui/LibraryWorker.h"

#include <QElapsedTimer>
#include <set>
#include <thread>
#include <utility>

#include "export/Site.h"
#include "library/LibraryIndexer.h"
#include "scan/DemoSearch.h"
#include "ui/ErrorHandler.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

// Rows go to the window at most this often while indexing, and this many at a time while
// the library is read.
constexpr int kBatchMs = 100;
constexpr std::size_t kFirstRows = 100;
constexpr std::size_t kRowBatch = 2000;

}  // namespace

LibraryWorker::LibraryWorker(std::string libraryPath, const std::atomic<bool>& cancel)
    : m_libraryPath(std::move(libraryPath)), m_cancel(cancel) {}

LibraryWorker::~LibraryWorker() = default;

LibraryStore& LibraryWorker::store() {
  if (!m_store) m_store = std::make_unique<LibraryStore>(m_libraryPath);
  return *m_store;
}

// The first rows go out in a small batch, so that the window shows them at once.
void LibraryWorker::sendRows(const QStringList& folders) {
  std::vector<LibraryRow> batch;
  bool first = true;
  std::set<std::string> seen;  // a folder inside another one lists its demos once
  for (const QString& folder : folders) {
    store().forEachRow(libraryKey(localFileName(folder)), [&](LibraryRow&& row) {
      if (!seen.insert(row.path).second) return;
      batch.push_back(std::move(row));
      if (batch.size() < (first ? kFirstRows : kRowBatch)) return;
      emit rowsReady(batch, first);
      first = false;
      batch.clear();
    });
  }
  if (first || !batch.empty()) emit rowsReady(batch, first);
}

void LibraryWorker::loadRows(const QStringList& folders) {
  try {
    sendRows(folders);
  } catch (const std::exception& e) {
    emit failed(QString::fromLocal8Bit(e.what()));
  }
}

// The folders are searched as obitrak-report searches them; a demo in two of them once.
std::vector<IndexDemo> LibraryWorker::searchFolders(const QStringList& folders, int& problems) {
  std::vector<std::string> inputs;
  for (const QString& folder : folders) inputs.push_back(localFileName(folder));
  DemoSearch found = findDemos(inputs);
  problems = found.failed ? 1 : 0;
  std::vector<IndexDemo> demos;
  std::set<std::string> keys;
  for (FoundDemo& demo : found.demos) {
    if (keys.insert(libraryKey(demo.path)).second)
      demos.push_back({std::move(demo.path), std::move(demo.file)});
  }
  return demos;
}

void LibraryWorker::index(const QStringList& folders, const obitrak::ui::DeathMessages& messages) {
  try {
    int problems = 0;
    const std::vector<IndexDemo> demos = searchFolders(folders, problems);
    const int total = static_cast<int>(demos.size());
    emit progress(0, total);
    LibraryIndexer indexer(&store(), messages.choice(),
                           std::max(1u, std::thread::hardware_concurrency()));
    indexer.setLoadReused(false);
    indexer.setBackground(true);
    std::vector<LibraryRow> pending;
    int done = 0;
    QElapsedTimer sinceSent;
    sinceSent.start();
    auto send = [&] {
      if (!pending.empty()) emit rowsReady(pending, false);
      pending.clear();
      emit progress(done, total);
      sinceSent.restart();
    };
    const IndexCounts counts = indexer.run(
        demos,
        [&](IndexOutcome&& o) {
          ++done;
          if (o.kind == IndexOutcome::Kind::Scanned) {
            o.result.path = o.key;
            pending.push_back(LibraryRow::of(o.result));
          }
          if (sinceSent.elapsed() >= kBatchMs) send();
        },
        &m_cancel);
    send();
    // A cancelled run ends at once (the window may be closing); the next one tidies up.
    std::vector<std::string> keys;
    for (const QString& f : folders) keys.push_back(localFileName(f));
    if (!counts.cancelled && (indexer.removeVanished(keys) > 0 || counts.failed > 0))
      sendRows(folders);
    QString note = QStringLiteral("%1 demos: %2 scanned, %3 unchanged, %4 unreadable")
                       .arg(done)
                       .arg(counts.scanned)
                       .arg(counts.reused)
                       .arg(counts.failed);
    if (counts.cancelled) note += QStringLiteral(" (cancelled)");
    if (counts.damaged > 0) {
      note += QStringLiteral("; %1 stored results did not hold and were scanned again")
                  .arg(counts.damaged);
    }
    if (!store().readOnlyReason().empty()) {
      note += QStringLiteral("; the library is read-only (%1): nothing was kept")
                  .arg(QString::fromLocal8Bit(store().readOnlyReason()));
    }
    if (problems > 0) note += QStringLiteral("; some folders could not be searched");
    emit indexFinished(note);
  } catch (const std::exception& e) {
    emit failed(QString::fromLocal8Bit(e.what()));
    emit indexFinished(QString());
  }
}

void LibraryWorker::summarize(quint64 generation, const std::vector<std::string>& paths,
                              std::shared_ptr<const obitrak::Aliases> aliases) {
  try {
    std::vector<DemoResult> results;
    for (const std::string& path : paths) {
      try {
        std::optional<DemoResult> r = store().load(path);
        if (r) results.push_back(std::move(*r));
      } catch (const LibraryDamage&) {
        // Counted as unreadable until the next update scans the demo again.
      }
    }
    auto summary = std::make_shared<Summary>(Summarize(results, false, aliases.get()));
    summary->unreadable = static_cast<int>(paths.size() - results.size());
    emit summaryReady(generation, std::move(summary));
  } catch (const std::exception& e) {
    emit failed(QString::fromLocal8Bit(e.what()));
  }
}

// Every demo the library holds below the folders, each once, as the table lists them.
void LibraryWorker::publish(const QStringList& folders, const QString& site,
                            std::shared_ptr<const obitrak::Aliases> aliases,
                            const obitrak::ui::DeathMessages& messages,
                            obitrak::HtmlColorSet colors) {
  try {
    std::set<std::string> keys;
    for (const QString& folder : folders) {
      store().forEachRow(libraryKey(localFileName(folder)), [&](LibraryRow&& row) {
        if (row.error.empty()) keys.insert(row.path);
      });
    }
    SiteFolder folder(localFileName(site));
    SiteWriter writer(folder, {false, aliases.get(), messages.chosen.get(), colors});
    std::size_t position = 0;
    for (const std::string& key : keys) {
      if (std::optional<DemoResult> result = store().load(key))
        writer.addMatch(std::move(*result), key, position++);
    }
    writer.finish(0, "-");
    const SiteFolder::Counts& c = folder.counts();
    emit siteReady(site, QStringLiteral("Web site of %1 demos: %2 files written, %3 unchanged")
                             .arg(position)
                             .arg(c.written)
                             .arg(c.unchanged));
  } catch (const std::exception& e) {
    emit failed(QString::fromLocal8Bit(e.what()));
    emit siteReady(QString(), QString());
  }
}

void LibraryWorker::forget(const QString& folder) {
  try {
    LibraryStore& s = store();
    SqliteTransaction t(s.db());
    for (const std::string& path : s.pathsUnder(libraryKey(localFileName(folder)))) s.remove(path);
    t.commit();
  } catch (const std::exception& e) {
    emit failed(QString::fromLocal8Bit(e.what()));
  }
}

}  // namespace obitrak::ui
