#include "ui/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "export/HtmlColors.h"
#include "scan/DemoScan.h"
#include "scan/Phrases.h"
#include "stats/Scoreboard.h"
#include "ui/ErrorHandler.h"
#include "ui/FragGridView.h"
#include "ui/LogWindow.h"
#include "ui/Pictures.h"
#include "ui/ScanProgressDialog.h"
#include "ui/SecondaryWindow.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

const QString MainWindow::kCaption = QStringLiteral("Obitrak - Quake2 DM2 Analyzer by Kes");

namespace {

constexpr int kDesignWidth = 335;
constexpr int kDesignHeight = 208;
constexpr int kStatusBarHeight = 19;

// The window's client area; it tells the window when its size changes so that the grid
// can be fitted into it.
class ClientArea : public QWidget {
 public:
  ClientArea(std::function<void()> resized, QWidget* parent)
      : QWidget(parent), m_resized(std::move(resized)) {}

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    m_resized();
  }

 private:
  std::function<void()> m_resized;
};

// A status bar panel of a design width. The window's minimum width keeps both panels
// readable (mainWindowMinimumWidth()): the first gives way down to its designed width, the
// notice panel never, so that a notice can always be read whole.
class StatusPanel : public QLabel {
 public:
  StatusPanel(int width, bool keepsText, QWidget* parent)
      : QLabel(parent), m_width(width), m_keepsText(keepsText) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
  }
  QSize sizeHint() const override {
    return {std::max(m_width, QLabel::sizeHint().width()), QLabel::sizeHint().height()};
  }
  QSize minimumSizeHint() const override {
    const int whole = QLabel::sizeHint().width();
    return {m_keepsText ? whole : std::min(m_width, whole), QLabel::minimumSizeHint().height()};
  }

 private:
  int m_width;
  bool m_keepsText;
};

}  // namespace

MainWindow::MainWindow(AppState& state, QWidget* parent)
    : QMainWindow(parent),
      m_state(state),
      m_openDialog(runOpenFileDialog),
      m_saveDialog(runSaveFileDialog),
      m_exitProgram([] { QCoreApplication::exit(0); }) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(kCaption);
  setWindowIcon(programIcon());
  setFont(designFont(font()));
  buildMenus();
  buildControls();
  buildStatusBar();
  buildPlacementWatch();
  buildPackLabel();
  buildKeyboard();
  setAcceptDrops(true);
  resize(kDesignWidth, kDesignHeight);
}

MainWindow::~MainWindow() = default;

void MainWindow::setLinks(const MainWindowLinks& links) {
  m_links = links;
}

void MainWindow::setOpenDialog(FileDialog dialog) {
  m_openDialog = std::move(dialog);
}

void MainWindow::setSaveDialog(FileDialog dialog) {
  m_saveDialog = std::move(dialog);
}

void MainWindow::setExitProgram(std::function<void()> exitProgram) {
  m_exitProgram = std::move(exitProgram);
}

bool MainWindow::teamPlay() const {
  return m_teamPlayBox->isChecked();
}

int MainWindow::weaponIndex() const {
  return m_weaponFilter->currentIndex();
}

// ---- Building the window

void MainWindow::buildControls() {
  auto* area = new ClientArea([this] { fitGridIntoWindow(); }, this);
  setCentralWidget(area);

  m_startupPicture = new QLabel(area);
  m_startupPicture->setObjectName(QStringLiteral("Image1"));
  m_startupPicture->setGeometry(64, 8, 201, 121);
  m_startupPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_startupPicture->setPixmap(startupPicture());

  m_weaponFilter = new QComboBox(area);
  m_weaponFilter->setObjectName(QStringLiteral("WeaponList"));
  m_weaponFilter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  fillWeaponFilter();
  m_weaponFilter->hide();
  // Only a choice of the user re-tallies; the program sets the item without that.
  connect(m_weaponFilter, &QComboBox::activated, this,
          [this] { runGuarded([this] { weaponFilterChanged(); }); });

  m_teamPlayBox = new QCheckBox(QStringLiteral("TeamPlay"), area);
  m_teamPlayBox->setObjectName(QStringLiteral("TeamC"));
  m_teamPlayBox->setGeometry(8, 48, 97, 25);
  m_teamPlayBox->hide();
  connect(m_teamPlayBox, &QCheckBox::clicked, this,
          [this] { runGuarded([this] { teamPlayToggled(); }); });

  m_teamScoresButton = new QPushButton(QStringLiteral("Team Scores"), area);
  m_teamScoresButton->setObjectName(QStringLiteral("TeamScB"));
  m_teamScoresButton->setGeometry(112, 48, 75, 25);
  m_teamScoresButton->hide();
  connect(m_teamScoresButton, &QPushButton::clicked, this,
          [this] { runGuarded([this] { showTeamScores(); }); });

  m_fragModel = new FragGridModel(m_playerColours, this);
  m_fragGrid = new FragGridView(*m_fragModel, area);
  m_fragGrid->setObjectName(QStringLiteral("Grid1"));
  m_fragGrid->setGeometry(kGridLeft, kGridTop, 345, 145);
  m_fragGrid->hide();

  m_gridNote = new QLabel(area);
  m_gridNote->setObjectName(QStringLiteral("GridNote"));
  m_gridNote->hide();
}

