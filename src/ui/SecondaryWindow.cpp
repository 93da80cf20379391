#include "ui/SecondaryWindow.h"

#include <QKeyEvent>
#include <QScreen>

#include "ui/ErrorHandler.h"
#include "ui/Pictures.h"

namespace obitrak::ui {

namespace {
constexpr int kDesignFontPixels = 11;
}

void centreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize outer = window.frameGeometry().size();
  window.move(area.x() + (area.width() - outer.width()) / 2,
              area.y() + (area.height() - outer.height()) / 2);
}

QFont designFont(const QFont& base, bool bold) {
  QFont font = base;
  font.setPixelSize(kDesignFontPixels);
  font.setBold(bold);
  return font;
}

SecondaryWindow::SecondaryWindow(AppState& state, const QString& objectName, const QString& caption,
                                 QSize designedSize, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state) {
  setObjectName(objectName);
  setWindowTitle(caption);
  setWindowIcon(programIcon());
  setFont(designFont(font()));
  resize(designedSize);
}

void SecondaryWindow::showAndRaise() {
  show();
  raise();
  activateWindow();
}

void SecondaryWindow::refillNow() {
  runGuarded([this] { refill(); });
}

bool SecondaryWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::WindowActivate) refillNow();
  return handled;
}

void SecondaryWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void SecondaryWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (m_centred) return;
  m_centred = true;
  centreOnScreen(*this);
}

}  // namespace obitrak::ui
