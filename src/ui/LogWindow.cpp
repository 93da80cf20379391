#include "ui/LogWindow.h"

#include <QHeaderView>
#include <QScrollBar>

namespace obitrak::ui {

namespace {

constexpr int kOuterWidth = 578;
constexpr int kOuterHeight = 398;
constexpr int kGridLeft = 8;
constexpr int kGridTop = 8;
constexpr int kGridWidth = 553;
constexpr int kGridHeight = 353;
constexpr int kTypeWidth = 40;
constexpr int kMessageWidth = 492;
constexpr int kRowHeight = 15;
constexpr int kGridLine = 1;

}  // namespace

LogWindow::LogWindow(AppState& state, QWidget* parent)
    : SecondaryWindow(state, QStringLiteral("LogWindow"), QStringLiteral("Demo Log"),
                      {kOuterWidth, kOuterHeight}, parent) {
  m_model = new LogModel(state.tables.log, this);
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
  m_grid->setColumnWidth(0, kTypeWidth + kGridLine);
  m_grid->setColumnWidth(1, kMessageWidth + kGridLine);
  m_grid->setCornerButtonEnabled(false);
  m_grid->setFrameStyle(QFrame::Box | QFrame::Plain);
  m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
  m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  m_grid->setWordWrap(false);
  m_grid->setTextElideMode(Qt::ElideNone);  // long messages are cut at the cell's edge
  m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_grid->setGeometry(kGridLeft, kGridTop, kGridWidth, kGridHeight);
  refill();
}

void LogWindow::scanStarted() {
  m_grid->scrollToTop();
}

void LogWindow::refill() {
  const int scrolled = m_grid->verticalScrollBar()->value();
  m_model->fill();
  m_grid->horizontalHeader()->setVisible(m_model->headerFixed());
  m_grid->setColumnWidth(0, kTypeWidth + kGridLine);
  m_grid->setColumnWidth(1, kMessageWidth + kGridLine);
  if (m_model->entries() != m_filledEntries) {
    m_filledEntries = m_model->entries();
    m_grid->scrollToTop();
  } else {
    m_grid->verticalScrollBar()->setValue(scrolled);
  }
}

}  // namespace obitrak::ui
