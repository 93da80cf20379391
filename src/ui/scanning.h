#pragma once

#include <QDialog>
#include <QPointer>

#include "scan/DemoScan.h"

namespace obitrak::ui {

// "Scanning demo...": an empty window whose caption is the message, shown while a scan
// reads the demo. The scan does not return to the event loop before it ends, so the window
// carries no progress indication.
class TProgress : public QDialog, public ScanObserver {
  Q_OBJECT

 public:
  explicit TProgress(QWidget* parent = nullptr);

  void readStarted() override;
  void readEnded() override;

 private:
  QPointer<QWidget> m_activeBefore;
};

}  // namespace obitrak::ui
