#pragma once

#include <QIcon>

namespace sorvane::icons {

// The game's pictures: our own SVG files in the resources, drawn in code where there is none.
QIcon window();
QIcon verifica();
QIcon esci();
QIcon decoration();
// A value button's picture: the value as a sector of a right angle.
QIcon value(int degrees);

} // namespace sorvane::icons
