#include "ui/GeneralInfoWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>

#include "stats/RankedPlayers.h"
#include "stats/Scoreboard.h"
#include "stats/VersionLabels.h"
#include "ui/ColumnWidths.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

constexpr int kOuterWidth = 474;
constexpr int kOuterHeight = 321;
constexpr int kBoxLeft = 72;
constexpr int kBoxWidth = 145;
constexpr int kBoxHeight = 21;
constexpr int kGridLeft = 224;
constexpr int kGridTop = 16;
constexpr int kGridWidth = 206;
constexpr int kGridHeightBeforeFill = 128;
constexpr int kGridColumnWidth = 100;
constexpr int kGridRowHeight = 24;
constexpr int kGridLine = 1;
constexpr int kGridFrame = kGridWidth - 2 * (kGridColumnWidth + kGridLine);
constexpr int kGridRightMargin = kOuterWidth - kGridLeft - kGridWidth;
constexpr int kStatusBarHeight = 19;
constexpr int kBoxGap = kGridLeft - kBoxLeft - kBoxWidth;  // between the boxes and the grid
constexpr int kGridBottomMargin = kOuterHeight - kStatusBarHeight - kGridTop - playerGridHeight(11);
constexpr std::string_view kUnknownVersion = "Unknown";

struct BoxPlace {
  const char* name;
  const char* label;
  int labelLeft;
  int top;
};

// The boxes in the order of the window's Box enumeration, with their caption labels.
constexpr std::array<BoxPlace, 8> kBoxPlaces{{
    {"MapBox", "Map name", 8, 16},
    {"MessageBox", "Message", 16, 48},
    {"BspBox", "BSP", 40, 80},
    {"PatchBox", "Game dir", 16, 112},
    {"VersionBox", "Version", 24, 144},
    {"ViewBox", "View from", 16, 176},
    {"TimeBox", "Time", 40, 208},
    {"ScoreBox", "Scoreboard", 8, 240},
}};

const QString kHeader[2] = {QStringLiteral("Player"), QStringLiteral("Skin")};

}  // namespace

GeneralInfoLayout generalInfoLayout(QSize client, int gridWidth, int gridHeight) {
  const int left = std::max(kGridLeft, client.width() - kGridRightMargin - gridWidth);
  const int room = client.height() - kStatusBarHeight - kGridBottomMargin - kGridTop;
  return {left - kBoxGap - kBoxLeft, QRect(left, kGridTop, gridWidth, std::min(gridHeight, room))};
}

void PlayerListModel::fill(const DemoTables& tables, int rows) {
  beginResetModel();
  m_rows = std::max(rows, 1);
  if (m_rows == 1) m_headerFixed = false;
  m_names.clear();
  m_skins.clear();
  const int slotsInUse = std::min<int>(tables.players.slotCount, kMaxSlots);
  for (int slot = 1; slot <= slotsInUse && m_names.size() < m_rows - 1; ++slot) {
    const PlayerRecord& p = tables.players[slot];
    if (p.name.view().empty()) continue;
    m_names << quakeLine(p.name.view());
    m_skins << quakeLine(p.skin.view());
  }
  endResetModel();
}

QString PlayerListModel::cellText(int column, int row) const {
  if (column < 0 || column > 1 || row < 0 || row >= m_rows) return {};
  if (row == 0) return kHeader[column];
  return (column == 0 ? m_names : m_skins).value(row - 1);
}

int PlayerListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_rows - (m_headerFixed ? 1 : 0);
}

int PlayerListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant PlayerListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return cellText(index.column(), index.row() + (m_headerFixed ? 1 : 0));
}

QVariant PlayerListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return cellText(section, 0);
}

Qt::ItemFlags PlayerListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
}

GeneralInfoWindow::GeneralInfoWindow(AppState& state, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("General"), QStringLiteral("General demo informatiom"),
                      {kOuterWidth, kOuterHeight}, parent) {
  const QFont bold = designFont(font(), true);
  for (std::size_t i = 0; i < kBoxPlaces.size(); ++i) {
    const BoxPlace& place = kBoxPlaces[i];
    auto* label = new QLabel(QString::fromLatin1(place.label), this);
    label->move(place.labelLeft, place.top);
    label->adjustSize();
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(place.name));
    box->setGeometry(kBoxLeft, place.top, kBoxWidth, kBoxHeight);
    box->setFont(bold);
    box->setReadOnly(true);
    m_boxes[i] = box;
  }

  m_playerModel = new PlayerListModel(this);
  m_playerGrid = new QTableView(this);
  m_playerGrid->setObjectName(QStringLiteral("PlGrid"));
  m_playerGrid->setModel(m_playerModel);
  m_playerGrid->setFont(bold);
  for (QHeaderView* header : {m_playerGrid->horizontalHeader(), m_playerGrid->verticalHeader()}) {
    header->setFont(bold);
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
  // A section holds the cell and its one-pixel grid line.
  m_playerGrid->horizontalHeader()->setDefaultSectionSize(kGridColumnWidth + kGridLine);
  m_playerGrid->horizontalHeader()->setFixedHeight(kGridRowHeight + kGridLine);
  m_playerGrid->verticalHeader()->setDefaultSectionSize(kGridRowHeight + kGridLine);
  m_playerGrid->verticalHeader()->hide();
  m_playerGrid->setCornerButtonEnabled(false);
  m_playerGrid->setFrameStyle(QFrame::Box | QFrame::Plain);
  m_playerGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_playerGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  m_playerGrid->setWordWrap(false);
  m_playerGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_playerGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_playerGrid->setGeometry(kGridLeft, kGridTop, kGridWidth, kGridHeightBeforeFill);

  // Made last, so that a grid taller than the window passes behind it.
  m_statusBar = new QStatusBar(this);
  m_statusBar->setObjectName(QStringLiteral("StatusBar2"));
  m_statusBar->setSizeGripEnabled(false);
  m_statusPanel = new QLabel(m_statusBar);
  m_statusBar->addWidget(m_statusPanel, 1);
  m_statusBar->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
}

