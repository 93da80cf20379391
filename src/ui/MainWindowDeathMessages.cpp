#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include "scan/ObituaryAnalysis.h"
#include "scan/PhrasePack.h"
#include "ui/ErrorHandler.h"
#include "ui/MainWindow.h"
#include "ui/TextConversion.h"

// The death-message pack that the user chooses, kept in the per-user settings between runs.

namespace obitrak::ui {

namespace {

const QString kPackFilter = QStringLiteral("Death-message packs|*.pack|All files|*.*");
const QString kPackKey = QStringLiteral("deathMessages/pack");

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

// Shown only while a pack is in use, right of the two panels.
void MainWindow::buildPackLabel() {
  m_phrasePackLabel = new QLabel(statusBar());
  m_phrasePackLabel->setObjectName(QStringLiteral("PhrasePackLabel"));
  statusBar()->addPermanentWidget(m_phrasePackLabel);
  m_phrasePackLabel->hide();
}

void MainWindow::addDeathMessageItems(QMenu* options) {
  m_deathMessagesAction =
      addMenuItem(options, "DeathMessages1", QStringLiteral("&Death messages\u2026"),
                  QKeySequence(), true, &MainWindow::chooseDeathMessages);
  m_builtInDeathMessagesAction =
      addMenuItem(options, "BuiltInDeathMessages1", QStringLiteral("&Built-in death messages only"),
                  QKeySequence(), false, &MainWindow::useBuiltInDeathMessages);
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
  QSettings(QStringLiteral("Obitrak"), QStringLiteral("obitrak")).setValue(kPackKey, path);
  usePhrasePack(std::move(pack), path);
}

void MainWindow::useBuiltInDeathMessages() {
  QSettings(QStringLiteral("Obitrak"), QStringLiteral("obitrak")).remove(kPackKey);
  usePhrasePack(std::nullopt, QString());
}

// The pack kept from an earlier run, read at start-up. One that no longer loads is reported
// and the built-in phrases are used; the setting stays for the next run.
void MainWindow::loadPhrasePackAtStart() {
  const QString path =
      QSettings(QStringLiteral("Obitrak"), QStringLiteral("obitrak")).value(kPackKey).toString();
  if (path.isEmpty()) return;
  std::optional<PhrasePack> pack = loadPack(path);
  if (pack) usePhrasePack(std::move(pack), path);
}

// Every later scan uses the pack; the loaded demo is analysed again at once and shown for
// the weapon and the "TeamPlay" state chosen.
void MainWindow::usePhrasePack(std::optional<PhrasePack> pack, const QString& path) {
  m_state.phrasePack = std::move(pack);
  m_state.phrasePackPath = path;
  showPhrasePack();
  if (m_state.demoPath.isEmpty()) return;
  RerunObituaryAnalysis(m_state.tables, m_state.phrasePackInUse());
  showNotice();
  weaponFilterChanged();
}

void MainWindow::showPhrasePack() {
  const bool inUse = m_state.phrasePack.has_value();
  m_phrasePackLabel->setText(
      inUse ? QStringLiteral("Death messages: ") +
                  QFile::decodeName(QByteArray::fromStdString(m_state.phrasePack->name()))
            : QString());
  m_phrasePackLabel->setToolTip(m_state.phrasePackPath);
  m_phrasePackLabel->setVisible(inUse);
  m_builtInDeathMessagesAction->setEnabled(inUse);
}

}  // namespace obitrak::ui
