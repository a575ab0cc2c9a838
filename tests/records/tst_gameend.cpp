// The game end: the record stored or not, and nothing else started once it has begun. While
// another copy holds the record files the window keeps painting, and the record is stored once
// that copy lets go; one that never lets go costs the game its record, and nothing else.

#include "records/codepage.h"
#include "records/gameend.h"
#include "records/recordkeeper.h"
#include "support/game.h"
#include "support/storechild.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <csignal>
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
                g.ticks(gameSeconds + 2); // ticks, even one that finds the end
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
        QVERIFY(!g.ticking());
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
        g.pressAt(6);
        QList<Form1::Phase> phases;
        const auto handlers = [&] {
            g.form->cmdverifica_Click();
            g.form->Option1_Click(6);
            g.form->comp_Click();
            g.form->Command1_Click();
            g.ticks(1);
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
        QCOMPARE(int(g.form->model().somma()), valueButton(6).value);
        QCOMPARE(int(g.form->model().errate()), 0);
        QCOMPARE(g.caption("lblangolo"), QStringLiteral("55"));
        QCOMPARE(g.form->model().phase(), Form1::Phase::Ended);
        QCOMPARE(g.quits, 1);
        QVERIFY(!g.form->isVisible());
    }

    void windowPaintsWhileAnotherCopyHoldsTheLock()
    {
        Game g;
        g.playRight(1);
        QProcess other; // another copy, storing a record for a second
        holdLock(other, g.recordFolder(), 1000);
        QWidget* canvas = g.form->centralWidget();
        Paints counter(canvas);
        int paintsWhileWaiting = -1;
        // Half-way through the wait something needs the window painted again.
        QTimer::singleShot(300, canvas, [&] {
            counter.count = 0;
            canvas->update();
            QTimer::singleShot(200, canvas, [&] {
                if (g.quits == 0) // still waiting for the lock
                    paintsWhileWaiting = counter.count;
            });
        });
        g.form->Cmdexit1_Click();
        QTRY_COMPARE(g.quits, 1);
        QVERIFY(other.state() == QProcess::NotRunning || other.waitForFinished(5000));
        QCOMPARE(other.exitCode(), 3); // it held the lock for its whole second
        QVERIFY2(paintsWhileWaiting > 0, "the window did not paint while it waited for the lock");
        QCOMPARE(g.record(), QByteArray("1\r\n|Anna\r\n"));
        QCOMPARE(g.dialogs.texts().last(), confirmation);
    }

    // A copy stopped in the middle of its store keeps the lock for as long as it is stopped:
    // another pupil's game starts, its record bar says that the record cannot be read just now,
    // the pupil plays, and
    // is told at the end that this time its record was not stored. The stopped copy, once it
    // goes on, stores its own record whole.
    void aCopyStoppedInItsStoreStopsNoOneElse()
    {
        POSIX_ONLY("stopping a process");
#ifdef Q_OS_UNIX
        Game g;
        g.storeFiles("4\r\n", "Ugo\r\n");
        QProcess stopped;
        StoreChild{.folder = g.recordFolder(),
                   .score = QStringLiteral("9"),
                   .name = QStringLiteral("Eva"),
                   .stopAt = RecordFiles::Step::JournalFlushed,
                   .signal = SIGSTOP}
            .start(stopped);
        QTRY_VERIFY_WITH_TIMEOUT(
            QFileInfo(g.recordFolder() + QStringLiteral("/sorvane.journal")).size() > 0, 10000);
        g.playRight(1);
        // Start-up goes on without the record, and the record bar says so.
        QCOMPARE(g.dialogs.texts().value(2), sumRight().text);
        QCOMPARE(g.caption("lblnome"), RecordKeeper::unreadable());
        QCOMPARE(g.caption("lblpunti"), QString());
        g.form->Cmdexit1_Click();
        QTRY_COMPARE_WITH_TIMEOUT(g.quits, 1, 15000);
        QCOMPARE(g.dialogs.texts().last(), recordNotStored().text);
        QCOMPARE(g.record(), QByteArray("4\r\n|Ugo\r\n"));
        ::kill(pid_t(stopped.processId()), SIGCONT);
        QVERIFY(stopped.waitForFinished(10000));
        QCOMPARE(stopped.exitCode(), 0);
        QCOMPARE(g.record(), QByteArray("9\r\n|Eva\r\n"));
#endif
    }
};

QTEST_MAIN(TestGameEnd)
#include "tst_gameend.moc"
