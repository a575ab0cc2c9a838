// The game end while another copy of the game holds the record files: the window keeps
// painting during the wait, and the record is stored once the other copy lets go; one that never
// lets go costs the game its record, and nothing else.

#include "records/gameend.h"
#include "support/game.h"
#include "support/storechild.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

using namespace sorvane;
using namespace sorvane::testing;

class TestLockWait : public QObject
{
    Q_OBJECT

private slots:
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
        QCOMPARE(g.dialogs.texts().last(), recordStored().text);
    }

    // A copy stopped in the middle of its store keeps the lock for as long as it is stopped:
    // another pupil's game starts, is told that the record cannot be read just now, plays, and
    // is told at the end that this time its record was not stored. The stopped copy, once it
    // goes on, stores its own record whole.
    void aCopyStoppedInItsStoreStopsNoOneElse()
    {
#ifndef Q_OS_UNIX
        QSKIP("POSIX only: stopping a process");
#else
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
        // Start-up's own box, after its two and before the check's.
        QCOMPARE(g.dialogs.texts().value(2), recordUnknown().text);
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

QTEST_MAIN(TestLockWait)
#include "tst_lockwait.moc"
