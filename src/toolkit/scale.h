#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace sorvane {

// One enlargement of a layout drawn in fixed places: every place, length and font size of the
// layout times the factor. Places are scaled edge by edge, so that neighbours that touch at 1
// still touch enlarged. At factor 1 everything is returned as it is.
class Scale
{
public:
    constexpr Scale() = default;
    explicit constexpr Scale(double factor) : factor_(factor < 1.0 ? 1.0 : factor) {}

    constexpr double factor() const { return factor_; }
    constexpr bool enlarges() const { return factor_ != 1.0; }

    int operator()(int length) const;
    QSize operator()(QSize size) const;
    QRect operator()(QRect place) const;
    // The same font with its size enlarged, in the unit it was given in.
    QFont operator()(const QFont& font) const;
    // A line of the layout: one pixel wide at 1, never thinner than one pixel.
    int line() const { return (*this)(1); }

private:
    double factor_ = 1.0;
};

// Where a layout of `layout` size goes on a screen whose free area is `available`: the largest
// enlargement at which all of it still fits, never less than 1, centred; on a screen smaller
// than the layout it starts at the top left, so that its menu stays in reach.
struct ScreenFit
{
    Scale scale;
    QRect place; // relative to the free area's top left corner
};
ScreenFit fitToScreen(QSize available, QSize layout);

} // namespace sorvane
