#include "ui/LibraryWindow.h"

#include <sys/resource.h>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <cerrno>

#include "export/SummaryExport.h"
#include "ui/ErrorHandler.h"
#include "ui/LibraryDemoModel.h"
#include "ui/LibraryPlayersModel.h"
#include "ui/LibraryWorker.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

const QString kFoldersKey = QStringLiteral("library/folders");
constexpr int kSummaryDelayMs = 150;
constexpr int kWorkerNice = 5;

std::optional<QString> runFolderDialog(QWidget* parent) {
  const QString folder = QFileDialog::getExistingDirectory(parent, QStringLiteral("Add folder"));
  if (folder.isEmpty()) return std::nullopt;
  return folder;
}

std::optional<QString> runSiteDialog(QWidget* parent) {
  const QString folder =
      QFileDialog::getExistingDirectory(parent, QStringLiteral("Publish as web site into"));
  if (folder.isEmpty()) return std::nullopt;
  return folder;
}

}  // namespace

LibraryWindow::LibraryWindow(AppState& state, std::string libraryPath, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("LibraryWindow"), QStringLiteral("Demo library"),
                      {1140, 640}, parent),
      m_libraryPath(std::move(libraryPath)),
      m_folderDialog(runFolderDialog),
      m_saveDialog(runSaveFileDialog),
      m_chooseName(runChooseName),
      m_siteDialog(runSiteDialog),
      m_openUrl([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  qRegisterMetaType<std::vector<obitrak::LibraryRow>>();
  qRegisterMetaType<std::shared_ptr<const obitrak::Summary>>();
  qRegisterMetaType<obitrak::ui::DeathMessages>();
  qRegisterMetaType<std::vector<std::string>>();
  qRegisterMetaType<std::shared_ptr<const obitrak::Aliases>>();
  qRegisterMetaType<obitrak::HtmlColorSet>();
  m_folders = QSettings(QStringLiteral("Obitrak"), QStringLiteral("obitrak"))
                  .value(kFoldersKey)
                  .toStringList();
  m_demoModel = new LibraryDemoModel(this);
  m_playersModel = new LibraryPlayersModel(this);
  m_summary = std::make_shared<Summary>();
  m_summaryTimer = new QTimer(this);
  m_summaryTimer->setSingleShot(true);
  m_summaryTimer->setInterval(kSummaryDelayMs);
  connect(m_summaryTimer, &QTimer::timeout, this, &LibraryWindow::requestSummary);
  m_rowFeeder = new QTimer(this);
  m_rowFeeder->setSingleShot(true);
  m_rowFeeder->setInterval(0);
  connect(m_rowFeeder, &QTimer::timeout, this, &LibraryWindow::feedRows);
  loadAliases();
  buildControls();
  startWorkers();
}

LibraryWindow::~LibraryWindow() {
  m_cancel = true;
  for (QThread* thread : {m_indexThread, m_readThread}) {
    thread->quit();
    thread->wait();
  }
}

void LibraryWindow::startWorkers() {
  m_indexThread = new QThread(this);
  m_readThread = new QThread(this);
  m_indexWorker = new LibraryWorker(m_libraryPath, m_cancel);
  m_readWorker = new LibraryWorker(m_libraryPath, m_cancel);
  m_indexWorker->moveToThread(m_indexThread);
  m_readWorker->moveToThread(m_readThread);
  for (auto [thread, worker] :
       {std::pair{m_indexThread, m_indexWorker}, std::pair{m_readThread, m_readWorker}}) {
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &LibraryWorker::failed, this, &LibraryWindow::workerFailed);
    connect(worker, &LibraryWorker::rowsReady, this, &LibraryWindow::rowsArrived);
  }
  // Rows are read on the indexing thread, so that they follow a folder's removal.
  connect(this, &LibraryWindow::loadRowsRequested, m_indexWorker, &LibraryWorker::loadRows);
  connect(this, &LibraryWindow::indexRequested, m_indexWorker, &LibraryWorker::index);
  connect(this, &LibraryWindow::forgetRequested, m_indexWorker, &LibraryWorker::forget);
  connect(this, &LibraryWindow::summaryRequested, m_readWorker, &LibraryWorker::summarize);
  connect(m_indexWorker, &LibraryWorker::progress, this, &LibraryWindow::indexProgress);
  connect(m_indexWorker, &LibraryWorker::indexFinished, this, &LibraryWindow::indexFinished);
  connect(m_readWorker, &LibraryWorker::summaryReady, this, &LibraryWindow::summaryArrived);
  connect(this, &LibraryWindow::publishRequested, m_readWorker, &LibraryWorker::publish);
  connect(m_readWorker, &LibraryWorker::siteReady, this, &LibraryWindow::siteArrived);
  // The window's own thread goes first: the workers run at a lower priority.
  for (QThread* thread : {m_indexThread, m_readThread}) {
    connect(thread, &QThread::started, [] {
      errno = 0;
      const int nice = ::getpriority(PRIO_PROCESS, 0);
      if (errno == 0) (void)::setpriority(PRIO_PROCESS, 0, nice + kWorkerNice);
    });
    thread->start();
  }
}

// ---- Building the window

