#include "game/clock.h"

#include <QTest>

using namespace sorvane;

class TestClock : public QObject
{
    Q_OBJECT

private slots:
    void countsDown_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("toldByItself"); // spoken without being asked
        QTest::addColumn<QString>("spoken");    // as a screen reader says it
        QTest::newRow("one") << 1 << "00:14:59" << false << "14 minuti e 59 secondi";
        QTest::newRow("ten") << 10 << "00:14:50" << false << "14 minuti e 50 secondi";
        QTest::newRow("fifty-one: single digit seconds")
            << 51 << "00:14:09" << false << "14 minuti e 9 secondi";
        QTest::newRow("sixty") << 60 << "00:14:00" << false << "14 minuti";
        QTest::newRow("sixty-one") << 61 << "00:13:59" << false << "13 minuti e 59 secondi";
        QTest::newRow("five minutes left") << 600 << "00:05:00" << true << "5 minuti";
        QTest::newRow("just under five") << 601 << "00:04:59" << false << "4 minuti e 59 secondi";
        QTest::newRow("one minute left") << 840 << "00:01:00" << true << "1 minuto";
        QTest::newRow("899") << 899 << "00:00:01" << false << "1 secondo";
        QTest::newRow("900") << 900 << "00:00:00" << false << "0 secondi";
        QTest::newRow("past the end stays") << 905 << "00:00:00" << false << "0 secondi";
    }
    void countsDown()
    {
        QFETCH(int, ticks);
        QFETCH(QString, expected);
        QFETCH(bool, toldByItself);
        QFETCH(QString, spoken);
        CountdownClock c;
        c.start();
        for (int i = 0; i < ticks; ++i)
            c.tick();
        QCOMPARE(c.text(), expected);
        QVERIFY(c.secondi >= 0.0f && c.secondi <= 59.0f);
        QCOMPARE(c.spokenText(), spoken);
        QCOMPARE(c.isMilestone(), toldByItself);
    }

    void borrowsAcrossAnHour()
    {
        CountdownClock c{1, 0, 0.0f};
        QCOMPARE(c.spokenText(), QStringLiteral("1 ora"));
        c.tick();
        QCOMPARE(c.spokenText(), QStringLiteral("59 minuti e 59 secondi"));
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

    // Zero, one digit, a float and 59 are in the countdown's rows; a third digit is kept.
    void twoDigitsKeepsAThirdDigit() { QCOMPARE(sorvane::twoDigits(120.0), QStringLiteral("120")); }
};

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"
