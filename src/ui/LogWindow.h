#pragma once

#include <QTableView>

#include "ui/LogModel.h"
#include "ui/SecondaryWindow.h"

namespace obitrak::ui {

// "Demo Log": every print message that the last scan kept, its print level in a narrow
// TYPE column and its text in a wide MESSAGE column; obituaries in red, level-3 messages in
// bold green.
//
// An activation refills the grid from the MessageLog. When the number of entries has
// changed since the last fill, the grid starts again at its first data row; otherwise it
// stays where the user left it. scanStarted() scrolls back to the first data row at once
// and leaves the rows as they are until the next activation.
class LogWindow : public SecondaryWindow {
  Q_OBJECT

 public:
  explicit LogWindow(AppState& state, QWidget* parent = nullptr);

  // To be called at the start of every demo scan.
  void scanStarted();

  QTableView& grid() const { return *m_grid; }
  const LogModel& logModel() const { return *m_model; }

 protected:
  void refill() override;

 private:
  LogModel* m_model = nullptr;
  QTableView* m_grid = nullptr;
  int m_filledEntries = -1;
};

}  // namespace obitrak::ui