void LibraryWindow::buildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildFolderRow());

  auto* progressRow = new QHBoxLayout;
  m_progress = new QProgressBar(this);
  m_progress->setObjectName(QStringLiteral("IndexProgress"));
  m_progress->setRange(0, 1);
  m_progress->setValue(0);
  m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  m_cancelButton->setObjectName(QStringLiteral("CancelIndex"));
  m_cancelButton->setEnabled(false);
  connect(m_cancelButton, &QPushButton::clicked, this, &LibraryWindow::cancelIndexing);
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("IndexStatus"));
  // Its text changes often while indexing: a label of a fixed size does not make the
  // window lay itself out again every time.
  m_status->setFixedSize(fontMetrics().averageCharWidth() * 70, fontMetrics().height() + 4);
  progressRow->addWidget(m_progress, 1);
  progressRow->addWidget(m_cancelButton);
  progressRow->addWidget(m_status);
  layout->addLayout(progressRow);

  auto* filterRow = new QHBoxLayout;
  m_filter = new QLineEdit(this);
  m_filter->setObjectName(QStringLiteral("LibraryFilter"));
  m_filter->setPlaceholderText(QStringLiteral("File, map or player name"));
  m_filter->setClearButtonEnabled(true);
  connect(m_filter, &QLineEdit::textChanged, this, &LibraryWindow::filterChanged);
  filterRow->addWidget(new QLabel(QStringLiteral("Filter:"), this));
  filterRow->addWidget(m_filter, 1);
  layout->addLayout(filterRow);

  layout->addWidget(buildTabs(), 1);

  auto* exportRow = new QHBoxLayout;
  m_exportButton = new QPushButton(QStringLiteral("Export summary..."), this);
  m_exportButton->setObjectName(QStringLiteral("ExportSummary"));
  m_exportButton->setEnabled(false);
  connect(m_exportButton, &QPushButton::clicked, this, &LibraryWindow::exportSummary);
  m_summaryStatus = new QLabel(this);
  m_summaryStatus->setObjectName(QStringLiteral("SummaryStatus"));
  m_summaryStatus->setFixedSize(fontMetrics().averageCharWidth() * 50, fontMetrics().height() + 4);
  auto* publishButton = new QPushButton(QStringLiteral("Publish as web site..."), this);
  publishButton->setObjectName(QStringLiteral("PublishSite"));
  connect(publishButton, &QPushButton::clicked, this, &LibraryWindow::publishSite);
  exportRow->addWidget(m_exportButton);
  exportRow->addWidget(publishButton);
  exportRow->addWidget(m_summaryStatus);
  exportRow->addStretch(1);
  layout->addLayout(exportRow);
}

QWidget* LibraryWindow::buildFolderRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  m_folderList = new QListWidget(row);
  m_folderList->setObjectName(QStringLiteral("LibraryFolders"));
  m_folderList->addItems(m_folders);
  m_folderList->setMaximumHeight(fontMetrics().height() * 4);
  layout->addWidget(m_folderList, 1);
  auto* buttons = new QVBoxLayout;
  const struct {
    const char* name;
    const char* text;
    void (LibraryWindow::*slot)();
  } items[] = {{"AddFolder", "Add folder...", &LibraryWindow::addFolder},
               {"RemoveFolder", "Remove folder", &LibraryWindow::removeFolder},
               {"IndexFolders", "Update", &LibraryWindow::indexFolders}};
  for (const auto& item : items) {
    auto* button = new QPushButton(QString::fromLatin1(item.text), row);
    button->setObjectName(QString::fromLatin1(item.name));
    connect(button, &QPushButton::clicked, this, item.slot);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  return row;
}

QWidget* LibraryWindow::buildTabs() {
  m_tabs = new QTabWidget(this);
  m_tabs->setObjectName(QStringLiteral("LibraryTabs"));
  m_demoTable = new QTableView(m_tabs);
  m_demoTable->setObjectName(QStringLiteral("LibraryDemos"));
  m_demoTable->setModel(m_demoModel);
  m_demoTable->setSortingEnabled(true);
  m_demoTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_demoTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_demoTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_demoTable->verticalHeader()->hide();
  m_demoTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_demoTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  const std::pair<LibraryColumn, int> widths[] = {
      {LibraryColumn::File, 28},      {LibraryColumn::Date, 18},
      {LibraryColumn::Map, 20},       {LibraryColumn::LevelMessage, 28},
      {LibraryColumn::GameDir, 11},   {LibraryColumn::Version, 15},
      {LibraryColumn::Duration, 8},   {LibraryColumn::Players, 8},
      {LibraryColumn::Winner, 16},    {LibraryColumn::WinnerFrags, 7},
      {LibraryColumn::Scoreboard, 11}};
  for (const auto& [column, digits] : widths)
    m_demoTable->setColumnWidth(static_cast<int>(column), digits * digit);
  m_demoTable->sortByColumn(static_cast<int>(LibraryColumn::File), Qt::AscendingOrder);
  connect(m_demoTable, &QTableView::activated, this, &LibraryWindow::demoActivated);
  connect(m_demoTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &LibraryWindow::scheduleSummary);
  m_tabs->addTab(m_demoTable, QStringLiteral("Demos"));

  m_tabs->addTab(buildPlayersTab(), QStringLiteral("Players"));
  return m_tabs;
}

// The library shows no part of the loaded demo: nothing to refill on activation.
void LibraryWindow::refill() {}

void LibraryWindow::showEvent(QShowEvent* event) {
  SecondaryWindow::showEvent(event);
  if (m_opened) return;
  m_opened = true;
  if (m_libraryPath.empty()) {
    // Neither XDG_DATA_HOME nor a home folder names a place: nothing can be kept.
    for (QWidget* control : findChildren<QPushButton*>()) control->setEnabled(false);
    m_status->setText(QStringLiteral(
        "No place for the demo library: set XDG_DATA_HOME or HOME to a folder and start again"));
    return;
  }
  QDir().mkpath(QFileInfo(QFile::decodeName(QByteArray::fromStdString(m_libraryPath))).path());
  emit loadRowsRequested(m_folders);
  indexFolders();
}

}  // namespace obitrak::ui
