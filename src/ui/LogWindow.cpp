#include "ui/LogWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <algorithm>

#include "ui/ColumnWidths.h"
#include "ui/CopyKey.h"

namespace obitrak::ui {

namespace {

// The design's window and grid; the TIME column widens both.
constexpr int kOuterWidth = 578;
constexpr int kOuterHeight = 398;
constexpr int kGridLeft = 8;
constexpr int kGridTop = 8;
constexpr int kGridWidth = 553;
constexpr int kGridHeight = 353;
constexpr int kTypeWidth = 40;
constexpr int kMessageWidth = 492;
constexpr int kLeastMessageWidth = 100;
constexpr int kRowHeight = 15;
constexpr int kGridLine = 1;
constexpr int kCellInset = 2;
constexpr int kFindBarGap = 4;

}  // namespace

LogWindow::LogWindow(AppState& state, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("LogWindow"), QStringLiteral("Demo Log"),
                      {kOuterWidth, kOuterHeight}, parent) {
  m_model = new LogModel(state.tables.log, this);
  buildGrid();
  buildFindBar();
  resize(kOuterWidth + m_timeWidth, kOuterHeight);
  refill();
}

void LogWindow::buildGrid() {
  m_grid = new QTableView(this);
  m_grid->setObjectName(QStringLiteral("Lg"));
  m_grid->setModel(m_model);
  // Every row is as high as the next: the view finds a row by arithmetic, never by
  // measuring, however long the log.
  for (QHeaderView* header : {m_grid->horizontalHeader(), m_grid->verticalHeader()}) {
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
  // A section holds the cell and its one-pixel grid line.
  m_grid->verticalHeader()->setDefaultSectionSize(kRowHeight + kGridLine);
  m_grid->verticalHeader()->hide();
  m_grid->horizontalHeader()->setFixedHeight(kRowHeight + kGridLine);
  m_grid->horizontalHeader()->setStretchLastSection(false);
  // The time goes first, before the design's two columns.
  m_grid->horizontalHeader()->moveSection(LogModel::Time, 0);
  const TextMargins margins = gridTextMargins(*m_grid, kCellInset);
  m_timeWidth = fittedColumnWidth(0, m_grid->fontMetrics(), {QStringLiteral("TIME")},
                                  {logTimeText(999 * 60 + 59)}, margins);
  m_grid->setCornerButtonEnabled(false);
  m_grid->setFrameStyle(QFrame::Box | QFrame::Plain);
  m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_grid->setWordWrap(false);
  m_grid->setTabKeyNavigation(false);
  m_grid->setTextElideMode(Qt::ElideNone);  // long messages are cut at the cell's edge
  m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  copyWithKey(*m_grid, [this] { return selectedText(); });
}

void LogWindow::buildFindBar() {
  m_findBar = new QWidget(this);
  m_findBar->setObjectName(QStringLiteral("LogFindBar"));
  auto* row = new QHBoxLayout(m_findBar);
  row->setContentsMargins(0, 0, 0, 0);
  m_findText = new QLineEdit(m_findBar);
  m_findText->setObjectName(QStringLiteral("LogFind"));
  m_findText->setPlaceholderText(QStringLiteral("A player's name or any text"));
  m_findText->setClearButtonEnabled(true);
  connect(m_findText, &QLineEdit::returnPressed, this, &LogWindow::findNext);
  auto* previous = new QPushButton(QStringLiteral("&Previous"), m_findBar);
  auto* next = new QPushButton(QStringLiteral("&Next"), m_findBar);
  connect(previous, &QPushButton::clicked, this, &LogWindow::findPrevious);
  connect(next, &QPushButton::clicked, this, &LogWindow::findNext);
  m_findNote = new QLabel(m_findBar);
  m_findNote->setObjectName(QStringLiteral("LogFindNote"));
  row->addWidget(new QLabel(QStringLiteral("Find:"), m_findBar));
  row->addWidget(m_findText, 1);
  row->addWidget(previous);
  row->addWidget(next);
  row->addWidget(m_findNote);
  m_findBar->hide();
  connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
          &LogWindow::showFindBar);
  connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
          &LogWindow::findNext);
  connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this,
          &LogWindow::findPrevious);
}

