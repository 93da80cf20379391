#pragma once

#include <QTableView>

#include "ui/LogModel.h"
#include "ui/SecondaryWindow.h"

class QLabel;
class QLineEdit;

namespace obitrak::ui {

// "Demo Log": every print message that the last scan kept, with the minute and second it
// came at, its print level in a narrow TYPE column and its text in a wide MESSAGE column;
// obituaries in red, level-3 messages in bold green. The grid follows the window's size.
// Ctrl+F opens a find bar that jumps to the next message holding its text (a player's
// name, say); Ctrl+C copies the selected rows as text.
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
  // The selected rows, a line each: time, type and message between tabs.
  QString selectedText() const;

 public slots:
  void showFindBar();
  void findNext();
  void findPrevious();

 protected:
  void refill() override;
  void resizeEvent(QResizeEvent* event) override;
  // Escape closes the find bar first, then the window.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildGrid();
  void buildFindBar();
  void find(bool forward);
  void placeControls();

  LogModel* m_model = nullptr;
  QTableView* m_grid = nullptr;
  QWidget* m_findBar = nullptr;
  QLineEdit* m_findText = nullptr;
  QLabel* m_findNote = nullptr;
  int m_timeWidth = 0;  // the TIME column with its grid line
  int m_filledEntries = -1;
};

}  // namespace obitrak::ui
