#include "toolkit/imagesurface.h"

#include "toolkit/colors.h"

#include <QPainter>
#include <QRegion>

#include <cmath>
#include <numbers>

namespace sorvane {

namespace {

// Qt's angles are sixteenths of a degree, 0 at 3 o'clock, counterclockwise: the primitive's
// own orientation.
int sixteenths(double radians)
{
    return static_cast<int>(std::lround(radians * 180.0 / std::numbers::pi * 16.0));
}

} // namespace

ImageSurface::ImageSurface(QRect area, qreal devicePixelRatio, BgrColor background, int line)
    : area_(area), background_(fromBgr(background)),
      image_(area.size() * devicePixelRatio, QImage::Format_RGB32), line_(line)
{
    image_.setDevicePixelRatio(devicePixelRatio);
    image_.fill(background_);
}

void ImageSurface::paint(QPainter& painter, const QRect& rect) const
{
    for (const QRect& r : QRegion(rect).subtracted(area_))
        painter.fillRect(r, background_);
    const QRect kept = rect & area_;
    if (kept.isEmpty())
        return;
    const QRect source = kept.translated(-area_.topLeft());
    const qreal ratio = image_.devicePixelRatio();
    if (ratio == 1.0)
        painter.drawImage(kept.topLeft(), image_, source);
    else
        painter.drawImage(kept, image_,
                          QRectF(QPointF(source.topLeft()) * ratio, QSizeF(source.size()) * ratio));
}

void ImageSurface::circle(float x, float y, float radius, BgrColor color, float start, float end)
{
    const double from = std::fabs(double(start));
    const double to = std::fabs(double(end));
    // Counterclockwise from `from` to `to`, through 0 when `to` is the smaller.
    double span = to - from;
    if (span < 0)
        span += 2.0 * std::numbers::pi;

    const QRectF box(double(x) - radius, double(y) - radius, 2.0 * radius, 2.0 * radius);
    QPainter p(&image_);
    p.translate(-area_.topLeft());
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(fromBgr(color));
    pen.setWidth(line_);
    pen.setCosmetic(true);
    p.setPen(pen);

    if (start < 0 && end < 0) {
        p.setBrush(fromBgr(fill_));
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
