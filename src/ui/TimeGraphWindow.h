#pragma once

#include <QLabel>
#include <QSize>
#include <QWidget>

#include "stats/TimeGraph.h"
#include "ui/FileDialogs.h"
#include "ui/PlayerColours.h"
#include "ui/SecondaryWindow.h"

class QPainter;

namespace obitrak::ui {

// The client area as designed (an outer 584 x 377 less a sizeable frame and caption); the
// window starts larger where the "minutes" label needs more room beside the drawing area.
inline constexpr QSize kTimeGraphClientSize{576, 350};
inline constexpr int kTimeGraphAreaLeft = 8;
inline constexpr int kTimeGraphAreaTop = 8;

// Draws a laid-out graph: solid axes, dotted grid lines, black labels, then each curve
// 2 pixels wide with its legend name in its player colour. Texts stand on `background`.
void drawTimeGraph(QPainter& painter, const TimeGraphLayout& graph,
                   const PlayerColourTable& colours, const QColor& background);

// How `metrics` measures the graph's texts: the names as the windows show them.
GraphTextMetrics graphTextMetrics(const QFontMetrics& metrics);

// How every ranked player's frag count developed over the demo: one curve a player on a
// frag axis and a time axis in minutes, rebuilt from the tables at every repaint, so that
// it follows the window's size and the "TeamPlay" box. "Save picture..." (Ctrl+S, or the
// graph's context menu) writes the graph as a PNG picture.
class TimeGraphWindow : public SecondaryWindow {
  Q_OBJECT

 public:
  explicit TimeGraphWindow(AppState& state, QWidget* parent = nullptr);

  // The drawing area's graph as it would be painted now.
  TimeGraphLayout currentLayout() const;
  // The save dialog, replaceable for tests.
  void setSaveDialog(FileDialog dialog) { m_saveDialog = std::move(dialog); }

 public slots:
  void savePicture();

 protected:
  void refill() override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  class GraphArea;

  // The drawing area follows the window's size; the "minutes" label stays beside it.
  void placeControls();

  GraphArea* m_graph = nullptr;
  QLabel* m_minutesLabel = nullptr;
  PlayerColourTable m_colours;
  FileDialog m_saveDialog;
};

}  // namespace obitrak::ui
