#pragma once

// The sizes of the small fixed windows, which must show their fixed texts whole in whatever
// fonts the platform has: the designed size is the least, and a window grows where a text
// would not fit in it, never the other way round.

namespace obitrak::ui {

struct Extent {
  int width = 0;
  int height = 0;
  bool operator==(const Extent&) const = default;
};

// The About window's memo, designed 137 x 153 at (144, 56), grown to `memoText` (its
// widest line and all its lines, with the box's margins), and the window's client area,
// designed 298 x 220, grown so that it keeps its margins right of and below the memo.
struct AboutLayout {
  Extent memo;
  Extent window;
  bool operator==(const AboutLayout&) const = default;
};
AboutLayout aboutLayout(Extent memoText);

// The progress window's client width: the designed 180 pixels, or what a window manager's
// title bar takes for a caption `captionWidth` pixels wide beside its window icon and
// buttons, each about `titleHeight` pixels wide.
int progressWindowWidth(int captionWidth, int titleHeight);

}  // namespace obitrak::ui
