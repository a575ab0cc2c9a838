#include "support/game.h"
#include "toolkit/letterpad.h"
#include "toolkit/qtdialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>

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

    // On the board, by a finger: every gesture on a value button adds its value once and leaves
    // no button held down.
    void aTouchPressesOnce_data()
    {
        // Each step is one touch event: p(ress), m(ove), r(elease) or s(tationary) of a finger,
        // at the button's c(entre), n(ear) it or on an o(ther) button; w waits a long press.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QList<int>>("values");
        const QList<int> all{1, 2, 3, 5, 10, 20, 30, 40, 50, 60, 70};
        QTest::newRow("tap") << "p0c r0c" << all;
        QTest::newRow("a tap that slides") << "p0c m0n r0n" << all;
        QTest::newRow("a long press") << "p0c w r0c" << QList<int>{40};
        QTest::newRow("a second finger on another button") << "p0c s0+p1o s0+r1o r0c" << all;
        QTest::newRow("a second finger lifted last") << "p0c s0+p1o r0c+s1 m1n r1n" << all;
        QTest::newRow("a second finger on the same button")
            << "p0c s0+p1n s0+r1n r0c" << QList<int>{20};
    }
    void aTouchPressesOnce()
    {
        QFETCH(QString, steps);
        QFETCH(QList<int>, values);
        Game g;
        g.board = Form1::fitBoard(QGuiApplication::primaryScreen()->availableSize());
        QVERIFY(g.start());
        g.show();
        QWidget* w = g.form.get();
        int expected = 0;
        for (int v : values) {
            QToolButton* b = g.valueButton(v);
            QToolButton* other = g.valueButton(v == 70 ? 1 : 70);
            const QPoint c = b->mapTo(w, b->rect().center());
            const QMap<QChar, QPoint> at{{u'c', c},
                                         {u'n', c + QPoint(9, 7)},
                                         {u'o', other->mapTo(w, other->rect().center())}};
            for (const QString& step : steps.split(u' ')) {
                if (step == u"w") {
                    QTest::qWait(QGuiApplication::styleHints()->mousePressAndHoldInterval() + 300);
                    continue;
                }
                auto event = QTest::touchEvent(w, touchScreen());
                for (const QString& p : step.split(u'+')) {
                    const int finger = p[1].digitValue();
                    if (p[0] == u'p')
                        event.press(finger, at[p[2]]);
                    else if (p[0] == u'm')
                        event.move(finger, at[p[2]]);
                    else if (p[0] == u'r')
                        event.release(finger, at[p[2]]);
                    else
                        event.stationary(finger);
                }
            }
            expected += v;
            QCOMPARE(g.somma(), expected);
            QVERIFY(!b->isDown());
            QVERIFY(!other->isDown());
        }
        QVERIFY(g.laterBoxes().isEmpty());
    }

    // A pupil at the board without a keyboard: the name typed on the letter pad and stored as
    // its Windows-1252 bytes, every box closed by one tap on its OK, which reaches nothing
    // behind it.
    void aPupilAtTheBoardNeedsNoKeyboard()
    {
        Game g;
        g.board = Form1::fitBoard(QGuiApplication::primaryScreen()->availableSize());
        g.random.values = {numberForAngle(10), numberForAngle(20)};
        QtDialogs real;
        real.setLetterPad(true);
        g.dialogs.real = &real;
        QString typed;
        QStringList misnamed;
        int closedAgain = 0;
        QTimer pupil;
        connect(&pupil, &QTimer::timeout, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box || !box->windowHandle() || !box->windowHandle()->isExposed())
                return;
            if (box->property("tapped").toBool()) { // a tap that did not close it
                ++closedAgain;
                box->close();
                return;
            }
            box->setProperty("tapped", true);
            if (auto* pad = box->findChild<LetterPad*>()) {
                for (QChar c : QStringLiteral("niccolò d'amico")) {
                    QAbstractButton* key =
                        pad->key(c == u' ' ? QStringLiteral("Spazio") : QString(c));
                    // A screen reader names the key as it shows: a capital or not.
                    if (key->accessibleName() != key->text())
                        misnamed << key->text();
                    tap(key);
                }
                typed = box->findChild<QLineEdit*>()->text();
            }
            tap(box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
        });
        pupil.start(100);
        QVERIFY(g.start());
        QCOMPARE(typed, QStringLiteral("Niccolò D'Amico"));
        QCOMPARE(misnamed, QStringList());
        g.show();
        real.setParent(g.form.get());
        tap(g.valueButton(70));
        tap(g.valueButton(10));
        tap(g.form->cmdverifica());
        QTRY_COMPARE(g.laterBoxes().size(), 1);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(g.form->model().esatte(), 1);
        QCOMPARE(g.somma(), 0); // the tap on OK pressed no value button behind the box
        QMenuBar* menu = g.form->menu();
        tap(menu, menu->actionGeometry(g.form->menuCommand(QStringLiteral("help"))).center());
        QTRY_COMPARE(g.laterBoxes().size(), 2);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        tap(g.form->cmdexit1());
        QTRY_VERIFY(g.hasEnded());
        QCOMPARE(g.laterBoxes().size(), 4); // the farewell and the record's confirmation
        QCOMPARE(closedAgain, 0);
        QCOMPARE(g.bytes(g.namePath()), QByteArray("Niccol\xF2 D'Amico\r\n"));
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
