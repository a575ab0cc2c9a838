#include "records/codepage.h"
#include "records/gameend.h"
#include "records/recordfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

mode_t modeOf(const QString& path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
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
    }

    void existingFilesAreNeverChanged()
    {
        stored("7\r\n", "Anna\r\n");
        ::chmod(QFile::encodeName(files().scorePath()).constData(), 0644);
        QVERIFY(!files().ensureExist());
        QCOMPARE(bytesOf(files().scorePath()), QByteArray("7\r\n"));
        QCOMPARE(bytesOf(files().namePath()), QByteArray("Anna\r\n"));
        QCOMPARE(modeOf(files().scorePath()), mode_t(0644));
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
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("missing") << "missing";
    }

    void badPaths()
    {
        QFETCH(QString, kind);
        const QString path = dir.filePath(QStringLiteral("bad-") + kind);
        if (kind == u"folder")
            QVERIFY(QDir().mkpath(path));
        else if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
        // Never blocks: a FIFO with no writer would hang a plain open.
        const ReadResult r = RecordFiles::read(path);
        QVERIFY(r.error);
        QCOMPARE(r.error->path, path);
        QVERIFY(!r.error->reason.isEmpty());
        QVERIFY(r.error->message().contains(path));
    }

    void startUpRefusesAFolderOrFifoInPlaceOfARecordFile_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("folder") << false;
        QTest::newRow("fifo") << true;
    }

    void startUpRefusesAFolderOrFifoInPlaceOfARecordFile()
    {
        QFETCH(bool, fifo);
        QTemporaryDir other;
        const RecordFiles f(other.path());
        if (fifo)
            QCOMPARE(::mkfifo(QFile::encodeName(f.namePath()).constData(), 0666), 0);
        else
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
        fresh();
        QVERIFY(!files().storeIfHigher(QStringLiteral("5"), QStringLiteral("Anna")).error);
        QCOMPARE(modeOf(files().scorePath()), mode_t(0666));
        QCOMPARE(modeOf(files().namePath()), mode_t(0666));
    }

    void filesRemovedDuringAGameComeBackWritableByAll()
    {
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
        stored("4\r\n", "Anna\r\n");
        // The name cannot be written whole: the process may not grow a file past 64 bytes.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 64;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const StoreResult r = files().storeIfHigher(QStringLiteral("6"), QString(200, u'x'));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(int(r.outcome), int(StoreOutcome::Failed));
        QVERIFY(r.error);
        QCOMPARE(r.error->path, files().namePath());
        QCOMPARE(bytesOf(files().scorePath()), QByteArray("4\r\n"));
        QCOMPARE(bytesOf(files().namePath()), QByteArray("Anna\r\n"));
    }

    void waitsForAnotherCopysLock()
    {
        stored("1\r\n", "Anna\r\n");
        const int other = ::open(QFile::encodeName(files().scorePath()).constData(), O_RDWR);
        QVERIFY(other >= 0);
        QCOMPARE(::flock(other, LOCK_EX), 0);
        std::thread release([other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::flock(other, LOCK_UN);
        });
        const StoreResult r = files().storeIfHigher(QStringLiteral("2"), QStringLiteral("Eva"));
        release.join();
        ::close(other);
        QCOMPARE(int(r.outcome), int(StoreOutcome::Stored));
        QCOMPARE(bytesOf(files().namePath()), QByteArray("Eva\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "tst_recordfiles.moc"
