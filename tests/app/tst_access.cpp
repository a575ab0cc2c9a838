// Every control through what a screen reader does with it (its accessible action) and from
// the keys.

#include "support/game.h"

#include "app/announcer.h"
#include "game/narration.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QMenuBar>

using namespace sorvane;
using namespace sorvane::testing;

const QString giro = QStringLiteral(" Un angolo si dice giro quando la sua ampezza è di 360°");

class TestAccess : public QObject
{
    Q_OBJECT

    // The accessible object of a button, or of a command on the menu bar, by its name.
    static QAccessibleInterface* accessible(Game& g, const QString& name)
    {
        if (QAction* command = g.form->menuCommand(name)) {
            QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(g.form->menu());
            for (int i = 0; bar && i < bar->childCount(); ++i) {
                if (bar->child(i)->text(QAccessible::Name) == command->text())
                    return bar->child(i);
            }
            return nullptr;
        }
        auto* widget = g.form->findChild<QWidget*>(name);
        return widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    }

    // Presses the control as a screen reader's user does.
    static void doAction(QAccessibleInterface* a)
    {
        QVERIFY(a && a->actionInterface());
        const QStringList actions = a->actionInterface()->actionNames();
        // A screen reader activates with the first; focusable controls also offer "SetFocus".
        QVERIFY(!actions.isEmpty());
        QCOMPARE(actions.first(), QAccessibleActionInterface::pressAction());
        QVERIFY(!actions.contains(QAccessibleActionInterface::toggleAction()));
        a->actionInterface()->doAction(actions.first());
    }

private slots:
    // What a screen reader is told by itself, from the game's model alone, without a window.
    // The acts, separated by commas, are "question ANGLE", "build SUM" (the value buttons that
    // add up to it pressed), "check NEXT-ANGLE", "ticks N" or "end"; what is said, by "|", with
    // what is asked while a box is open, and "{SUM}" for each total told while it is built.
    void spokenStream_data()
    {
        QTest::addColumn<QString>("acts");
        QTest::addColumn<QString>("said");
        QTest::newRow("the first angle") << "question 52"
                                         << "Il primo angolo misura 52 gradi";
        QTest::newRow("one degree") << "question 1"
                                    << "Il primo angolo misura 1 grado";
        QTest::newRow("each total") << "question 52, build 38"
                                    << "Il primo angolo misura 52 gradi|{38}";
        // While the answer's box is open the totals on the screen show 0, and so does the sum
        // a screen reader asks for; the reset itself is not told.
        QTest::newRow("the counts, then the new angle")
            << "question 20, build 70, check 17, check 2"
            << "Il primo angolo misura 20 gradi|{70}|[box] Somma 0|"
               "Risposte esatte 1, risposte errate 0. Il primo angolo misura 17 gradi|[box] Somma "
               "0|"
               "Risposte esatte 1, risposte errate 1. Il primo angolo misura 2 gradi";
        QTest::newRow("five minutes and one minute left, once each")
            << "ticks 600, ticks 1, ticks 239, ticks 60"
            << "Tempo restante 5 minuti|Tempo restante 1 minuto";
        QTest::newRow("nothing once the game is over") << "question 52, end, build 10, question 17"
                                                       << "Il primo angolo misura 52 gradi";
    }
    void spokenStream()
    {
        QFETCH(QString, acts);
        QFETCH(QString, said);
        ScriptedRandom random;
        ManualTicker ticker;
        GameModel model(random, ticker);
        Narration narration(model);
        QStringList heard;
        connect(&narration, &Narration::said, &narration,
                [&heard](const QString& text) { heard << text; });
        model.startClock();
        for (const QString& act : acts.split(QStringLiteral(", "))) {
            const QStringList words = act.split(u' ');
            const int n = words.value(1).toInt();
            if (words[0] == u"question") {
                random.values = {numberForAngle(n)};
                model.newQuestion();
            } else if (words[0] == u"build") {
                for (int index : GameWindow::indexesFor(n))
                    model.press(index);
            } else if (words[0] == u"check") {
                random.values = {numberForAngle(n)}; // the next question's
                model.verifica([&](const Message&) {
                    heard << QStringLiteral("[box] ") + narration.fact(Narration::Fact::Total);
                });
            } else if (words[0] == u"ticks") {
                ticker.fire(n);
            } else {
                model.end();
            }
        }
        static const QRegularExpression building(QStringLiteral("\\{(\\d+)\\}"));
        for (auto m = building.match(said); m.hasMatch(); m = building.match(said)) {
            QStringList totals;
            int total = 0;
            for (const ValueButton& b : GameWindow::valuesFor(m.captured(1).toInt()))
                totals << QString::number(total += b.value);
            said.replace(m.capturedStart(), m.capturedLength(), totals.join(u'|'));
        }
        QCOMPARE(heard.join(u'|'), said);
    }

