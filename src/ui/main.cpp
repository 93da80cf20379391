#include "ui/main.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <string_view>

#include "export/ExportNames.h"
#include "export/HtmlExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "export/htmlcol.h"
#include "scan/DemoScan.h"
#include "scan/Phrases.h"
#include "stats/Tally.h"
#include "ui/About.h"
#include "ui/ColourRef.h"
#include "ui/ErrorHandler.h"
#include "ui/Pictures.h"
#include "ui/scanning.h"

namespace obitrak::ui {

const QString TMainForm::kCaption = QStringLiteral("Obitrak - Quake2 DM2 Analyzer by Kes");

namespace {

constexpr int kDesignWidth = 335;
constexpr int kDesignHeight = 208;
constexpr int kWindowFontPixels = 11;
constexpr int kStatusBarHeight = 19;
constexpr int kPanel0Width = 250;
constexpr int kPanel1Width = 50;
// Room kept free right of and below the grid when the window is cut to the screen.
constexpr int kGridMargin = 4;

const QString kOpenDemoFilter = QStringLiteral("All files|*.*|Quake2 demo files|*.dm2");
const QString kSaveDescrFilter = QStringLiteral("All files|*.*|Text files|*.txt");
const QString kSaveHtmlFilter = QStringLiteral("All files|*.*|Web pages|*.htm");
const QString kSaveLogFilter = QStringLiteral("All files|*.*|Text files|*.log");
const QString kDescrSwitch = QStringLiteral("-descr");
const QString kWebSwitch = QStringLiteral("-web");

// Demo texts are single-byte characters, shown as they are.
QString latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fileName(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

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

// Every cell of the frag grid is drawn by the main window's Grid1DrawCell.
class FragGridDelegate : public QStyledItemDelegate {
 public:
  FragGridDelegate(const TMainForm& form, QObject* parent)
      : QStyledItemDelegate(parent), m_form(form) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    painter->save();
    m_form.Grid1DrawCell(*painter, index.column(), index.row(), option.rect);
    painter->restore();
  }

 private:
  const TMainForm& m_form;
};

// A status bar panel of a fixed design width that gives way when the window is narrower.
class StatusPanel : public QLabel {
 public:
  StatusPanel(int width, QWidget* parent) : QLabel(parent), m_width(width) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
  }
  QSize sizeHint() const override { return {m_width, QLabel::sizeHint().height()}; }
  QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

 private:
  int m_width;
};

}  // namespace

TMainForm::TMainForm(AppState& state, QWidget* parent)
    : QMainWindow(parent),
      m_state(state),
      m_openDialog(runOpenFileDialog),
      m_saveDialog(runSaveFileDialog),
      m_exitProgram([] { QCoreApplication::exit(0); }) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(kCaption);
  setWindowIcon(programIcon());
  QFont font = this->font();
  font.setPixelSize(kWindowFontPixels);
  setFont(font);
  buildMenus();
  buildControls();
  buildStatusBar();
  resize(kDesignWidth, kDesignHeight);
}

TMainForm::~TMainForm() = default;

void TMainForm::setWindows(const MainFormWindows& windows) {
  m_windows = windows;
}

void TMainForm::setOpenDialog(FileDialog dialog) {
  m_openDialog = std::move(dialog);
}

void TMainForm::setSaveDialog(FileDialog dialog) {
  m_saveDialog = std::move(dialog);
}

void TMainForm::setExitProgram(std::function<void()> exitProgram) {
  m_exitProgram = std::move(exitProgram);
}

bool TMainForm::teamPlay() const {
  return TeamC->isChecked();
}

int TMainForm::weaponIndex() const {
  return WeaponList->currentIndex();
}

// ---- Building the window

QAction* TMainForm::addMenuItem(QMenu* menu, const char* name, const QString& text,
                                const QKeySequence& shortcut, bool enabled,
                                void (TMainForm::*handler)()) {
  QAction* item = menu->addAction(text);
  item->setObjectName(QString::fromLatin1(name));
  item->setShortcut(shortcut);
  item->setEnabled(enabled);
  connect(item, &QAction::triggered, this,
          [this, handler] { runGuarded([&] { (this->*handler)(); }); });
  return item;
}

