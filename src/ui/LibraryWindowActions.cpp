#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <set>

#include "export/SummaryExport.h"
#include "export/WholeFile.h"
#include "ui/ErrorHandler.h"
#include "ui/LibraryDemoModel.h"
#include "ui/LibraryPlayersModel.h"
#include "ui/LibraryWindow.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

const QString kFoldersKey = QStringLiteral("library/folders");
constexpr std::size_t kRowSlice = 500;
const QString kSummaryFilter =
    QStringLiteral("Text files|*.txt|Web pages|*.htm|JSON files|*.json|All files|*.*");

}  // namespace

// ---- Folders and indexing

void LibraryWindow::saveFolders() {
  QSettings(QStringLiteral("Obitrak"), QStringLiteral("obitrak")).setValue(kFoldersKey, m_folders);
  m_folderList->clear();
  m_folderList->addItems(m_folders);
}

void LibraryWindow::addFolder() {
  const std::optional<QString> chosen = m_folderDialog(this);
  if (!chosen) return;
  const QString folder = QDir::cleanPath(QDir(*chosen).absolutePath());
  if (m_folders.contains(folder)) return;
  m_folders.append(folder);
  saveFolders();
  indexFolders();
}

void LibraryWindow::removeFolder() {
  const int row = m_folderList->currentRow();
  if (row < 0 || row >= m_folders.size()) return;
  const QString folder = m_folders.takeAt(row);
  saveFolders();
  if (m_indexing) {
    m_cancel = true;
    m_indexAgain = true;
  }
  // A folder that another one holds keeps its demos in the library.
  bool stillHeld = false;
  for (const QString& other : m_folders)
    stillHeld = stillHeld || folder == other || folder.startsWith(other + QLatin1Char('/'));
  if (!stillHeld) emit forgetRequested(folder);
  emit loadRowsRequested(m_folders);
  // The demos of a folder inside the one removed were forgotten with it: index them again.
  for (const QString& other : m_folders) {
    if (other.startsWith(folder + QLatin1Char('/'))) {
      indexFolders();
      break;
    }
  }
}

void LibraryWindow::indexFolders() {
  if (m_indexing) {
    m_indexAgain = true;
    return;
  }
  m_indexing = true;
  m_indexAgain = false;
  m_cancel = false;
  m_cancelButton->setEnabled(true);
  m_progress->setRange(0, 0);
  m_status->setText(QStringLiteral("Searching the folders..."));
  emit indexRequested(m_folders, state().deathMessages());
}

void LibraryWindow::cancelIndexing() {
  m_cancel = true;
}

// An empty library shows an empty bar that says so, not a full one.
void LibraryWindow::indexProgress(int done, int total) {
  m_progress->setRange(0, std::max(total, 1));
  m_progress->setValue(done);
  m_progress->setFormat(total == 0 ? QStringLiteral("No demos") : QStringLiteral("%p%"));
  m_status->setText(QStringLiteral("%1 of %2 demos").arg(done).arg(total));
}

void LibraryWindow::indexFinished(const QString& note) {
  m_indexing = false;
  m_cancelButton->setEnabled(false);
  if (m_progress->maximum() == 0) m_progress->setRange(0, 1);
  if (m_progress->format() != QStringLiteral("No demos"))
    m_progress->setValue(m_progress->maximum());
  m_status->setText(note);
  if (m_indexAgain) {
    indexFolders();
    return;
  }
  scheduleSummary();
}

// Rows join the table a slice at a time, one slice per turn of the event loop, so that no
// batch, however large, holds up the window.
void LibraryWindow::rowsArrived(const std::vector<LibraryRow>& rows, bool replace) {
  if (replace) {
    m_pendingRows.clear();
    m_demoModel->reset({});
    showDemoCount();
  }
  m_pendingRows.insert(m_pendingRows.end(), rows.begin(), rows.end());
  if (!m_rowFeeder->isActive()) m_rowFeeder->start();
}

void LibraryWindow::feedRows() {
  const std::size_t n = std::min(m_pendingRows.size(), kRowSlice);
  std::vector<LibraryRow> slice(
      std::make_move_iterator(m_pendingRows.begin()),
      std::make_move_iterator(m_pendingRows.begin() + static_cast<std::ptrdiff_t>(n)));
  m_pendingRows.erase(m_pendingRows.begin(),
                      m_pendingRows.begin() + static_cast<std::ptrdiff_t>(n));
  m_demoModel->upsert(std::move(slice));
  showDemoCount();
  if (!m_pendingRows.empty()) {
    m_rowFeeder->start();
  } else if (!m_indexing) {
    // While indexing runs, the totals wait for its end rather than follow every batch.
    scheduleSummary();
  }
}

