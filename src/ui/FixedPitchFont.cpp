#include "ui/FixedPitchFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <array>

namespace obitrak::ui {

namespace {

// Monospace families of the common desktops, best first.
constexpr std::array<const char*, 10> kMonospaceFamilies{
    "DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "Ubuntu Mono", "Cousine",
    "Nimbus Mono PS",   "FreeMono",        "Courier New",    "Courier",     "monospace"};

}  // namespace

QFont fixedPitchFont(int pixelSize, const FixedPitchTest& isFixed) {
  const FixedPitchTest fixed =
      isFixed ? isFixed : [](const QFont& font) { return QFontInfo(font).fixedPitch(); };
  QFont platform = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  platform.setPixelSize(pixelSize);
  if (fixed(platform)) return platform;
  for (const char* family : kMonospaceFamilies) {
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    if (fixed(font)) return font;
  }
  return platform;
}

}  // namespace obitrak::ui