void TMainForm::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  QMenu* file = bar->addMenu(QStringLiteral("File"));
  OpenDM21 = addMenuItem(file, "OpenDM21", QStringLiteral("Open DM2"), Qt::CTRL | Qt::Key_O, true,
                         &TMainForm::OpenDM21Click);
  file->addSeparator();
  Exportdescription1 =
      addMenuItem(file, "Exportdescription1", QStringLiteral("Export description"),
                  Qt::CTRL | Qt::Key_D, false, &TMainForm::Exportdescription1Click);
  ExportdescriptiontoHTML1 =
      addMenuItem(file, "ExportdescriptiontoHTML1", QStringLiteral("Export description to HTML"),
                  Qt::CTRL | Qt::Key_W, false, &TMainForm::ExportdescriptiontoHTML1Click);
  Exportlog1 = addMenuItem(file, "Exportlog1", QStringLiteral("Export log"), Qt::CTRL | Qt::Key_L,
                           false, &TMainForm::Exportlog1Click);
  file->addSeparator();
  Exit1 = addMenuItem(file, "Exit1", QStringLiteral("Exit"), Qt::CTRL | Qt::Key_X, true,
                      &TMainForm::Exit1Click);

  // The View items answer the bare letter while the main window is active.
  QMenu* view = bar->addMenu(QStringLiteral("View"));
  GeneralinfoaboutDM21 = addMenuItem(view, "GeneralinfoaboutDM21", QStringLiteral("General info"),
                                     Qt::Key_I, false, &TMainForm::GeneralinfoaboutDM21Click);
  Weaponsstats1 = addMenuItem(view, "Weaponsstats1", QStringLiteral("Weapons stats"), Qt::Key_W,
                              false, &TMainForm::Weaponsstats1Click);
  Demolog1 = addMenuItem(view, "Demolog1", QStringLiteral("Log"), Qt::Key_L, false,
                         &TMainForm::Demolog1Click);
  Timegraph1 = addMenuItem(view, "Timegraph1", QStringLiteral("Time graph"), Qt::Key_T, false,
                           &TMainForm::Timegraph1Click);
  Teamscores1 = addMenuItem(view, "Teamscores1", QStringLiteral("Team scores"), Qt::Key_E, false,
                            &TMainForm::TeamScBClick);

  QMenu* options = bar->addMenu(QStringLiteral("Options"));
  HTMLColors1 = addMenuItem(options, "HTMLColors1", QStringLiteral("HTML Colors"), QKeySequence(),
                            true, &TMainForm::HTMLColors1Click);

  QMenu* help = bar->addMenu(QStringLiteral("Help"));
  About1 = addMenuItem(help, "About1", QStringLiteral("About"), Qt::CTRL | Qt::Key_H, true,
                       &TMainForm::About1Click);
}

void TMainForm::buildControls() {
  auto* area = new ClientArea([this] { placeGrid(); }, this);
  setCentralWidget(area);

  Image1 = new QLabel(area);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(64, 8, 201, 121);
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1->setPixmap(startupPicture());

  WeaponList = new QComboBox(area);
  WeaponList->setObjectName(QStringLiteral("WeaponList"));
  WeaponList->setGeometry(8, 16, 137, 21);
  for (const WeaponCategory& category : kWeaponCategoryTable) {
    WeaponList->addItem(latin1(category.filterItem));
  }
  WeaponList->hide();
  // Only a choice of the user re-tallies; the program sets the item without that.
  connect(WeaponList, &QComboBox::activated, this,
          [this] { runGuarded([this] { WeaponListChange(); }); });

  TeamC = new QCheckBox(QStringLiteral("TeamPlay"), area);
  TeamC->setObjectName(QStringLiteral("TeamC"));
  TeamC->setGeometry(8, 48, 97, 25);
  TeamC->hide();
  connect(TeamC, &QCheckBox::clicked, this, [this] { runGuarded([this] { TeamCClick(); }); });

  TeamScB = new QPushButton(QStringLiteral("Team Scores"), area);
  TeamScB->setObjectName(QStringLiteral("TeamScB"));
  TeamScB->setGeometry(112, 48, 75, 25);
  TeamScB->hide();
  connect(TeamScB, &QPushButton::clicked, this, [this] { runGuarded([this] { TeamScBClick(); }); });

  buildGrid(area);
}

