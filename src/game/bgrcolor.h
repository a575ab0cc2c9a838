#pragma once

#include <QtGlobal>

namespace sorvane {

// Colours as the game stores them: 24-bit values 0xBBGGRR, blue in the high byte.
using BgrColor = quint32;

} // namespace sorvane
