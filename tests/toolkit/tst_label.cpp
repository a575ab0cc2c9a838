#include "toolkit/colors.h"
#include "toolkit/label.h"

#include <QTest>

using namespace sorvane;

class TestLabel : public QObject
{
    Q_OBJECT

    static QFont pixels(int px)
    {
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(px);
        return f;
    }

private slots:
    void captionReadsBackExactly_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("record line") << "7\r\n";
        QTest::newRow("blanks") << "  Anna ";
        QTest::newRow("empty") << "";
        QTest::newRow("lone CR") << "a\rb";
        QTest::newRow("longer than the label") << QString(40, u'9');
    }
    // A label not sized to its text keeps its laid out place, whatever the caption.
    void captionReadsBackExactly()
    {
        QFETCH(QString, caption);
        QWidget parent;
        Label l(&parent, QStringLiteral("x"), QStringLiteral("Label3"), {10, 10, 100, 30},
                Label::Look(0xFF0000, pixels(18)));
        l.setCaption(caption);
        QCOMPARE(l.caption(), caption);
        QVERIFY(!l.text().contains(u'\r')); // shown as line breaks, not as boxes
        QCOMPARE(l.geometry(), QRect(10, 10, 100, 30));
    }

    void sizesToTextKeepingItsCorner()
    {
        QWidget parent;
        Label l(&parent, QStringLiteral("lblnome"), QStringLiteral("Label3"), {152, 0, 392, 24},
                Label::Look(0xFF0000, pixels(18)).centre().sizedToText());
        QCOMPARE(l.geometry(), QRect(152, 0, 392, 24)); // as laid out, until the caption changes
        l.setCaption(QStringLiteral("Anna"));
        QCOMPARE(l.pos(), QPoint(152, 0));
        QVERIFY(l.width() < 392);
        l.setCaption(QString(60, u'M'));
        QCOMPARE(l.pos(), QPoint(152, 0));
        QVERIFY(l.width() > 392);
        const int oneLine = l.height();
        l.setCaption(QStringLiteral("Anna\r\n"));
        QVERIFY(l.height() > oneLine); // the line end is a second line
    }

    void paints_data()
    {
        QTest::addColumn<bool>("opaque");
        QTest::addColumn<bool>("border");
        QTest::newRow("transparent") << false << false;
        QTest::newRow("transparent with border") << false << true;
        QTest::newRow("opaque with border") << true << true;
    }
    void paints()
    {
        QFETCH(bool, opaque);
        QFETCH(bool, border);
        QWidget parent;
        parent.resize(200, 100);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, QColor(0, 192, 192));
        parent.setPalette(pal);
        parent.setAutoFillBackground(true);
        Label::Look look(0x0000FF, pixels(24));
        if (opaque)
            look.on(0xFFFFC0);
        if (border)
            look.bordered();
        Label l(&parent, QStringLiteral("x"), QStringLiteral("0"), {20, 20, 60, 50}, look);
        const QImage img = parent.grab().toImage();
        // Top-left corner: the border, else the background or what lies under the label.
        const QColor corner = img.pixelColor(20, 20);
        const QColor inside = img.pixelColor(75, 65);
        QCOMPARE(corner, border   ? QColor(Qt::black)
                         : opaque ? fromBgr(0xFFFFC0)
                                  : QColor(0, 192, 192));
        QCOMPARE(inside, opaque ? fromBgr(0xFFFFC0) : QColor(0, 192, 192));
        // The text in its own colour somewhere inside.
        bool red = false;
        for (int y = 21; y < 69 && !red; ++y)
            for (int x = 21; x < 79 && !red; ++x)
                red = img.pixelColor(x, y) == QColor(255, 0, 0);
        QVERIFY(red);
    }
};

QTEST_MAIN(TestLabel)
#include "tst_label.moc"
