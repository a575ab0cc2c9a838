#pragma once

#include <QIcon>
#include <QImage>

namespace sorvane::icons {

// The game's pictures, drawn in code at the size and density each is shown at, so that no
// image format plugin is needed to show them. The window's picture is also
// resources/icons/sorvane.svg, for the desktop menu, and sorvane.ico, for Windows.
QIcon window();
// The window's picture alone at the given size, for the Windows icon file.
QImage windowImage(int pixels);
QIcon verifica();
QIcon esci();
QIcon decoration();
// A value button's picture: the value as a sector of a right angle.
QIcon value(int degrees);
// The boxes' pictures: a message, a warning and an error.
QIcon information();
QIcon warning();
QIcon error();

} // namespace sorvane::icons
