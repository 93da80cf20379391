#include "ui/scanning.h"

#include <QApplication>
#include <QScreen>

#include "ui/Pictures.h"

namespace obitrak::ui {

namespace {

constexpr int kClientWidth = 180;
constexpr int kClientHeight = 38;

void centreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect s = screen->geometry();
  const QSize outer = window.frameGeometry().size();
  window.move(s.x() + (s.width() - outer.width()) / 2, s.y() + (s.height() - outer.height()) / 2);
}

}  // namespace

TProgress::TProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("Progress"));
  setWindowTitle(QStringLiteral("Scanning demo..."));
  setWindowIcon(programIcon());
  setFixedSize(kClientWidth, kClientHeight);
  // Showing it must not take the activation from the main window, whose activation handler
  // would otherwise run again when the scan ends.
  setAttribute(Qt::WA_ShowWithoutActivating);
}

void TProgress::readStarted() {
  m_activeBefore = QApplication::activeWindow();
  show();
  centreOnScreen(*this);
}

// Some platforms activate this window all the same (at once or later); the window that was
// active before the scan asks for the activation back.
void TProgress::readEnded() {
  hide();
  if (m_activeBefore != nullptr && m_activeBefore != this) m_activeBefore->activateWindow();
}

}  // namespace obitrak::ui
