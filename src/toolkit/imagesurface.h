#pragma once

#include "game/sector.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

#include <functional>

class QPainter;

namespace sorvane {

// The window's drawing surface, in client-area pixels, that the window paints under its
// controls. Only the part of the client area that drawings can reach is kept, at the screen's
// own resolution; the rest is plain background. What is drawn stays until it is drawn over;
// drawing outside the kept part leaves no trace.
//
// A drawing has few colours (the figure has five), so each kept pixel is one byte: the index of
// its colour in the surface's colour table. That is a quarter of a colour image's memory; the
// colours are looked up when the surface is painted.
class ImageSurface : public DrawingSurface
{
public:
    // Keeps `area` of the client area.
    ImageSurface(QRect area, qreal devicePixelRatio, BgrColor background);
    // Keeps the whole of a client area of `size`.
    ImageSurface(QSize size, qreal devicePixelRatio, BgrColor background)
        : ImageSurface(QRect(QPoint(0, 0), size), devicePixelRatio, background)
    {
    }

    BgrColor fillColor() const override { return fill_; }
    void setFillColor(BgrColor color) override { fill_ = color; }
    void circle(float x, float y, float radius, BgrColor color, float start, float end) override;

    // The kept part of the client area, and its pixels in colour: the image's top left corner
    // is the area's. Made on each call.
    QRect area() const { return area_; }
    QImage image() const;

    // Paints `rect` of the client area: the kept pixels unscaled, background around them.
    void paint(QPainter& painter, const QRect& rect) const;

    // Told the part of the kept area (in client-area pixels) that a drawing changed.
    void setChangedHandler(std::function<void(const QRect&)> handler)
    {
        changed_ = std::move(handler);
    }

private:
    // The index of a colour in the table, added when it is new. A table that is full (256
    // colours, far more than any drawing of the game) gives the nearest colour it holds.
    int indexOf(BgrColor color);
    // The kept pixels in rows [top, top + rows) of device pixels, as a colour-table image that
    // shares their bytes.
    QImage indexedRows(int top, int rows) const;

    QRect area_;
    QColor background_;
    QImage indices_; // one byte per device pixel, drawn on as shades of grey
    QList<QRgb> colours_;
    BgrColor fill_ = 0;
    std::function<void(const QRect&)> changed_;
};

} // namespace sorvane
