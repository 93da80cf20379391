#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSettings>

#include "ui/DemoDrop.h"
#include "ui/ErrorHandler.h"
#include "ui/MainWindow.h"

// The ways a demo is opened: the open dialog, File > Recent demos (kept in the per-user
// settings between runs), a drop on the window and the command line at start-up.

namespace obitrak::ui {

namespace {

// Demos and servers' multi-view recordings, plain or packed with gzip.
const QString kOpenDemoFilter =
    QStringLiteral("All files|*.*|Quake2 demo files|*.dm2;*.dm2.gz;*.mvd2;*.mvd2.gz");
const QString kRecentKey = QStringLiteral("recentDemos");
const QString kDescrSwitch = QStringLiteral("-descr");

QSettings userSettings() {
  return QSettings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"));
}

std::optional<QString> demoOfDrop(const QDropEvent& event) {
  const QMimeData* mime = event.mimeData();
  if (mime == nullptr) return std::nullopt;
  return droppedDemoFile(mime->urls());
}

}  // namespace

void MainWindow::startUp() {
  if (m_startedUp) return;
  m_startedUp = true;
  loadPhrasePackAtStart();
  const QStringList& arguments = m_state.commandLine;
  if (arguments.isEmpty()) return;
  runGuarded([&] {
    scanDemo(arguments[0]);
    if (commandLineSwitch(kDescrSwitch)) exportDescription();
  });
  // The progress window of the scan may have had the focus that the window asked for.
  activateWindow();
}

// ---- The open dialog and recent demos

void MainWindow::openDemo() {
  const FileDialogRequest request{
      QStringLiteral("OpenDemo"), kOpenDemoFilter, 2, openDialogStart(), {}};
  const std::optional<QString> chosen = m_openDialog(this, request);
  if (!chosen) return;
  scanDemo(*chosen);
}

// The loaded demo, else the folder of the demo opened last, in this run or an earlier one.
QString MainWindow::openDialogStart() const {
  if (!m_state.demoPath.isEmpty()) return m_state.demoPath;
  const QStringList recent = recentDemos();
  if (recent.isEmpty()) return QString();
  return QFileInfo(recent.front()).absolutePath() + QLatin1Char('/');
}

// A demo that is gone leaves the list when it is chosen, and the failure says so.
void MainWindow::openRecentDemo(const QString& path) {
  if (!QFileInfo::exists(path)) forgetDemo(path);
  scanDemo(path);
}

QStringList MainWindow::recentDemos() const {
  return userSettings().value(kRecentKey).toStringList();
}

void MainWindow::rememberDemo(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList recent = recentDemos();
  recent.removeAll(absolute);
  recent.prepend(absolute);
  userSettings().setValue(kRecentKey, recent.mid(0, kRecentDemos));
  fillRecentMenu();
}

void MainWindow::forgetDemo(const QString& path) {
  QStringList recent = recentDemos();
  recent.removeAll(QFileInfo(path).absoluteFilePath());
  userSettings().setValue(kRecentKey, recent);
  fillRecentMenu();
}

void MainWindow::fillRecentMenu() {
  m_recentMenu->clear();
  const QStringList recent = recentDemos();
  for (int i = 0; i < recent.size(); ++i) {
    const QString& path = recent[i];
    // Mnemonics 1..9 and 0 for the tenth.
    QAction* item = m_recentMenu->addAction(
        QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(QDir::toNativeSeparators(path)));
    connect(item, &QAction::triggered, this,
            [this, path] { runGuarded([&] { openRecentDemo(path); }); });
  }
  m_recentMenu->setEnabled(!recent.isEmpty());
}

// ---- Drops

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (demoOfDrop(*event)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (demoOfDrop(*event)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  const std::optional<QString> path = demoOfDrop(*event);
  if (!path) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  runGuarded([&] { scanDemo(*path); });
}

}  // namespace obitrak::ui
