#include "support/game.h"
#include "texts/boxtexts.h"
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
        QTest::addColumn<QString>("name"); // as shown, and greeted between blanks
        QTest::newRow("typed") << QStringList{"Anna"} << "Anna";
        QTest::newRow("cancelled") << QStringList{} << "";
        QTest::newRow("blanks kept") << QStringList{"  Anna "} << "  Anna ";
        QTest::newRow("accented") << QStringList{"Niccolò"} << "Niccolò";
    }
    void nameAndGreeting()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, name);
        Game g;
        g.dialogs.answers = answers;
        // Nothing of the window is on screen while the player is asked.
        g.dialogs.whileOpen = [&](const ScriptedDialogs::Shown&) {
            QVERIFY(!g.form->isVisible());
            QVERIFY(!g.ticking());
        };
        QVERIFY(g.start());
        QCOMPARE(g.dialogs.shown.size(), 2);
        const auto& ask = g.dialogs.shown[0];
        QCOMPARE(ask.kind, QStringLiteral("input"));
        QCOMPARE(ask.text, QStringLiteral("Come ti chiami?"));
        QCOMPARE(ask.title, QStringLiteral("Riconosciamo gli angoli"));
        const auto& hello = g.dialogs.shown[1];
        QCOMPARE(hello.kind, QStringLiteral("message"));
        QCOMPARE(hello.text, u' ' + name + QStringLiteral(" vediamo se sei un vero campione  "));
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

    // Start-up shows the stored record as it stands, line end included, the name growing to the
    // right of its corner, and never changes a record file; on the first run it creates both
    // empty and writable by all.
    void recordFiles_data()
    {
        QTest::addColumn<QByteArray>("score"); // null: no files yet
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("nome");
        QTest::newRow("first run") << QByteArray() << QByteArray() << "";
        QTest::newRow("stored") << QByteArray("7\r\n")
                                << QByteArray("Niccol\xF2 ") + QByteArray(60, 'M') + "\r\n"
                                << u"Niccolò "_qs + QString(60, u'M') + u"\r\n"_qs;
    }
    void recordFiles()
    {
        QFETCH(QByteArray, score);
        QFETCH(QByteArray, name);
        QFETCH(QString, nome);
        Game g;
        if (!score.isNull())
            g.storeFiles(score, name);
        QVERIFY(g.start());
        QCOMPARE(g.caption("lblpunti"), QString::fromLatin1(score));
        QCOMPARE(g.caption("lblnome"), nome);
        const Label* l = g.form->label(QStringLiteral("lblnome"));
        QCOMPARE(l->pos(), QPoint(152, 0));
        QCOMPARE(l->width() > 392, !score.isNull());
        QCOMPARE(g.bytes(g.scorePath()), score);
        QCOMPARE(g.bytes(g.namePath()), name);
        if (!score.isNull())
            return;
        using P = QFileDevice;
        for (const QString& p : {g.scorePath(), g.namePath()})
            QCOMPARE(QFile::permissions(p) & ~(P::ReadUser | P::WriteUser | P::ExeUser),
                     P::ReadOwner | P::WriteOwner | P::ReadGroup | P::WriteGroup | P::ReadOther |
                         P::WriteOther);
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

    // The machine's own record folder must work: the program ends before the window. A class's
    // folder, named by the administrator and perhaps on a server, is said and the pupil plays.
    void anUnusableRecordFolder_data()
    {
        QTest::addColumn<QString>("broken");
        QTest::addColumn<bool>("classFolder");
        for (bool classFolder : {false, true}) {
            const char* whose = classFolder ? "class's" : "machine's";
            QTest::addRow("%s: score file is a folder", whose) << "sorvane.txt" << classFolder;
            QTest::addRow("%s: name file is a folder", whose) << "nsorvane.txt" << classFolder;
            QTest::addRow("%s: no record folder", whose) << "" << classFolder;
        }
    }
    void anUnusableRecordFolder()
    {
        QFETCH(QString, broken);
        QFETCH(bool, classFolder);
        QTemporaryDir d;
        QString folder = d.path();
        if (broken.isEmpty())
            folder += QStringLiteral("/missing");
        else
            QVERIFY(QDir().mkpath(d.filePath(broken)));
        Game g(folder);
        g.classFolder = classFolder;
        g.random.values = {numberForAngle(55), numberForAngle(20)};
        QCOMPARE(g.start(), classFolder);
        QCOMPARE(g.dialogs.shown.size(), 3);
        const auto& error = g.dialogs.shown[2];
        QCOMPARE(error.icon, classFolder ? BoxIcon::Warning : BoxIcon::Error);
        QCOMPARE(error.title, QStringLiteral("Sorvane"));
        const QString path =
            broken.isEmpty() ? folder + QStringLiteral("/sorvane.txt") : d.filePath(broken);
        QVERIFY2(error.text.contains(QDir::toNativeSeparators(path)), qPrintable(error.text));
        if (classFolder) {
            QVERIFY(
                error.text.startsWith(QStringLiteral("Il record della classe non si può usare: ")));
            // The pupil plays, and the end stores nothing and makes nothing.
            QVERIFY(g.ticking());
            g.show();
            g.build(35);
            g.verifica();
            g.esci();
            QTRY_COMPARE(g.quits, 1);
            QCOMPARE(g.dialogs.texts().mid(3),
                     (QStringList{sumRight().text, farewell("Anna").text}));
            QCOMPARE(QDir(folder).exists(), !broken.isEmpty());
            return;
        }
        QVERIFY(g.hasEnded());
        QCOMPARE(g.quits, 1);
        QVERIFY(!g.ticking());
        // After the end nothing of the game reacts.
        g.form->cmdverifica_Click();
        g.form->Cmdexit1_Click();
        g.form->help_Click();
        QCOMPARE(g.dialogs.shown.size(), 3);
    }

    // The first question, at the edge of the range (the mapping itself: tst_question), with the
    // value buttons playing.
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
        QCOMPARE(g.somma(), 0);
        QCOMPARE(g.totals(), QStringList(4, QStringLiteral("0")));
        QCOMPARE(g.caption("lblScore"), QStringLiteral("0"));
        QCOMPARE(g.caption("lblScore1"), QStringLiteral("0"));
        // Reseeded from the time of day at start-up and for the question.
        QCOMPARE(g.random.reseeds, 2);
        for (int i = firstValueButton; i <= lastValueButton; ++i) {
            QToolButton* b = g.form->option1(i);
            QCOMPARE(b->text(), QString::number(valueButton(i).value));
            QVERIFY(b->isEnabled());
            QVERIFY(!b->isHidden());
            QVERIFY(!b->isChecked());
            QCOMPARE(toBgr(b->palette().color(QPalette::Button)), BgrColor(0xC0C000));
            QCOMPARE(toBgr(b->palette().color(QPalette::ButtonText)), BgrColor(0xFFFF80));
            QCOMPARE(b->geometry(), valueButton(i).place());
            QCOMPARE(
                b->toolTip(),
                QStringLiteral("Cliccando successivamente sui vari pulsanti otterrai la somma"));
        }
        QVERIFY(g.form->option1(0)->isHidden());
        QVERIFY(!g.form->option1(0)->isEnabled());
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
        QCOMPARE(g.form->centralWidget()->size(), QSize(748, 552));
        const Qt::WindowFlags flags = g.form->windowFlags();
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(g.form->label(QStringLiteral("lblScore"))->toolTip(),
                 QStringLiteral("Questo è il tuo punteggio. Forza con il  record"));
        QCOMPARE(g.form->cmdexit1()->toolTip(), QStringLiteral("Clliccami per uscire"));
        const QList<QAction*> actions = g.form->menu()->actions();
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
        g.show();
        QCOMPARE(g.form->centralWidget()->size(), QSize(748, 552));
        QCOMPARE(g.form->minimumSize(), g.form->maximumSize());
        // Closing it through the title bar runs nothing: no farewell, no record.
        g.form->close();
        QVERIFY(g.hasEnded());
        QVERIFY(!g.ticking());
        QCOMPARE(g.dialogs.shown.size(), 2);
        QCOMPARE(g.bytes(g.scorePath()), QByteArray());
    }

    void controlsStandWhereTheLayoutPutsThem_data()
    {
        QTest::addColumn<QRect>("place"); // of the label the row is named after
        QTest::addColumn<QString>("caption");
        QTest::newRow("Label3") << QRect(544, 0, 105, 33) << "con punti";
        QTest::newRow("lblpunti") << QRect(656, 0, 81, 65) << "";
        QTest::newRow("Label5") << QRect(272, 24, 217, 25) << "Sorvane";
        QTest::newRow("Label4") << QRect(0, 24, 241, 169) << " Il primo angolo misura gradi.";
        QTest::newRow("lblangolo") << QRect(40, 88, 89, 49) << "45";
        QTest::newRow("Label7") << QRect(8, 144, 177, 105)
                                << "Determina il suo complementare  cliccando sui pulsanti sotto";
        QTest::newRow("tempo") << QRect(576, 32, 169, 41) << "Tempo restante";
        QTest::newRow("lblconto") << QRect(592, 88, 137, 41) << clockAfter(0);
        QTest::newRow("lbltotal4") << QRect(244, 312, 113, 97) << "0";
        QTest::newRow("lbltotal3") << QRect(242, 312, 145, 97) << "0";
        QTest::newRow("lbltotale") << QRect(243, 312, 137, 57) << "0";
        QTest::newRow("lbltotal2") << QRect(240, 312, 137, 113) << "0";
        QTest::newRow("Label6(0)") << QRect(8, 336, 131, 28) << "Risposte esatte";
        QTest::newRow("Label6(1)") << QRect(600, 328, 139, 28) << "Risposte errate";
    }
    void controlsStandWhereTheLayoutPutsThem()
    {
        QFETCH(QRect, place);
        QFETCH(QString, caption);
        Game g;
        QVERIFY(g.start());
        Label* l = g.form->label(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(l);
        QCOMPARE(l->geometry(), place);
        QCOMPARE(l->caption(), caption);
    }

    // On the board, the largest factor at which the whole game (748 x 570 with its menu bar)
    // fits the screen, centred; never less than 1.
    void theBoardFitsTheScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<double>("factor");
        QTest::addColumn<QRect>("place");
        QTest::newRow("1366x768") << QSize(1366, 768) << 768 / 570.0 << QRect(179, 0, 1008, 768);
        QTest::newRow("1920x1080")
            << QSize(1920, 1080) << 1080 / 570.0 << QRect(251, 0, 1417, 1080);
        QTest::newRow("2560x1440")
            << QSize(2560, 1440) << 1440 / 570.0 << QRect(335, 0, 1890, 1440);
        QTest::newRow("3840x2160")
            << QSize(3840, 2160) << 2160 / 570.0 << QRect(502, 0, 2835, 2160);
        QTest::newRow("portrait 1080x1920")
            << QSize(1080, 1920) << 1080 / 748.0 << QRect(0, 548, 1080, 823);
        QTest::newRow("smaller than the window") << QSize(640, 480) << 1.0 << QRect(0, 0, 748, 570);
    }
    void theBoardFitsTheScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(double, factor);
        QFETCH(QRect, place);
        const ScreenFit fit = fitToScreen(screen, {748, 570});
        QVERIFY2(qAbs(fit.scale.factor() - factor) < 1e-9, qPrintable(QString::number(factor)));
        QCOMPARE(fit.place, place);
        // The board's window: the menu bar and the client area enlarged alike, filling the
        // place the fit gives them.
        Game g;
        g.board = Form1::fitBoard(screen);
        QVERIFY(g.start());
        const Scale k = g.board->fit.scale;
        QCOMPARE(g.form->menu()->height(), k(g.board->menuHeight));
        QCOMPARE(g.form->findChild<QWidget*>(QStringLiteral("Form1"))->size(), k(QSize(748, 552)));
        QCOMPARE(g.form->findChild<QWidget*>(QStringLiteral("lavagna"))->size(),
                 g.board->fit.place.size());
        QCOMPARE(g.form->surface().image().size(),
                 figure::area().size() * (g.form->devicePixelRatioF() * k.factor()));
    }

    void focusStartsOnFortyAndFollowsTheLayoutsOrder()
    {
        Game g;
        QVERIFY(g.start());
        g.show();
        // It starts on "40", with nothing selected.
        const auto value = [&g](int index) {
            return static_cast<QWidget*>(g.form->option1(index));
        };
        QTRY_COMPARE(QApplication::focusWidget(), value(8));
        QVERIFY(g.noneChecked());
        const QList<QWidget*> expected{
            value(9),  value(1), value(2), value(3),           value(4),
            value(5),  value(6), value(7), g.form->cmdexit1(), g.form->cmdverifica(),
            value(10), value(11)};
        for (QWidget* w : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), w);
        }
        QCOMPARE(g.somma(), 0);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
