#include "toolkit/colors.h"

namespace sorvane {

QColor fromBgr(BgrColor bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

BgrColor toBgr(const QColor& color)
{
    return BgrColor(color.red()) | (BgrColor(color.green()) << 8) | (BgrColor(color.blue()) << 16);
}

} // namespace sorvane
