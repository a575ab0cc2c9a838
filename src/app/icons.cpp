#include "app/icons.h"

#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <functional>

namespace sorvane::icons {

namespace {

// Every picture is drawn on a 32 × 32 grid, the size the window shows it at.
constexpr int side = 32;

// Draws a picture at whatever size and density it is asked for, when it is asked for, and
// keeps the last one it drew: an ordinary screen never pays for the pixels of a denser one,
// and no image format plugin is needed.
class DrawnIconEngine : public QIconEngine
{
public:
    DrawnIconEngine(std::function<void(QPainter&)> paint, QList<QSize> sizes)
        : paint_(std::move(paint)), sizes_(std::move(sizes))
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(qreal(rect.width()) / side, qreal(rect.height()) / side);
        paint_(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        if (made_.size() == size)
            return made_;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            paint(&p, QRect(QPoint(), size), mode, state);
        }
        // A copy keeps the pixels without the painting machinery that the drawn image holds
        // on to; and a button asks for one size only, so only the last one drawn is kept.
        made_ = QPixmap::fromImage(image.copy());
        return made_;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return sizes_; }
    QIconEngine* clone() const override { return new DrawnIconEngine(*this); }
    QString key() const override { return QStringLiteral("sorvane-drawn"); }

private:
    std::function<void(QPainter&)> paint_;
    QList<QSize> sizes_;
    QPixmap made_;
};

QIcon drawn(const std::function<void(QPainter&)>& paint, std::initializer_list<int> sizes = {side})
{
    QList<QSize> available;
    for (const int size : sizes)
        available << QSize(size, size);
    return QIcon(new DrawnIconEngine(paint, available));
}

// Made once per process and kept to its end, past the application object.
QIcon once(int key, const std::function<QIcon()>& make)
{
    static auto* made = new QHash<int, QIcon>;
    if (const auto it = made->constFind(key); it != made->cend())
        return *it;
    const QIcon icon = make();
    made->insert(key, icon);
    return icon;
}

QPen pen(const QColor& color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The game's figure on a tile: a right angle in dark blue, a given angle of 30° over it in
// green from 12 o'clock, and the mark of the right angle in its corner.
void paintWindow(QPainter& p)
{
    p.setPen(QPen(QColor(0x00, 0x40, 0x40), 1));
    p.setBrush(QColor(0x00, 0xc0, 0xc0));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 4, 4);
    const QRectF disc(5 - 23, 27 - 23, 46, 46);
    p.setPen(QPen(QColor(0x00, 0xff, 0x00), 1.2));
    p.setBrush(QColor(0x00, 0x00, 0x80));
    p.drawPie(disc, 0, 90 * 16);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x00, 0x80, 0x00));
    p.drawPie(disc, 60 * 16, 30 * 16);
    p.setPen(QPen(QColor(0xff, 0xff, 0x80), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{5, 22}, {10, 22}, {10, 27}}));
}

// The disc that the information and error signs stand on.
void paintSignDisc(QPainter& p, const QColor& outline, const QColor& fill)
{
    p.setPen(QPen(outline, 1));
    p.setBrush(fill);
    p.drawEllipse(QPointF(16, 16), 14.5, 14.5);
}

// Keys of the named pictures; the value buttons' pictures use their value, 0 to 90.
enum Named
{
    windowKey = 1000,
    verificaKey,
    esciKey,
    decorationKey,
    informationKey,
    warningKey,
    errorKey
};

} // namespace

QIcon window()
{
    // Drawn also at the other sizes a desktop uses for a window's icon.
    return once(windowKey, [] { return drawn(paintWindow, {16, 32, 48}); });
}

QImage windowImage(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(qreal(pixels) / side, qreal(pixels) / side);
    paintWindow(p);
    return image;
}