void TMainForm::buildGrid(QWidget* area) {
  Grid1 = new QTableWidget(area);
  Grid1->setObjectName(QStringLiteral("Grid1"));
  Grid1->setGeometry(kGridLeft, kGridTop, 345, 145);
  QFont bold = Grid1->font();
  bold.setBold(true);
  Grid1->setFont(bold);
  Grid1->horizontalHeader()->hide();
  Grid1->verticalHeader()->hide();
  // A section holds the cell and its one-pixel grid line.
  Grid1->horizontalHeader()->setMinimumSectionSize(1);
  Grid1->verticalHeader()->setMinimumSectionSize(1);
  Grid1->horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth + kGridLineWidth);
  Grid1->verticalHeader()->setDefaultSectionSize(kDefaultRowHeight + kGridLineWidth);
  Grid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Grid1->setFrameStyle(QFrame::Box | QFrame::Plain);
  Grid1->setLineWidth(1);
  Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
  Grid1->setSelectionBehavior(QAbstractItemView::SelectItems);
  Grid1->setWordWrap(false);
  // Scroll bars appear only where the window is too small for the whole grid.
  Grid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  Grid1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  Grid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  Grid1->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  Grid1->setItemDelegate(new FragGridDelegate(*this, Grid1));
  Grid1->hide();
}

void TMainForm::buildStatusBar() {
  StatusBar1 = statusBar();
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setFixedHeight(kStatusBarHeight);
  m_panel0 = new StatusPanel(kPanel0Width, StatusBar1);
  m_panel0->setObjectName(QStringLiteral("StatusPanel0"));
  m_panel0->setMaximumWidth(kPanel0Width);
  m_panel1 = new StatusPanel(kPanel1Width, StatusBar1);
  m_panel1->setObjectName(QStringLiteral("StatusPanel1"));
  StatusBar1->addWidget(m_panel0);
  // The last panel reaches to the window's edge, so that a notice can be read whole.
  StatusBar1->addWidget(m_panel1, 1);
}

// ---- Activation and the command line

bool TMainForm::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  if (event->type() == QEvent::WindowActivate) runGuarded([this] { FormActivate(); });
  return handled;
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_placedOnScreen || screen() == nullptr) return;
  m_placedOnScreen = true;
  const QRect screenRect = screen()->geometry();
  const QSize outer = frameGeometry().size();
  move(screenRect.x() + (screenRect.width() - outer.width()) / 2,
       screenRect.y() + (screenRect.height() - outer.height()) / 2);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  event->accept();
  m_exitProgram();
}

void TMainForm::FormActivate() {
  m_playerColours.fill();
  loadColourSettings();
  scanCommandLineDemo();
}

