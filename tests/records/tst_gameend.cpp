#include "records/codepage.h"
#include "support/game.h"

#include <QDir>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace sorvane;
using namespace sorvane::testing;

namespace {
const QString confirmation = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");
struct Ending
{
    QString name;
    QByteArray oldScore, oldName;
    int right;
    bool stored;
    QByteArray newScore, newName;
    QByteArray meanwhileScore{}, meanwhileName{}; // another copy's, while the farewell is open
    bool esciAgain = false; // "Esci" and the timer's ticks again while the farewell is open
};
} // namespace

class TestGameEnd : public QObject
{
    Q_OBJECT

private slots:
    void records_data()
    {
        QTest::addColumn<Ending>("row");
        QTest::newRow("first game, score 0") << Ending{"Anna", "", "", 0, false, "", ""};
        QTest::newRow("first game, 3") << Ending{"Anna", "", "", 3, true, "3\r\n", "Anna\r\n"};
        QTest::newRow("equal score is no record")
            << Ending{"Bruno", "2\r\n", "Anna\r\n", 2, false, "2\r\n", "Anna\r\n"};
        QTest::newRow("no name") << Ending{"", "", "", 1, true, "1\r\n", "\r\n"};
        QTest::newRow("hand-edited score file")
            << Ending{"Eva", "dieci\r\n", "X\r\n", 1, true, "1\r\n", "Eva\r\n"};
        QTest::newRow("one above an older, longer record replaces both")
            << Ending{"Ugo", "1\r\n", "Maria Antonietta\r\n", 2, true, "2\r\n", "Ugo\r\n"};
        QTest::newRow("accent, euro, Greek, trailing blank")
            << Ending{"Niccolò €Ωmega ", "", "", 1, true, "1\r\n", "Niccol\xF2 \x80?mega \r\n"};
        QTest::newRow("another copy stored a higher record meanwhile")
            << Ending{"Anna", "", "", 2, false, "5\r\n", "Bruno\r\n", "5\r\n", "Bruno\r\n"};
        QTest::newRow("Esci runs once while its boxes are open")
            << Ending{"Anna", "", "", 1, true, "1\r\n", "Anna\r\n", {}, {}, true};
    }

    void records()
    {
        QFETCH(Ending, row);
        const auto& [name, oldScore, oldName, right, stored, newScore, newName, otherScore,
                     otherName, again] = row;
        Game g;
        g.dialogs.answers = {name};
        g.storeFiles(oldScore, oldName);
        QStringList filesDuringFarewell;
        g.dialogs.whileOpen = [&](const ScriptedDialogs::Shown& s) {
            if (!s.text.startsWith(QStringLiteral("Ciao")))
                return;
            filesDuringFarewell << g.bytes(g.scorePath());
            if (!otherScore.isEmpty())
                g.storeFiles(otherScore, otherName);
            if (again && filesDuringFarewell.size() == 1) {
                g.form->Cmdexit1_Click(); // a second "Esci"
                g.ticks(902);             // ticks, even one that finds the end
            }
        };
        g.playRight(right);
        g.esci();
        QStringList expected{QStringLiteral("Ciao a presto ") + name};
        if (stored)
            expected << confirmation;
        QStringList texts;
        for (const auto& s : g.laterBoxes().mid(right)) {
            texts << s.text;
            QCOMPARE(s.title, QStringLiteral("Sorvane"));
            QCOMPARE(s.icon, BoxIcon::None);
        }
        QCOMPARE(texts, expected);
        // The record is written after the farewell is closed.
        QCOMPARE(filesDuringFarewell, QStringList{QString::fromLatin1(oldScore)});
        QCOMPARE(g.record(), newScore + '|' + newName);
        QVERIFY(g.hasEnded());
        QCOMPARE(g.quits, 1);
        QVERIFY(!g.form->timerRunning());
        // The next start shows the record the files hold.
        Game next(g.recordFolder());
        QVERIFY(next.start());
        QCOMPARE(next.caption("lblpunti"), fromWindows1252(newScore));
        QCOMPARE(next.caption("lblnome"), fromWindows1252(newName));
    }

    // A store that fails once the farewell is closed: the name file turned into something that
    // cannot be written, or a write that fails for want of room (the game itself survives the
    // file size signal). The old record stays, and an error box says so.
    void aFailedStoreKeepsTheOldRecordAndSaysSo_data()
    {
        QTest::addColumn<bool>("sizeLimit"); // else the name file is made a folder
        QTest::newRow("name file made a folder") << false;
#ifdef Q_OS_UNIX
        QTest::newRow("file size limit") << true;
#endif
    }

