#include "game/question.h"
#include "game/sector.h"
#include "toolkit/colors.h"
#include "toolkit/imagesurface.h"

#include <QPainter>
#include <QTest>

#include <cmath>
#include <numbers>

using namespace sorvane;

namespace {

constexpr BgrColor background = 0xC0C000;

// The pixel at a game angle (degrees from 12 o'clock, clockwise) and distance from the centre,
// moved by `dx` and `dy` device pixels.
QColor at(const ImageSurface& s, double degrees, double distance, int dx = 0, int dy = 0)
{
    const double rad = degrees * std::numbers::pi / 180.0;
    const qreal ratio = s.image().devicePixelRatio();
    const double x = (figure::centreX + distance * std::sin(rad)) * ratio;
    const double y = (figure::centreY - distance * std::cos(rad)) * ratio;
    return s.image().pixelColor(int(std::lround(x)) + dx, int(std::lround(y)) + dy);
}

// Whether a colour stands within a pixel of such a place: aliased lines and arcs land on
// either side.
bool near(const ImageSurface& s, double degrees, double distance, const QColor& color)
{
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (at(s, degrees, distance, dx, dy) == color)
                return true;
        }
    }
    return false;
}

// A client area of the window's size, at a device pixel ratio.
QImage clientImage(qreal ratio, const QColor& color)
{
    QImage image(QSize(748, 552) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(color);
    return image;
}

void drawQuestion(ImageSurface& s, float given)
{
    using namespace figure;
    s.setFillColor(rightAngleFill);
    pigrecoesettore(s, centreX, centreY, radius, rightAngleOutline, 0, 90);
    s.setFillColor(givenAngleFill);
    pigrecoesettore(s, centreX, centreY, radius, givenAngleOutline, 0, given);
}

} // namespace

