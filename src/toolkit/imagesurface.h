#pragma once

#include "game/sector.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <functional>

class QPainter;

namespace sorvane {

// The window's drawing surface, in client-area pixels, that the window paints under its
// controls. Only the part of the client area that drawings can reach is kept, as an image at
// the screen's own resolution; the rest is plain background. What is drawn stays until it is
// drawn over; drawing outside the kept part leaves no trace.
class ImageSurface : public DrawingSurface
{
public:
    // Keeps `area` of the client area; its lines are `line` pixels of the screen wide.
    ImageSurface(QRect area, qreal devicePixelRatio, BgrColor background, int line = 1);
    // Keeps the whole of a client area of `size`.
    ImageSurface(QSize size, qreal devicePixelRatio, BgrColor background)
        : ImageSurface(QRect(QPoint(0, 0), size), devicePixelRatio, background)
    {
    }

    BgrColor fillColor() const override { return fill_; }
    void setFillColor(BgrColor color) override { fill_ = color; }
    void circle(float x, float y, float radius, BgrColor color, float start, float end) override;

    // The kept part of the client area, and its pixels: the image's top left corner is the
    // area's.
    QRect area() const { return area_; }
    const QImage& image() const { return image_; }

    // Paints `rect` of the client area: the kept pixels unscaled, background around them.
    void paint(QPainter& painter, const QRect& rect) const;

    // Told the part of the kept area (in client-area pixels) that a drawing changed.
    void setChangedHandler(std::function<void(const QRect&)> handler)
    {
        changed_ = std::move(handler);
    }

private:
    QRect area_;
    QColor background_;
    QImage image_;
    BgrColor fill_ = 0;
    int line_;
    std::function<void(const QRect&)> changed_;
};

} // namespace sorvane
