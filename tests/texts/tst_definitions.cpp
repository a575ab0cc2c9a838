#include "support/game.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace sorvane;
using namespace sorvane::testing;

class TestDefinitions : public QObject
{
    Q_OBJECT

    // Chooses a command by clicking it on the window's real menu bar.
    static void choose(Game& g, const QString& name)
    {
        QMenuBar* bar = g.form->menu();
        QAction* action = g.form->menuCommand(name);
        QVERIFY(action);
        const QRect place = bar->actionGeometry(action);
        QVERIFY2(place.isValid(), qPrintable(name));
        const auto before = g.dialogs.shown.size();
        QTest::mouseClick(bar, Qt::LeftButton, {}, place.center());
        // The box opens once the click has returned.
        QVERIFY2(g.waitForBoxes(before + 1), qPrintable(name));
    }

private slots:
    // Each row is named after its command; all but the help are plain boxes titled "Sorvane".
    // Chosen in the middle of an answer, any number of times, it changes nothing of the game.
    void commands_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("help")
            << "Per iniziare a giocare clicca  su uno dei pulsante in basso, il suo valore verrà "
               "sommato al valore del pulsante successivo su cui avrai cliccato; quando sei "
               "sicuro di aver raggiunto l'ampiezza esatta clicca su verifica";
        QTest::newRow("acuto") << " Un angolo si dice acuto se è minore di un angolo retto";
        QTest::newRow("retto") << " Un angolo si dice retto se la sua ampiezza è di 90°";
        QTest::newRow("ottuso") << " Un angolo si dice ottuso se è maggiore di un angolo retto, "
                                   "ma è minore di un angolo piatto";
        QTest::newRow("piatto") << " Un angolo si dice piatto se la sua ampiezza è di 180°";
        QTest::newRow("concavo") << "Un angolo si dice concavo se contiene i prolungamenti dei "
                                    "suoi lati ed è quindi maggiore di un angolo piatto";
        QTest::newRow("grio") << " Un angolo si dice giro quando la sua ampezza è di 360°";
        QTest::newRow("comp")
            << "Due angoli sono complementari se la loro somma è 90°, ossia un angolo retto";
    }
    void commands()
    {
        QFETCH(QString, text);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        const bool help = name == u"help";
        auto g = gameOnScreen();
        QVERIFY(g);
        g->build(31);
        g->verifica(); // one wrong answer counted
        g->press(30);
        const auto state = [&] {
            const GameModel& m = g->form->model();
            return std::make_tuple(m.somma(), g->totals(), m.esatte(), m.errate(),
                                   g->caption("lblScore1"), m.clock().text(),
                                   g->caption("lblangolo"));
        };
        const auto before = state();
        for (int time = 1; time <= 2; ++time) {
            choose(*g, name);
            const auto boxes = g->laterBoxes();
            QCOMPARE(boxes.size(), 1 + time);
            QCOMPARE(boxes.last().kind, QStringLiteral("message"));
            QCOMPARE(boxes.last().text, text);
            QCOMPARE(boxes.last().title, help ? u"Riconosciamo gli Sorvane"_qs : u"Sorvane"_qs);
            QCOMPARE(boxes.last().icon, help ? BoxIcon::Information : BoxIcon::None);
        }
        QVERIFY(before == state());
        g->press(5);
        QCOMPARE(g->somma(), 35);
    }

    void creditsRunNothing()
    {
        auto g = gameOnScreen();
        QVERIFY(g);
        QMenu* credits = g->form->menuCommand(QStringLiteral("copy"))->menu();
        QVERIFY(credits);
        for (QAction* a : credits->actions()) {
            QVERIFY(!a->text().isEmpty());
            QVERIFY(a->objectName() == u"scuola" || a->objectName() == u"by");
            a->trigger();
        }
        QVERIFY(g->laterBoxes().isEmpty());
        QVERIFY(!g->hasEnded());
    }
};

QTEST_MAIN(TestDefinitions)
#include "tst_definitions.moc"
