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

namespace {

struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestLockWait : public QObject
{
    Q_OBJECT

private slots:
    void windowPaintsWhileAnotherCopyHoldsTheLock()
    {
        Game g;
        g.random.values = {numberForAngle(10), numberForAngle(20)};
        QVERIFY(g.start());
        g.show();
        g.build(80);
        g.verifica();
        QTRY_COMPARE(g.caption("lblScore"), QStringLiteral("1"));
        QProcess other; // another copy, storing a record for a second
        holdLock(other, g.recordFolder(), 1000);
        PaintCounter counter;
        QWidget* canvas = g.form->centralWidget();
        canvas->installEventFilter(&counter);
        int paintsWhileWaiting = -1;
        // Half-way through the wait something needs the window painted again.
        QTimer::singleShot(300, canvas, [&] {
            counter.paints = 0;
            canvas->update();
            QTimer::singleShot(200, canvas, [&] {
                if (g.quits == 0) // still waiting for the lock
                    paintsWhileWaiting = counter.paints;
            });
        });
        g.form->Cmdexit1_Click();
        QTRY_COMPARE(g.quits, 1);
        QVERIFY(other.state() == QProcess::NotRunning || other.waitForFinished(5000));
        QCOMPARE(other.exitCode(), 3); // it held the lock for its whole second
        QVERIFY2(paintsWhileWaiting > 0, "the window did not paint while it waited for the lock");
        QCOMPARE(g.bytes(g.scorePath()), QByteArray("1\r\n"));
        QCOMPARE(g.bytes(g.namePath()), QByteArray("Anna\r\n"));
        QCOMPARE(g.dialogs.texts().last(),
                 QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E"));
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
        g.random.values = {numberForAngle(10), numberForAngle(20)};
        QVERIFY(g.start());
        QCOMPARE(g.dialogs.texts().last(), recordUnknown().text);
        QCOMPARE(g.caption("lblpunti"), QString());
        g.show();
        g.build(80);
        g.verifica();
        QTRY_COMPARE(g.caption("lblScore"), QStringLiteral("1"));
        g.form->Cmdexit1_Click();
        QTRY_COMPARE_WITH_TIMEOUT(g.quits, 1, 15000);
        QCOMPARE(g.dialogs.texts().last(), recordNotStored().text);
        QCOMPARE(g.bytes(g.scorePath()), QByteArray("4\r\n"));
        ::kill(pid_t(stopped.processId()), SIGCONT);
        QVERIFY(stopped.waitForFinished(10000));
        QCOMPARE(stopped.exitCode(), 0);
        QCOMPARE(g.bytes(g.scorePath()), QByteArray("9\r\n"));
        QCOMPARE(g.bytes(g.namePath()), QByteArray("Eva\r\n"));
#endif
    }
};

QTEST_MAIN(TestLockWait)
#include "tst_lockwait.moc"
