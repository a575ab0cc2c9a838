#include "support/game.h"
#include "toolkit/colors.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>

#include <numbers>

using namespace sorvane;
using namespace sorvane::testing;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void nameAndGreeting_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("greeting");
        QTest::newRow("typed") << QStringList{"Anna"} << "Anna"
                               << " Anna vediamo se sei un vero campione  ";
        QTest::newRow("cancelled") << QStringList{} << ""
                                   << "  vediamo se sei un vero campione  ";
        QTest::newRow("blanks kept") << QStringList{"  Anna "} << "  Anna "
                                     << "   Anna  vediamo se sei un vero campione  ";
        QTest::newRow("accented") << QStringList{"Niccolò"} << "Niccolò"
                                  << " Niccolò vediamo se sei un vero campione  ";
    }

    void nameAndGreeting()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, name);
        QFETCH(QString, greeting);
        Game g;
        g.dialogs.answers = answers;
        // Nothing of the window is on screen while the player is asked.
        g.dialogs.whileOpen = [&](const ScriptedDialogs::Shown&) {
            QVERIFY(!g.form->isVisible());
            QVERIFY(!g.form->timerRunning());
        };
        QVERIFY(g.start());
        QCOMPARE(g.dialogs.shown.size(), 2);
        const auto& ask = g.dialogs.shown[0];
        QCOMPARE(ask.kind, QStringLiteral("input"));
        QCOMPARE(ask.text, QStringLiteral("Come ti chiami?"));
        QCOMPARE(ask.title, QStringLiteral("Riconosciamo gli angoli"));
        const auto& hello = g.dialogs.shown[1];
        QCOMPARE(hello.kind, QStringLiteral("message"));
        QCOMPARE(hello.text, greeting);
        QCOMPARE(hello.title, QStringLiteral("Riconosciamo gli angoli"));
        QCOMPARE(hello.icon, BoxIcon::Warning);
        QCOMPARE(g.caption("lblnome1"), name);
        QVERIFY(!g.hasEnded());
    }

    void layoutCaptionsBeforeStartUp()
    {
        Game g;
        g.form = std::make_unique<Form1>(g.dialogs, g.random, g.recordFolder());
        QCOMPARE(g.caption("lblconto"), QStringLiteral("00.00.00"));
        QCOMPARE(g.caption("lblnome"), QStringLiteral("Label3"));
        QCOMPARE(g.caption("lblScore"), QStringLiteral("0"));
        QVERIFY(!g.form->option1(1)->isEnabled());
        QVERIFY(g.form->option1(2)->isEnabled());
    }

    void firstRunCreatesEmptyFilesWritableByAll()
    {
        Game g;
        QVERIFY(g.start());
        for (const QString& p : {g.scorePath(), g.namePath()}) {
            QCOMPARE(g.bytes(p), QByteArray());
            using P = QFileDevice;
            QCOMPARE(QFile::permissions(p) & ~(P::ReadUser | P::WriteUser | P::ExeUser),
                     P::ReadOwner | P::WriteOwner | P::ReadGroup | P::WriteGroup | P::ReadOther |
                         P::WriteOther);
        }
        QCOMPARE(g.caption("lblpunti"), QString());
        QCOMPARE(g.caption("lblnome"), QString());
    }

    void storedRecordIsShownWithItsLineEnd()
    {
        Game g;
        g.storeFiles("7\r\n", "Niccol\xF2 \r\n");
        QVERIFY(g.start());
        QCOMPARE(g.caption("lblpunti"), QStringLiteral("7\r\n"));
        QCOMPARE(g.caption("lblnome"), QStringLiteral("Niccolò \r\n"));
        // Start-up never changes a record file.
        QCOMPARE(g.bytes(g.scorePath()), QByteArray("7\r\n"));
        QCOMPARE(g.bytes(g.namePath()), QByteArray("Niccol\xF2 \r\n"));
    }

    void recordFolderEndsInOneSeparator_data()
    {
        QTest::addColumn<QString>("inner");
        QTest::addColumn<bool>("separatorAtEnd");
        QTest::newRow("plain") << "" << false;
        QTest::newRow("separator at its end") << "" << true;
        // Longer than the 128 characters the original directory query could hold.
        const QString longName = QString(150, u'w');
        QTest::newRow("long") << longName << false;
        QTest::newRow("long, separator at its end") << longName << true;
    }

    void recordFolderEndsInOneSeparator()
    {
        QFETCH(QString, inner);
        QFETCH(bool, separatorAtEnd);
        QTemporaryDir d;
        QString folder = d.path();
        if (!inner.isEmpty()) {
            folder += u'/' + inner;
            QVERIFY(QDir().mkpath(folder));
        }
        Game g(separatorAtEnd ? folder + u'/' : folder);
        QVERIFY(g.start());
        // Written the system's own way (C:\WINDOWS\ on Windows), with exactly one separator.
        QCOMPARE(g.form->dirsistema(), QDir::toNativeSeparators(folder) + QDir::separator());
        QVERIFY(QFile::exists(folder + QStringLiteral("/sorvane.txt")));
        QVERIFY(QFile::exists(folder + QStringLiteral("/nsorvane.txt")));
    }

    void unusableRecordFileEndsTheProgramBeforeTheWindow_data()
    {
        QTest::addColumn<QString>("broken");
        QTest::newRow("score file is a folder") << "sorvane.txt";
        QTest::newRow("name file is a folder") << "nsorvane.txt";
        QTest::newRow("no record folder") << "";
    }

    void unusableRecordFileEndsTheProgramBeforeTheWindow()
    {
        QFETCH(QString, broken);
        QTemporaryDir d;
        QString folder = d.path();
        if (broken.isEmpty())
            folder += QStringLiteral("/missing");
        else
            QVERIFY(QDir().mkpath(d.filePath(broken)));
        Game g(folder);
        QCOMPARE(g.start(), false);
        QVERIFY(g.hasEnded());
        QCOMPARE(g.quits, 1);
        QVERIFY(!g.form->timerRunning());
        QCOMPARE(g.dialogs.shown.size(), 3);
        const auto& error = g.dialogs.shown[2];
        QCOMPARE(error.icon, BoxIcon::Error);
        QCOMPARE(error.title, QStringLiteral("Sorvane"));
        const QString path =
            broken.isEmpty() ? folder + QStringLiteral("/sorvane.txt") : d.filePath(broken);
        QVERIFY2(error.text.contains(QDir::toNativeSeparators(path)), qPrintable(error.text));
        // After the end nothing of the game reacts.
        g.form->cmdverifica_Click();
        g.form->Cmdexit1_Click();
        g.form->help_Click();
        QCOMPARE(g.dialogs.shown.size(), 3);
    }

    void valueButtonsArePlayingAfterStartUp()
    {
        Game g;
        QVERIFY(g.start());
        const QStringList captions{"1", "2", "3", "5", "10", "20", "30", "40", "50", "60", "70"};
        for (int i = 1; i <= 11; ++i) {
            QToolButton* b = g.form->option1(i);
            QCOMPARE(b->text(), captions[i - 1]);
            QVERIFY(b->isEnabled());
            QVERIFY(!b->isHidden());
            QVERIFY(!b->isChecked());
            QCOMPARE(toBgr(b->palette().color(QPalette::Button)), Form1::valueFaceColor);
            QCOMPARE(toBgr(b->palette().color(QPalette::ButtonText)), Form1::valueTextColor);
            QCOMPARE(b->geometry().top(), 472);
            QCOMPARE(b->size(), QSize(65, 70));
            QCOMPARE(
                b->toolTip(),
                QStringLiteral("Cliccando successivamente sui vari pulsanti otterrai la somma"));
        }
        QVERIFY(g.form->option1(1)->isEnabled());
        QVERIFY(g.form->option1(0)->isHidden());
        QVERIFY(!g.form->option1(0)->isEnabled());
    }

    // The first question, at the edge of the range (the mapping itself: tst_question).
    void firstQuestion()
    {
        const float r = std::nextafter(1.0f, 0.0f);
        const int angle = 89;
        Game g;
        g.random.values = {r};
        QVERIFY(g.start());
        QCOMPARE(int(g.form->model().primoangolo()), angle);
        QCOMPARE(int(*g.form->model().valoreesatto()), 90 - angle);
        QCOMPARE(g.caption("lblangolo"), QString::number(angle));
        QCOMPARE(int(g.form->model().somma()), 0);
        QCOMPARE(g.totals(), QStringList(4, QStringLiteral("0")));
        QCOMPARE(g.caption("lblScore"), QStringLiteral("0"));
        QCOMPARE(g.caption("lblScore1"), QStringLiteral("0"));
        // Reseeded from the time of day at start-up and for the question.
        QCOMPARE(g.random.reseeds, 2);
    }

    void figureIsDrawnBeforeTheWindowIsShown()
    {
        Game g;
        g.random.values = {numberForAngle(30)};
        QVERIFY(g.start());
        QVERIFY(!g.form->isVisible());
        const QImage& img = g.form->surface().image();
        // Drawn at the screen's own resolution, not scaled up, and kept only where the figure
        // can be.
        const qreal ratio = g.form->devicePixelRatioF();
        QCOMPARE(img.devicePixelRatio(), ratio);
        QCOMPARE(g.form->surface().area(), figure::area());
        QCOMPARE(img.size(), figure::area().size() * ratio);
        // 15 degrees (inside the given 30) and 60 degrees (the complement), 120 px out.
        auto at = [&](const QImage& image, double deg, QPoint origin) {
            const double rad = deg * std::numbers::pi / 180.0;
            return image.pixelColor(int((350 + 120 * std::sin(rad) - origin.x()) * ratio),
                                    int((250 - 120 * std::cos(rad) - origin.y()) * ratio));
        };
        const QPoint kept = figure::area().topLeft();
        QCOMPARE(at(img, 15, kept), QColor(0, 128, 0));
        QCOMPARE(at(img, 60, kept), QColor(0, 0, 128));
        // And it is what the window shows once it is on screen.
        g.show();
        const QImage shown = g.form->centralWidget()->grab().toImage();
        QCOMPARE(shown.size(), QSize(748, 552) * ratio);
        QCOMPARE(at(shown, 15, {}), QColor(0, 128, 0));
        QCOMPARE(at(shown, 200, {}), QColor(0, 192, 192));
        QCOMPARE(at(shown, 60, {}), QColor(0, 0, 128));
    }

    void window()
    {
        Game g;
        QVERIFY(g.start());
        QCOMPARE(g.form->windowTitle(),
                 QString(92, u' ') + QStringLiteral("Impariamo a riconoscere gli angoli"));
        QCOMPARE(g.form->windowTitle().size(), 126);
        QCOMPARE(g.form->centralWidget()->size(), QSize(748, 552));
        const Qt::WindowFlags flags = g.form->windowFlags();
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        g.show();
        QCOMPARE(g.form->centralWidget()->size(), QSize(748, 552));
        QCOMPARE(g.form->minimumSize(), g.form->maximumSize());
    }

    void controlsStandWhereTheLayoutPutsThem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Label3") << "Label3" << QRect(544, 0, 105, 33) << "con punti";
        QTest::newRow("lblpunti") << "lblpunti" << QRect(656, 0, 81, 65) << "";
        QTest::newRow("Label5") << "Label5" << QRect(272, 24, 217, 25) << "Sorvane";
        QTest::newRow("Label4") << "Label4" << QRect(0, 24, 241, 169)
                                << " Il primo angolo misura gradi.";
        QTest::newRow("lblangolo") << "lblangolo" << QRect(40, 88, 89, 49) << "45";
        QTest::newRow("Label7") << "Label7" << QRect(8, 144, 177, 105)
                                << "Determina il suo complementare  cliccando sui pulsanti sotto";
        QTest::newRow("tempo") << "tempo" << QRect(576, 32, 169, 41) << "Tempo restante";
        QTest::newRow("lblconto") << "lblconto" << QRect(592, 88, 137, 41) << "00:15:00";
        QTest::newRow("lbltotal4") << "lbltotal4" << QRect(244, 312, 113, 97) << "0";
        QTest::newRow("lbltotal3") << "lbltotal3" << QRect(242, 312, 145, 97) << "0";
        QTest::newRow("lbltotale") << "lbltotale" << QRect(243, 312, 137, 57) << "0";
        QTest::newRow("lbltotal2") << "lbltotal2" << QRect(240, 312, 137, 113) << "0";
        QTest::newRow("Label6(0)") << "Label6(0)" << QRect(8, 336, 131, 28) << "Risposte esatte";
        QTest::newRow("Label6(1)") << "Label6(1)" << QRect(600, 328, 139, 28) << "Risposte errate";
    }

    void controlsStandWhereTheLayoutPutsThem()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, caption);
        Game g;
        QVERIFY(g.start());
        Label* l = g.form->label(name);
        QVERIFY(l);
        QCOMPARE(l->geometry(), place);
        QCOMPARE(l->caption(), caption);
    }

    void nameLabelGrowsToTheRightWithItsText()
    {
        Game g;
        g.storeFiles("5\r\n", QByteArray(60, 'M') + "\r\n");
        QVERIFY(g.start());
        Label* l = g.form->label(QStringLiteral("lblnome"));
        QCOMPARE(l->x(), 152);
        QCOMPARE(l->y(), 0);
        QVERIFY(l->width() > 392);
    }

    void tooltips()
    {
        Game g;
        QVERIFY(g.start());
        QCOMPARE(g.form->label(QStringLiteral("lblScore"))->toolTip(),
                 QStringLiteral("Questo è il tuo punteggio. Forza con il  record"));
        QCOMPARE(g.form->cmdexit1()->toolTip(), QStringLiteral("Clliccami per uscire"));
    }

    void menuBarHoldsTheCommandsThemselves()
    {
        Game g;
        QVERIFY(g.start());
        const QList<QAction*> actions = g.form->menuBar()->actions();
        QStringList captions;
        for (QAction* a : actions)
            captions << a->text();
        QCOMPARE(captions.mid(0, 8),
                 (QStringList{"Help", "Angolo acuto", "Angolo retto", "Angolo ottuso",
                              "Angolo piatto", "Angolo concavo", "Angolo giro", "Sorvane"}));
        for (int i = 0; i < 8; ++i)
            QVERIFY(!actions[i]->menu()); // run at once, no drop-down list
        QCOMPARE(actions.size(), 9);
        QVERIFY(actions[8]->menu());
        QCOMPARE(actions[8]->menu()->actions().size(), 2);
    }

    void focusStartsOnFortyAndFollowsTheLayoutsOrder()
    {
        Game g;
        QVERIFY(g.start());
        g.show();
        // It starts on "40", with nothing selected.
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(g.valueButton(40)));
        for (int i = 1; i <= 11; ++i)
            QVERIFY(!g.form->option1(i)->isChecked());
        const QList<QWidget*> expected{g.valueButton(50),     g.valueButton(1),  g.valueButton(2),
                                       g.valueButton(3),      g.valueButton(5),  g.valueButton(10),
                                       g.valueButton(20),     g.valueButton(30), g.form->cmdexit1(),
                                       g.form->cmdverifica(), g.valueButton(60), g.valueButton(70)};
        for (QWidget* w : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), w);
        }
        QCOMPARE(int(g.form->model().somma()), 0);
    }

    void closingThroughTheTitleBarRunsNothing()
    {
        Game g;
        QVERIFY(g.start());
        g.show();
        g.form->close();
        QVERIFY(g.hasEnded());
        QVERIFY(!g.form->timerRunning());
        QCOMPARE(g.dialogs.shown.size(), 2); // no farewell
        QCOMPARE(g.bytes(g.scorePath()), QByteArray());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
