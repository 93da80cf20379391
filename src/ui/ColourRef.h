#pragma once

#include <QColor>
#include <cstdint>

namespace obitrak::ui {

// Colours are kept as 0x00BBGGRR; these convert to and from Qt's colours.
inline QColor toQColor(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

inline std::uint32_t fromQColor(const QColor& colour) {
  return static_cast<std::uint32_t>(colour.red()) |
         (static_cast<std::uint32_t>(colour.green()) << 8) |
         (static_cast<std::uint32_t>(colour.blue()) << 16);
}

}  // namespace obitrak::ui
