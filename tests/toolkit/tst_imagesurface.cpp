#include "game/question.h"
#include "game/sector.h"
#include "toolkit/colors.h"
#include "toolkit/imagesurface.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <numbers>

using namespace sorvane;

namespace {

constexpr BgrColor background = 0xC0C000;

// The pixel at a game angle (degrees from 12 o'clock, clockwise) and distance from the centre.
QColor at(const ImageSurface& s, double degrees, double distance)
{
    const double rad = degrees * std::numbers::pi / 180.0;
    const double x = figure::centreX + distance * std::sin(rad);
    const double y = figure::centreY - distance * std::cos(rad);
    const qreal ratio = s.image().devicePixelRatio();
    return s.image().pixelColor(int(x * ratio), int(y * ratio));
}

// Whether a colour stands within a pixel of a place: aliased lines and arcs land on either side.
bool near(const QImage& img, double x, double y, const QColor& color)
{
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (img.pixelColor(int(std::lround(x)) + dx, int(std::lround(y)) + dy) == color)
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
    void questionFigure_data()
    {
        QTest::addColumn<float>("given");
        QTest::newRow("1") << 1.0f;
        QTest::newRow("35") << 35.0f;
        QTest::newRow("89") << 89.0f;
    }
    void questionFigure()
    {
        QFETCH(float, given);
        ImageSurface s(QSize(748, 552), 1.0, background);
        drawQuestion(s, 80); // an earlier question, which this one covers
        drawQuestion(s, given);
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
        QCOMPARE(at(s, 180, 100), back);
        QCOMPARE(at(s, 300, 100), back);
        QCOMPARE(at(s, 45, 200), back);
        // The quarter's arc is outlined in bright green, the given angle's edge in black.
        const QColor outline = fromBgr(figure::rightAngleOutline);
        QVERIFY(near(s.image(), 350 + 190 * std::sin(std::numbers::pi / 3),
                     250 - 190 * std::cos(std::numbers::pi / 3), outline) ||
                given > 55);
        const double edge = given * std::numbers::pi / 180.0;
        QVERIFY(near(s.image(), 350 + 100 * std::sin(edge), 250 - 100 * std::cos(edge), Qt::black));
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
        QVERIFY(near(s.image(), 350, 150, fromBgr(0x00FF00)));
        QVERIFY(end == 360 || near(s.image(), 350, 350, fromBgr(0x00FF00)));
    }

    // The window keeps only the figure's area: every pixel that any question can paint lies
    // inside it.
    void figureAreaHoldsEveryQuestion_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }
    void figureAreaHoldsEveryQuestion()
    {
        QFETCH(qreal, ratio);
        ImageSurface whole(QSize(748, 552), ratio, background);
        QCOMPARE(whole.image().size(), QSize(748, 552) * ratio);
        for (int given = 1; given <= 89; ++given)
            drawQuestion(whole, float(given));
        // Drawn at the full resolution: at 12 o'clock, a little right of the centre, the disc's
        // edge is crisp in device pixels, background 3 outside and fill 3 inside (a scaled-up
        // image would blur or double it).
        const int x = int(350 * ratio) + 10, edge = int(60 * ratio);
        QCOMPARE(whole.image().pixelColor(x, edge - 3), fromBgr(background));
        QCOMPARE(whole.image().pixelColor(x, edge + 3), fromBgr(figure::givenAngleFill));
        // Blank the area out: what is left must be untouched background.
        QImage outside = whole.image();
        QPainter(&outside).fillRect(figure::area(), fromBgr(background));
        QVERIFY(outside == clientImage(ratio, fromBgr(background)));
        // And the area is much smaller than the client area.
        QVERIFY(figure::area().width() * figure::area().height() < 748 * 552 / 8);
    }

    // A surface that keeps only the figure's area paints the part of the client area asked of
    // it, wherever it lies, as one that keeps all of it would.
    void keptAreaShowsWhatTheWholeSurfaceWould_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<float>("given");
        QTest::addColumn<QRect>("part");
        const QRect all(0, 0, 748, 552);
        QTest::newRow("1x, 1") << 1.0 << 1.0f << all;
        QTest::newRow("1x, 44") << 1.0 << 44.0f << all;
        QTest::newRow("1x, 89") << 1.0 << 89.0f << all;
        QTest::newRow("2x, 1") << 2.0 << 1.0f << all;
        QTest::newRow("2x, 89") << 2.0 << 89.0f << all;
        QTest::newRow("across the area's top left corner")
            << 1.0 << 30.0f << QRect(300, 20, 100, 100);
        QTest::newRow("inside the area") << 1.0 << 30.0f << QRect(400, 100, 50, 50);
        QTest::newRow("outside the area") << 1.0 << 30.0f << QRect(10, 300, 80, 60);
    }
    void keptAreaShowsWhatTheWholeSurfaceWould()
    {
        QFETCH(qreal, ratio);
        QFETCH(float, given);
        QFETCH(QRect, part);
        ImageSurface whole(QSize(748, 552), ratio, background);
        ImageSurface kept(figure::area(), ratio, background);
        QCOMPARE(kept.area(), figure::area());
        QCOMPARE(kept.image().size(), figure::area().size() * ratio);
        for (const float question : {60.0f, given}) {
            drawQuestion(whole, question);
            drawQuestion(kept, question);
        }
        QImage shown = clientImage(ratio, Qt::red);
        QPainter painter(&shown);
        kept.paint(painter, part);
        painter.end();
        QImage expected = clientImage(ratio, Qt::red);
        QPainter(&expected).drawImage(part, whole.image(),
                                      QRect(part.topLeft() * ratio, part.size() * ratio));
        QVERIFY(shown == expected);
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
