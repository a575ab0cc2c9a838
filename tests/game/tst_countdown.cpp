#include "support/game.h"

#include "app/announcer.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPaintEvent>

using namespace sorvane;
using namespace sorvane::testing;

class TestCountdown : public QObject
{
    Q_OBJECT

    static void ticks(Game& g, int n)
    {
        for (int i = 0; i < n; ++i)
            g.form->Timer1_Timer();
    }

private slots:
    void countsDownOnTheLabel_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("told"); // what the clock told a screen reader by itself
        QTest::newRow("start: fifteen minutes") << 0 << "00:15:00"
                                                << "";
        QTest::newRow("one tick") << 1 << "00:14:59"
                                  << "";
        QTest::newRow("five minutes left") << 600 << "00:05:00"
                                           << "Tempo restante 5 minuti";
        // Both told at the next turn of the event loop, which these ticks never give back.
        QTest::newRow("one minute left") << 840 << "00:01:00"
                                         << "Tempo restante 5 minuti Tempo restante 1 minuto";
        QTest::newRow("900: the end is shown, the game still on")
            << 900 << "00:00:00"
            << "Tempo restante 5 minuti Tempo restante 1 minuto";
    }

    void countsDownOnTheLabel()
    {
        QFETCH(int, n);
        QFETCH(QString, caption);
        QFETCH(QString, told);
        Game g;
        QVERIFY(g.start());
        g.show();
        QVERIFY(QTest::qWaitForWindowActive(g.form.get()));
        const Announcer& announcer = g.form->announcer();
        QTRY_COMPARE(announcer.spokenCount(), 1); // the first question's angle
        const QString angle = announcer.lastSpoken();
        ticks(g, n);
        QCOMPARE(g.caption("lblconto"), caption);
        QCOMPARE(g.form->model().clock().text(), caption);
        QVERIFY(g.form->timerRunning());
        QVERIFY(!g.hasEnded());
        QCOMPARE(g.dialogs.shown.size(), 2);
        QTest::qWait(20);
        QCOMPARE(announcer.lastSpoken(), told.isEmpty() ? angle : told);
        QCOMPARE(announcer.spokenCount(), told.isEmpty() ? 1 : 2);
    }

    void tick901EndsTheGameWithTheLabelUnchanged()
    {
        Game g;
        QVERIFY(g.start());
        ticks(g, 901);
        QCOMPARE(g.caption("lblconto"), QStringLiteral("00:00:00"));
        QVERIFY(g.hasEnded());
        QCOMPARE(g.quits, 1);
        const auto boxes = g.laterBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("Ciao a presto Anna"));
        // Nothing more happens, however many ticks the platform still delivers.
        ticks(g, 5);
        QCOMPARE(g.laterBoxes().size(), 1);
        QCOMPARE(g.quits, 1);
    }

    void aTickRepaintsOnlyTheClock()
    {
        Game g;
        QVERIFY(g.start());
        g.show();
        QWidget* canvas = g.form->centralWidget();
        QTest::qWait(50); // the first paint of the window is over
        struct Painted : QObject
        {
            QRegion region;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    region += static_cast<QPaintEvent*>(e)->region();
                return false;
            }
        } painted;
        canvas->installEventFilter(&painted);
        g.form->Timer1_Timer();
        QTRY_VERIFY(!painted.region.isEmpty());
        QTest::qWait(50);
        const QRect clock = g.form->label(QStringLiteral("lblconto"))->geometry();
        QVERIFY2(clock.contains(painted.region.boundingRect()),
                 qPrintable(QDebug::toString(painted.region.boundingRect())));
    }

    void dottedLayoutCaptionDoesNotEndTheGame()
    {
        Game g;
        QVERIFY(g.start());
        ticks(g, 900);
        g.form->label(QStringLiteral("lblconto"))->setCaption(QStringLiteral("00.00.00"));
        g.form->Timer1_Timer();
        QVERIFY(!g.hasEnded());
        QCOMPARE(g.laterBoxes().size(), 0);
    }

    void theRealTimerTicksWhileABoxIsOpen()
    {
        Game g;
        g.random.values = {numberForAngle(55)};
        QVERIFY(g.start());
        g.show();
        QVERIFY(g.form->timerRunning());
        QString whileOpen;
        // The check's box stays open for a little over two seconds.
        g.dialogs.whileOpen = [&](const ScriptedDialogs::Shown&) {
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 2300)
                QTest::qWait(50);
            whileOpen = g.caption("lblconto");
        };
        g.verifica();
        // Two ticks in 2.3 s, or at least one on a loaded machine; never none.
        const QStringList counted{"00:14:59", "00:14:58", "00:14:57"};
        QVERIFY2(counted.contains(whileOpen), qPrintable(whileOpen));
        QCOMPARE(int(g.form->model().errate()), 1);
    }

    // The end arrives while a definition or the check of a right answer is open: the game
    // ends once, the answer seen after the end counts for nothing and no question follows.
    void timeRunningOutWhileABoxIsOpenEndsTheGameOnce_data()
    {
        QTest::addColumn<bool>("check"); // else a definition
        QTest::addColumn<QString>("box");
        QTest::newRow("definition")
            << false << " Un angolo si dice retto se la sua ampiezza è di 90°";
        QTest::newRow("check") << true << " Ok ";
    }

    void timeRunningOutWhileABoxIsOpenEndsTheGameOnce()
    {
        QFETCH(bool, check);
        QFETCH(QString, box);
        Game g;
        g.random.values = {numberForAngle(55), numberForAngle(10)};
        QVERIFY(g.start());
        ticks(g, 900);
        bool first = true;
        g.dialogs.whileOpen = [&](const ScriptedDialogs::Shown&) {
            if (first)
                ticks(g, check ? 1 : 3);
            first = false;
        };
        if (check) {
            g.build(35);
            g.form->cmdverifica_Click();
        } else {
            g.form->retto_Click();
        }
        QVERIFY(g.hasEnded());
        QCOMPARE(g.dialogs.texts().mid(2), (QStringList{box, "Ciao a presto Anna"}));
        QCOMPARE(g.quits, 1);
        QCOMPARE(int(g.form->model().esatte()), 0);
        QCOMPARE(g.caption("lblangolo"), QStringLiteral("55"));
    }
};

QTEST_MAIN(TestCountdown)
#include "tst_countdown.moc"
