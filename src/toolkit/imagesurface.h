#pragma once

#include "game/sector.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <functional>

namespace sorvane {

// The window's drawing surface: a kept image the size of the client area, at the screen's
// own resolution, that the window paints under its controls. What is drawn stays until it is
// drawn over.
class ImageSurface : public DrawingSurface
{
public:
    ImageSurface(QSize size, qreal devicePixelRatio, BgrColor background);

    BgrColor fillColor() const override { return fill_; }
    void setFillColor(BgrColor color) override { fill_ = color; }
    void circle(float x, float y, float radius, BgrColor color, float start, float end) override;

    const QImage& image() const { return image_; }

    // Told the area (in client-area pixels) that a drawing changed.
    void setChangedHandler(std::function<void(const QRect&)> handler)
    {
        changed_ = std::move(handler);
    }

private:
    QImage image_;
    BgrColor fill_ = 0;
    std::function<void(const QRect&)> changed_;
};

} // namespace sorvane