void TMainForm::loadColourSettings() {
  m_state.colorSettingsFile = colorSettingsPath(m_state.programPath);
  QString failure;
  try {
    LoadHtmlColors(m_state.htmlColors, m_state.colorSettingsFile);
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

void TMainForm::scanCommandLineDemo() {
  const QStringList& arguments = m_state.commandLine;
  if (arguments.isEmpty() || m_state.tables.scanMarker == kScanMarkerSet) return;
  ScanDemo(arguments[0]);
  if (commandLineSwitch(kDescrSwitch)) Exportdescription1Click();
}

bool TMainForm::commandLineSwitch(const QString& name) const {
  return m_state.commandLine.size() >= 2 && m_state.commandLine[1] == name;
}

// ---- The demo

void TMainForm::OpenDM21Click() {
  const FileDialogRequest request{QStringLiteral("OpenDemo"), kOpenDemoFilter, 2, m_demoPath};
  const std::optional<QString> chosen = m_openDialog(this, request);
  if (!chosen) return;
  ScanDemo(*chosen);
}

void TMainForm::ScanDemo(const QString& path) {
  // The scan replaces the tables only when the file could be read, so the window is reset
  // afterwards: a demo that cannot be opened changes nothing that the user sees.
  const ScanReport report = DemoScan(m_state.tables, fileName(path), m_windows.progress);
  showScannedDemo(path, report.statusPanel0, report.statusPanel1);
}

void TMainForm::showScannedDemo(const QString& path, const std::string& panel0,
                                const std::string& panel1) {
  m_demoPath = path;
  TeamC->setChecked(false);
  TeamScB->hide();
  for (QAction* item : {GeneralinfoaboutDM21, Weaponsstats1, Demolog1, Timegraph1,
                        Exportdescription1, ExportdescriptiontoHTML1, Exportlog1}) {
    item->setEnabled(true);
  }
  Teamscores1->setEnabled(false);
  setWindowTitle(path);
  m_panel0->setText(latin1(panel0));
  m_panel1->setText(latin1(panel1));

  Image1->hide();
  selectWeaponSilently(kWeaponAll);
  WeaponList->show();
  TeamC->show();
  Grid1->show();
  FillFragGrid();
}

void TMainForm::selectWeaponSilently(int index) {
  const QSignalBlocker blocker(WeaponList);
  WeaponList->setCurrentIndex(index);
}

void TMainForm::WeaponListChange() {
  const int weapon = WeaponList->currentIndex();
  if (TeamC->isChecked()) {
    TallyTeamPlay(m_state.tables, weapon);
  } else {
    TallyFreeForAll(m_state.tables, weapon);
  }
  FillFragGrid();
}

void TMainForm::TeamCClick() {
  selectWeaponSilently(kWeaponAll);
  const bool teamPlay = TeamC->isChecked();
  TeamScB->setVisible(teamPlay);
  Teamscores1->setEnabled(teamPlay);
  if (teamPlay) {
    TallyTeamPlay(m_state.tables, kWeaponAll);
  } else {
    TallyFreeForAll(m_state.tables, kWeaponAll);
  }
  FillFragGrid();
}

void TMainForm::TeamScBClick() {
  TallyTeamPlay(m_state.tables, kWeaponAll);
  showWindow(m_windows.teamScores);
}

// ---- The frag grid

void TMainForm::FillFragGrid() {
  const DemoTables& tables = m_state.tables;
  const PlayerTable& players = tables.players;
  const int n = players.playerCount;
  const int weapon = WeaponList->currentIndex();
  const int keptRow = Grid1->currentRow();
  const int keptColumn = Grid1->currentColumn();

  m_shape = fragGridShape(n);
  Grid1->clearContents();
  Grid1->setRowCount(m_shape.rows);
  Grid1->setColumnCount(m_shape.columns);

  std::vector<int> slotAt(static_cast<std::size_t>(n) + 1, kNoSlot);
  for (int place = 1; place <= n; ++place)
    slotAt[static_cast<std::size_t>(place)] = SlotOfRank(players, place);
  auto cellText = [&](int column, int row) -> QString {
    if (column == n + 1 && row == 0) return QStringLiteral("Frgs (Kills/Dths)");
    if (row == 0 && column >= 1 && column <= n) {
      return latin1(players[slotAt[static_cast<std::size_t>(column)]].name.view());
    }
    if (row < 1) return {};
    const PlayerRecord& killer = players[slotAt[static_cast<std::size_t>(row)]];
    if (column == 0) return latin1(killer.name.view());
    if (column == n + 1) {
      return QStringLiteral("%1 (%2 / %3)").arg(killer.frags).arg(killer.kills).arg(killer.deaths);
    }
    const int victimSlot = slotAt[static_cast<std::size_t>(column)];
    const int killerSlot = slotAt[static_cast<std::size_t>(row)];
    return QString::number(tables.killMatrix(victimSlot, killerSlot, weapon));
  };

  for (int row = 0; row < m_shape.rows; ++row) {
    for (int column = 0; column < m_shape.columns; ++column) {
      auto* item = new QTableWidgetItem(cellText(column, row));
      const bool fixed = row < m_shape.fixedRows || column < m_shape.fixedColumns;
      item->setFlags(fixed ? Qt::ItemIsEnabled : (Qt::ItemIsEnabled | Qt::ItemIsSelectable));
      Grid1->setItem(row, column, item);
    }
  }

  // The current cell stays where it was while it is still an ordinary cell.
  const bool keep = keptRow >= m_shape.fixedRows && keptRow < m_shape.rows &&
                    keptColumn >= m_shape.fixedColumns && keptColumn < m_shape.columns;
  Grid1->setCurrentCell(keep ? keptRow : m_shape.fixedRows,
                        keep ? keptColumn : m_shape.fixedColumns);

  placeWindowForGrid();
  placeGrid();
}

void TMainForm::placeWindowForGrid() {
  if (screen() == nullptr) return;
  const QRect screenRect = screen()->geometry();
  const std::optional<WindowRect> place =
      mainWindowPlacement(m_shape.size, {screenRect.width(), screenRect.height()}, isMaximized());
  if (!place) return;
  // The placement is of the outer window; Qt sizes the client area.
  const QSize frame = frameGeometry().size() - size();
  move(screenRect.x() + place->left, screenRect.y() + place->top);
  resize(place->width - frame.width(), place->height - frame.height());
}

void TMainForm::placeGrid() {
  if (m_shape.rows == 0) return;
  const QWidget* area = centralWidget();
  const GridSize room{area->width() - kGridLeft - kGridMargin,
                      area->height() - kGridTop - kGridMargin};
  const GridSize size = gridViewport(m_shape.size, room);
  Grid1->setGeometry(kGridLeft, kGridTop, size.width, size.height);
}

int TMainForm::headerPlayerTeam(int column, int row) const {
  const PlayerTable& players = m_state.tables.players;
  const int place = headerPlace(column, row);
  if (place < 1 || place > players.playerCount) return 0;
  const int slot = SlotOfRank(players, place);
  return slot == kNoSlot ? 0 : players[slot].team;
}

void TMainForm::Grid1DrawCell(QPainter& painter, int column, int row, const QRect& rect) const {
  CellFacts facts;
  facts.column = column;
  facts.row = row;
  facts.fixed = row < m_shape.fixedRows || column < m_shape.fixedColumns;
  facts.current = Grid1->currentRow() == row && Grid1->currentColumn() == column;
  facts.headerPlayerTeam = headerPlayerTeam(column, row);
  const CellPaint paint = fragGridCellPaint(facts, m_playerColours);

  QColor fill;
  switch (paint.fill) {
    case CellFill::Fixed:
      fill = Grid1->palette().color(QPalette::Button);
      break;
    case CellFill::Plain:
      fill = Grid1->palette().color(QPalette::Base);
      break;
    case CellFill::DarkGreen:
      fill = toQColor(kDarkGreen);
      break;
    case CellFill::White:
      fill = toQColor(kWhite);
      break;
  }
  painter.fillRect(rect, fill);
  const QTableWidgetItem* item = Grid1->item(row, column);
  if (item == nullptr) return;
  painter.setClipRect(rect);
  painter.setFont(Grid1->font());
  painter.setPen(toQColor(paint.text));
  painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   item->text());
}

// ---- Exports

QString TMainForm::defaultExportFile(const char* extension) const {
  return QFile::decodeName(
      QByteArray::fromStdString(defaultExportName(fileName(m_demoPath), extension)));
}

std::optional<QString> TMainForm::exportTarget(const FileDialogRequest& request,
                                               const QString& skipSwitch) {
  if (!skipSwitch.isEmpty() && commandLineSwitch(skipSwitch)) return request.fileName;
  return m_saveDialog(this, request);
}

void TMainForm::Exportdescription1Click() {
  if (m_demoPath.isEmpty()) return;
  const FileDialogRequest request{QStringLiteral("SaveDescr"), kSaveDescrFilter, 2,
                                  defaultExportFile("txt")};
  const std::optional<QString> target = exportTarget(request, kDescrSwitch);
  if (!target) return;
  ExportTextDescription(m_state.tables, fileName(m_demoPath), TeamC->isChecked(),
                        fileName(*target));
}

void TMainForm::ExportdescriptiontoHTML1Click() {
  if (m_demoPath.isEmpty()) return;
  const FileDialogRequest request{QStringLiteral("SaveHTML"), kSaveHtmlFilter, 2,
                                  defaultExportFile("htm")};
  const std::optional<QString> target = exportTarget(request, kWebSwitch);
  if (!target) return;
  ExportHtmlDescription(m_state.tables, fileName(m_demoPath), TeamC->isChecked(),
                        m_state.htmlColors, fileName(*target));
}

void TMainForm::Exportlog1Click() {
  if (m_demoPath.isEmpty()) return;
  const FileDialogRequest request{QStringLiteral("SaveLog"), kSaveLogFilter, 2,
                                  defaultExportFile("log")};
  const std::optional<QString> target = exportTarget(request, QString());
  if (!target) return;
  ExportLog(m_state.tables, fileName(*target));
}

void TMainForm::Exit1Click() {
  m_exitProgram();
}

// ---- Other windows

void TMainForm::showWindow(QWidget* window) {
  if (window == nullptr) return;
  window->show();
  window->raise();
  window->activateWindow();
}

void TMainForm::GeneralinfoaboutDM21Click() {
  if (m_demoPath.isEmpty()) return;
  showWindow(m_windows.general);
}

void TMainForm::Weaponsstats1Click() {
  if (m_demoPath.isEmpty()) return;
  showWindow(m_windows.weapWin);
}

void TMainForm::Demolog1Click() {
  if (m_demoPath.isEmpty()) return;
  showWindow(m_windows.logWindow);
}

void TMainForm::Timegraph1Click() {
  if (m_demoPath.isEmpty() || m_state.tables.players.playerCount == 0) return;
  showWindow(m_windows.graph);
}

void TMainForm::HTMLColors1Click() {
  showWindow(m_windows.htmlColors);
}

void TMainForm::About1Click() {
  if (m_windows.about != nullptr) m_windows.about->exec();
}

}  // namespace obitrak::ui
