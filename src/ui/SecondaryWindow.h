#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

#include "ui/AppState.h"

namespace obitrak::ui {

// Centres a window on its screen's available area, by its outer frame.
void centreOnScreen(QWidget& window);

// The design font of every window: MS Sans Serif, 11 pixels high, or the platform's nearest.
QFont designFont(const QFont& base, bool bold = false);

// What every secondary window shares: the design font, centring on the screen when it is
// first shown, closing with Escape, and a refill from the demo tables on every activation.
// A window is its constructor plus refill().
class SecondaryWindow : public QWidget {
  Q_OBJECT

 public:
  SecondaryWindow(AppState& state, const QString& objectName, const QString& caption,
                  QSize designedSize, QWidget* parent = nullptr);

  // Shows the window without modality, or brings it forward when it is already open.
  void showAndRaise();
  // Runs refill(); a failure is shown by the general error handler.
  void refillNow();

 protected:
  // Fills the controls from the tables.
  virtual void refill() = 0;
  AppState& state() const { return m_state; }

  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Escape closes the window, unless one of its controls took the key.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  AppState& m_state;
  bool m_centred = false;
};

}  // namespace obitrak::ui
