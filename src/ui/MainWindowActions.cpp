#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

#include "export/ExportNames.h"
#include "export/HtmlExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/Phrases.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"
#include "ui/AboutDialog.h"
#include "ui/ErrorHandler.h"
#include "ui/FragGridView.h"
#include "ui/HtmlColorsWindow.h"
#include "ui/LogWindow.h"
#include "ui/MainWindow.h"
#include "ui/SecondaryWindow.h"
#include "ui/TextConversion.h"

// The main window's menus, its keys and what the items do.

namespace obitrak::ui {

namespace {

const QString kSaveDescrFilter = QStringLiteral("All files|*.*|Text files|*.txt");
const QString kSaveHtmlFilter = QStringLiteral("All files|*.*|Web pages|*.htm");
const QString kSaveLogFilter = QStringLiteral("All files|*.*|Text files|*.log");
const QString kDescrSwitch = QStringLiteral("-descr");
const QString kWebSwitch = QStringLiteral("-web");
// How long the status bar says where an export was written.
constexpr int kExportNoteMs = 10000;

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

  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  m_openAction = addMenuItem(file, "OpenDM21", QStringLiteral("&Open DM2"), Qt::CTRL | Qt::Key_O,
                             true, &MainWindow::openDemo);
  m_recentMenu = file->addMenu(QStringLiteral("&Recent demos"));
  m_recentMenu->setObjectName(QStringLiteral("RecentDemos1"));
  fillRecentMenu();
  m_libraryAction = addMenuItem(file, "DemoLibrary1", QStringLiteral("Demo li&brary..."),
                                Qt::CTRL | Qt::Key_B, true, &MainWindow::showLibrary);
  file->addSeparator();
  m_exportDescriptionAction =
      addMenuItem(file, "Exportdescription1", QStringLiteral("Export &description"),
                  Qt::CTRL | Qt::Key_D, false, &MainWindow::exportDescription);
  m_exportHtmlAction =
      addMenuItem(file, "ExportdescriptiontoHTML1", QStringLiteral("Export description to &HTML"),
                  Qt::CTRL | Qt::Key_W, false, &MainWindow::exportHtmlDescription);
  m_exportLogAction = addMenuItem(file, "Exportlog1", QStringLiteral("Export &log"),
                                  Qt::CTRL | Qt::Key_L, false, &MainWindow::exportLog);
  file->addSeparator();
  m_exitAction = addMenuItem(file, "Exit1", QStringLiteral("E&xit"), Qt::CTRL | Qt::Key_X, true,
                             &MainWindow::exitProgram);
  // The usual Ctrl+Q beside the design's Ctrl+X, in every window of the program.
  m_exitAction->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_Q)});
  m_exitAction->setShortcutContext(Qt::ApplicationShortcut);

  // The View items answer the bare letter while the main window is active.
  QMenu* view = bar->addMenu(QStringLiteral("&View"));
  m_generalInfoAction = addMenuItem(view, "GeneralinfoaboutDM21", QStringLiteral("&General info"),
                                    Qt::Key_I, false, &MainWindow::showGeneralInfo);
  m_weaponsStatsAction = addMenuItem(view, "Weaponsstats1", QStringLiteral("&Weapons stats"),
                                     Qt::Key_W, false, &MainWindow::showWeaponsStats);
  m_logAction =
      addMenuItem(view, "Demolog1", QStringLiteral("&Log"), Qt::Key_L, false, &MainWindow::showLog);
  m_timeGraphAction = addMenuItem(view, "Timegraph1", QStringLiteral("&Time graph"), Qt::Key_T,
                                  false, &MainWindow::showTimeGraph);
  m_teamScoresAction = addMenuItem(view, "Teamscores1", QStringLiteral("T&eam scores"), Qt::Key_E,
                                   false, &MainWindow::showTeamScores);

  QMenu* options = bar->addMenu(QStringLiteral("&Options"));
  m_htmlColorsAction = addMenuItem(options, "HTMLColors1", QStringLiteral("HTML &Colors"),
                                   QKeySequence(), true, &MainWindow::showHtmlColors);
  addDeathMessageItems(options);

  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  m_helpAction = addMenuItem(help, "ObitrakHelp1", QStringLiteral("Obitrak &Help"),
                             QKeySequence::HelpContents, true, &MainWindow::showHelp);
  m_helpAction->setShortcutContext(Qt::ApplicationShortcut);
  m_aboutAction = addMenuItem(help, "About1", QStringLiteral("&About"), Qt::CTRL | Qt::Key_H, true,
                              &MainWindow::showAbout);
}

