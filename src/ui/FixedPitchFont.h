#pragma once

#include <QFont>
#include <functional>

namespace obitrak::ui {

// Whether a font as the machine would draw it has fixed pitch.
using FixedPitchTest = std::function<bool(const QFont& font)>;

// A fixed-pitch font `pixelSize` pixels high, so that columns of text line up wherever the
// program runs: the platform's fixed font where the font it stands for has fixed pitch, else
// the first of the usual monospace families that has (a machine with more fonts may resolve
// the platform's choice to a proportional one). Where none has, the platform's fixed font.
// `isFixed` asks QFontInfo unless a test answers instead.
QFont fixedPitchFont(int pixelSize, const FixedPitchTest& isFixed = {});

}  // namespace obitrak::ui
