#include "game/numbers.h"

#include <QTest>

#include <limits>

using namespace sorvane;

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("record line") << "12\r\n" << 12.0;
        QTest::newRow("leading blanks") << "   7" << 7.0;
        QTest::newRow("tabs and line feeds") << "\t\n 9" << 9.0;
        QTest::newRow("blank inside digits") << "1 2" << 12.0;
        QTest::newRow("stops at letter") << "35abc" << 35.0;
        QTest::newRow("stops at CR") << "3\r5" << 3.0;
        QTest::newRow("hand edited") << "record: 10" << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("negative") << "-12" << -12.0;
        QTest::newRow("plus") << "+5" << 5.0;
        QTest::newRow("decimal point") << "2.5" << 2.5;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("point only") << "." << 0.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("capital exponent with sign") << "25E-1" << 2.5;
        QTest::newRow("exponent without digits") << "12e" << 12.0;
        QTest::newRow("exponent sign without digits") << "12e+x" << 12.0;
        QTest::newRow("exponent with no mantissa") << "e5" << 0.0;
        QTest::newRow("comma is not a point") << "3,5" << 3.0;
        QTest::newRow("huge exponent") << "1e999" << inf;
        QTest::newRow("huge negative") << "-1e999" << -inf;
        QTest::newRow("tiny exponent") << "1e-999" << 0.0;
        QTest::newRow("very many digits") << QString(400, u'9') << inf;
        QTest::newRow("exponent beyond any int") << "1e99999999999999999999" << inf;
        QTest::newRow("non-latin digits") << "\u0663" << 0.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(sorvane::leadingNumber(text), expected);
    }

    void toInt16_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("whole") << 45.0 << 45;
        QTest::newRow("half to even down") << 2.5 << 2;
        QTest::newRow("half to even up") << 3.5 << 4;
        QTest::newRow("negative half") << -2.5 << -2;
        QTest::newRow("below half") << 2.49 << 2;
        QTest::newRow("largest") << 32767.0 << 32767;
        QTest::newRow("just past largest") << 32767.4 << 32767;
        QTest::newRow("past largest") << 32837.0 << 32767;
        QTest::newRow("smallest") << -32768.0 << -32768;
        QTest::newRow("past smallest") << -40000.0 << -32768;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 32767;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0;
    }
    void toInt16()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(int(sorvane::toInt16(value)), expected);
    }

    void addInt16HoldsAtTheLimit()
    {
        QCOMPARE(int(addInt16(32700, 70)), 32767);
        QCOMPARE(int(addInt16(32767, 1)), 32767);
        QCOMPARE(int(addInt16(20, 25)), 45);
    }

    void decimalText_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << qint64(0) << "0";
        QTest::newRow("positive has no blank") << qint64(35) << "35";
        QTest::newRow("negative") << qint64(-7) << "-7";
        QTest::newRow("largest count") << qint64(32767) << "32767";
    }
    void decimalText()
    {
        QFETCH(qint64, value);
        QFETCH(QString, expected);
        QCOMPARE(sorvane::decimalText(value), expected);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
