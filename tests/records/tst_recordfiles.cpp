#include "records/codepage.h"
#include "records/gameend.h"
#include "records/journal.h"
#include "records/recordfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#define POSIX_ONLY(what)
#else
// File modes, FIFOs, signals and the like have no counterpart on Windows.
#define POSIX_ONLY(what) QSKIP("POSIX only: " what)
#endif

using namespace sorvane;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

#ifdef Q_OS_UNIX
mode_t modeOf(const QString& path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}
#endif

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

// Another copy of the game holding the record files' lock for `ms` milliseconds.
void holdLock(QProcess& other, const QString& folder, int ms)
{
    other.start(QStringLiteral(STORECHILD), {QStringLiteral("hold"), folder, QString::number(ms)});
    QVERIFY(other.waitForReadyRead(10000));
    QCOMPARE(other.readAll().trimmed(), QByteArray("held"));
}

// A storing copy of the game or a starting one, as a pupil when the tests run as root: not the
// owner of the test's folder or files.
[[maybe_unused]] void startAsPupil(QProcess& child, const QStringList& args)
{
#ifdef Q_OS_UNIX
    if (::geteuid() == 0) {
        child.setChildProcessModifier([] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(120);
        });
    }
#endif
    child.start(QStringLiteral(STORECHILD), args);
}

QByteArray journalOfVersion1(const QByteArray& header, const QByteArray& bytes)
{
    return "SORVANE-JOURNAL 1 " + header + ' ' +
           QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + '\n' + bytes;
}

} // namespace

class TestRecordFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    RecordFiles files() const { return RecordFiles(dir.path() + u'/'); }

    // Empty files, as start-up leaves them on a new machine.
    void fresh()
    {
        QFile::remove(files().scorePath());
        QFile::remove(files().namePath());
        QVERIFY(!files().ensureExist());
    }

    void stored(const QByteArray& score, const QByteArray& name)
    {
        put(files().scorePath(), score);
        put(files().namePath(), name);
    }

private slots:
    void pathsLieDirectlyInTheFolder()
    {
        const RecordFiles f(QStringLiteral("/var/games/"));
        QCOMPARE(f.scorePath(), QStringLiteral("/var/games/sorvane.txt"));
        QCOMPARE(f.namePath(), QStringLiteral("/var/games/nsorvane.txt"));
    }

    void missingFilesAreCreatedEmptyAndWritableByAll()
    {
        POSIX_ONLY("file modes");
#ifdef Q_OS_UNIX
        QFile::remove(files().scorePath());
        QFile::remove(files().namePath());
        const mode_t old = ::umask(022);
        const auto error = files().ensureExist();
        ::umask(old);
        QVERIFY(!error);
        for (const QString& p : {files().scorePath(), files().namePath()}) {
            QCOMPARE(bytesOf(p), QByteArray());
            QCOMPARE(modeOf(p), mode_t(0666));
        }
#endif
    }

    void existingFilesAreNeverChanged()
    {
        stored("7\r\n", "Anna\r\n");
#ifdef Q_OS_UNIX
        ::chmod(QFile::encodeName(files().scorePath()).constData(), 0644);
#endif
        QVERIFY(!files().ensureExist());
        QVERIFY(!files().readRecord().error);
        QCOMPARE(bytesOf(files().scorePath()), QByteArray("7\r\n"));
        QCOMPARE(bytesOf(files().namePath()), QByteArray("Anna\r\n"));
#ifdef Q_OS_UNIX
        QCOMPARE(modeOf(files().scorePath()), mode_t(0644));
#endif
    }

    void readKeepsLineEnds()
    {
        stored("7\r\n", "Anna \r\n");
        QCOMPARE(RecordFiles::read(files().scorePath()).text, QStringLiteral("7\r\n"));
        QCOMPARE(RecordFiles::read(files().namePath()).text, QStringLiteral("Anna \r\n"));
    }

    void readStopsAtTheLimit()
    {
        put(files().namePath(), QByteArray(RecordFiles::readLimit + 1000, 'x'));
        const ReadResult r = RecordFiles::read(files().namePath());
        QVERIFY(!r.error);
        QCOMPARE(r.text.size(), RecordFiles::readLimit);
        fresh();
    }

    void badPaths_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << "folder";
#ifdef Q_OS_UNIX
        QTest::newRow("fifo") << "fifo";
#endif
        QTest::newRow("missing") << "missing";
    }

    void badPaths()
    {
        QFETCH(QString, kind);
        const QString path = dir.filePath(QStringLiteral("bad-") + kind);
        if (kind == u"folder")
            QVERIFY(QDir().mkpath(path));
#ifdef Q_OS_UNIX
        else if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
#endif
        // Never blocks: a FIFO with no writer would hang a plain open.
        const ReadResult r = RecordFiles::read(path);
        QVERIFY(r.error);
        QCOMPARE(r.error->path, path);
        QVERIFY(!r.error->reason.isEmpty());
        QVERIFY(r.error->message().contains(QDir::toNativeSeparators(path)));
    }

    void startUpRefusesAFolderOrFifoInPlaceOfARecordFile_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("folder") << false;
