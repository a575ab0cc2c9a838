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
        QCOMPARE(QString::number(g->form->model().somma()), total);
        for (int i = 1; i <= 11; ++i)
            QVERIFY(!g->form->option1(i)->isChecked());
        QVERIFY(g->laterBoxes().isEmpty());
    }

    void focusAloneAddsNothing()
    {
        auto g = gameOnScreen();
        QVERIFY(g);
        g->press(10);
        g->valueButton(30)->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(g->valueButton(30)));
        QCOMPARE(int(g->form->model().somma()), 10);
        QVERIFY(!g->valueButton(30)->isChecked());
        // A click on a button without the focus gives it the focus and adds exactly once.
        QTest::mouseClick(g->valueButton(50), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(g->valueButton(50)));
        QCOMPARE(int(g->form->model().somma()), 60);
    }

    void keyboardPlay()
    {
        auto g = gameOnScreen();
        QVERIFY(g);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(g->valueButton(40)));
        QTest::keyClick(g->valueButton(40), Qt::Key_Space);
        QCOMPARE(int(g->form->model().somma()), 40);
        QTest::keyClick(g->valueButton(40), Qt::Key_Space);
        QCOMPARE(int(g->form->model().somma()), 80);
        QTest::keyClick(g->valueButton(40), Qt::Key_Tab); // to "50"
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(g->caption("lbltotal4"), QStringLiteral("130"));
    }

    void check_data()
    {
        QTest::addColumn<QList<int>>("presses");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("esatte");
        QTest::addColumn<int>("errate");
        const int error = int(BoxIcon::Error);
        QTest::newRow("too big") << QList<int>{40} << tooBig + "35°"
                                 << "Attenzione" << error << 0 << 1;
        QTest::newRow("too small") << QList<int>{30, 3} << tooSmall + "35°"
                                   << "Attenzione" << error << 0 << 1;
        QTest::newRow("nothing pressed") << QList<int>{} << tooSmall + "35°"
                                         << "Attenzione" << error << 0 << 1;
        QTest::newRow("right") << QList<int>{30, 5} << " Ok "
                               << "Giochiamo con gli angoli" << int(BoxIcon::Information) << 1 << 0;
        QTest::newRow("right another way")
            << QList<int>{20, 10, 3, 2} << " Ok "
            << "Giochiamo con gli angoli" << int(BoxIcon::Information) << 1 << 0;
    }

    void check()
    {
        QFETCH(QList<int>, presses);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QFETCH(int, esatte);
        QFETCH(int, errate);
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
        QCOMPARE(boxes[0].title, title);
        QCOMPARE(int(boxes[0].icon), icon);
        QCOMPARE(totalsWhileOpen, QStringList(4, QStringLiteral("0")));
        QCOMPARE(countsWhileOpen, (QStringList{"0", "0"}));
        QCOMPARE(int(g->form->model().esatte()), esatte);
        QCOMPARE(int(g->form->model().errate()), errate);
        QCOMPARE(g->caption("lblScore"), QString::number(esatte));
        QCOMPARE(g->caption("lblScore1"), QString::number(errate));
        // The next question is on screen with a fresh sum.
        QCOMPARE(g->caption("lblangolo"), QStringLiteral("10"));
        QCOMPARE(int(*g->form->model().valoreesatto()), 80);
        QCOMPARE(int(g->form->model().somma()), 0);
        QCOMPARE(g->totals(), QStringList(4, QStringLiteral("0")));
        for (int i = 1; i <= 11; ++i)
            QVERIFY(!g->form->option1(i)->isChecked());
        g->press(5);
        QCOMPARE(g->caption("lbltotale"), QStringLiteral("5"));
    }

    void twoChecksInARow()
    {
        auto g = gameOnScreen({numberForAngle(55), numberForAngle(89), numberForAngle(20)});
        QVERIFY(g);
        g->build(35);
        g->verifica();
        g->verifica(); // sum 0 against the new question: always wrong
        const auto boxes = g->laterBoxes();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].text, QStringLiteral(" Ok "));
        QCOMPARE(boxes[1].text, tooSmall + QStringLiteral("1°"));
        QCOMPARE(g->caption("lblScore"), QStringLiteral("1"));
        QCOMPARE(g->caption("lblScore1"), QStringLiteral("1"));
        QCOMPARE(g->caption("lblangolo"), QStringLiteral("20"));
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
        QCOMPARE(int(g->form->model().esatte()), 4);
        QCOMPARE(int(g->form->model().errate()), 3);
        QCOMPARE(g->caption("lblScore"), QStringLiteral("4"));
        QCOMPARE(g->caption("lblScore1"), QStringLiteral("3"));
    }

    void sumHoldsAtItsLimit()
    {
        auto g = gameOnScreen();
        QVERIFY(g);
        for (int i = 0; i < 468; ++i) // 32760
            g->form->Option1_Click(11);
        QCOMPARE(int(g->form->model().somma()), 32760);
        g->press(70);
        QCOMPARE(int(g->form->model().somma()), 32767);
        g->press(1);
        QCOMPARE(g->totals(), QStringList(4, QStringLiteral("32767")));
        g->verifica();
        QCOMPARE(g->laterBoxes().last().text, tooBig + QStringLiteral("35°"));
        QCOMPARE(int(g->form->model().somma()), 0);
    }

    void stackedTotalsShowOneNumberWithFringes()
    {
        auto g = gameOnScreen();
        QVERIFY(g);
        g->press(20);
        const QImage img = g->form->centralWidget()->grab().toImage();
        // The cyan copy lies on top; the others show as fringes to its left.
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
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
