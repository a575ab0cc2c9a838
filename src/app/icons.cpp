#include "app/icons.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace sorvane::icons {

namespace {

constexpr int side = 32;

QIcon drawn(const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return QIcon(pixmap);
}

QIcon fromResource(const QString& path, const std::function<void(QPainter&)>& fallback)
{
    // Made once per process: the SVG is parsed the first time only. Kept to the end of the
    // process, past the application object, so never destroyed.
    static auto* made = new QHash<QString, QIcon>;
    if (const auto it = made->constFind(path); it != made->cend())
        return *it;
    QIcon icon = QFile::exists(path) ? QIcon(path) : drawn(fallback);
    made->insert(path, icon);
    return icon;
}

// A quarter disc in dark blue with `degrees` of it in green, from 12 o'clock clockwise.
void drawQuarter(QPainter& p, int degrees)
{
    const QRectF box(-24, 6, 52, 52);
    p.setPen(QPen(QColor(0, 255, 0), 1.5));
    p.setBrush(QColor(0, 0, 128));
    p.drawPie(box, 0, 90 * 16);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0, 160, 0));
    p.drawPie(box, (90 - degrees) * 16, degrees * 16);
}

} // namespace

QIcon window()
{
    return fromResource(QStringLiteral(":/icons/sorvane.svg"),
                        [](QPainter& p) { drawQuarter(p, 30); });
}

QIcon verifica()
{
    return fromResource(QStringLiteral(":/icons/verifica.svg"), [](QPainter& p) {
        p.setPen(QPen(QColor(0, 128, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({{6, 17}, {13, 25}, {27, 7}}));
    });
}

QIcon esci()
{
    return fromResource(QStringLiteral(":/icons/esci.svg"), [](QPainter& p) {
        p.setPen(QPen(QColor(128, 0, 0), 3));
        p.drawRect(6, 4, 14, 24);
        p.drawLine(16, 16, 29, 16);
    });
}

QIcon decoration()
{
    return fromResource(QStringLiteral(":/icons/goniometro.svg"),
                        [](QPainter& p) { drawQuarter(p, 60); });
}

QIcon value(int degrees)
{
    static auto* made = new QHash<int, QIcon>;
    if (const auto it = made->constFind(degrees); it != made->cend())
        return *it;
    const QIcon icon = drawn([degrees](QPainter& p) {
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
    made->insert(degrees, icon);
    return icon;
}

} // namespace sorvane::icons