void MainWindow::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setFixedHeight(kStatusBarHeight);
  bar->setSizeGripEnabled(false);
  m_panel0 = new StatusPanel(kStatusPanel0Width, false, bar);
  m_panel0->setObjectName(QStringLiteral("StatusPanel0"));
  m_panel1 = new StatusPanel(kStatusPanel1Width, true, bar);
  m_panel1->setObjectName(QStringLiteral("StatusPanel1"));
  bar->addWidget(m_panel0);
  // The notice panel reaches to the window's edge.
  bar->addWidget(m_panel1, 1);
}

// ---- Activation

bool MainWindow::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  switch (event->type()) {
    case QEvent::WindowActivate:
      runGuarded([this] { refill(); });
      break;
    case QEvent::Show:
      if (!m_centredAtStart && !m_placedClient) {
        m_centredAtStart = true;
        centreOnScreen(*this);
      }
      replaceIfMisplaced();
      break;
    case QEvent::Move:
    case QEvent::Resize:
      replaceIfMisplaced();
      break;
    default:
      break;
  }
  return handled;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  m_exitProgram();
}

// Every activation: the player colours and the HTML colours, as stored.
void MainWindow::refill() {
  m_playerColours.fill();
  loadColourSettings();
}

void MainWindow::loadColourSettings() {
  m_state.colorSettingsFile = colorSettingsPath(m_state.programPath);
  QString failure;
  try {
    namingFailure(QStringLiteral("Could not read the HTML colours from %1")
                      .arg(QFile::decodeName(QByteArray::fromStdString(m_state.colorSettingsFile))),
                  [&] { LoadHtmlColors(m_state.htmlColors, m_state.colorSettingsFile); });
  } catch (...) {
    failure = GeneralErrorHandler::currentExceptionMessage();
  }
  // Closing the message box activates this window again; a settings file that is still
  // damaged is reported once rather than on every return.
  if (failure.isEmpty() || failure == m_reportedColourError) {
    m_reportedColourError = failure;
    return;
  }
  m_reportedColourError = failure;
  GeneralErrorHandler::showMessage(failure);
}

// ---- The demo

void MainWindow::scanDemo(const QString& path) {
  // The demo is read into tables of its own, which replace the loaded ones only when the
  // file is a demo that could be read: a failure changes nothing that the user sees.
  DemoTables scanned;
  scanned.header = m_state.tables.header;
  scanned.log.setLimits(m_state.tables.log.limits());
  ScanReport report;
  namingFailure(QStringLiteral("Could not open %1").arg(path), [&] {
    if (m_links.log != nullptr) m_links.log->scanStarted();
    if (m_links.progress != nullptr) {
      m_links.progress->setExpectedBytes(static_cast<std::uint64_t>(QFileInfo(path).size()));
    }
    report = DemoScan(scanned, localFileName(path), m_links.progress, m_state.packChoice());
    if (report.notADemo) throw std::runtime_error(std::string(kNotADemo));
  });
  m_state.tables = std::move(scanned);
  m_state.scanNotice = report.statusPanel1;
  showScannedDemo(path, report.statusPanel0);
  rememberDemo(path);
}

void MainWindow::showScannedDemo(const QString& path, const std::string& panel0) {
  m_state.demoPath = path;
  m_teamPlayBox->setChecked(false);
  m_state.teamPlay = false;
  m_teamScoresButton->hide();
  for (QAction* item : {m_generalInfoAction, m_weaponsStatsAction, m_logAction, m_timeGraphAction,
                        m_exportDescriptionAction, m_exportHtmlAction, m_exportLogAction}) {
    item->setEnabled(true);
  }
  m_teamScoresAction->setEnabled(false);
  setWindowTitle(path);
  m_panel0->setText(quakeLine(panel0));
  m_panel0->setToolTip(quakeText(panel0));
  showNotice();

  m_startupPicture->hide();
  fillWeaponFilter();
  showPhrasePack();
  selectWeaponSilently(kWeaponAll);
  m_weaponFilter->show();
  m_teamPlayBox->show();
  m_fragGrid->show();
  m_fragModel->sortRows(0, true);  // a new demo's rows stand in rank order
  fillFragGrid();
  // The keyboard starts in the grid; Tab goes round the filter, the box and the grid.
  m_fragGrid->setFocus();
}

// Panel 1: the scan's notice, else the scoreboard's word where counted frags fall short.
void MainWindow::showNotice() {
  std::string notice = m_state.scanNotice;
  if (notice.empty() && CompareScoreboard(m_state.tables).countedLower) {
    notice = kNoticeScoreboardDiffers;
  }
  m_panel1->setText(latin1(notice));
  setMinimumWidth(mainWindowMinimumWidth(m_panel0->minimumSizeHint().width(),
                                         m_panel1->minimumSizeHint().width()));
}

}  // namespace obitrak::ui