#ifdef Q_OS_UNIX
        QTest::newRow("fifo") << true;
#endif
    }

    void startUpRefusesAFolderOrFifoInPlaceOfARecordFile()
    {
        QFETCH(bool, fifo);
        QTemporaryDir other;
        const RecordFiles f(other.path());
#ifndef Q_OS_UNIX
        Q_UNUSED(fifo)
#else
        if (fifo)
            QCOMPARE(::mkfifo(QFile::encodeName(f.namePath()).constData(), 0666), 0);
        else
#endif
        QVERIFY(QDir().mkpath(f.namePath()));
        const auto error = f.ensureExist();
        QVERIFY(error);
        QCOMPARE(error->path, f.namePath());
    }

    void missingFolderIsAnError()
    {
        const RecordFiles f(dir.filePath(QStringLiteral("no/such/folder")));
        const auto error = f.ensureExist();
        QVERIFY(error);
        QCOMPARE(error->path, f.scorePath());
    }

    void codePage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << "Anna" << QByteArray("Anna");
        QTest::newRow("accented") << "Niccolò" << QByteArray("Niccol\xF2");
        QTest::newRow("euro") << "€" << QByteArray("\x80");
        QTest::newRow("quotes") << "“ok”" << QByteArray("\x93ok\x94");
        QTest::newRow("empty") << "" << QByteArray();
    }

    void codePage()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(toWindows1252(text), bytes);
        QCOMPARE(fromWindows1252(bytes), text);
    }

    void unrepresentableCharactersBecomeQuestionMarks()
    {
        QCOMPARE(toWindows1252(QStringLiteral("Ω x 😀")), QByteArray("? x ?"));
    }

    void everyByteDecodesToOneCharacter()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = fromWindows1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(toWindows1252(text), all);
    }

    void storing_data()
    {
        QTest::addColumn<QByteArray>("oldScore");
        QTest::addColumn<QByteArray>("oldName");
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QByteArray>("newScore");
        QTest::addColumn<QByteArray>("newName");
        const int stored = int(StoreOutcome::Stored);
        const int kept = int(StoreOutcome::NotHigher);
        QTest::newRow("first record")
            << QByteArray() << QByteArray() << "3"
            << "Anna" << stored << QByteArray("3\r\n") << QByteArray("Anna\r\n");
        QTest::newRow("equal is not a record")
            << QByteArray("7\r\n") << QByteArray("Anna\r\n") << "7"
            << "Bruno" << kept << QByteArray("7\r\n") << QByteArray("Anna\r\n");
        QTest::newRow("one above")
            << QByteArray("7\r\n") << QByteArray("Anna\r\n") << "8"
            << "Bruno" << stored << QByteArray("8\r\n") << QByteArray("Bruno\r\n");
        QTest::newRow("older, longer record leaves no trace")
            << QByteArray("9\r\n") << QByteArray("Massimiliano Pietro\r\n") << "12"
            << "Ugo" << stored << QByteArray("12\r\n") << QByteArray("Ugo\r\n");
        QTest::newRow("empty name") << QByteArray() << QByteArray() << "1"
                                    << "" << stored << QByteArray("1\r\n") << QByteArray("\r\n");
        QTest::newRow("trailing blank kept")
            << QByteArray() << QByteArray() << "2"
            << "Anna " << stored << QByteArray("2\r\n") << QByteArray("Anna \r\n");
        QTest::newRow("hand-edited score counts as 0")
            << QByteArray("tanti\r\n") << QByteArray("X\r\n") << "1"
            << "Eva" << stored << QByteArray("1\r\n") << QByteArray("Eva\r\n");
        QTest::newRow("huge stored score")
            << QByteArray("1e999\r\n") << QByteArray("X\r\n") << "30"
            << "Eva" << kept << QByteArray("1e999\r\n") << QByteArray("X\r\n");
        QTest::newRow("accented name")
            << QByteArray() << QByteArray() << "4"
            << "Niccolò €" << stored << QByteArray("4\r\n") << QByteArray("Niccol\xF2 \x80\r\n");
    }

    void storing()
    {
        QFETCH(QByteArray, oldScore);
        QFETCH(QByteArray, oldName);
        QFETCH(QString, score);
        QFETCH(QString, name);
        QFETCH(int, outcome);
        QFETCH(QByteArray, newScore);
        QFETCH(QByteArray, newName);
        stored(oldScore, oldName);
        const StoreResult r = files().storeIfHigher(score, name);
        QVERIFY(!r.error);
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(bytesOf(files().scorePath()), newScore);
        QCOMPARE(bytesOf(files().namePath()), newName);
        // What was stored is what the next start-up shows.
        QCOMPARE(RecordFiles::read(files().namePath()).text, fromWindows1252(newName));
    }

    void storingKeepsTheFilesWritableByAll()
    {
        POSIX_ONLY("file modes");
#ifdef Q_OS_UNIX
        fresh();
        QVERIFY(!files().storeIfHigher(QStringLiteral("5"), QStringLiteral("Anna")).error);
        QCOMPARE(modeOf(files().scorePath()), mode_t(0666));
        QCOMPARE(modeOf(files().namePath()), mode_t(0666));
#endif
    }

    void filesRemovedDuringAGameComeBackWritableByAll()
    {
        POSIX_ONLY("file modes");
#ifdef Q_OS_UNIX
        fresh();
        QFile::remove(files().scorePath());
        QFile::remove(files().namePath());
        const mode_t old = ::umask(022);
        const StoreResult r = files().storeIfHigher(QStringLiteral("5"), QStringLiteral("Anna"));
        ::umask(old);
        QCOMPARE(int(r.outcome), int(StoreOutcome::Stored));
        QCOMPARE(bytesOf(files().scorePath()), QByteArray("5\r\n"));
        QCOMPARE(modeOf(files().scorePath()), mode_t(0666));
        QCOMPARE(modeOf(files().namePath()), mode_t(0666));
#endif
    }

    void anotherCopysHigherRecordIsNotOverwritten()
    {
        // This game started with an empty record; another copy has stored 9 since.
        stored("9\r\n", "Bruno\r\n");
        const StoreResult r =
            checkRecord(files(), QStringLiteral("5"), QString(), QStringLiteral("Anna"));
        QCOMPARE(int(r.outcome), int(StoreOutcome::NotHigher));
        QCOMPARE(bytesOf(files().scorePath()), QByteArray("9\r\n"));
        QCOMPARE(bytesOf(files().namePath()), QByteArray("Bruno\r\n"));
    }

    void scoreNotAboveTheShownRecordTouchesNoFile()
    {
        QTemporaryDir empty;
        const RecordFiles nowhere(empty.filePath(QStringLiteral("gone")));
        const StoreResult r = checkRecord(nowhere, QStringLiteral("0"), QString(), QString());
        QCOMPARE(int(r.outcome), int(StoreOutcome::NotHigher));
        QVERIFY(!r.error);
    }

    void nameFileThatCannotBeOpenedKeepsTheOldRecord()
    {
        stored("4\r\n", "Anna\r\n");
        QFile::remove(files().namePath());
        QVERIFY(QDir().mkpath(files().namePath()));
        const StoreResult r = files().storeIfHigher(QStringLiteral("6"), QStringLiteral("Eva"));
        QDir(files().namePath()).removeRecursively();
        QCOMPARE(int(r.outcome), int(StoreOutcome::Failed));
        QVERIFY(r.error);
        QCOMPARE(r.error->path, files().namePath());
        QCOMPARE(bytesOf(files().scorePath()), QByteArray("4\r\n"));
    }

    void failureWhileWritingTheNamePutsBothBack()
    {
        POSIX_ONLY("a write made to fail by the file size limit");
#ifdef Q_OS_UNIX
        stored("4\r\n", "Anna\r\n");
        // Once the score is stored, the process may no longer grow a file past 64 bytes: the
        // name cannot be written whole. The game itself must survive the size signal.
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        RecordFiles f = files();
        f.setStepHook([&](RecordFiles::Step step) {
            if (step == RecordFiles::Step::ScoreFlushed) {
                rlimit small = old;
                small.rlim_cur = 64;
                ::setrlimit(RLIMIT_FSIZE, &small);
            }
        });
        const StoreResult r = f.storeIfHigher(QStringLiteral("6"), QString(200, u'x'));
        ::setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(int(r.outcome), int(StoreOutcome::Failed));
        QVERIFY(r.error);
        QCOMPARE(r.error->path, files().namePath());
        QCOMPARE(r.error->reason, QStringLiteral("il file è troppo grande"));
        QCOMPARE(bytesOf(files().scorePath()), QByteArray("4\r\n"));
        QCOMPARE(bytesOf(files().namePath()), QByteArray("Anna\r\n"));
        QCOMPARE(bytesOf(files().journalPath()), QByteArray());
#endif
    }

    void waitsForAnotherCopysLock()
    {
        stored("1\r\n", "Anna\r\n");
        QProcess other;
        holdLock(other, dir.path(), 300);
        const StoreResult r = files().storeIfHigher(QStringLiteral("2"), QStringLiteral("Eva"));
        QVERIFY(other.waitForFinished(5000));
        QCOMPARE(int(r.outcome), int(StoreOutcome::Stored));
        QCOMPARE(bytesOf(files().namePath()), QByteArray("Eva\r\n"));
    }

    // ---- A whole record, always --------------------------------------------------------

    void journalIsWholeOrNothing()
    {
        const JournalEntry entry{"12\r\n", "Niccol\xF2\r\n"};
        const QByteArray whole = encodeJournal(entry);
        QCOMPARE(decodeJournal(whole), std::optional<JournalEntry>(entry));
        // Cut short anywhere, as a kill or a power cut leaves it: never taken for a record.
        for (qsizetype n = 0; n < whole.size(); ++n)
            QVERIFY2(!decodeJournal(whole.left(n)), qPrintable(QString::number(n)));
        QVERIFY(!decodeJournal(whole + 'x'));
        for (qsizetype i = 0; i < whole.size(); ++i) {
            QByteArray damaged = whole;
            damaged[i] = char(damaged[i] ^ 0x01);
            QVERIFY2(!decodeJournal(damaged), qPrintable(QString::number(i)));
        }
        QVERIFY(!decodeJournal("SORVANE-JOURNAL 1 99999999999999999999 1 x\nab"));
    }

    // Journals that were not written as the game writes them are never replayed, whatever
    // their checksum says; one of the version earlier copies wrote is still finished.
    void journalHeaders_data()
    {
        QTest::addColumn<QByteArray>("journal");
        QTest::addColumn<bool>("replayed");
        const QByteArray bytes("15\r\nUgo\r\n");
        QTest::newRow("earlier version, whole") << journalOfVersion1("4 5", bytes) << true;
        QTest::newRow("earlier version, lengths swapped")
            << journalOfVersion1("5 4", bytes) << false;
        QTest::newRow("earlier version, all in the name")
            << journalOfVersion1("0 9", bytes) << false;
        QTest::newRow("current version, lengths of another split")
            << QByteArray(
                   "SORVANE-JOURNAL 2 5 4 " +
                   QCryptographicHash::hash("5 4\n" + bytes, QCryptographicHash::Sha256).toHex() +
                   '\n' + bytes)
            << false;
        QByteArray lengthsChanged = encodeJournal({"15\r\n", "Ugo\r\n"});
        lengthsChanged.replace("2 4 5 ", "2 5 4 ");
        QTest::newRow("current version, lengths changed") << lengthsChanged << false;
    }

    void journalHeaders()
    {
        QFETCH(QByteArray, journal);
        QFETCH(bool, replayed);
        QCOMPARE(bool(decodeJournal(journal)), replayed);
        stored("4\r\n", "Anna\r\n");
        put(files().journalPath(), journal);
        QVERIFY(!files().readRecord().error);
        QCOMPARE(bytesOf(files().scorePath()), replayed ? QByteArray("15\r\n") : "4\r\n");
        QCOMPARE(bytesOf(files().namePath()), replayed ? QByteArray("Ugo\r\n") : "Anna\r\n");
        QCOMPARE(bytesOf(files().journalPath()), QByteArray());
    }

    // A whole journal that this player may not empty: start-up says so, naming it, and never
    // stores around it (the next player who can would put its old record back).
    void aJournalThatCannotBeFinishedIsAnError()
    {
        POSIX_ONLY("file modes");
#ifdef Q_OS_UNIX
        QTemporaryDir shared;
        const RecordFiles f(shared.path());
        put(f.scorePath(), "4\r\n");
        put(f.namePath(), "Anna\r\n");
        put(f.journalPath(), encodeJournal({"15\r\n", "Ugo\r\n"}));
        ::chmod(QFile::encodeName(f.scorePath()).constData(), 0666);
        ::chmod(QFile::encodeName(f.namePath()).constData(), 0666);
        ::chmod(QFile::encodeName(f.journalPath()).constData(), 0444);
        ::chmod(QFile::encodeName(shared.path()).constData(), 0755);
        QProcess child;
        startAsPupil(child, {QStringLiteral("read"), shared.path()});
        QVERIFY(child.waitForFinished(10000));
        const QString said = QString::fromUtf8(child.readAllStandardOutput());
        QCOMPARE(child.exitCode(), 1);
        QVERIFY2(said.contains(f.journalPath()), qPrintable(said));
        QProcess store;
        startAsPupil(store, {QStringLiteral("store"), shared.path(), QStringLiteral("20"),
                             QStringLiteral("Eva"), QStringLiteral("-1"), QStringLiteral("0")});
        QVERIFY(store.waitForFinished(10000));
        QCOMPARE(store.exitCode(), 1);
        QCOMPARE(bytesOf(f.scorePath()), QByteArray("4\r\n"));
        QCOMPARE(bytesOf(f.namePath()), QByteArray("Anna\r\n"));
        ::chmod(QFile::encodeName(shared.path()).constData(), 0700);
#endif
    }

    // Another copy holding the lock, stopped in the middle of its store or holding it before
    // any write. Let go in time, it is waited for, and start-up shows the whole new record,
    // never the new score with the old name. Held past the limit, it costs no one more than a
    // record: start-up shows the record the files surely hold (none is being stored), and a
    // store writes nothing. (A copy stopped in its store past the limit: tst_lockwait.)
    void anotherCopyHoldingTheLock_data()
    {
        QTest::addColumn<bool>("letGoInTime"); // else held past the limit, before any write
        QTest::addColumn<QByteArray>("shown");
        QTest::addColumn<int>("otherStore"); // storechild's exit code
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("stopped in its store, let go in time")
            << true << QByteArray("15|Ugo") << 0 << QByteArray("20|Eva");
        QTest::newRow("holding the lock past the limit")
            << false << QByteArray("4|Anna") << 4 << QByteArray("4|Anna");
    }

    void anotherCopyHoldingTheLock()
    {
        POSIX_ONLY("stopping a process");
#ifdef Q_OS_UNIX
        QFETCH(bool, letGoInTime);
        QFETCH(QByteArray, shown);
        QFETCH(int, otherStore);
        QFETCH(QByteArray, record);
        fresh();
        stored("4\r\n", "Anna\r\n");
        auto child = [this](QProcess& p, const QStringList& args) {
            p.start(QStringLiteral(STORECHILD),
                    QStringList{args.first(), dir.path()} + args.mid(1));
        };
        QProcess holder;
        if (letGoInTime) {
            child(holder, {QStringLiteral("store"), QStringLiteral("15"), QStringLiteral("Ugo"),
                           QString::number(int(RecordFiles::Step::ScoreFlushed)),
                           QString::number(SIGSTOP)});
            QTRY_COMPARE_WITH_TIMEOUT(bytesOf(files().scorePath()), QByteArray("15\r\n"), 10000);
        } else {
            holdLock(holder, dir.path(), 8000);
        }
        const QStringList storeEva{QStringLiteral("store"), QStringLiteral("20"),
                                   QStringLiteral("Eva"), QStringLiteral("-1"),
                                   QStringLiteral("0")};
        QProcess reader;
        QProcess other;
        child(reader, {QStringLiteral("read")});
        if (!letGoInTime)
            child(other, storeEva); // waits as long as the reader does, while the lock is held
        QVERIFY(!reader.waitForFinished(500)); // waiting for the lock, not reading a mix
        if (letGoInTime)
            ::kill(pid_t(holder.processId()), SIGKILL);
        QVERIFY(reader.waitForFinished(20000));
        QCOMPARE(reader.readAllStandardOutput().trimmed(), shown);
        if (letGoInTime)
            child(other, storeEva);
        QVERIFY(other.waitForFinished(20000));
        QCOMPARE(other.exitCode(), otherStore);
        QVERIFY(holder.state() == QProcess::NotRunning || holder.waitForFinished(10000));
        QProcess after;
        child(after, {QStringLiteral("read")});
        QVERIFY(after.waitForFinished(10000));
        QCOMPARE(after.readAllStandardOutput().trimmed(), record);
#endif
    }

    // A class on one terminal server: thirty copies storing at once, some killed at any step.
    void aWholeClassStoresAtOnce()
    {
        fresh();
        constexpr int copies = 30;
        std::array<QProcess, copies> children;
        std::array<bool, copies> killed{};
        std::array<qint64, copies> took{};
        QElapsedTimer clock;
        clock.start();
        auto* random = QRandomGenerator::global();
        for (int i = 0; i < copies; ++i) {
            killed[i] = random->bounded(3) == 0;
            const int step =
                killed[i] ? random->bounded(int(RecordFiles::Step::JournalEmptied) + 1) : -1;
            children[i].start(QStringLiteral(STORECHILD),
                              {QStringLiteral("store"), dir.path(), QString::number(i + 1),
                               QStringLiteral("Alunno %1").arg(i + 1), QString::number(step),
                               QStringLiteral("kill")});
        }
        int best = 0;
        for (int i = 0; i < copies; ++i) {
            QVERIFY(children[i].waitForFinished(30000));
            took[i] = clock.elapsed();
            if (killed[i])
                continue;
            // Stored, or not higher than another copy's: never given up on the lock.
            QVERIFY2(children[i].exitCode() == 0 || children[i].exitCode() == 2,
                     qPrintable(QString::number(children[i].exitCode())));
            best = std::max(best, i + 1);
        }
        const qint64 longest = *std::max_element(took.begin(), took.end());
        qInfo("30 copies stored in %lld ms", longest);
        QVERIFY(longest < RecordFiles::lockTries * RecordFiles::lockPauseMs);

        const StoredRecord shown = files().readRecord();
        QVERIFY(!shown.error);
        const int score = shown.score.trimmed().toInt();
        // The best of those that finished, or a higher one that a killed copy had journaled.
        QVERIFY2(score == best || (score > best && killed[score - 1]),
                 qPrintable(QStringLiteral("%1 against %2").arg(score).arg(best)));
        QCOMPARE(shown.name, QStringLiteral("Alunno %1\r\n").arg(score));
    }

    // The record folder is taken byte for byte, whatever its encoding; what cannot be a
    // folder is refused.
    void recordsToolTakesItsFolderAsGiven()
    {
        POSIX_ONLY("folder names that are not UTF-8");
#ifdef Q_OS_UNIX
        QTemporaryDir base;
        QProcess tool;
        tool.start(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("exec \"$0\" \"$(printf '%s/lat\\351' \"$1\")\""),
                    QStringLiteral(RECORDS_TOOL), base.path()});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 0);
        const QByteArray folder = QFile::encodeName(base.path()) + "/lat\xe9";
        struct stat st
        {
        };
        QCOMPARE(::stat((folder + "/sorvane.txt").constData(), &st), 0);
        // Not a folder of the name read through Unicode, with U+FFFD for the byte.
        const QByteArray replaced = QFile::encodeName(base.path()) + "/lat\xef\xbf\xbd";
        QVERIFY(::stat(replaced.constData(), &st) != 0);

        put(base.filePath(QStringLiteral("file")), "x");
        tool.start(QStringLiteral(RECORDS_TOOL), {base.filePath(QStringLiteral("file"))});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains("Impossibile creare la cartella"));
