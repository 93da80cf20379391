#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>

#include "export/ExportNames.h"
#include "export/HtmlExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/Phrases.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"
#include "ui/AboutDialog.h"
#include "ui/ErrorHandler.h"
#include "ui/HtmlColorsWindow.h"
#include "ui/LogWindow.h"
#include "ui/MainWindow.h"
#include "ui/SecondaryWindow.h"
#include "ui/TextConversion.h"

// The main window's menus and what their items do.

namespace obitrak::ui {

namespace {

// Demos and servers' multi-view recordings, plain or packed with gzip.
const QString kOpenDemoFilter =
    QStringLiteral("All files|*.*|Quake2 demo files|*.dm2;*.dm2.gz;*.mvd2;*.mvd2.gz");
const QString kSaveDescrFilter = QStringLiteral("All files|*.*|Text files|*.txt");
const QString kSaveHtmlFilter = QStringLiteral("All files|*.*|Web pages|*.htm");
const QString kSaveLogFilter = QStringLiteral("All files|*.*|Text files|*.log");
const QString kDescrSwitch = QStringLiteral("-descr");
const QString kWebSwitch = QStringLiteral("-web");

}  // namespace

QAction* MainWindow::addMenuItem(QMenu* menu, const char* name, const QString& text,
                                 const QKeySequence& shortcut, bool enabled,
                                 void (MainWindow::*slot)()) {
  QAction* item = menu->addAction(text);
  item->setObjectName(QString::fromLatin1(name));
  item->setShortcut(shortcut);
  item->setEnabled(enabled);
  connect(item, &QAction::triggered, this, [this, slot] { runGuarded([&] { (this->*slot)(); }); });
  return item;
}

void MainWindow::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  QMenu* file = bar->addMenu(QStringLiteral("File"));
  m_openAction = addMenuItem(file, "OpenDM21", QStringLiteral("Open DM2"), Qt::CTRL | Qt::Key_O,
                             true, &MainWindow::openDemo);
  m_libraryAction = addMenuItem(file, "DemoLibrary1", QStringLiteral("Demo library..."),
                                Qt::CTRL | Qt::Key_B, true, &MainWindow::showLibrary);
  file->addSeparator();
  m_exportDescriptionAction =
      addMenuItem(file, "Exportdescription1", QStringLiteral("Export description"),
                  Qt::CTRL | Qt::Key_D, false, &MainWindow::exportDescription);
  m_exportHtmlAction =
      addMenuItem(file, "ExportdescriptiontoHTML1", QStringLiteral("Export description to HTML"),
                  Qt::CTRL | Qt::Key_W, false, &MainWindow::exportHtmlDescription);
  m_exportLogAction = addMenuItem(file, "Exportlog1", QStringLiteral("Export log"),
                                  Qt::CTRL | Qt::Key_L, false, &MainWindow::exportLog);
  file->addSeparator();
  m_exitAction = addMenuItem(file, "Exit1", QStringLiteral("Exit"), Qt::CTRL | Qt::Key_X, true,
                             &MainWindow::exitProgram);

  // The View items answer the bare letter while the main window is active.
  QMenu* view = bar->addMenu(QStringLiteral("View"));
  m_generalInfoAction = addMenuItem(view, "GeneralinfoaboutDM21", QStringLiteral("General info"),
                                    Qt::Key_I, false, &MainWindow::showGeneralInfo);
  m_weaponsStatsAction = addMenuItem(view, "Weaponsstats1", QStringLiteral("Weapons stats"),
                                     Qt::Key_W, false, &MainWindow::showWeaponsStats);
  m_logAction =
      addMenuItem(view, "Demolog1", QStringLiteral("Log"), Qt::Key_L, false, &MainWindow::showLog);
  m_timeGraphAction = addMenuItem(view, "Timegraph1", QStringLiteral("Time graph"), Qt::Key_T,
                                  false, &MainWindow::showTimeGraph);
  m_teamScoresAction = addMenuItem(view, "Teamscores1", QStringLiteral("Team scores"), Qt::Key_E,
                                   false, &MainWindow::showTeamScores);

