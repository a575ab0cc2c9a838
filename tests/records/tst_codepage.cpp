// The record files' code page: Windows-1252, one byte a character.

#include "records/codepage.h"

#include <QTest>

using namespace sorvane;

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void codePage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << "Anna" << QByteArray("Anna");
        QTest::newRow("accented") << "Niccolò" << QByteArray("Niccol\xF2");
        QTest::newRow("euro") << "€" << QByteArray("\x80");
        QTest::newRow("quotes") << "“ok”" << QByteArray("\x93ok\x94");
        QTest::newRow("empty") << "" << QByteArray();
    }

    void codePage()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(toWindows1252(text), bytes);
        QCOMPARE(fromWindows1252(bytes), text);
    }

    // Every byte decodes to one character and back; what the code page lacks becomes "?".
    void everyByteDecodesToOneCharacter()
    {
        QCOMPARE(toWindows1252(QStringLiteral("Ω x 😀")), QByteArray("? x ?"));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = fromWindows1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(toWindows1252(text), all);
    }
};

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