// A text longer than its box shows whole, its lines as lines, in the box's tool tip.
void GeneralInfoWindow::setBox(Box box, const std::string& text) {
  QLineEdit* edit = m_boxes[static_cast<std::size_t>(box)];
  edit->setText(quakeLine(text));
  edit->setToolTip(quakeText(text));
  edit->setCursorPosition(0);
}

void GeneralInfoWindow::refill() {
  const DemoTables& t = state().tables;
  m_statusPanel->setText(state().demoPath);
  setBox(MessageBox, t.header.levelMessage);
  setBox(BspBox, t.header.bspName);
  setBox(PatchBox, t.header.gameDir);
  setBox(MapBox, t.header.mapName);
  setBox(VersionBox, std::string(VersionLabels(t.header.protocolVersion, kUnknownVersion)));
  setBox(ViewBox, viewFromName(t));
  setBox(TimeBox, minutesAndSecondsText(t.header.duration));
  showScoreboard();
  fillPlayerGrid();
}

// Whether the game's scoreboard agrees with the counted frags, its names and scores in the
// tool tip; empty without a scoreboard.
void GeneralInfoWindow::showScoreboard() {
  const ScoreboardComparison comparison = CompareScoreboard(state().tables);
  const bool shown = state().tables.scoreboard.has_value();
  setBox(ScoreBox, shown ? scoreboardVerdict(comparison) : std::string());
  QStringList lines;
  for (const std::string& line : scoreboardLines(comparison)) lines << quakeLine(line);
  m_boxes[ScoreBox]->setToolTip(lines.join(QLatin1Char('\n')));
}

// Every named player plus the header row; the grid grows to show them all where they fit
// above the status bar, and scrolls where they do not.
void GeneralInfoWindow::fillPlayerGrid() {
  const PlayerTable& players = state().tables.players;
  const int rows = players.playerCount + players.idleCount + 1;
  m_playerModel->fill(state().tables, rows);
  m_playerGrid->horizontalHeader()->setVisible(m_playerModel->headerFixed());
  m_columnsWidth = kGridFrame;
  for (int column = 0; column < 2; ++column) {
    const int w = playerColumnWidth(column);
    m_playerGrid->horizontalHeader()->resizeSection(column, w);
    m_columnsWidth += w;
  }
  // The window widens to show the whole width of the grid; it is never made narrower.
  const int shown = generalInfoLayout(size(), m_columnsWidth, playerGridHeight(rows)).grid.height();
  const int wanted = kGridLeft + gridWidthFor(shown) + kGridRightMargin;
  if (width() < wanted) resize(wanted, height());
  placeControls();
}

// The grid's width: its columns, and a scroll bar beside them where its rows are cut.
int GeneralInfoWindow::gridWidthFor(int height) const {
  const int rows = playerGridHeight(m_playerModel->gridRows());
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_playerGrid);
  return m_columnsWidth + (height < rows ? scrollBar : 0);
}

void GeneralInfoWindow::placeControls() {
  const int rows = playerGridHeight(m_playerModel->gridRows());
  GeneralInfoLayout layout = generalInfoLayout(size(), gridWidthFor(rows), rows);
  layout = generalInfoLayout(size(), gridWidthFor(layout.grid.height()), rows);
  for (std::size_t i = 0; i < m_boxes.size(); ++i) {
    m_boxes[i]->setGeometry(kBoxLeft, kBoxPlaces[i].top, layout.boxWidth, kBoxHeight);
  }
  m_playerGrid->setGeometry(layout.grid);
  m_statusBar->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
}

// At least the designed 100 pixels and the grid line; wider where the header or the
// longest name or skin would not fit.
int GeneralInfoWindow::playerColumnWidth(int column) const {
  QStringList headers;
  QStringList cells;
  for (int row = 0; row < m_playerModel->gridRows(); ++row) {
    (row == 0 ? headers : cells) << m_playerModel->cellText(column, row);
  }
  // The grid's cells keep their text this far from their edges.
  const int inset =
      m_playerGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_playerGrid) + 1;
  return fittedColumnWidth(kGridColumnWidth + kGridLine, m_playerGrid->fontMetrics(), headers,
                           cells, gridTextMargins(*m_playerGrid, inset));
}

void GeneralInfoWindow::resizeEvent(QResizeEvent* event) {
  SecondaryWindow::resizeEvent(event);
  if (m_columnsWidth > 0) {
    placeControls();
  } else {
    m_statusBar->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
  }
}

}  // namespace obitrak::ui
