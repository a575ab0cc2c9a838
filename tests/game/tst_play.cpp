#include "support/game.h"

#include <QApplication>

using namespace sorvane;
using namespace sorvane::testing;

class TestPlay : public QObject
{
    Q_OBJECT

private slots:
    void pressesAddUp_data()
    {
        QTest::addColumn<QList<int>>("presses");
        QTest::addColumn<QString>("total");
        QTest::newRow("20 20 5") << QList<int>{20, 20, 5} << "45";
        QTest::newRow("one press") << QList<int>{70} << "70";
        QTest::newRow("same button thrice") << QList<int>{3, 3, 3} << "9";
        QTest::newRow("button 1, disabled in the layout") << QList<int>{1} << "1";
        QTest::newRow("every button")
            << QList<int>{1, 2, 3, 5, 10, 20, 30, 40, 50, 60, 70} << "291";
    }
    void pressesAddUp()
    {
        QFETCH(QList<int>, presses);
        QFETCH(QString, total);
        auto g = gameOnScreen();
        QVERIFY(g);
        for (int v : presses)
            g->press(v);
        QCOMPARE(g->totals(), QStringList(4, total));
        QCOMPARE(QString::number(g->somma()), total);
        QVERIFY(g->noneChecked());
        QVERIFY(g->laterBoxes().isEmpty());
        // The four totals are stacked: the cyan copy lies on top, the others show as fringes
        // to its left.
        const QImage img = g->form->centralWidget()->grab().toImage();
        bool cyan = false, fringe = false;
        for (int y = 312; y < 360; ++y) {
            for (int x = 238; x < 300; ++x) {
                const QColor c = img.pixelColor(x, y);
                cyan |= c == QColor(0, 255, 255);
                fringe |= c == QColor(128, 255, 128) || c == QColor(128, 128, 255) ||
                          c == QColor(0, 0, 192);
            }
        }
        QVERIFY(cyan);
        QVERIFY(fringe);
    }

    void focusAndKeys()
    {
        auto g = gameOnScreen();
        QVERIFY(g);
        QToolButton* forty = g->valueButton(40);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(forty));
        QTest::keyClick(forty, Qt::Key_Space);
        QCOMPARE(g->somma(), 40);
        QTest::keyClick(forty, Qt::Key_Space);
        QCOMPARE(g->somma(), 80);
        QTest::keyClick(forty, Qt::Key_Tab); // to "50"
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(g->caption("lbltotal4"), QStringLiteral("130"));
        // The focus alone adds nothing.
        g->valueButton(30)->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(g->valueButton(30)));
        QCOMPARE(g->somma(), 130);
        QVERIFY(!g->valueButton(30)->isChecked());
        // A click on a button without the focus gives it the focus and adds exactly once.
        QTest::mouseClick(g->valueButton(10), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(g->valueButton(10)));
        QCOMPARE(g->somma(), 140);
    }

    // The verdict and its texts are the judgement's; here the window shows them.
    void check_data()
    {
        QTest::addColumn<QList<int>>("presses");
        QTest::addColumn<int>("esatte");
        QTest::addColumn<QString>("text");
        QTest::newRow("too big") << QList<int>{40} << 0 << tooBig + "35°";
        QTest::newRow("too small") << QList<int>{30, 3} << 0 << tooSmall + "35°";
        QTest::newRow("right") << QList<int>{30, 5} << 1 << " Ok ";
    }
    void check()
    {
        QFETCH(QList<int>, presses);
        QFETCH(int, esatte);
        QFETCH(QString, text);
        const int errate = 1 - esatte;
        auto g = gameOnScreen({numberForAngle(55), numberForAngle(10)});
        QVERIFY(g);
        for (int v : presses)
            g->press(v);
        // While the box is open: totals already "0", counts as before the check.
        QStringList totalsWhileOpen, countsWhileOpen;
        g->dialogs.whileOpen = [&](const ScriptedDialogs::Shown&) {
            totalsWhileOpen = g->totals();
            countsWhileOpen = {g->caption("lblScore"), g->caption("lblScore1")};
        };
        g->verifica();
        const auto boxes = g->laterBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, text);
        QCOMPARE(boxes[0].title, esatte ? u"Giochiamo con gli angoli"_qs : u"Attenzione"_qs);
        QCOMPARE(boxes[0].icon, esatte ? BoxIcon::Information : BoxIcon::Error);
        QCOMPARE(totalsWhileOpen, QStringList(4, QStringLiteral("0")));
        QCOMPARE(countsWhileOpen, (QStringList{"0", "0"}));
        QCOMPARE(g->caption("lblScore"), QString::number(esatte));
        QCOMPARE(g->caption("lblScore1"), QString::number(errate));
        // The next question is on screen with a fresh sum.
        QCOMPARE(g->caption("lblangolo"), QStringLiteral("10"));
        QCOMPARE(int(*g->form->model().valoreesatto()), 80);
        QCOMPARE(g->somma(), 0);
        QCOMPARE(g->totals(), QStringList(4, QStringLiteral("0")));
        QVERIFY(g->noneChecked());
        g->press(5);
        QCOMPARE(g->caption("lbltotale"), QStringLiteral("5"));
    }

    void playedQuestionAfterQuestion()
    {
        QList<float> numbers;
        const QList<int> angles{1, 89, 45, 30, 60, 12, 77, 5};
        for (int a : angles)
            numbers << numberForAngle(a);
        auto g = gameOnScreen(numbers);
        QVERIFY(g);
        for (int i = 0; i < angles.size() - 1; ++i) {
            QCOMPARE(g->caption("lblangolo"), QString::number(angles[i]));
            g->build(90 - angles[i] + (i % 2)); // every other answer one too many
            g->verifica();
        }
        QCOMPARE(g->caption("lblScore"), QStringLiteral("4"));
        QCOMPARE(g->caption("lblScore1"), QStringLiteral("3"));
    }

    void sumHoldsAtItsLimit()
    {
        auto g = gameOnScreen();
        QVERIFY(g);
        for (int i = 0; i < 468; ++i) // 32760
            g->form->Option1_Click(11);
        QCOMPARE(g->somma(), 32760);
        g->press(70);
        QCOMPARE(g->somma(), 32767);
        g->press(1);
        QCOMPARE(g->totals(), QStringList(4, QStringLiteral("32767")));
        g->verifica();
        QCOMPARE(g->laterBoxes().last().text, tooBig + QStringLiteral("35°"));
        QCOMPARE(g->somma(), 0);
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
