// A copy of the game's record storing, run as a child process by the record tests:
//   storechild store FOLDER SCORE NAME STEP SIGNAL [MS]  stores, sending itself SIGNAL at STEP;
//                                                   with MS, holding the lock that long first
//   storechild hold FOLDER MILLISECONDS             holds the record files' lock for a while
//   storechild read FOLDER                          start-up's reading: prints "SCORE|NAME"
//                                                   without line ends, "unknown", or the error
// STEP is a number of RecordFiles::Step, or -1 for none; SIGNAL is a signal's number, or
// "kill" for a death that nothing can hold back (SIGKILL; on Windows, TerminateProcess). Exit code:
// 0 stored or read, 1 failed, 2 not higher, 3 held, 4 busy (another copy held the lock too long),
// 9 bad use.

#include "platform/recordio.h"
#include "records/recordfiles.h"

#include <QCoreApplication>
#include <QThread>

#include <csignal>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace sorvane;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if ((args.size() == 7 || args.size() == 8) && args[1] == u"store") {
        RecordFiles files(args[2]);
        const int stop = args[5].toInt();
        const bool kill = args[6] == u"kill";
        const int signal = args[6].toInt();
        const unsigned long slowMs = args.size() == 8 ? args[7].toULong() : 0;
        files.setStepHook([&](RecordFiles::Step step) {
            if (step == RecordFiles::Step::LockTaken && slowMs > 0)
                QThread::msleep(slowMs); // a machine so loaded that each store takes this long
            if (int(step) != stop)
                return;
#ifdef Q_OS_WIN
            if (kill)
                TerminateProcess(GetCurrentProcess(), 137);
#else
            if (kill)
                std::raise(SIGKILL);
#endif
            std::raise(signal);
        });
        const StoreOutcome r = files.storeIfHigher(args[3], args[4]).outcome;
        return r == StoreOutcome::Stored      ? 0
               : r == StoreOutcome::Failed    ? 1
               : r == StoreOutcome::NotHigher ? 2
                                              : 4;
    }
    if (args.size() == 4 && args[1] == u"hold") {
        RecordHandles files = RecordHandles::open(std::filesystem::path(args[2].toStdU16String()),
                                                  RecordHandles::Sharing::EveryUser);
        platform::SysError error;
        if (files.lockFile().file.tryLock(error) != platform::RecordFile::Lock::Taken)
            return 1;
        std::puts("held");
        std::fflush(stdout);
        QThread::msleep(args[3].toULong());
        return 3;
    }
    if (args.size() == 3 && args[1] == u"read") {
        const StoredRecord r = RecordFiles(args[2]).readRecord();
        const QString out = r.error     ? r.error->message()
                            : r.unknown ? QStringLiteral("unknown")
                                        : r.score.trimmed() + u'|' +
                                              r.name.chopped(r.name.endsWith(u"\r\n") ? 2 : 0);
        std::puts(out.toUtf8().constData());
        return r.error ? 1 : 0;
    }
    return 9;
}