#endif
    }

    // The next start after a power cut at any instant of a store: the journal written up to
    // any byte, or whole with the two record files in any state.
    void startUpFinishesOrDropsAnInterruptedStore_data()
    {
        QTest::addColumn<QByteArray>("score");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("journalWhole");
        QTest::addColumn<QByteArray>("finalScore");
        QTest::addColumn<QByteArray>("finalName");
        const QByteArray oldS("4\r\n"), oldN("Anna Maria\r\n"), newS("15\r\n"), newN("Ugo\r\n");
        QTest::newRow("journal cut short") << oldS << oldN << false << oldS << oldN;
        QTest::newRow("journal whole, files old") << oldS << oldN << true << newS << newN;
        QTest::newRow("score torn") << QByteArray("1") << oldN << true << newS << newN;
        QTest::newRow("score written over the old")
            << QByteArray("15\r") << oldN << true << newS << newN;
        QTest::newRow("score new, name old") << newS << oldN << true << newS << newN;
        QTest::newRow("score new, name torn")
            << newS << QByteArray("Ugo\r\nMaria\r\n") << true << newS << newN;
        QTest::newRow("score new, name empty") << newS << QByteArray() << true << newS << newN;
        QTest::newRow("both new") << newS << newN << true << newS << newN;
    }

    void startUpFinishesOrDropsAnInterruptedStore()
    {
        QFETCH(QByteArray, score);
        QFETCH(QByteArray, name);
        QFETCH(bool, journalWhole);
        QFETCH(QByteArray, finalScore);
        QFETCH(QByteArray, finalName);
        const QByteArray journal = encodeJournal({"15\r\n", "Ugo\r\n"});
        const qsizetype shortest = journalWhole ? journal.size() : 1;
        for (qsizetype n = shortest; n <= journal.size(); ++n) {
            if (!journalWhole && n == journal.size())
                break;
            stored(score, name);
            put(files().journalPath(), journal.left(n));
            QVERIFY(!files().readRecord().error);
            QCOMPARE(bytesOf(files().scorePath()), finalScore);
            QCOMPARE(bytesOf(files().namePath()), finalName);
            QCOMPARE(bytesOf(files().journalPath()), QByteArray());
        }
        fresh();
    }

    // A real storing process, stopped dead at each point of the store.
    void killedAtAnyPointOfAStoreLeavesAWholeRecord_data()
    {
        QTest::addColumn<QByteArray>("oldScore");
        QTest::addColumn<QByteArray>("oldName");
        QTest::addColumn<int>("step");
        const QList<QPair<QByteArray, QByteArray>> olds{
            {"", ""}, {"-5\r\n", "Vecchio\r\n"}, {"9\r\n", "Massimiliano Pietro\r\n"}};
        const int last = int(RecordFiles::Step::JournalEmptied);
        for (const auto& [score, name] : olds) {
            for (int step = 0; step <= last; ++step) {
                const QString tag = QStringLiteral("old '%1', killed at step %2")
                                        .arg(QString::fromLatin1(score.trimmed()))
                                        .arg(step);
                QTest::newRow(qPrintable(tag)) << score << name << step;
            }
        }
    }

    void killedAtAnyPointOfAStoreLeavesAWholeRecord()
    {
        QFETCH(QByteArray, oldScore);
        QFETCH(QByteArray, oldName);
        QFETCH(int, step);
        fresh();
        stored(oldScore, oldName);
        QProcess child;
        child.start(QStringLiteral(STORECHILD),
                    {QStringLiteral("store"), dir.path(), QStringLiteral("10"),
                     QStringLiteral("Nuovo"), QString::number(step), QStringLiteral("kill")});
        QVERIFY(child.waitForFinished(10000));
        // Killed: it never got to report an outcome.
        QVERIFY(child.exitStatus() == QProcess::CrashExit || child.exitCode() > 2);

        // What the next start-up shows.
        QVERIFY(!files().ensureExist());
        QVERIFY(!files().readRecord().error);
        const QByteArray score = bytesOf(files().scorePath());
        const QByteArray name = bytesOf(files().namePath());
        const bool old = score == oldScore && name == oldName;
        const bool fresh = score == "10\r\n" && name == "Nuovo\r\n";
        QVERIFY2(old || fresh,
                 qPrintable(QString::fromLatin1(score.toHex(' ') + " / " + name.toHex(' '))));
        // The journal was flushed before the score file was touched: from then on the new
        // record is the one that stands.
        if (step >= int(RecordFiles::Step::JournalFlushed))
            QVERIFY(fresh);
        QCOMPARE(bytesOf(files().journalPath()), QByteArray());
    }

    void terminationDuringAStoreWaitsForAWholeRecord_data()
    {
        QTest::addColumn<int>("signal");
#ifdef Q_OS_UNIX
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGQUIT") << int(SIGQUIT);
#else
        QTest::newRow("no such signals") << 0;
#endif
    }

    void terminationDuringAStoreWaitsForAWholeRecord()
    {
        POSIX_ONLY("termination signals");
        QFETCH(int, signal);
        stored("-5\r\n", "Vecchio\r\n");
        QProcess child;
        child.start(QStringLiteral(STORECHILD),
                    {QStringLiteral("store"), dir.path(), QStringLiteral("3"),
                     QStringLiteral("Eva"), QString::number(int(RecordFiles::Step::ScoreWritten)),
                     QString::number(signal)});
        QVERIFY(child.waitForFinished(10000));
        // The signal ended the program, but only once both files held the new record.
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(bytesOf(files().scorePath()), QByteArray("3\r\n"));
        QCOMPARE(bytesOf(files().namePath()), QByteArray("Eva\r\n"));
        QCOMPARE(bytesOf(files().journalPath()), QByteArray());
    }

    // A pupil's game, in a folder where only the installer may create files and the journal
    // was never made: the record is stored as it always was.
    void storesWithoutAJournalWhereNoneCanBeMade()
    {
        POSIX_ONLY("a user who may not create files in the record folder");
#ifdef Q_OS_UNIX
        QTemporaryDir shared;
        const RecordFiles f(shared.path());
        put(f.scorePath(), "1\r\n");
        put(f.namePath(), "Anna\r\n");
        const bool root = ::geteuid() == 0;
        for (const QString& p : {f.scorePath(), f.namePath()})
            QFile::setPermissions(p, QFileDevice::ReadOther | QFileDevice::WriteOther |
                                         QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QByteArray folder = QFile::encodeName(shared.path());
        QCOMPARE(::chmod(folder.constData(), root ? 0755 : 0555), 0);
        QProcess child;
        startAsPupil(child, {QStringLiteral("store"), shared.path(), QStringLiteral("2"),
                             QStringLiteral("Eva"), QStringLiteral("-1"), QStringLiteral("0")});
        QVERIFY(child.waitForFinished(10000));
        ::chmod(folder.constData(), 0700);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(bytesOf(f.scorePath()), QByteArray("2\r\n"));
        QCOMPARE(bytesOf(f.namePath()), QByteArray("Eva\r\n"));
        QVERIFY(!QFile::exists(f.journalPath()));
#endif
    }

    // ---- Never through a link ------------------------------------------------------------

    void linksAreNeverUsed_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("symbolic");
        for (const char* file : {"score", "name", "journal"}) {
            for (bool symbolic : {true, false}) {
                const QString tag = QStringLiteral("%1, %2").arg(
                    QString::fromLatin1(file),
                    symbolic ? QStringLiteral("symbolic link") : QStringLiteral("hard link"));
                QTest::newRow(qPrintable(tag)) << QString::fromLatin1(file) << symbolic;
            }
        }
    }

    void linksAreNeverUsed()
    {
        QFETCH(QString, file);
        QFETCH(bool, symbolic);
        stored("4\r\n", "Anna\r\n");
        const QString path = file == u"score"  ? files().scorePath()
                             : file == u"name" ? files().namePath()
                                               : files().journalPath();
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("diario.txt"));
        put(target, "segreto\r\n");
        QFile::remove(path);
        std::error_code linkError;
        if (symbolic)
            std::filesystem::create_symlink(fsPath(target), fsPath(path), linkError);
        else
            std::filesystem::create_hard_link(fsPath(target), fsPath(path), linkError);
        if (linkError && symbolic)
            QSKIP("this user may not make symbolic links here");
        QVERIFY(!linkError);

        // Start-up refuses it with one Italian reason...
        const auto atStart = files().ensureExist();
        QVERIFY(atStart);
        QCOMPARE(atStart->path, path);
        QVERIFY2(atStart->reason.contains(QStringLiteral("collegamento")),
                 qPrintable(atStart->reason));
        if (file != u"journal")
            QVERIFY(RecordFiles::read(path).error);

        // ... and so does storing, which writes nothing anywhere.
        const StoreResult r = files().storeIfHigher(QStringLiteral("9"), QStringLiteral("Eva"));
        QCOMPARE(int(r.outcome), int(StoreOutcome::Failed));
        QCOMPARE(r.error->path, path);
        QCOMPARE(bytesOf(target), QByteArray("segreto\r\n"));
        if (file != u"score")
            QCOMPARE(bytesOf(files().scorePath()), QByteArray("4\r\n"));
        if (file != u"name")
            QCOMPARE(bytesOf(files().namePath()), QByteArray("Anna\r\n"));
        QFile::remove(path);
        fresh();
    }

    // ---- One line stays one line ---------------------------------------------------------

    void storedNameIsOneLine_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("CR LF") << QStringLiteral("Anna\r\nBob") << QByteArray("Anna  Bob\r\n");
        QTest::newRow("LF") << QStringLiteral("Anna\nBob") << QByteArray("Anna Bob\r\n");
        QTest::newRow("CR at the end") << QStringLiteral("Anna\r") << QByteArray("Anna \r\n");
        QTest::newRow("NUL") << QString::fromUtf16(u"Anna\0Bob", 8) << QByteArray("Anna Bob\r\n");
        QTest::newRow("tab and escape") << QStringLiteral("A\tB\x1b") << QByteArray("A B \r\n");
        QTest::newRow("blanks kept") << QStringLiteral(" Anna ") << QByteArray(" Anna \r\n");
        QTest::newRow("accents kept") << QStringLiteral("Niccolò") << QByteArray("Niccol\xF2\r\n");
    }

    void storedNameIsOneLine()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, line);
        fresh();
        QVERIFY(!files().storeIfHigher(QStringLiteral("1"), typed).error);
        QCOMPARE(bytesOf(files().namePath()), line);
    }

    void nameNeverOutgrowsWhatIsReadBack()
    {
        fresh();
        QVERIFY(!files().storeIfHigher(QStringLiteral("1"), QString(100000, u'a')).error);
        const QByteArray name = bytesOf(files().namePath());
        QCOMPARE(name.size(), RecordFiles::readLimit);
        QVERIFY(name.endsWith("a\r\n"));
        // So the next store can always put it back exactly.
        QVERIFY(!files().storeIfHigher(QStringLiteral("2"), QStringLiteral("Eva")).error);
        QCOMPARE(bytesOf(files().namePath()), QByteArray("Eva\r\n"));
    }

    // ---- Exact restore -------------------------------------------------------------------

    void fileTooLargeToPutBackIsRefusedBeforeWriting_data()
    {
        QTest::addColumn<bool>("largeScore");
        QTest::newRow("score file of 100 KiB") << true;
        QTest::newRow("name file of 100 KiB") << false;
    }

    void fileTooLargeToPutBackIsRefusedBeforeWriting()
    {
        QFETCH(bool, largeScore);
        const QByteArray large = "1\r\n" + QByteArray(100 * 1024, 'x');
        stored(largeScore ? large : QByteArray("1\r\n"), largeScore ? "Anna\r\n" : large);
        const StoreResult r = files().storeIfHigher(QStringLiteral("5"), QStringLiteral("Eva"));
        QCOMPARE(int(r.outcome), int(StoreOutcome::Failed));
        QCOMPARE(r.error->path, largeScore ? files().scorePath() : files().namePath());
        QCOMPARE(r.error->reason, QStringLiteral("il file è troppo grande"));
        QCOMPARE(bytesOf(files().scorePath()), largeScore ? large : QByteArray("1\r\n"));
        QCOMPARE(bytesOf(files().namePath()), largeScore ? QByteArray("Anna\r\n") : large);
        fresh();
    }

    // ---- Italian reasons ---------------------------------------------------------------

    void reasonsAreItalian_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
