#include "game/clock.h"

#include <QTest>

using namespace sorvane;

class TestClock : public QObject
{
    Q_OBJECT

private slots:
    void startsAtFifteenMinutes()
    {
        CountdownClock c;
        c.start();
        QCOMPARE(c.text(), QStringLiteral("00:15:00"));
    }

    void countsDown_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one") << 1 << "00:14:59";
        QTest::newRow("ten") << 10 << "00:14:50";
        QTest::newRow("fifty-one: single digit seconds") << 51 << "00:14:09";
        QTest::newRow("sixty") << 60 << "00:14:00";
        QTest::newRow("sixty-one") << 61 << "00:13:59";
        QTest::newRow("899") << 899 << "00:00:01";
        QTest::newRow("900") << 900 << "00:00:00";
        QTest::newRow("past the end stays") << 905 << "00:00:00";
    }

    void countsDown()
    {
        QFETCH(int, ticks);
        QFETCH(QString, expected);
        CountdownClock c;
        c.start();
        for (int i = 0; i < ticks; ++i)
            c.tick();
        QCOMPARE(c.text(), expected);
        QVERIFY(c.secondi >= 0.0f && c.secondi <= 59.0f);
    }

    void borrowsAcrossAnHour()
    {
        CountdownClock c{1, 0, 0.0f};
        c.tick();
        QCOMPARE(c.text(), QStringLiteral("00:59:59"));
        QCOMPARE(int(c.ore), 0);
        QCOMPARE(int(c.minuti), 59);
        QCOMPARE(c.secondi, 59.0f);
    }

    void showsEnd_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("end");
        QTest::newRow("colons") << "00:00:00" << true;
        QTest::newRow("layout dots") << "00.00.00" << false;
        QTest::newRow("one second") << "00:00:01" << false;
        QTest::newRow("trailing blank") << "00:00:00 " << false;
        QTest::newRow("empty") << "" << false;
    }

    void showsEnd()
    {
        QFETCH(QString, caption);
        QFETCH(bool, end);
        QCOMPARE(CountdownClock::showsEnd(caption), end);
    }

    void twoDigits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << "00";
        QTest::newRow("seven") << 7.0 << "07";
        QTest::newRow("nine as a float") << double(9.0f) << "09";
        QTest::newRow("fifty-nine") << 59.0 << "59";
        QTest::newRow("three digits") << 120.0 << "120";
    }

    void twoDigits()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(sorvane::twoDigits(value), expected);
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"
