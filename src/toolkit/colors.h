#pragma once

#include "game/bgrcolor.h"

#include <QColor>

namespace sorvane {

// A 0xBBGGRR value as a colour.
QColor fromBgr(BgrColor bgr);
BgrColor toBgr(const QColor& color);

} // namespace sorvane