    // A control pressed through its accessible action, or a focused button with Return or
    // Enter, returns before its box opens. A value button is a push button, never left checked
    // or down, that adds once for each press, and each new total is told.
    void pressedByActionOrKey_data()
    {
        QTest::addColumn<int>("key");         // 0: the accessible action
        QTest::addColumn<QString>("control"); // by its name
        QTest::addColumn<QString>("box");     // none: a value button
        const QString check = tooSmall + QStringLiteral("35°");
        const QString farewell = QStringLiteral("Ciao a presto Anna");
        QTest::newRow("action on a menu command") << 0 << "grio" << giro;
        QTest::newRow("action on Verifica") << 0 << "cmdverifica" << check;
        QTest::newRow("action on Esci") << 0 << "Cmdexit1" << farewell;
        QTest::newRow("action on the first value, disabled in the layout")
            << 0 << "Option1(1)" << QString();
        QTest::newRow("action on a value") << 0 << "Option1(6)" << QString();
        QTest::newRow("action on the last value") << 0 << "Option1(11)" << QString();
        for (const auto& [key, keyName] :
             {std::pair{Qt::Key_Return, "Return"}, std::pair{Qt::Key_Enter, "Enter"}}) {
            QTest::addRow("%s on Verifica", keyName) << int(key) << "cmdverifica" << check;
            QTest::addRow("%s on Esci", keyName) << int(key) << "Cmdexit1" << farewell;
            QTest::addRow("%s on a value", keyName) << int(key) << "Option1(6)" << QString();
        }
    }
    void pressedByActionOrKey()
    {
        QFETCH(int, key);
        QFETCH(QString, control);
        QFETCH(QString, box);
        auto g = gameOnScreen();
        QVERIFY(g);
        bool returned = false;
        bool returnedBeforeTheBox = false;
        g->dialogs.whileOpen = [&](const ScriptedDialogs::Shown&) {
            returnedBeforeTheBox = returned;
        };
        const auto modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        auto* pressed = g->form->findChild<QToolButton*>(control);
        const int index = control.startsWith(QStringLiteral("Option1("))
                              ? control.mid(8).chopped(1).toInt()
                              : 0; // 0: not a value button
        const int value = index ? valueButton(index).value : 0;
        QAccessibleInterface* a = accessible(*g, control);
        QVERIFY(a);
        // The first question's angle is told once the window is active; then each new total.
        const Announcer& told = g->form->announcer();
        QTRY_COMPARE(told.lastSpoken(), QStringLiteral("Il primo angolo misura 55 gradi"));
        const int toldBefore = told.spokenCount();
        for (int presses = 1; presses <= (box.isEmpty() ? 2 : 1); ++presses) {
            if (key == 0) {
                doAction(a);
            } else {
                QVERIFY(pressed);
                pressed->setFocus();
                QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(pressed));
                // Down while held, pressed when let go.
                QTest::keyPress(pressed, Qt::Key(key), modifiers);
                QVERIFY(pressed->isDown());
                QTest::qWait(20);
                QCOMPARE(g->somma(), (presses - 1) * value);
                QVERIFY(g->laterBoxes().isEmpty());
                QTest::keyRelease(pressed, Qt::Key(key), modifiers);
                QVERIFY(!pressed->isDown());
                QCOMPARE(g->somma(), presses * value);
            }
            returned = true;
            if (!box.isEmpty())
                break;
            QTRY_COMPARE(g->somma(), presses * value);
            QTest::qWait(150); // and once only
            QCOMPARE(g->somma(), presses * value);
            QCOMPARE(told.lastSpoken(), QString::number(presses * value));
            QCOMPARE(told.spokenCount(), toldBefore + presses);
            QCOMPARE(g->totals(), QStringList(4, QString::number(presses * value)));
            QVERIFY(!a->state().checked);
            QVERIFY(!pressed->isChecked());
            QVERIFY(!pressed->isDown());
        }
        QVERIFY(g->laterBoxes().isEmpty());
        if (box.isEmpty()) {
            QCOMPARE(a->role(), QAccessible::Button);
            QCOMPARE(a->text(QAccessible::Name), QString::number(value));
            QVERIFY(!a->state().checkable);
            return;
        }
        QVERIFY(g->waitForBoxes(3));
        QVERIFY(returnedBeforeTheBox);
        QCOMPARE(g->laterBoxes().size(), 1);
        QCOMPARE(g->laterBoxes().first().text, box);
    }

    void aCommandAskedForWhileABoxIsOpenWaitsForIt()
    {
        auto g = gameOnScreen();
        QVERIFY(g);
        g->press(30);
        qsizetype shownWhileTheDefinitionWasOpen = -1;
        g->dialogs.whileOpen = [&](const ScriptedDialogs::Shown& s) {
            if (s.text != giro)
                return;
            // A screen reader's user checks the answer while the definition is still up.
            doAction(accessible(*g, QStringLiteral("cmdverifica")));
            QTest::qWait(100);
            shownWhileTheDefinitionWasOpen = g->dialogs.shown.size();
        };
        doAction(accessible(*g, QStringLiteral("grio")));
        QVERIFY(g->waitForBoxes(4));
        QCOMPARE(shownWhileTheDefinitionWasOpen, 3);
        QCOMPARE(g->dialogs.texts().mid(2), (QStringList{giro, tooSmall + QStringLiteral("35°")}));
        QCOMPARE(int(g->form->model().errate()), 1);
        QCOMPARE(g->somma(), 0);
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