#ifdef Q_OS_UNIX
        QTest::newRow("folder") << "folder"
                                << "è una cartella";
        QTest::newRow("fifo") << "fifo"
                              << "non è un file normale (è una cartella, una pipe o un "
                                 "dispositivo)";
        QTest::newRow("symbolic link") << "symlink"
                                       << "è un collegamento simbolico, e il gioco non lo segue";
        QTest::newRow("missing folder") << "missing"
                                        << "il file o la cartella non esiste";
#else
        QTest::newRow("folder") << "folder"
                                << "non è un file normale (è una cartella, una pipe o un "
                                   "dispositivo)";
        QTest::newRow("missing folder") << "missing"
                                        << "la cartella non esiste";
#endif
        QTest::newRow("lock held") << "locked"
                                   << "il file è in uso da un'altra copia del gioco da troppo "
                                      "tempo";
    }

    void reasonsAreItalian()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir other;
        RecordFiles f(other.path());
        if (kind == u"missing")
            f = RecordFiles(other.filePath(QStringLiteral("nessuna")));
        else
            put(f.scorePath(), "1\r\n");
        if (kind == u"folder")
            QVERIFY(QDir().mkpath(f.namePath()));
#ifdef Q_OS_UNIX
        const QByteArray name = QFile::encodeName(f.namePath());
        if (kind == u"fifo")
            QCOMPARE(::mkfifo(name.constData(), 0666), 0);
        if (kind == u"symlink")
            QCOMPARE(::symlink("/etc/hostname", name.constData()), 0);
#endif
        if (kind == u"locked") {
            put(f.namePath(), "Anna\r\n");
            QProcess holder;
            holdLock(holder, other.path(), 5000);
            int waits = 0;
            const StoreResult r =
                f.storeIfHigher(QStringLiteral("2"), QString(), [&](int ms) { waits += ms; });
            holder.kill();
            holder.waitForFinished();
            QCOMPARE(waits, (RecordFiles::lockTries - 1) * RecordFiles::lockPauseMs);
            QCOMPARE(r.error->reason, reason);
            return;
        }
        const auto error = f.ensureExist();
        QVERIFY(error);
        QCOMPARE(error->reason, reason);
        QCOMPARE(error->message(), QStringLiteral("Errore con il file dei record %1: %2")
                                       .arg(QDir::toNativeSeparators(
                                                kind == u"missing" ? f.scorePath() : f.namePath()),
                                            reason));
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "tst_recordfiles.moc"
