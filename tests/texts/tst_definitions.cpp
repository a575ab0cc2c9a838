#include "support/game.h"
#include "texts/definitions.h"

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
        QMenuBar* bar = g.form->menuBar();
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
    void commands_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        const int none = int(BoxIcon::None);
        QTest::newRow("help")
            << "help"
            << "Per iniziare a giocare clicca  su uno dei pulsante in basso, il suo valore verrà "
               "sommato al valore del pulsante successivo su cui avrai cliccato; quando sei "
               "sicuro di aver raggiunto l'ampiezza esatta clicca su verifica"
            << "Riconosciamo gli Sorvane" << int(BoxIcon::Information);
        QTest::newRow("acuto") << "acuto"
                               << " Un angolo si dice acuto se è minore di un angolo retto"
                               << "Sorvane" << none;
        QTest::newRow("retto") << "retto"
                               << " Un angolo si dice retto se la sua ampiezza è di 90°"
                               << "Sorvane" << none;
        QTest::newRow("ottuso") << "ottuso"
                                << " Un angolo si dice ottuso se è maggiore di un angolo retto, "
                                   "ma è minore di un angolo piatto"
                                << "Sorvane" << none;
        QTest::newRow("piatto") << "piatto"
                                << " Un angolo si dice piatto se la sua ampiezza è di 180°"
                                << "Sorvane" << none;
        QTest::newRow("concavo") << "concavo"
                                 << "Un angolo si dice concavo se contiene i prolungamenti dei "
                                    "suoi lati ed è quindi maggiore di un angolo piatto"
                                 << "Sorvane" << none;
        QTest::newRow("grio") << "grio"
                              << " Un angolo si dice giro quando la sua ampezza è di 360°"
                              << "Sorvane" << none;
        QTest::newRow("comp") << "comp"
                              << "Due angoli sono complementari se la loro somma è 90°, ossia un "
                                 "angolo retto"
                              << "Sorvane" << none;
    }

    void commands()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(int, icon);
        Game g;
        QVERIFY(g.start());
        g.show();
        for (int time = 1; time <= 2; ++time) { // any number of times
            choose(g, name);
            const auto boxes = g.laterBoxes();
            QCOMPARE(boxes.size(), time);
            QCOMPARE(boxes.last().kind, QStringLiteral("message"));
            QCOMPARE(boxes.last().text, text);
            QCOMPARE(boxes.last().title, title);
            QCOMPARE(int(boxes.last().icon), icon);
        }
    }

    void definitionInTheMiddleOfAnAnswerChangesNothing()
    {
        Game g;
        g.random.values = {numberForAngle(55)};
        QVERIFY(g.start());
        g.show();
        g.press(20);
        g.press(10);
        g.build(1);
        g.verifica(); // one wrong answer counted
        g.press(30);
        const auto before =
            std::make_tuple(g.form->model().somma(), g.totals(), g.form->model().esatte(), g.form->model().errate(),
                            g.caption("lblScore1"), g.form->model().clock().text(), g.caption("lblangolo"));
        for (const Definition& d : definitions())
            choose(g, QString::fromLatin1(d.name));
        QCOMPARE(g.laterBoxes().size(), 1 + 8);
        const auto after =
            std::make_tuple(g.form->model().somma(), g.totals(), g.form->model().esatte(), g.form->model().errate(),
                            g.caption("lblScore1"), g.form->model().clock().text(), g.caption("lblangolo"));
        QVERIFY(before == after);
        g.press(5);
        QCOMPARE(int(g.form->model().somma()), 35);
    }

    void creditsRunNothing()
    {
        Game g;
        QVERIFY(g.start());
        g.show();
        QMenu* credits = g.form->menuCommand(QStringLiteral("copy"))->menu();
        QVERIFY(credits);
        for (QAction* a : credits->actions())
            a->trigger();
        QVERIFY(g.laterBoxes().isEmpty());
        QVERIFY(!g.hasEnded());
        for (QAction* a : credits->actions()) {
            QVERIFY(!a->text().isEmpty());
            QVERIFY(a->objectName() == u"scuola" || a->objectName() == u"by");
        }
    }
};

QTEST_MAIN(TestDefinitions)
#include "tst_definitions.moc"
