#include "ui/ScanProgressDialog.h"

#include <QApplication>
#include <QFontDatabase>
#include <QProgressBar>
#include <algorithm>

#include "ui/Pictures.h"
#include "ui/SecondaryWindow.h"
#include "ui/WindowFit.h"

namespace obitrak::ui {

namespace {

constexpr int kClientHeight = 38;
constexpr int kMargin = 8;
// A title bar's buttons are about as wide as the bar is high: its text and this margin.
constexpr int kTitleButtonMargin = 8;
// The window is painted at most this often, so that painting never slows a scan down much.
constexpr qint64 kPaintIntervalMs = 40;

}  // namespace

ScanProgressDialog::ScanProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint),
      m_paintIntervalMs(kPaintIntervalMs) {
  setObjectName(QStringLiteral("Progress"));
  setWindowTitle(QStringLiteral("Scanning demo..."));
  setWindowIcon(programIcon());
  setFont(designFont(font()));
  // The caption is the message: the window is wide enough for a title bar that shows it
  // whole, in the platform's title font (window managers write captions in bold).
  QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  title.setBold(true);
  const QFontMetrics titleMetrics(title);
  setFixedSize(progressWindowWidth(titleMetrics.horizontalAdvance(windowTitle()),
                                   titleMetrics.height() + kTitleButtonMargin),
               kClientHeight);
  // Showing it must not take the activation from the main window, whose activation handler
  // would otherwise run again when the scan ends.
  setAttribute(Qt::WA_ShowWithoutActivating);
  m_bar = new QProgressBar(this);
  m_bar->setObjectName(QStringLiteral("ProgressBar"));
  m_bar->setGeometry(kMargin, kMargin, width() - 2 * kMargin, kClientHeight - 2 * kMargin);
  m_bar->setRange(0, 100);
  m_bar->setTextVisible(false);
}

void ScanProgressDialog::readStarted() {
  m_activeBefore = QApplication::activeWindow();
  m_bar->setValue(0);
  show();
  centreOnScreen(*this);
  paintNow();
}

void ScanProgressDialog::readProgress(std::uint64_t bytesRead) {
  if (m_sincePaint.isValid() && m_sincePaint.elapsed() < m_paintIntervalMs) return;
  int percent = 0;
  if (m_expectedBytes > 0) {
    percent = static_cast<int>(std::min<std::uint64_t>(100, bytesRead * 100 / m_expectedBytes));
  } else {
    percent = (m_bar->value() + 5) % 101;
  }
  m_bar->setValue(percent);
  paintNow();
}

// Lets the platform map, expose and paint the window; input events stay queued, so the user
// cannot start anything else while the scan is running.
void ScanProgressDialog::paintNow() {
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  repaint();
  m_sincePaint.start();
  emit painted(m_bar->value());
}

// Some platforms activate this window all the same (at once or later); the window that was
// active before the scan asks for the activation back.
void ScanProgressDialog::readEnded() {
  hide();
  m_sincePaint.invalidate();
  if (m_activeBefore != nullptr && m_activeBefore != this) m_activeBefore->activateWindow();
}

}  // namespace obitrak::ui
