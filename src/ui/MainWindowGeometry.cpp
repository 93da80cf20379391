#include "ui/MainWindowGeometry.h"

#include <algorithm>

namespace obitrak::ui {

std::optional<WindowRect> mainWindowPlacement(GridSize grid, GridSize screen, bool maximised,
                                              int minimumWidth) {
  if (maximised) return std::nullopt;
  WindowRect r;
  r.width = std::min(std::max(grid.width + kWindowExtraWidth, minimumWidth), screen.width);
  r.height = std::min(grid.height + kWindowExtraHeight, screen.height);
  r.left = (screen.width - r.width) / 2;
  r.top = (screen.height - r.height) / 2;
  return r;
}

std::optional<WindowRect> mainWindowClientRect(GridSize grid, WindowRect available,
                                               FrameMargins frame, bool maximised,
                                               int minimumWidth) {
  std::optional<WindowRect> outer =
      mainWindowPlacement(grid, {available.width, available.height}, maximised, minimumWidth);
  if (!outer) return std::nullopt;
  return WindowRect{available.left + outer->left + frame.left,
                    available.top + outer->top + frame.top,
                    std::max(0, outer->width - frame.left - frame.right),
                    std::max(0, outer->height - frame.top - frame.bottom)};
}

int mainWindowMinimumWidth(int panel0Text, int panel1Text) {
  return std::min(kStatusPanel0Width, panel0Text) + std::max(0, panel1Text) + kStatusBarSpacing;
}

GridSize mainWindowMinimumArea(int weaponFilterWidth, int scrollBarExtent) {
  constexpr int kRow = kDefaultRowHeight + kGridLineWidth;
  constexpr int kColumn = kDefaultColumnWidth + kGridLineWidth;
  constexpr int kMargin = kGridLeft / 2;
  const int controls = std::max(kGridLeft + weaponFilterWidth, kTeamScoresRight) + kGridLeft;
  const int firstCell = kGridLeft + 2 * kColumn + kGridBorder + kMargin;
  return {std::max(controls, firstCell),
          kGridTop + 2 * kRow + scrollBarExtent + kGridBorder + kMargin};
}

GridSize gridViewport(GridSize grid, GridSize room, int scrollBarExtent) {
  GridSize wanted = grid;
  // A bar in one direction may make the bar in the other necessary too.
  for (int pass = 0; pass < 2; ++pass) {
    if (grid.width > room.width) wanted.height = grid.height + scrollBarExtent;
    if (wanted.height > room.height) wanted.width = grid.width + scrollBarExtent;
    if (wanted.width > room.width) wanted.height = grid.height + scrollBarExtent;
  }
  return {std::clamp(room.width, 0, wanted.width), std::clamp(room.height, 0, wanted.height)};
}

}  // namespace obitrak::ui