// The grid fills the window as the design's grid fills the design's window; the find bar
// stands in the room beneath it.
void LogWindow::placeControls() {
  const int gridWidth = width() - (kOuterWidth - kGridWidth);
  const int gridHeight = height() - (kOuterHeight - kGridHeight);
  m_grid->setGeometry(kGridLeft, kGridTop, gridWidth, gridHeight);
  m_grid->setColumnWidth(LogModel::Time, m_timeWidth);
  m_grid->setColumnWidth(LogModel::Type, kTypeWidth + kGridLine);
  m_grid->setColumnWidth(LogModel::Message,
                         std::max(kLeastMessageWidth, kMessageWidth + kGridLine + gridWidth -
                                                          kGridWidth - m_timeWidth));
  const int barTop = kGridTop + gridHeight + kFindBarGap;
  m_findBar->setGeometry(kGridLeft, barTop, gridWidth, height() - barTop - kFindBarGap);
}

void LogWindow::resizeEvent(QResizeEvent* event) {
  SecondaryWindow::resizeEvent(event);
  placeControls();
}

void LogWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && m_findBar->isVisible()) {
    m_findBar->hide();
    m_grid->setFocus();
    return;
  }
  SecondaryWindow::keyPressEvent(event);
}

void LogWindow::scanStarted() {
  m_grid->scrollToTop();
}

void LogWindow::refill() {
  const int scrolled = m_grid->verticalScrollBar()->value();
  m_model->fill();
  m_grid->horizontalHeader()->setVisible(m_model->headerFixed());
  placeControls();
  if (m_model->entries() != m_filledEntries) {
    m_filledEntries = m_model->entries();
    m_grid->scrollToTop();
  } else {
    m_grid->verticalScrollBar()->setValue(scrolled);
  }
}

// ---- Finding and copying

void LogWindow::showFindBar() {
  m_findBar->show();
  m_findText->setFocus();
  m_findText->selectAll();
}

void LogWindow::findNext() {
  find(true);
}

void LogWindow::findPrevious() {
  find(false);
}

// From the row after the selected one (the current one itself while nothing is selected),
// round the log once; the row found becomes the selection.
void LogWindow::find(bool forward) {
  if (!m_findBar->isVisible()) showFindBar();
  const QModelIndex current = m_grid->currentIndex();
  const int start = current.isValid() ? current.row() : 0;
  const bool after = m_grid->selectionModel()->hasSelection() || !forward;
  const int from = after ? start : start - 1;
  const int row = m_model->findRow(m_findText->text(), from, forward);
  m_findNote->setText(row < 0 && !m_findText->text().isEmpty() ? QStringLiteral("Not found")
                                                               : QString());
  if (row < 0) return;
  // The row alone, whatever keys are held (Shift+F3 must not extend the selection).
  const QModelIndex found = m_model->index(row, LogModel::Message);
  m_grid->selectionModel()->setCurrentIndex(
      found, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_grid->scrollTo(found, QAbstractItemView::PositionAtCenter);
}

QString LogWindow::selectedText() const {
  QModelIndexList rows = m_grid->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end());
  const QHeaderView& header = *m_grid->horizontalHeader();
  QList<QStringList> lines;
  for (const QModelIndex& index : rows) {
    QStringList cells;
    for (int visual = 0; visual < LogModel::ColumnCount; ++visual) {
      cells << m_model->cellText(header.logicalIndex(visual), m_model->entryOfRow(index.row()));
    }
    lines << cells;
  }
  return tabSeparated(lines);
}

}  // namespace obitrak::ui