// There is a summary to export once the library holds a demo.
void LibraryWindow::showDemoCount() {
  m_exportButton->setEnabled(m_demoModel->demoCount() > 0);
}

// The library's failures name its file ("PATH: the library is damaged").
void LibraryWindow::workerFailed(const QString& message) {
  GeneralErrorHandler::showMessage(QStringLiteral("Could not use the demo library ") + message);
}

// ---- The table

void LibraryWindow::filterChanged(const QString& text) {
  m_demoModel->setSearch(text);
  scheduleSummary();
}

void LibraryWindow::demoActivated(const QModelIndex& index) {
  if (!index.isValid() || !m_openDemo) return;
  const QString path = index.data(LibraryDemoModel::kPathRole).toString();
  runGuarded([&] { m_openDemo(path); });
}

// The selected demos, or every demo the filter shows when none is selected.
std::vector<std::string> LibraryWindow::selectedPaths() const {
  std::set<int> rows;
  for (const QModelIndex& i : m_demoTable->selectionModel()->selectedRows()) rows.insert(i.row());
  std::vector<std::string> paths;
  if (rows.empty()) {
    for (int r = 0; r < m_demoModel->rowCount(); ++r) paths.push_back(m_demoModel->row(r).path);
  }
  for (int r : rows) paths.push_back(m_demoModel->row(r).path);
  return paths;
}

// ---- The players' totals and their export

// Totals are asked for a moment after the last change, so that a selection dragged over
// many rows asks once.
void LibraryWindow::scheduleSummary() {
  m_summaryPending = true;
  m_summaryTimer->start();
}

void LibraryWindow::requestSummary() {
  m_summaryPending = true;
  m_summaryStatus->setText(QStringLiteral("Counting..."));
  emit summaryRequested(++m_summaryGeneration, selectedPaths(),
                        std::make_shared<const Aliases>(m_aliases));
}

void LibraryWindow::summaryArrived(quint64 generation, std::shared_ptr<const Summary> summary) {
  if (generation != m_summaryGeneration) return;
  m_summary = std::move(summary);
  m_summaryPending = false;
  m_playersModel->setSummary(*m_summary);
  showSuggestions();
  const bool selected = m_demoTable->selectionModel()->hasSelection();
  const std::size_t demos = m_summary->demos.size();
  m_summaryStatus->setText(QStringLiteral("Totals of %1 %2demo%3")
                               .arg(demos)
                               .arg(selected ? QStringLiteral("selected ") : QString())
                               .arg(demos == 1 ? QString() : QStringLiteral("s")));
  if (m_exportTarget) {
    const QString target = *m_exportTarget;
    m_exportTarget.reset();
    writeSummary(target);
  }
}

void LibraryWindow::exportSummary() {
  const FileDialogRequest request{QStringLiteral("SaveSummary"), kSummaryFilter, 1,
                                  QDir::home().filePath(QStringLiteral("summary.txt")),
                                  QStringLiteral("txt")};
  const std::optional<QString> target = m_saveDialog(this, request);
  if (!target) return;
  m_exportTarget = *target;
  requestSummary();
}

// The format follows the file name: ".htm" or ".html" a page, ".json" JSON, else text.
void LibraryWindow::writeSummary(const QString& target) {
  const QString suffix = QFileInfo(target).suffix().toLower();
  runGuarded([&] {
    namingFailure(QStringLiteral("Could not export the summary to %1").arg(target), [&] {
      writeFile(localFileName(target), [&](ByteSink& out) {
        if (suffix == QLatin1String("htm") || suffix == QLatin1String("html")) {
          WriteHtmlSummary(*m_summary, state().htmlColors, out);
        } else if (suffix == QLatin1String("json")) {
          WriteJsonSummary(*m_summary, state().phrasePackInUse(), out);
        } else {
          WriteTextSummary(*m_summary, out);
        }
      });
    });
    m_summaryStatus->setText(
        QStringLiteral("Summary written to %1").arg(QFileInfo(target).fileName()));
    m_summaryStatus->setToolTip(target);
  });
}

}  // namespace obitrak::ui
