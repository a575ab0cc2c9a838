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

QList<Call> draw(float start, float end, BgrColor outline = 0x00FF00)
{
    RecordingSurface s;
    pigrecoesettore(s, 350, 250, 190, outline, start, end);
    return s.calls;
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

    void quarterDiscIsOnePie()
    {
        const QList<Call> calls = draw(0, 90);
        QCOMPARE(calls.size(), 1);
        const Call& c = calls[0];
        QCOMPARE(c.x, 350.0f);
        QCOMPARE(c.y, 250.0f);
        QCOMPARE(c.radius, 190.0f);
        QCOMPARE(c.color, BgrColor(0x00FF00));
        // The 3 o'clock edge: the stand-in 0.01 where the conversion gave an exact zero.
        QVERIFY(c.start < 0.0f && c.start >= -0.01f);
        QCOMPARE(c.end, -1.5707964f);
    }

    void oneDegreeSliver()
    {
        const QList<Call> calls = draw(0, 1);
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].start, -sorvane::trasformaradianti(1.0f));
        QCOMPARE(calls[0].end, -1.5707964f);
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
        RecordingSurface s;
        s.fill = 0x800000;
        pigrecoesettore(s, 350, 250, 190, 0x000000, 0, endAngle);
        QCOMPARE(s.calls.size(), 4);
        const float wrapped = lo + 6.2831853f;
        const float hi = 1.5707964f;
        // Two filled pies meeting at 0.01, their seam in the fill colour...
        QCOMPARE(s.calls[0].color, BgrColor(0x800000));
        QCOMPARE(s.calls[0].start, -wrapped);
        QCOMPARE(s.calls[0].end, -0.01f);
        QCOMPARE(s.calls[1].color, BgrColor(0x800000));
        QCOMPARE(s.calls[1].start, -0.01f);
        QCOMPARE(s.calls[1].end, -hi);
        // ...then the outline in its own colour, radius lines only at the real edges.
        QCOMPARE(s.calls[2].color, BgrColor(0x000000));
        QCOMPARE(s.calls[2].start, -wrapped);
        QCOMPARE(s.calls[2].end, 0.01f);
        QCOMPARE(s.calls[3].color, BgrColor(0x000000));
        QCOMPARE(s.calls[3].start, 0.01f);
        QCOMPARE(s.calls[3].end, -hi);
    }

    void bothEdgesPastThreeOClockAreShifted()
    {
        const QList<Call> calls = draw(100, 200);
        QCOMPARE(calls.size(), 1);
        const float a = sorvane::trasformaradianti(200.0f) + 6.2831853f;
        const float b = sorvane::trasformaradianti(100.0f) + 6.2831853f;
        QCOMPARE(calls[0].start, -a);
        QCOMPARE(calls[0].end, -b);
        QVERIFY(-calls[0].start > 0 && -calls[0].end > -calls[0].start);
    }

    void edgeOrderDoesNotMatter_data()
    {
        QTest::addColumn<float>("a");
        QTest::addColumn<float>("b");
        QTest::newRow("quarter") << 0.0f << 90.0f;
        QTest::newRow("sliver") << 0.0f << 1.0f;
        QTest::newRow("half") << 0.0f << 180.0f;
        QTest::newRow("past 3 o'clock") << 100.0f << 200.0f;
    }

    void edgeOrderDoesNotMatter()
    {
        QFETCH(float, a);
        QFETCH(float, b);
        const QList<Call> forward = draw(a, b);
        const QList<Call> backward = draw(b, a);
        QCOMPARE(forward.size(), backward.size());
        for (qsizetype i = 0; i < forward.size(); ++i) {
            QCOMPARE(forward[i].start, backward[i].start);
            QCOMPARE(forward[i].end, backward[i].end);
            QCOMPARE(forward[i].color, backward[i].color);
        }
    }

    void outlineAndFillAreIndependent()
    {
        RecordingSurface s;
        s.fill = 0x008000;
        pigrecoesettore(s, 350, 250, 190, 0x0000FF, 0, 45);
        QCOMPARE(s.calls.size(), 1);
        QCOMPARE(s.calls[0].color, BgrColor(0x0000FF));
        QCOMPARE(s.fill, BgrColor(0x008000));
    }
};

QTEST_GUILESS_MAIN(TestSector)
#include "tst_sector.moc"
