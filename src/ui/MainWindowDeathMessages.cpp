#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include "scan/ObituaryAnalysis.h"
#include "scan/PackChoice.h"
#include "scan/PhrasePack.h"
#include "ui/ErrorHandler.h"
#include "ui/MainWindow.h"
#include "ui/TextConversion.h"

// The death-message pack that the user chooses, kept in the per-user settings between runs.

namespace obitrak::ui {

namespace {

const QString kPackFilter = QStringLiteral("Death-message packs|*.pack|All files|*.*");
const QString kPackKey = QStringLiteral("deathMessages/pack");
const QString kBuiltInKey = QStringLiteral("deathMessages/builtInOnly");

// The installed packs beside the program (bin/../share/obitrak/packs), where the pack
// chooser starts; empty when they are not there.
QString installedPacksFolder(const std::string& programPath) {
  const QDir programDir =
      QFileInfo(QFile::decodeName(QByteArray::fromStdString(programPath))).dir();
  const QString packs =
      QDir::cleanPath(programDir.filePath(QStringLiteral("../share/obitrak/packs")));
  return QFileInfo(packs).isDir() ? packs + QLatin1Char('/') : QString();
}

// The pack at `path`, or nothing after its error ("FILE: message" or "FILE:LINE: message")
// has been shown.
std::optional<PhrasePack> loadPack(const QString& path) {
  PhrasePackLoad load = LoadPhrasePack(localFileName(path));
  if (!load.pack) {
    GeneralErrorHandler::showMessage(QStringLiteral("Could not load the death messages of ") +
                                     QString::fromLocal8Bit(load.error));
    return std::nullopt;
  }
  return std::move(load.pack);
}

}  // namespace

// Shown only while a pack counts the demo, right of the two panels.
void MainWindow::buildPackLabel() {
  m_phrasePackLabel = new QLabel(statusBar());
  m_phrasePackLabel->setObjectName(QStringLiteral("PhrasePackLabel"));
  statusBar()->addPermanentWidget(m_phrasePackLabel);
  m_phrasePackLabel->hide();
}

void MainWindow::addDeathMessageItems(QMenu* options) {
  m_gameDirDeathMessagesAction = addMenuItem(
      options, "GameDirDeathMessages1", QStringLiteral("Death messages by &game directory"),
      QKeySequence(), false, &MainWindow::useGameDirDeathMessages);
  m_deathMessagesAction =
      addMenuItem(options, "DeathMessages1", QStringLiteral("&Death messages\u2026"),
                  QKeySequence(), true, &MainWindow::chooseDeathMessages);
  m_builtInDeathMessagesAction =
      addMenuItem(options, "BuiltInDeathMessages1", QStringLiteral("&Built-in death messages only"),
                  QKeySequence(), true, &MainWindow::useBuiltInDeathMessages);
}

void MainWindow::chooseDeathMessages() {
  const QString start = m_state.phrasePackPath.isEmpty() ? installedPacksFolder(m_state.programPath)
                                                         : m_state.phrasePackPath;
  const FileDialogRequest request{QStringLiteral("OpenPhrasePack"), kPackFilter, 1, start, {}};
  const std::optional<QString> chosen = m_openDialog(this, request);
  if (!chosen) return;
  const QString path = QFileInfo(*chosen).absoluteFilePath();
  std::optional<PhrasePack> pack = loadPack(path);
  if (!pack) return;
  QSettings settings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"));
  settings.setValue(kPackKey, path);
  settings.remove(kBuiltInKey);
  useDeathMessages(std::move(pack), path, false);
}

void MainWindow::useBuiltInDeathMessages() {
  QSettings settings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"));
  settings.remove(kPackKey);
  settings.setValue(kBuiltInKey, true);
  useDeathMessages(std::nullopt, QString(), true);
}

void MainWindow::useGameDirDeathMessages() {
  loadBundledPacks();
  QSettings settings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"));
  settings.remove(kPackKey);
  settings.remove(kBuiltInKey);
  useDeathMessages(std::nullopt, QString(), false);
}

// The packs installed beside the program, read once. A pack in error is reported and left
// out.
void MainWindow::loadBundledPacks() {
  if (m_bundledPacksLoaded) return;
  m_bundledPacksLoaded = true;
  const QString programFolder =
      QFileInfo(QFile::decodeName(QByteArray::fromStdString(m_state.programPath))).absolutePath();
  PackShelfLoad bundled = LoadPackShelf(bundledPacksFolder(localFileName(programFolder)));
  for (const std::string& error : bundled.errors)
    GeneralErrorHandler::showMessage(QString::fromLocal8Bit(error));
  m_state.bundledPacks = std::make_shared<const PackShelf>(std::move(bundled.shelf));
}

// The bundled packs and the choice kept from an earlier run, read at start-up.
// A kept pack that no longer loads is reported and the bundled packs are used; the setting
// stays for the next run.
void MainWindow::loadPhrasePackAtStart() {
  loadBundledPacks();
  if (m_phrasePackLoaded) return;
  m_phrasePackLoaded = true;
  QSettings settings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"));
  m_state.builtInOnly = settings.value(kBuiltInKey, false).toBool();
  const QString path = settings.value(kPackKey).toString();
  if (!path.isEmpty()) {
    std::optional<PhrasePack> pack = loadPack(path);
    if (pack) useDeathMessages(std::move(pack), path, false);
  }
  showPhrasePack();
}

// Every later scan counts with the choice; the loaded demo is analysed again at once and
// shown for the weapon and the "TeamPlay" state chosen.
void MainWindow::useDeathMessages(std::optional<PhrasePack> pack, const QString& path,
                                  bool builtInOnly) {
  m_phrasePackLoaded = true;
  m_state.phrasePack = std::move(pack);
  m_state.phrasePackPath = path;
  m_state.builtInOnly = builtInOnly;
  if (!m_state.demoPath.isEmpty()) {
    RerunObituaryAnalysis(m_state.tables, m_state.packChoice());
    fillWeaponFilter();
    showNotice();
    weaponFilterChanged();
  }
  showPhrasePack();
}

// The status bar names the pack that counted the loaded demo, or the one chosen for every
// demo before any is loaded; the menu offers the choices not in use.
void MainWindow::showPhrasePack() {
  std::string name = m_state.tables.packName;
  if (m_state.demoPath.isEmpty())
    name = m_state.phrasePack ? m_state.phrasePack->name() : std::string();
  const bool shown = !name.empty();
  m_phrasePackLabel->setText(shown ? QStringLiteral("Death messages: ") +
                                         QFile::decodeName(QByteArray::fromStdString(name))
                                   : QString());
  m_phrasePackLabel->setToolTip(
      m_state.phrasePack ? m_state.phrasePackPath
                         : QStringLiteral("The bundled pack for the game directory \"%1\"")
                               .arg(latin1(m_state.tables.header.gameDir)));
  m_phrasePackLabel->setVisible(shown);
  const bool byGameDir = !m_state.phrasePack && !m_state.builtInOnly;
  m_gameDirDeathMessagesAction->setEnabled(!byGameDir);
  m_builtInDeathMessagesAction->setEnabled(!m_state.builtInOnly);
}

}  // namespace obitrak::ui