// F10 opens the menu bar as Alt and a menu's letter do; Tab goes from the weapon filter to
// "TeamPlay", "Team Scores" and the grid.
void MainWindow::buildKeyboard() {
  auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(menuKey, &QShortcut::activated, this, [this] {
    QMenuBar* bar = menuBar();
    bar->setActiveAction(bar->actions().constFirst());
  });
  setTabOrder(m_weaponFilter, m_teamPlayBox);
  setTabOrder(m_teamPlayBox, m_teamScoresButton);
  setTabOrder(m_teamScoresButton, m_fragGrid);
}

bool MainWindow::commandLineSwitch(const QString& name) const {
  return m_state.commandLine.size() >= 2 && m_state.commandLine[1] == name;
}

// ---- Exports

QString MainWindow::defaultExportFile(const char* extension) const {
  return QFile::decodeName(
      QByteArray::fromStdString(defaultExportName(localFileName(m_state.demoPath), extension)));
}

// The file an export writes: its default name under a command-line switch, else the one
// the user chooses.
std::optional<QString> MainWindow::exportTarget(const FileDialogRequest& request,
                                                const QString& skipSwitch) {
  if (!skipSwitch.isEmpty() && commandLineSwitch(skipSwitch)) return request.fileName;
  return m_saveDialog(this, request);
}

// Writes an export through `write`, never onto the demo itself (compared as files, links
// resolved). A failure names the action and the file; success is told in the status bar.
void MainWindow::exportTo(const QString& action, const QString& what, const QString& target,
                          const std::function<void(const std::string&)>& write) {
  namingFailure(action.arg(target), [&] {
    checkExportTarget(localFileName(target), localFileName(m_state.demoPath));
    write(localFileName(target));
  });
  statusBar()->showMessage(QStringLiteral("%1 written to %2").arg(what, target), kExportNoteMs);
}

void MainWindow::exportDescription() {
  if (m_state.demoPath.isEmpty()) return;
  const FileDialogRequest request{QStringLiteral("SaveDescr"), kSaveDescrFilter, 2,
                                  defaultExportFile("txt"), QStringLiteral("txt")};
  const std::optional<QString> target = exportTarget(request, kDescrSwitch);
  if (!target) return;
  exportTo(QStringLiteral("Could not export the description to %1"), QStringLiteral("Description"),
           *target, [&](const std::string& path) {
             recomputeAllWeapons(m_state.tables, m_state.teamPlay);
             ExportTextDescription(m_state.tables, localFileName(m_state.demoPath),
                                   m_state.teamPlay, path);
           });
}

void MainWindow::exportHtmlDescription() {
  if (m_state.demoPath.isEmpty()) return;
  const FileDialogRequest request{QStringLiteral("SaveHTML"), kSaveHtmlFilter, 2,
                                  defaultExportFile("htm"), QStringLiteral("htm")};
  const std::optional<QString> target = exportTarget(request, kWebSwitch);
  if (!target) return;
  exportTo(QStringLiteral("Could not export the HTML description to %1"),
           QStringLiteral("HTML description"), *target, [&](const std::string& path) {
             recomputeAllWeapons(m_state.tables, m_state.teamPlay);
             ExportHtmlDescription(m_state.tables, localFileName(m_state.demoPath),
                                   m_state.teamPlay, m_state.htmlColors, path);
           });
}

void MainWindow::exportLog() {
  if (m_state.demoPath.isEmpty()) return;
  const FileDialogRequest request{QStringLiteral("SaveLog"), kSaveLogFilter, 2,
                                  defaultExportFile("log"), QStringLiteral("log")};
  const std::optional<QString> target = exportTarget(request, QString());
  if (!target) return;
  exportTo(QStringLiteral("Could not export the log to %1"), QStringLiteral("Log"), *target,
           [&](const std::string& path) { ExportLog(m_state.tables, path); });
}

void MainWindow::exitProgram() {
  m_exitProgram();
}

// ---- Other windows

void MainWindow::showLinked(SecondaryWindow* window) {
  if (window != nullptr) window->showAndRaise();
}

void MainWindow::showGeneralInfo() {
  if (m_state.demoPath.isEmpty()) return;
  showLinked(m_links.general);
}

void MainWindow::showWeaponsStats() {
  if (m_state.demoPath.isEmpty()) return;
  showLinked(m_links.weapons);
}

void MainWindow::showLog() {
  if (m_state.demoPath.isEmpty()) return;
  showLinked(m_links.log);
}

void MainWindow::showTimeGraph() {
  if (m_state.demoPath.isEmpty() || m_state.tables.players.playerCount == 0) return;
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

void MainWindow::showHelp() {
  showLinked(m_links.help);
}

void MainWindow::showAbout() {
  if (m_links.about != nullptr) m_links.about->exec();
}

}  // namespace obitrak::ui