QIcon verifica()
{
    // A green tick in a white disc.
    return once(verificaKey, [] {
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(0x00, 0x80, 0x00), 2));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(16, 16), 14, 14);
            p.setPen(pen(QColor(0x00, 0x80, 0x00), 4));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({{8, 16.5}, {14, 22.5}, {24.5, 10}}));
        });
    });
}

QIcon esci()
{
    // A door with its knob, and an arrow leaving through it.
    return once(esciKey, [] {
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(0x60, 0x30, 0x10), 1.5));
            p.setBrush(QColor(0xc0, 0x80, 0x40));
            p.drawRect(QRectF(5, 3, 15, 26));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xff, 0xff, 0x00));
            p.drawEllipse(QPointF(17, 16), 1.5, 1.5);
            p.setPen(pen(QColor(0x80, 0x00, 0x00), 3));
            p.setBrush(Qt::NoBrush);
            p.drawLine(QPointF(19, 16), QPointF(29, 16));
            p.drawPolyline(QPolygonF({{25, 11.5}, {29.5, 16}, {25, 20.5}}));
        });
    });
}

QIcon decoration()
{
    // A protractor: a pale half disc with its arms in red and a few grey rays.
    return once(decorationKey, [] {
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
            p.setBrush(QColor(0xff, 0xff, 0xc0));
            p.drawPie(QRectF(2, 14, 28, 28), 0, 180 * 16);
            const QPointF centre(16, 28);
            p.setPen(QPen(QColor(0xc0, 0x00, 0x00), 1.5));
            p.drawLine(centre, QPointF(16, 15));
            p.drawLine(centre, QPointF(26, 19));
            p.setPen(QPen(QColor(0x80, 0x80, 0x80), 0.6));
            for (const QPointF end : {QPointF(5, 18), QPointF(9, 16), QPointF(23, 16)})
                p.drawLine(centre, end);
        });
    });
}

QIcon value(int degrees)
{
    return once(degrees, [degrees] {
        return drawn([degrees](QPainter& p) {
            // A protractor's corner: the right angle's outline, and the value's share of it.
            const QRectF box(-26, 4, 56, 56);
            p.setPen(QPen(QColor(255, 255, 255, 200), 1));
            p.setBrush(QColor(0, 0, 96));
            p.drawPie(box, 0, 90 * 16);
            p.setPen(QPen(QColor(255, 255, 128), 1));
            p.setBrush(QColor(255, 200, 0));
            const int span = std::max(degrees, 2);
            p.drawPie(box, (90 - span) * 16, span * 16);
        });
    });
}

QIcon information()
{
    // A white "i" in a blue disc.
    return once(informationKey, [] {
        return drawn([](QPainter& p) {
            paintSignDisc(p, QColor(0x10, 0x30, 0x80), QColor(0x20, 0x60, 0xd0));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(16, 8.5), 2.2, 2.2);
            p.drawRoundedRect(QRectF(14, 13, 4, 13), 1, 1);
        });
    });
}

QIcon warning()
{
    // A black "!" in a yellow triangle.
    return once(warningKey, [] {
        return drawn([](QPainter& p) {
            p.setPen(pen(QColor(0x60, 0x48, 0x00), 1.2));
            p.setBrush(QColor(0xff, 0xd0, 0x20));
            p.drawPolygon(QPolygonF({{16, 2}, {30.5, 28.5}, {1.5, 28.5}}));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            p.drawRoundedRect(QRectF(14.5, 10, 3, 11), 1.2, 1.2);
            p.drawEllipse(QPointF(16, 24.3), 1.7, 1.7);
        });
    });
}

QIcon error()
{
    // A white cross in a red disc.
    return once(errorKey, [] {
        return drawn([](QPainter& p) {
            paintSignDisc(p, QColor(0x80, 0x00, 0x00), QColor(0xd8, 0x20, 0x20));
            p.setPen(pen(Qt::white, 3.5));
            p.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
            p.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
        });
    });
}

} // namespace sorvane::icons
