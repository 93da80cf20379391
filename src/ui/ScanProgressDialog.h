#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <cstdint>

#include "scan/DemoScan.h"

class QProgressBar;

namespace obitrak::ui {

// "Scanning demo...": shown while a scan reads a demo, with a bar of how much of the file
// has been read. The scan runs on the user-interface thread; at each progress step the
// window lets the platform paint (and nothing else: user input waits until the scan ends).
class ScanProgressDialog : public QDialog, public ScanObserver {
  Q_OBJECT

 public:
  explicit ScanProgressDialog(QWidget* parent = nullptr);

  // The size of the demo about to be read; 0 when unknown (the bar then only moves).
  void setExpectedBytes(std::uint64_t bytes) { m_expectedBytes = bytes; }

  // How often, at most, the window is painted during a scan (tests paint at every step).
  void setPaintInterval(qint64 milliseconds) { m_paintIntervalMs = milliseconds; }

  void readStarted() override;
  void readProgress(std::uint64_t bytesRead) override;
  void readEnded() override;

 signals:
  // After the window has been painted at a progress step, with the bar's value.
  void painted(int percent);

 private:
  void paintNow();

  QProgressBar* m_bar = nullptr;
  QPointer<QWidget> m_activeBefore;
  QElapsedTimer m_sincePaint;
  std::uint64_t m_expectedBytes = 0;
  qint64 m_paintIntervalMs;
};

}  // namespace obitrak::ui
