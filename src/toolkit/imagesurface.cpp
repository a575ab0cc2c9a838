#include "toolkit/imagesurface.h"

#include "toolkit/colors.h"

#include <QPainter>
#include <QRegion>

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace sorvane {

namespace {

// Qt's angles are sixteenths of a degree, 0 at 3 o'clock, counterclockwise: the primitive's
// own orientation.
int sixteenths(double radians)
{
    return static_cast<int>(std::lround(radians * 180.0 / M_PI * 16.0));
}

} // namespace

ImageSurface::ImageSurface(QRect area, qreal devicePixelRatio, BgrColor background)
    : area_(area), background_(fromBgr(background)),
      indices_(area.size() * devicePixelRatio, QImage::Format_Grayscale8), colours_{
                                                                               background_.rgb()}
{
    indices_.setDevicePixelRatio(devicePixelRatio);
    indices_.fill(0);
}

int ImageSurface::indexOf(BgrColor color)
{
    const QRgb rgb = fromBgr(color).rgb();
    if (const auto i = colours_.indexOf(rgb); i >= 0)
        return int(i);
    if (colours_.size() < 256) {
        colours_.append(rgb);
        return int(colours_.size() - 1);
    }
    const auto distance = [rgb](QRgb other) {
        const int r = qRed(rgb) - qRed(other), g = qGreen(rgb) - qGreen(other),
                  b = qBlue(rgb) - qBlue(other);
        return r * r + g * g + b * b;
    };
    return int(std::min_element(colours_.cbegin(), colours_.cend(),
                                [&](QRgb a, QRgb b) { return distance(a) < distance(b); }) -
               colours_.cbegin());
}

QImage ImageSurface::indexedRows(int top, int rows) const
{
    QImage rowsImage(indices_.constScanLine(top), indices_.width(), rows, indices_.bytesPerLine(),
                     QImage::Format_Indexed8);
    rowsImage.setColorTable(colours_);
    return rowsImage;
}

QImage ImageSurface::image() const
{
    QImage colour = indexedRows(0, indices_.height()).convertToFormat(QImage::Format_RGB32);
    colour.setDevicePixelRatio(indices_.devicePixelRatio());
    return colour;
}

void ImageSurface::paint(QPainter& painter, const QRect& rect) const
{
    for (const QRect& r : QRegion(rect).subtracted(area_))
        painter.fillRect(r, background_);
    const QRect kept = rect & area_;
    if (kept.isEmpty())
        return;
    // In bands of a few rows, turned into colour one band at a time so that the copy stays
    // small, and then blitted unscaled.
    constexpr int bandRows = 32;
    const qreal ratio = indices_.devicePixelRatio();
    const QRect source = ratio == 1.0 ? kept.translated(-area_.topLeft())
                                      : QRectF(QPointF(kept.topLeft() - area_.topLeft()) * ratio,
                                               QSizeF(kept.size()) * ratio)
                                                .toAlignedRect() &
                                            indices_.rect();
    for (int top = source.top(); top <= source.bottom(); top += bandRows) {
        const int rows = qMin(bandRows, source.bottom() + 1 - top);
        const QImage colour = indexedRows(top, rows).convertToFormat(QImage::Format_RGB32);
        const QRect band(source.left(), 0, source.width(), rows);
        if (ratio == 1.0)
            painter.drawImage(area_.topLeft() + QPoint(source.left(), top), colour, band);
        else
            painter.drawImage(QRectF(QPointF(area_.topLeft()) + QPointF(source.left(), top) / ratio,
                                     QSizeF(band.size()) / ratio),
                              colour, band);
    }
}

void ImageSurface::circle(float x, float y, float radius, BgrColor color, float start, float end)
{
    const double from = std::fabs(double(start));
    const double to = std::fabs(double(end));
    // Counterclockwise from `from` to `to`, through 0 when `to` is the smaller.
    double span = to - from;
    if (span < 0)
        span += 2.0 * M_PI;

    // Drawn in the grey whose level is the colour's index.
    const auto shade = [this](BgrColor c) {
        const int i = indexOf(c);
        return QColor(i, i, i);
    };
    const QRectF box(double(x) - radius, double(y) - radius, 2.0 * radius, 2.0 * radius);
    QPainter p(&indices_);
    p.translate(-area_.topLeft());
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(shade(color));
    pen.setWidth(1);
    pen.setCosmetic(true);
    p.setPen(pen);

    if (start < 0 && end < 0) {
        p.setBrush(shade(fill_));
        p.drawPie(box, sixteenths(from), sixteenths(span));
    } else {
        p.drawArc(box, sixteenths(from), sixteenths(span));
        const QPointF centre(x, y);
        auto radiusTo = [&](double angle) {
            p.drawLine(centre,
                       centre + QPointF(radius * std::cos(angle), -radius * std::sin(angle)));
        };
        if (start < 0)
            radiusTo(from);
        if (end < 0)
            radiusTo(to);
    }
    p.end();
    const QRect changed = box.toAlignedRect().adjusted(-1, -1, 1, 1) & area_;
    if (changed_ && !changed.isEmpty())
        changed_(changed);
}

} // namespace sorvane
