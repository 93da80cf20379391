#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "export/HtmlColors.h"
#include "library/LibraryIndexer.h"
#include "library/LibraryStore.h"
#include "scan/PhrasePack.h"
#include "stats/Aliases.h"
#include "stats/Summary.h"
#include "ui/AppState.h"

namespace obitrak::ui {

// The library's work away from the window: reading its rows, indexing folders and
// totalling demos, on the thread the worker lives in, with a connection of its own to the
// library. Everything it finds goes back to the window by signals, in batches, so that the
// window never waits for the disk or the scan.
class LibraryWorker : public QObject {
  Q_OBJECT

 public:
  // `cancel` stops an indexing run between two demos; the window owns it.
  LibraryWorker(std::string libraryPath, const std::atomic<bool>& cancel);
  ~LibraryWorker() override;

 public slots:
  // Sends the rows of the library below `folders` (replacing the window's rows).
  void loadRows(const QStringList& folders);
  // Searches `folders` for demos and brings the library up to date for them.
  void index(const QStringList& folders, const obitrak::ui::DeathMessages& messages);
  // Totals the demos at `paths` (their library keys), names matched to people by `aliases`.
  void summarize(quint64 generation, const std::vector<std::string>& paths,
                 std::shared_ptr<const obitrak::Aliases> aliases);
  // Writes the web site of the demos below `folders` into `site`.
  void publish(const QStringList& folders, const QString& site,
               std::shared_ptr<const obitrak::Aliases> aliases,
               const obitrak::ui::DeathMessages& messages, obitrak::HtmlColorSet colors);
  // Forgets the demos below `folder`.
  void forget(const QString& folder);

 signals:
  void rowsReady(const std::vector<obitrak::LibraryRow>& rows, bool replace);
  void progress(int done, int total);
  void indexFinished(const QString& note);
  void summaryReady(quint64 generation, std::shared_ptr<const obitrak::Summary> summary);
  void siteReady(const QString& site, const QString& note);
  void failed(const QString& message);

 private:
  LibraryStore& store();
  void sendRows(const QStringList& folders);
  std::vector<IndexDemo> searchFolders(const QStringList& folders, int& problems);

  std::string m_libraryPath;
  const std::atomic<bool>& m_cancel;
  std::unique_ptr<LibraryStore> m_store;
};

}  // namespace obitrak::ui
