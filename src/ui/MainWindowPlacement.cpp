#include <QComboBox>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include "ui/FragGridView.h"
#include "ui/MainWindow.h"

// Where the main window goes and how large it is: sized to its frag grid, cut to the
// screen's free area and centred, and the grid fitted into what the window has room for.

namespace obitrak::ui {

namespace {

// Room kept free right of and below the grid when the window is cut to the screen.
constexpr int kGridMargin = 4;
// After a placement the window is watched this many times, 100 ms apart, and put back at
// most kMaxReplacements times where the window manager placed it otherwise.
constexpr int kPlacementWatchTicks = 20;
constexpr int kPlacementWatchMs = 100;
constexpr int kMaxReplacements = 5;
// No window manager draws a border wider than this; a larger one is a passing state.
constexpr int kMaxFrameSide = 96;

}  // namespace

void MainWindow::buildPlacementWatch() {
  m_placementWatch = new QTimer(this);
  m_placementWatch->setInterval(kPlacementWatchMs);
  connect(m_placementWatch, &QTimer::timeout, this, [this] { watchPlacement(); });
  keepControlsOnShrink();
}

// However small the user makes the window, its controls stay.
void MainWindow::keepControlsOnShrink() {
  const int scrollBar =
      m_fragGrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_fragGrid);
  const GridSize least = mainWindowMinimumArea(m_weaponFilter->width(), scrollBar);
  centralWidget()->setMinimumSize(least.width, least.height);
}

// The window is sized by its outer frame. Where the window manager has not told the frame
// yet, or moves and sizes the window on its own while it maps it, the placement is made
// with what is known and checked again for a short while.
void MainWindow::placeWindowForGrid() {
  m_replacements = 0;
  m_watchTicks = kPlacementWatchTicks;
  applyPlacement();
  m_placementWatch->start();
}

void MainWindow::applyPlacement() {
  if (screen() == nullptr) return;
  const QRect available = screen()->availableGeometry();
  const QMargins known = plausibleFrame().value_or(m_placedFrame);
  const std::optional<WindowRect> client =
      mainWindowClientRect(m_fragModel->shape().size,
                           {available.x(), available.y(), available.width(), available.height()},
                           {known.left(), known.top(), known.right(), known.bottom()},
                           isMaximized(), minimumWidth() + known.left() + known.right());
  if (!client) return;
  m_placedFrame = known;
  m_placedClient = QRect(client->left, client->top, client->width, client->height);
  setGeometry(*m_placedClient);
}

// The frame the window manager has drawn around the client area, or nothing while it is
// not known or not believable (while a window is being reparented some platforms briefly
// report the frame of its earlier size).
std::optional<QMargins> MainWindow::plausibleFrame() const {
  const QRect outer = frameGeometry();
  const QRect inner = geometry();
  const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom());
  for (int side : {frame.left(), frame.top(), frame.right(), frame.bottom()}) {
    if (side < 0 || side > kMaxFrameSide) return std::nullopt;
  }
  return frame;
}

void MainWindow::replaceIfMisplaced() {
  if (m_watchTicks <= 0 || !m_placedClient || !isVisible() || isMaximized()) return;
  const std::optional<QMargins> frame = plausibleFrame();
  const bool frameChanged = frame && *frame != m_placedFrame;
  if (!frameChanged && geometry() == *m_placedClient) return;
  if (m_replacements >= kMaxReplacements) return;
  ++m_replacements;
  applyPlacement();
}

void MainWindow::watchPlacement() {
  replaceIfMisplaced();
  if (--m_watchTicks <= 0) m_placementWatch->stop();
}

void MainWindow::fitGridIntoWindow() {
  if (m_fragModel->shape().rows == 0) return;
  const QWidget* area = centralWidget();
  const GridSize room{area->width() - kGridLeft - kGridMargin,
                      area->height() - kGridTop - kGridMargin};
  const int scrollBar =
      m_fragGrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_fragGrid);
  const GridSize size = gridViewport(m_fragModel->shape().size, room, scrollBar);
  m_fragGrid->setGeometry(kGridLeft, kGridTop, size.width, size.height);
}

}  // namespace obitrak::ui
