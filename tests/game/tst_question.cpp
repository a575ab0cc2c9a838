#include "game/answercheck.h"
#include "game/question.h"

#include <QTest>

#include <cmath>

using namespace sorvane;

class TestQuestion : public QObject
{
    Q_OBJECT

private slots:
    void givenAngle_data()
    {
        QTest::addColumn<float>("r");
        QTest::addColumn<int>("angle");
        QTest::newRow("zero") << 0.0f << 1;
        QTest::newRow("just below one") << std::nextafter(1.0f, 0.0f) << 89;
        QTest::newRow("half") << 0.5f << 45;
        QTest::newRow("edge of 2") << float(1.0 / 89.0) << 2;
        QTest::newRow("just below edge of 89") << std::nextafter(float(88.0 / 89.0), 0.0f) << 88;
    }
    void givenAngle()
    {
        QFETCH(float, r);
        QFETCH(int, angle);
        QCOMPARE(int(givenAngleFor(r)), angle);
        QCOMPARE(int(complementOf(givenAngleFor(r))) + angle, 90);
    }

    void realRandomCoversEveryAngleEvenly()
    {
        TimeSeededRandom random;
        QList<int> counts(90, 0);
        const int draws = 89 * 2000;
        for (int i = 0; i < draws; ++i) {
            const float r = random.next();
            QVERIFY(r >= 0.0f && r < 1.0f);
            const int angle = givenAngleFor(r);
            QVERIFY(angle >= 1 && angle <= 89);
            ++counts[angle];
        }
        for (int angle = 1; angle <= 89; ++angle) // 2000 expected; far outside 6 sigma
            QVERIFY2(counts[angle] > 1700 && counts[angle] < 2300,
                     qPrintable(QString::number(angle)));
    }

    void reseedingStartsAnotherSequence()
    {
        const auto eight = [](TimeSeededRandom& r) {
            QList<float> drawn;
            for (int i = 0; i < 8; ++i)
                drawn << r.next();
            return drawn;
        };
        TimeSeededRandom a;
        TimeSeededRandom b;
        const QList<float> first = eight(a);
        QVERIFY(first != eight(b));
        a.reseed();
        QVERIFY(eight(a) != first);
    }

    // A wrong answer's text ends in the exact value and the degree sign, as one character.
    void judge_data()
    {
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("somma");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("text");
        const QString big = " Hai raggiunto un valore maggiore. Il valore esatto era ";
        const QString small = "Fai attenzione, hai sbagliato. Il valore esatto era ";
        QTest::newRow("too big") << 35 << 40 << int(Verdict::TooBig) << big;
        QTest::newRow("too small") << 35 << 30 << int(Verdict::TooSmall) << small;
        QTest::newRow("nothing pressed") << 1 << 0 << int(Verdict::TooSmall) << small;
        QTest::newRow("right") << 35 << 35 << int(Verdict::Right) << " Ok ";
        QTest::newRow("right at 89") << 89 << 89 << int(Verdict::Right) << " Ok ";
        QTest::newRow("sum at its limit") << 89 << 32767 << int(Verdict::TooBig) << big;
    }
    void judge()
    {
        QFETCH(int, expected);
        QFETCH(int, somma);
        QFETCH(int, verdict);
        QFETCH(QString, text);
        const Judgement j =
            sorvane::judge(ExpectedAnswer(qint16(expected)), static_cast<qint16>(somma));
        QCOMPARE(int(j.verdict), verdict);
        const bool right = Verdict(verdict) == Verdict::Right;
        QCOMPARE(j.message.text, right ? text : text + QString::number(expected) + QChar(0x00B0));
        QCOMPARE(j.message.title, right ? u"Giochiamo con gli angoli"_qs : u"Attenzione"_qs);
        QCOMPARE(j.message.icon, right ? BoxIcon::Information : BoxIcon::Error);
    }

    void countsMoveOneAtATimeAndHoldAtTheLimit()
    {
        Counts c;
        c.count(Verdict::Right);
        c.count(Verdict::TooBig);
        c.count(Verdict::TooSmall);
        QCOMPARE(int(c.esatte), 1);
        QCOMPARE(int(c.errate), 2);
        c.esatte = 32767;
        c.errate = 32767;
        c.count(Verdict::Right);
        c.count(Verdict::TooSmall);
        QCOMPARE(int(c.esatte), 32767);
        QCOMPARE(int(c.errate), 32767);
    }
};

QTEST_GUILESS_MAIN(TestQuestion)
#include "tst_question.moc"
