#include "game/sector.h"

#include <QList>
#include <QTest>

#include <cmath>

using namespace sorvane;

namespace {

struct Call
{
    float x, y, radius;
    BgrColor color;
    float start, end;
};

// Records what is asked of it.
class RecordingSurface : public DrawingSurface
{
public:
    BgrColor fill = 0x123456;
    QList<Call> calls;
    BgrColor fillColor() const override { return fill; }
    void setFillColor(BgrColor color) override { fill = color; }
    void circle(float x, float y, float radius, BgrColor color, float start, float end) override
    {
        calls.append({x, y, radius, color, start, end});
    }
};

// Draws a sector in the figure's place with a fill and an outline of their own.
RecordingSurface draw(float start, float end, BgrColor outline, BgrColor fill)
{
    RecordingSurface s;
    s.fill = fill;
    pigrecoesettore(s, 350, 250, 190, outline, start, end);
    return s;
}

} // namespace

class TestSector : public QObject
{
    Q_OBJECT

private slots:
    void trasformaradianti_data()
    {
        QTest::addColumn<float>("gradi");
        QTest::addColumn<float>("radianti");
        QTest::newRow("12 o'clock") << 0.0f << 1.5707964f;
        QTest::newRow("one degree") << 1.0f << float(3.14159265 / 2 - 3.14159265 / 180);
        QTest::newRow("6 o'clock") << 180.0f << -1.5707964f;
        QTest::newRow("9 o'clock") << 270.0f << -3.1415927f;
        QTest::newRow("full turn") << 360.0f << -4.712389f;
    }
    void trasformaradianti()
    {
        QFETCH(float, gradi);
        QFETCH(float, radianti);
        QCOMPARE(sorvane::trasformaradianti(gradi), radianti);
    }

    void threeOClockIsZeroOrAlmost()
    {
        QVERIFY(std::fabs(sorvane::trasformaradianti(90.0f)) < 3e-16f);
    }

    // Sectors that do not reach past 3 o'clock are one pie in the outline's colour; the edges
    // may come in either order, and the fill is left as it was.
    void onePie_data()
    {
        QTest::addColumn<float>("a");
        QTest::addColumn<float>("b");
        QTest::addColumn<float>("start"); // 0: the 3 o'clock edge
        QTest::addColumn<float>("end");
        const float twelve = -1.5707964f;
        QTest::newRow("quarter") << 0.0f << 90.0f << 0.0f << twelve;
        QTest::newRow("one degree") << 0.0f << 1.0f << -sorvane::trasformaradianti(1.0f) << twelve;
        QTest::newRow("45") << 0.0f << 45.0f << -sorvane::trasformaradianti(45.0f) << twelve;
        QTest::newRow("both edges past 3 o'clock")
            << 100.0f << 200.0f << -(sorvane::trasformaradianti(200.0f) + 6.2831853f)
            << -(sorvane::trasformaradianti(100.0f) + 6.2831853f);
    }
    void onePie()
    {
        QFETCH(float, a);
        QFETCH(float, b);
        QFETCH(float, start);
        QFETCH(float, end);
        for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
            const RecordingSurface s = draw(from, to, 0x0000FF, 0x008000);
            QCOMPARE(s.calls.size(), 1);
            const Call& c = s.calls[0];
            QCOMPARE(c.x, 350.0f);
            QCOMPARE(c.y, 250.0f);
            QCOMPARE(c.radius, 190.0f);
            QCOMPARE(c.color, BgrColor(0x0000FF));
            // The 3 o'clock edge needs a negative end, at most the stand-in 0.01, to show its
            // radius line, even where the conversion gave an exact zero.
            if (start == 0.0f)
                QVERIFY(c.start < 0.0f && c.start >= -0.01f);
            else
                QCOMPARE(c.start, start);
            QCOMPARE(c.end, end);
            QCOMPARE(s.fill, BgrColor(0x008000));
        }
    }

    void sectorsAcrossThreeOClockAreSplit_data()
    {
        QTest::addColumn<float>("endAngle");
        QTest::addColumn<float>("lo");
        QTest::newRow("half disc") << 180.0f << -1.5707964f;
        QTest::newRow("full disc") << 360.0f << -4.712389f;
        QTest::newRow("three quarters") << 270.0f << -3.1415927f;
    }
    void sectorsAcrossThreeOClockAreSplit()
    {
        QFETCH(float, endAngle);
        QFETCH(float, lo);
        const float wrapped = lo + 6.2831853f;
        const float hi = 1.5707964f;
        // Two filled pies meeting at 0.01, their seam in the fill colour, then the outline in
        // its own colour, radius lines only at the real edges; whichever edge comes first.
        const QList<Call> expected{{0, 0, 0, 0x800000, -wrapped, -0.01f},
                                   {0, 0, 0, 0x800000, -0.01f, -hi},
                                   {0, 0, 0, 0x000000, -wrapped, 0.01f},
                                   {0, 0, 0, 0x000000, 0.01f, -hi}};
        for (const auto& [from, to] : {std::pair{0.0f, endAngle}, std::pair{endAngle, 0.0f}}) {
            const QList<Call> calls = draw(from, to, 0x000000, 0x800000).calls;
            QCOMPARE(calls.size(), expected.size());
            for (qsizetype i = 0; i < calls.size(); ++i) {
                QCOMPARE(calls[i].color, expected[i].color);
                QCOMPARE(calls[i].start, expected[i].start);
                QCOMPARE(calls[i].end, expected[i].end);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSector)
#include "tst_sector.moc"
