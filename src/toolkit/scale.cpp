#include "toolkit/scale.h"

#include <algorithm>
#include <cmath>

namespace sorvane {

namespace {
// Rounds to the nearest pixel; a length that the factor makes exact stays exact despite the
// factor's own rounding error.
int nearest(double x)
{
    return static_cast<int>(std::floor(x + 0.5 + 1e-9));
}
} // namespace

int Scale::operator()(int length) const
{
    return enlarges() ? nearest(length * factor_) : length;
}

QSize Scale::operator()(QSize size) const
{
    return {(*this)(size.width()), (*this)(size.height())};
}

QRect Scale::operator()(QRect place) const
{
    if (!enlarges())
        return place;
    const int left = (*this)(place.left());
    const int top = (*this)(place.top());
    return {left, top, (*this)(place.left() + place.width()) - left,
            (*this)(place.top() + place.height()) - top};
}

QFont Scale::operator()(const QFont& font) const
{
    if (!enlarges())
        return font;
    QFont f = font;
    if (font.pixelSize() > 0)
        f.setPixelSize((*this)(font.pixelSize()));
    else
        f.setPointSizeF(font.pointSizeF() * factor_);
    return f;
}

ScreenFit fitToScreen(QSize available, QSize layout)
{
    const double across = double(available.width()) / layout.width();
    const double down = double(available.height()) / layout.height();
    const Scale scale(std::min(across, down));
    // Rounding never makes it a pixel larger than the screen.
    const QSize size = scale(layout).boundedTo(available.expandedTo(layout));
    const QPoint corner(std::max(0, (available.width() - size.width()) / 2),
                        std::max(0, (available.height() - size.height()) / 2));
    return {scale, QRect(corner, size)};
}

} // namespace sorvane
