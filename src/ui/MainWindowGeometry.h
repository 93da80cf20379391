#pragma once

#include <optional>

#include "ui/FragGrid.h"

namespace obitrak::ui {

struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowRect&) const = default;
};

// Where the frag grid stands in the main window's client area.
inline constexpr int kGridLeft = 8;
inline constexpr int kGridTop = 80;

// The weapon filter's designed width; a longer weapon name widens it.
inline constexpr int kWeaponFilterWidth = 137;

// What the main window adds around the grid: frame, menu, controls above, status bar.
inline constexpr int kWindowExtraWidth = 21;
inline constexpr int kWindowExtraHeight = 200;

// The status bar's two panels as designed, and what the bar keeps around and between them.
inline constexpr int kStatusPanel0Width = 250;
inline constexpr int kStatusPanel1Width = 50;
inline constexpr int kStatusBarSpacing = 12;

// The main window's narrowest width, given the widths of the two panels' texts (frames
// included): the first panel keeps its designed width (less where its whole text is
// shorter; a tool tip holds a longer one) and the notice panel its whole notice, so that
// neither is squeezed away however small the user makes the window.
int mainWindowMinimumWidth(int panel0Text, int panel1Text);

// Where the "Team Scores" button ends on the right, as designed.
inline constexpr int kTeamScoresRight = 187;

// The least client area (below the menu, above the status bar) that keeps the main
// window's controls: the weapon filter, "TeamPlay" and "Team Scores" whole, and the grid's
// corner with the first cell of the first row and a scroll bar beneath.
GridSize mainWindowMinimumArea(int weaponFilterWidth, int scrollBarExtent);

// Where the main window goes to fit a grid of `grid` pixels on a screen of `screen` pixels:
// sized to the grid (and no narrower than `minimumWidth`), cut to the screen, centred. A
// maximised window keeps its size and place, so there is nothing to return.
std::optional<WindowRect> mainWindowPlacement(GridSize grid, GridSize screen, bool maximised,
                                              int minimumWidth = 0);

struct FrameMargins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The client rectangle the main window takes for a grid of `grid` pixels: its outer size as
// mainWindowPlacement() gives it within the screen's `available` area (desktop coordinates,
// without panels and docks), less the window manager's `frame`. Nothing when maximised.
std::optional<WindowRect> mainWindowClientRect(GridSize grid, WindowRect available,
                                               FrameMargins frame, bool maximised,
                                               int minimumWidth = 0);

// The size the grid takes in the room the window leaves it: its own size where it fits,
// else cut to the room (then it scrolls, so every cell stays reachable). A grid cut in one
// direction shows a scroll bar `scrollBarExtent` pixels thick across the other, and takes
// that much more room there where the room has it, so that the bar covers no cell.
GridSize gridViewport(GridSize grid, GridSize room, int scrollBarExtent = 0);

}  // namespace obitrak::ui