    void aFailedStoreKeepsTheOldRecordAndSaysSo()
    {
        QFETCH(bool, sizeLimit);
        Game g;
        g.storeFiles("1\r\n", "Anna\r\n");
        const QString name = sizeLimit ? QString(300, u'z') : QStringLiteral("Eva");
        g.dialogs.answers = {name};
#ifdef Q_OS_UNIX
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
#endif
        g.dialogs.whileOpen = [&](const ScriptedDialogs::Shown& s) {
            if (!s.text.startsWith(QStringLiteral("Ciao")))
                return;
#ifdef Q_OS_UNIX
            if (sizeLimit) {
                const rlimit small{100, old.rlim_max};
                ::setrlimit(RLIMIT_FSIZE, &small);
                return;
            }
#endif
            // Deleted, and a folder made in its place. Moved aside first, so that its name is
            // free at once on every system (Windows without POSIX deletion, wine among them,
            // keeps a deleted file's name while the game holds the file open).
            const QString aside = g.namePath() + QStringLiteral(".vecchio");
            QVERIFY(QFile::rename(g.namePath(), aside));
            QVERIFY(QFile::remove(aside));
            QVERIFY(QDir().mkpath(g.namePath()));
        };
        g.playRight(2);
        g.esci();
#ifdef Q_OS_UNIX
        ::setrlimit(RLIMIT_FSIZE, &old);
#endif
        const auto boxes = g.laterBoxes().mid(2);
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].text, QStringLiteral("Ciao a presto ") + name);
        QCOMPARE(boxes[1].icon, BoxIcon::Error);
        if (!sizeLimit)
            QVERIFY2(boxes[1].text.contains(QDir::toNativeSeparators(g.namePath())),
                     qPrintable(boxes[1].text));
        QVERIFY(!g.dialogs.texts().contains(confirmation));
        QCOMPARE(g.bytes(g.scorePath()), QByteArray("1\r\n"));
        if (sizeLimit)
            QCOMPARE(g.bytes(g.namePath()), QByteArray("Anna\r\n"));
        QVERIFY(g.hasEnded());
        QCOMPARE(g.quits, 1);
    }

    void nothingStartsOnceTheGameEndHasBegun_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::newRow("Verifica clicked while the farewell is open") << "Verifica";
        QTest::newRow("Verifica clicked right after Esci") << "Verifica after Esci";
        QTest::newRow("handlers run while the farewell is open") << "handlers";
        QTest::newRow("handlers run after the end") << "after the end";
    }

    void nothingStartsOnceTheGameEndHasBegun()
    {
        QFETCH(QString, asked);
        Game g;
        g.random.values = {numberForAngle(55)};
        QVERIFY(g.start());
        g.show();
        g.press(20);
        QList<Form1::Phase> phases;
        const auto handlers = [&] {
            g.form->cmdverifica_Click();
            g.form->Option1_Click(6);
            g.form->comp_Click();
            g.form->Command1_Click();
            g.form->Timer1_Timer();
        };
        g.dialogs.whileOpen = [&](const ScriptedDialogs::Shown& s) {
            if (!s.text.startsWith(QStringLiteral("Ciao")))
                return;
            phases << g.form->model().phase();
            if (asked == u"Verifica")
                QTest::mouseClick(g.form->cmdverifica(), Qt::LeftButton);
            else if (asked == u"handlers")
                handlers();
            QTest::qWait(100); // the farewell stays open a while
        };
        if (asked == u"Verifica after Esci") {
            // Both clicks are in before the first box opens.
            g.form->cmdexit1()->click();
            g.form->cmdverifica()->click();
            QVERIFY(g.waitForBoxes(3));
        } else {
            g.esci();
        }
        if (asked == u"after the end")
            handlers();
        QTest::qWait(100);
        QCOMPARE(phases, QList<Form1::Phase>{Form1::Phase::Ending});
        QCOMPARE(g.dialogs.texts().mid(2), QStringList{QStringLiteral("Ciao a presto Anna")});
        QCOMPARE(int(g.form->model().somma()), 20);
        QCOMPARE(int(g.form->model().errate()), 0);
        QCOMPARE(g.caption("lblangolo"), QStringLiteral("55"));
        QCOMPARE(g.form->model().phase(), Form1::Phase::Ended);
        QCOMPARE(g.quits, 1);
        QVERIFY(!g.form->isVisible());
    }
};

QTEST_MAIN(TestGameEnd)
#include "tst_gameend.moc"
