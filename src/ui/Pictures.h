#pragma once

#include <QIcon>
#include <QPixmap>

namespace obitrak::ui {

// The program's own pictures, drawn at run time so that no image file has to travel with
// the program.

// The main window's start-up picture, 200 x 116: a small frag matrix and the program name.
QPixmap startupPicture();

// The About window's picture, 100 x 131: a player figure in a gunsight.
QPixmap aboutPhoto();

// The window icon: a gunsight.
QIcon programIcon();

}  // namespace obitrak::ui