class TestImageSurface : public QObject
{
    Q_OBJECT

private slots:
    // The last of every question, drawn on a surface that keeps the whole client area and on
    // one that keeps only the figure's area: every pixel that any question can paint lies
    // inside that area, and the kept surface paints the part of the client area asked of it,
    // wherever it lies, as the whole one would.
    void questionFigure_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<float>("given");
        QTest::addColumn<QRect>("part"); // of the client area, painted from the kept surface
        for (const qreal ratio : {1.0, 2.0}) {
            for (const float given : {1.0f, 35.0f, 44.0f, 89.0f})
                QTest::addRow("%gx, %g", ratio, given) << ratio << given << QRect(0, 0, 748, 552);
        }
        QTest::newRow("across the area's top left corner")
            << 1.0 << 30.0f << QRect(300, 20, 100, 100);
        QTest::newRow("inside the area") << 1.0 << 30.0f << QRect(400, 100, 50, 50);
        QTest::newRow("outside the area") << 1.0 << 30.0f << QRect(10, 300, 80, 60);
    }
    void questionFigure()
    {
        QFETCH(qreal, ratio);
        QFETCH(float, given);
        QFETCH(QRect, part);
        ImageSurface s(QSize(748, 552), ratio, background);
        ImageSurface kept(figure::area(), ratio, background);
        QCOMPARE(s.image().size(), QSize(748, 552) * ratio);
        QCOMPARE(kept.area(), figure::area());
        QCOMPARE(kept.image().size(), figure::area().size() * ratio);
        const auto draw = [&](float question) {
            drawQuestion(s, question);
            drawQuestion(kept, question);
        };
        for (int earlier = 1; earlier <= 89; ++earlier) // which this one covers
            draw(float(earlier));
        draw(given);
        const QColor green = fromBgr(figure::givenAngleFill);
        const QColor blue = fromBgr(figure::rightAngleFill);
        const QColor back = fromBgr(background);
        // Inside the given angle, away from its edges.
        if (given >= 5)
            QCOMPARE(at(s, given / 2, 120), green);
        // The complement, the rest of the quarter.
        if (given <= 85)
            QCOMPARE(at(s, (given + 90) / 2, 120), blue);
        // Outside the quarter and outside the disc.
        for (const auto& [degrees, distance] : {std::pair{180, 100}, {300, 100}, {45, 200}})
            QCOMPARE(at(s, degrees, distance), back);
        // The quarter's arc is outlined in bright green, the given angle's edge in black.
        QVERIFY(given > 55 || near(s, 60, 190, fromBgr(figure::rightAngleOutline)));
        QVERIFY(near(s, given, 100, Qt::black));
        // Drawn at the full resolution: at 12 o'clock, a little right of the centre, the disc's
        // edge is crisp in device pixels, background 3 outside and fill 3 inside (a scaled-up
        // image would blur or double it).
        const int x = int(350 * ratio) + 10, edge = int(60 * ratio);
        QCOMPARE(s.image().pixelColor(x, edge - 3), back);
        QCOMPARE(s.image().pixelColor(x, edge + 3), given > 5 ? green : blue);
        // Blank the area out: what is left must be untouched background.
        QImage outside = s.image();
        QPainter(&outside).fillRect(figure::area(), back);
        QVERIFY(outside == clientImage(ratio, back));
        QVERIFY(figure::area().width() * figure::area().height() < 748 * 552 / 8);
        QImage shown = clientImage(ratio, Qt::red);
        QPainter painter(&shown);
        kept.paint(painter, part);
        painter.end();
        QImage expected = clientImage(ratio, Qt::red);
        QPainter(&expected).drawImage(part, s.image(),
                                      QRect(part.topLeft() * ratio, part.size() * ratio));
        QVERIFY(shown == expected);
    }

    // A half and a full disc are filled right across 3 o'clock, where the pies meet.
    void discIsFilledWithNoSeam_data()
    {
        QTest::addColumn<float>("end");
        QTest::newRow("half") << 180.0f;
        QTest::newRow("full") << 360.0f;
    }
    void discIsFilledWithNoSeam()
    {
        QFETCH(float, end);
        ImageSurface s(QSize(748, 552), 1.0, background);
        s.setFillColor(0x800000);
        pigrecoesettore(s, 350, 250, 190, 0x00FF00, 0, end);
        const QColor fill = fromBgr(0x800000);
        for (int x = 362; x < 530; x += 4) {
            for (int y = 248; y <= 252; ++y)
                QCOMPARE(s.image().pixelColor(x, y), fill);
        }
        for (double deg = 10; deg < end; deg += 20)
            QCOMPARE(at(s, deg, 150), fill);
        QCOMPARE(at(s, 270, 100), end < 360 ? fromBgr(background) : fill);
        // The real edges carry the outline: 12 o'clock, and 6 o'clock on the half disc.
        QVERIFY(near(s, 0, 100, fromBgr(0x00FF00)));
        QVERIFY(end == 360 || near(s, 180, 100, fromBgr(0x00FF00)));
    }

    // In client area pixels, whether the surface keeps the whole client area or the figure's.
    void reportsWhatChanged_data()
    {
        QTest::addColumn<QRect>("kept");
        QTest::addColumn<QRect>("changed");
        QTest::newRow("whole client area") << QRect(0, 0, 748, 552) << QRect(160, 60, 381, 381);
        QTest::newRow("figure's area") << figure::area() << QRect(350, 60, 191, 191);
    }
    void reportsWhatChanged()
    {
        QFETCH(QRect, kept);
        QFETCH(QRect, changed);
        ImageSurface s(kept, 1.0, background);
        QRect reported;
        s.setChangedHandler([&](const QRect& r) { reported |= r; });
        drawQuestion(s, 30);
        QVERIFY(reported.contains(changed));
        QVERIFY(kept.contains(reported));
    }
};

QTEST_MAIN(TestImageSurface)
#include "tst_imagesurface.moc"
