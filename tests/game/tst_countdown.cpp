#include "support/game.h"

#include "app/announcer.h"

using namespace sorvane;
using namespace sorvane::testing;

class TestCountdown : public QObject
{
    Q_OBJECT

private slots:
    void countsDownOnTheLabel_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("told"); // what the clock told a screen reader by itself
        QTest::newRow("start: the whole time") << clockAfter(0) << 0 << "";
        QTest::newRow("one tick") << clockAfter(1) << 1 << "";
        QTest::newRow("five minutes left")
            << "00:05:00" << gameSeconds - 300 << "Tempo restante 5 minuti";
        // Both told at the next turn of the event loop, which these ticks never give back.
        const QString both = "Tempo restante 5 minuti Tempo restante 1 minuto";
        QTest::newRow("one minute left") << "00:01:00" << gameSeconds - 60 << both;
        QTest::newRow("the whole time: the end is shown, the game still on")
            << "00:00:00" << gameSeconds << both;
    }
    void countsDownOnTheLabel()
    {
        QFETCH(QString, caption);
        QFETCH(int, n);
        QFETCH(QString, told);
        auto g = gameOnScreen();
        QVERIFY(g);
        const Announcer& announcer = g->form->announcer();
        QTRY_COMPARE(announcer.spokenCount(), 1); // the first question's angle
        const QString angle = announcer.lastSpoken();
        g->ticks(n);
        QCOMPARE(g->caption("lblconto"), caption);
        QVERIFY(g->ticking());
        QVERIFY(!g->hasEnded());
        QCOMPARE(g->dialogs.shown.size(), 2);
        QTest::qWait(20);
        QCOMPARE(announcer.lastSpoken(), told.isEmpty() ? angle : told);
        QCOMPARE(announcer.spokenCount(), told.isEmpty() ? 1 : 2);
    }

    void aTickRepaintsOnlyTheClock()
    {
        auto g = gameOnScreen();
        QVERIFY(g);
        QTest::qWait(50); // the first paint of the window is over
        Paints painted(g->form->centralWidget());
        g->ticks(1);
        QTRY_VERIFY(!painted.region.isEmpty());
        QTest::qWait(50);
        const QRect clock = g->form->label(QStringLiteral("lblconto"))->geometry();
        QVERIFY2(clock.contains(painted.region.boundingRect()),
                 qPrintable(QDebug::toString(painted.region.boundingRect())));
    }

    void theRealTimerTicksWhileABoxIsOpen()
    {
        auto g = std::make_unique<Game>();
        g->realSeconds = true;
        g->random.values = {numberForAngle(55)};
        QVERIFY(g->start());
        g->show();
        QString whileOpen;
        // The check's box stays open for a little over two seconds.
        g->dialogs.whileOpen = [&](const ScriptedDialogs::Shown&) {
            QTest::qWait(2300);
            whileOpen = g->caption("lblconto");
        };
        g->verifica();
        // Two ticks in 2.3 s, or at least one on a loaded machine; never none.
        const QStringList counted{clockAfter(1), clockAfter(2), clockAfter(3)};
        QVERIFY2(counted.contains(whileOpen), qPrintable(whileOpen));
        QCOMPARE(int(g->form->model().errate()), 1);
    }

    // The tick after "00:00:00" is shown ends the game, with the label unchanged, also while
    // a definition or the check of a right answer is open: the game ends once, the answer seen
    // after the end counts for nothing and no question follows.
    void theTickAfterTheEndEndsTheGameOnce_data()
    {
        QTest::addColumn<QString>("box"); // none: no box is open
        QTest::addColumn<bool>("check");  // else a definition
        QTest::newRow("no box open") << QString() << false;
        QTest::newRow("definition")
            << " Un angolo si dice retto se la sua ampiezza è di 90°" << false;
        QTest::newRow("check") << " Ok " << true;
    }
    void theTickAfterTheEndEndsTheGameOnce()
    {
        QFETCH(QString, box);
        QFETCH(bool, check);
        Game g;
        g.random.values = {numberForAngle(55), numberForAngle(10)};
        QVERIFY(g.start());
        g.ticks(gameSeconds);
        bool first = true;
        g.dialogs.whileOpen = [&](const ScriptedDialogs::Shown&) {
            if (first && !box.isEmpty())
                g.ticks(check ? 1 : 3);
            first = false;
        };
        if (box.isEmpty()) {
            g.ticks(1);
        } else if (check) {
            g.build(35);
            g.form->cmdverifica_Click();
        } else {
            g.form->retto_Click();
        }
        QVERIFY(g.hasEnded());
        QStringList seen{box, QStringLiteral("Ciao a presto Anna")};
        seen.removeAll(QString());
        QCOMPARE(g.dialogs.texts().mid(2), seen);
        QCOMPARE(g.quits, 1);
        QCOMPARE(int(g.form->model().esatte()), 0);
        QCOMPARE(g.caption("lblangolo"), QStringLiteral("55"));
        QCOMPARE(g.caption("lblconto"), QStringLiteral("00:00:00"));
        // Nothing more happens, however many ticks the platform still delivers.
        g.ticks(5);
        QCOMPARE(g.dialogs.texts().mid(2), seen);
        QCOMPARE(g.quits, 1);
    }
};

QTEST_MAIN(TestCountdown)
#include "tst_countdown.moc"
