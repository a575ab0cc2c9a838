// The game's model alone, without a window, through whole games: its acts and its seconds,
// driven by the test.

#include "support/gamewindow.h"
#include "support/scripteddialogs.h"

#include "game/gamemodel.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::testing;

class TestGameModel : public QObject
{
    Q_OBJECT

private slots:
    // Every question asks for 35 (given 55). The acts, separated by commas: "build SUM" (the
    // value buttons that add up to it pressed),
    // "check" (its box closed at once), "check+N" (N seconds pass while its box is open),
    // "ticks N", "esci" or "end". Then what the player was shown, the counts, the clock,
    // the phase, whether the clock still runs, how often the ending was told, and the sum.
    void wholeGames_data()
    {
        QTest::addColumn<QString>("acts");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("esatte");
        QTest::addColumn<int>("errate");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<GameModel::Phase>("phase");
        QTest::addColumn<bool>("ticking");
        QTest::addColumn<int>("endings");
        QTest::addColumn<int>("sum");
        using P = GameModel::Phase;
        const QString ok = QStringLiteral(" Ok ");
        const QString big =
            QStringLiteral(" Hai raggiunto un valore maggiore. Il valore esatto era 35°");
        const QString small =
            QStringLiteral("Fai attenzione, hai sbagliato. Il valore esatto era 35°");

        QTest::newRow("a right answer") << "build 35, check" << QStringList{ok} << 1 << 0
                                        << clockAfter(0) << P::Playing << true << 0 << 0;
        QTest::newRow("too big, then nothing pressed")
            << "build 40, check, check" << QStringList{big, small} << 0 << 2 << clockAfter(0)
            << P::Playing << true << 0 << 0;
        QTest::newRow("the sum starts again from 0 after a check")
            << "build 30, check, build 5, check" << QStringList{small, small} << 0 << 2
            << clockAfter(0) << P::Playing << true << 0 << 0;
        QTest::newRow("the whole time: the end shown, the game still on")
            << QStringLiteral("build 35, check, ticks %1").arg(gameSeconds) << QStringList{ok} << 1
            << 0 << "00:00:00" << P::Playing << true << 0 << 0;
        QTest::newRow("the second after ends the game, once")
            << QStringLiteral("build 35, check, ticks %1, build 5, check, ticks 5, esci")
                   .arg(gameSeconds + 1)
            << QStringList{ok} << 1 << 0 << "00:00:00" << P::Ending << false << 1 << 0;
        QTest::newRow("the time runs out while the verdict is open: not counted")
            << QStringLiteral("ticks %1, build 35, check+2, check").arg(gameSeconds - 1)
            << QStringList{ok} << 0 << 0 << "00:00:00" << P::Ending << false << 1 << 0;
        QTest::newRow("seconds while the verdict is open count down")
            << "build 20, check+30" << QStringList{small} << 0 << 1 << clockAfter(30) << P::Playing
            << true << 0 << 0;
        QTest::newRow("Esci: the clock stops, a second Esci does nothing")
            << "ticks 61, esci, ticks 10, esci, build 10, check" << QStringList{} << 0 << 0
            << clockAfter(61) << P::Ending << false << 1 << 0;
        QTest::newRow("over: every act ignored")
            << "build 20, end, build 10, check, ticks 3, esci" << QStringList{} << 0 << 0
            << clockAfter(0) << P::Ended << false << 0 << 20;
    }
    void wholeGames()
    {
        QFETCH(QString, acts);
        QFETCH(QStringList, boxes);
        QFETCH(int, esatte);
        QFETCH(int, errate);
        QFETCH(QString, clock);
        QFETCH(GameModel::Phase, phase);
        QFETCH(bool, ticking);
        QFETCH(int, endings);
        QFETCH(int, sum);
        ScriptedRandom random;
        random.values = {numberForAngle(55)};
        ManualTicker ticker;
        GameModel model(random, ticker);
        int ended = 0;
        connect(&model, &GameModel::ending, this, [&ended] { ++ended; });
        QStringList shown;
        QCOMPARE(model.ticking(), false);
        model.startClock();
        model.newQuestion();
        for (const QString& act : acts.split(QStringLiteral(", "))) {
            const QStringList words = act.split(u' ');
            const int n = words.value(1).toInt();
            if (words[0] == u"build") {
                for (int index : GameWindow::indexesFor(n))
                    model.press(index);
            } else if (words[0].startsWith(u"check")) {
                const int seconds = words[0].section(u'+', 1).toInt();
                model.verifica([&](const Message& m) {
                    shown << m.text;
                    ticker.fire(seconds);
                });
            } else if (words[0] == u"ticks") {
                ticker.fire(n);
            } else if (words[0] == u"esci") {
                model.finish();
            } else {
                model.end();
            }
        }
        QCOMPARE(shown, boxes);
        QCOMPARE(int(model.esatte()), esatte);
        QCOMPARE(int(model.errate()), errate);
        QCOMPARE(model.clock().text(), clock);
        QCOMPARE(model.phase(), phase);
        QCOMPARE(model.ticking(), ticking);
        QCOMPARE(ended, endings);
        QCOMPARE(int(model.somma()), sum);
        QCOMPARE(int(model.primoangolo()), 55);
    }
};

QTEST_GUILESS_MAIN(TestGameModel)
#include "tst_gamemodel.moc"
