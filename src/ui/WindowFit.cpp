#include "ui/WindowFit.h"

#include <algorithm>

namespace obitrak::ui {

namespace {

constexpr Extent kMemo{137, 153};
constexpr int kMemoLeft = 144;
constexpr int kMemoTop = 56;
constexpr Extent kAboutClient{298, 220};
constexpr int kAboutRightMargin = kAboutClient.width - kMemoLeft - kMemo.width;
constexpr int kAboutBottomMargin = kAboutClient.height - kMemoTop - kMemo.height;

constexpr int kProgressWidth = 180;
// A title bar holds the window's icon and up to three buttons beside the caption, and
// keeps some room at both ends and between them.
constexpr int kTitleBarItems = 4;
constexpr int kTitleBarPadding = 16;

}  // namespace

AboutLayout aboutLayout(Extent memoText) {
  AboutLayout l;
  l.memo = {std::max(kMemo.width, memoText.width), std::max(kMemo.height, memoText.height)};
  l.window = {std::max(kAboutClient.width, kMemoLeft + l.memo.width + kAboutRightMargin),
              std::max(kAboutClient.height, kMemoTop + l.memo.height + kAboutBottomMargin)};
  return l;
}

int progressWindowWidth(int captionWidth, int titleHeight) {
  return std::max(kProgressWidth,
                  captionWidth + kTitleBarItems * std::max(0, titleHeight) + kTitleBarPadding);
}

}  // namespace obitrak::ui