  QMenu* options = bar->addMenu(QStringLiteral("Options"));
  m_htmlColorsAction = addMenuItem(options, "HTMLColors1", QStringLiteral("HTML Colors"),
                                   QKeySequence(), true, &MainWindow::showHtmlColors);
  addDeathMessageItems(options);

  QMenu* help = bar->addMenu(QStringLiteral("Help"));
  m_aboutAction = addMenuItem(help, "About1", QStringLiteral("About"), Qt::CTRL | Qt::Key_H, true,
                              &MainWindow::showAbout);
}

// ---- The demo

void MainWindow::openDemo() {
  const FileDialogRequest request{QStringLiteral("OpenDemo"), kOpenDemoFilter, 2, m_demoPath};
  const std::optional<QString> chosen = m_openDialog(this, request);
  if (!chosen) return;
  scanDemo(*chosen);
}

// ---- Exports

QString MainWindow::defaultExportFile(const char* extension) const {
  return QFile::decodeName(
      QByteArray::fromStdString(defaultExportName(localFileName(m_demoPath), extension)));
}

// The file an export writes, never the demo itself (compared as files, links resolved).
std::optional<QString> MainWindow::exportTarget(const FileDialogRequest& request,
                                                const QString& skipSwitch) {
  std::optional<QString> target = !skipSwitch.isEmpty() && commandLineSwitch(skipSwitch)
                                      ? std::optional<QString>(request.fileName)
                                      : m_saveDialog(this, request);
  if (target) checkExportTarget(localFileName(*target), localFileName(m_demoPath));
  return target;
}

void MainWindow::exportDescription() {
  if (m_demoPath.isEmpty()) return;
  const FileDialogRequest request{QStringLiteral("SaveDescr"), kSaveDescrFilter, 2,
                                  defaultExportFile("txt")};
  const std::optional<QString> target = exportTarget(request, kDescrSwitch);
  if (!target) return;
  recomputeAllWeapons(m_state.tables, m_state.teamPlay);
  ExportTextDescription(m_state.tables, localFileName(m_demoPath), m_state.teamPlay,
                        localFileName(*target));
}

void MainWindow::exportHtmlDescription() {
  if (m_demoPath.isEmpty()) return;
  const FileDialogRequest request{QStringLiteral("SaveHTML"), kSaveHtmlFilter, 2,
                                  defaultExportFile("htm")};
  const std::optional<QString> target = exportTarget(request, kWebSwitch);
  if (!target) return;
  recomputeAllWeapons(m_state.tables, m_state.teamPlay);
  ExportHtmlDescription(m_state.tables, localFileName(m_demoPath), m_state.teamPlay,
                        m_state.htmlColors, localFileName(*target));
}

void MainWindow::exportLog() {
  if (m_demoPath.isEmpty()) return;
  const FileDialogRequest request{QStringLiteral("SaveLog"), kSaveLogFilter, 2,
                                  defaultExportFile("log")};
  const std::optional<QString> target = exportTarget(request, QString());
  if (!target) return;
  ExportLog(m_state.tables, localFileName(*target));
}

void MainWindow::exitProgram() {
  m_exitProgram();
}

// ---- Other windows

void MainWindow::showLinked(SecondaryWindow* window) {
  if (window != nullptr) window->showAndRaise();
}

void MainWindow::showGeneralInfo() {
  if (m_demoPath.isEmpty()) return;
  showLinked(m_links.general);
}

void MainWindow::showWeaponsStats() {
  if (m_demoPath.isEmpty()) return;
  showLinked(m_links.weapons);
}

void MainWindow::showLog() {
  if (m_demoPath.isEmpty()) return;
  showLinked(m_links.log);
}

void MainWindow::showTimeGraph() {
  if (m_demoPath.isEmpty() || m_state.tables.players.playerCount == 0) return;
  showLinked(m_links.timeGraph);
}

void MainWindow::showLibrary() {
  showLinked(m_links.library);
}

void MainWindow::showTeamScores() {
  TallyTeamPlay(m_state.tables, kWeaponAll);
  showLinked(m_links.teamScores);
}

void MainWindow::showHtmlColors() {
  if (m_links.htmlColors != nullptr) m_links.htmlColors->showAndRaise();
}

void MainWindow::showAbout() {
  if (m_links.about != nullptr) m_links.about->exec();
}

}  // namespace obitrak::ui
