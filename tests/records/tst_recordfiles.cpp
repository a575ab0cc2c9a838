// The record files: their code page, how they are read, created and stored into, and what
// start-up and a store refuse. (Their names in the record folder: tst_startup.)

#include "records/codepage.h"
#include "records/gameend.h"
#include "records/recordkeeper.h"
#include "support/recordfolder.h"
#include "texts/boxtexts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>

#include <future>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace sorvane;
using namespace sorvane::testing;

namespace {
// A store of `score` and `name`, and the files it leaves, over the old record, if any.
struct Store
{
    QString score, name;
    StoreOutcome outcome;
    QByteArray newScore, newName;
    QByteArray oldScore{}, oldName{};
};
} // namespace

class TestRecordFiles : public QObject, RecordFolder
{
    Q_OBJECT

private slots:
    void init() { renew(); }

    // Windows-1252, one byte a character.
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

    // Every byte decodes to one character and back; what the code page lacks becomes "?".
    void everyByteDecodesToOneCharacter()
    {
        QCOMPARE(toWindows1252(QStringLiteral("Ω x 😀")), QByteArray("? x ?"));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = fromWindows1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(toWindows1252(text), all);
    }

    // Created at start-up, stored into, or removed during a game and stored again: the record
    // files are every user's to write, whatever the player's file mode mask.
    void filesAreWritableByAll_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::addColumn<bool>("store"); // a score of 5; else start-up's creating
        QTest::newRow("created empty at start-up") << true << false;
        QTest::newRow("stored into") << false << true;
        QTest::newRow("removed during a game") << true << true;
    }

    void filesAreWritableByAll()
    {
        POSIX_ONLY("file modes");
#ifdef Q_OS_UNIX
        QFETCH(bool, missing);
        QFETCH(bool, store);
        if (missing) {
            QFile::remove(files().scorePath());
            QFile::remove(files().namePath());
        }
        const mode_t old = ::umask(022);
        const auto error = store ? files().storeIfHigher(QStringLiteral("5"), QString()).error
                                 : files().ensureExist();
        ::umask(old);
        QVERIFY(!error);
        QCOMPARE(bytesOf(files().scorePath()), store ? QByteArray("5\r\n") : QByteArray());
        for (const QString& p : {files().scorePath(), files().namePath()})
            QCOMPARE(modeOf(p), 0666);
#endif
    }

    void existingFilesAreReadAsTheyAreAndNeverChanged()
    {
        stored("7\r\n", "Anna \r\n");
#ifdef Q_OS_UNIX
        QVERIFY(setMode(files().scorePath(), 0644));
#endif
        QVERIFY(!files().ensureExist());
        QVERIFY(!files().readRecord().error);
        QCOMPARE(record(), QByteArray("7\r\n|Anna \r\n"));
#ifdef Q_OS_UNIX
        QCOMPARE(modeOf(files().scorePath()), 0644);
#endif
        // Line ends and blanks and all, up to the read limit.
        QCOMPARE(RecordFiles::read(files().scorePath()).text, QStringLiteral("7\r\n"));
        QCOMPARE(RecordFiles::read(files().namePath()).text, QStringLiteral("Anna \r\n"));
        put(filePath(QStringLiteral("lungo")), QByteArray(RecordFiles::readLimit + 1000, 'x'));
        const ReadResult r = RecordFiles::read(filePath(QStringLiteral("lungo")));
        QVERIFY(!r.error);
        QCOMPARE(r.text.size(), RecordFiles::readLimit);
    }

    // Typed names stay one line: line breaks, NULs and other controls become blanks.
    void storing_data()
    {
        QTest::addColumn<Store>("row");
        const StoreOutcome stored = StoreOutcome::Stored, kept = StoreOutcome::NotHigher;
        QTest::newRow("first record") << Store{"3", "Anna", stored, "3\r\n", "Anna\r\n"};
        QTest::newRow("equal is not a record")
            << Store{"7", "Bruno", kept, "7\r\n", "Anna\r\n", "7\r\n", "Anna\r\n"};
        QTest::newRow("one above")
            << Store{"8", "Bruno", stored, "8\r\n", "Bruno\r\n", "7\r\n", "Anna\r\n"};
        QTest::newRow("older, longer record leaves no trace")
            << Store{"12", "Ugo", stored, "12\r\n", "Ugo\r\n", "9\r\n", "Massimiliano Pietro\r\n"};
        QTest::newRow("empty name") << Store{"1", "", stored, "1\r\n", "\r\n"};
        QTest::newRow("blanks kept") << Store{"2", " Anna ", stored, "2\r\n", " Anna \r\n"};
        QTest::newRow("hand-edited score counts as 0")
            << Store{"1", "Eva", stored, "1\r\n", "Eva\r\n", "tanti\r\n", "X\r\n"};
        QTest::newRow("huge stored score")
            << Store{"30", "Eva", kept, "1e999\r\n", "X\r\n", "1e999\r\n", "X\r\n"};
        QTest::newRow("accented name")
            << Store{"4", "Niccolò €", stored, "4\r\n", "Niccol\xF2 \x80\r\n"};
        QTest::newRow("CR LF") << Store{"1", "Anna\r\nBob", stored, "1\r\n", "Anna  Bob\r\n"};
        QTest::newRow("LF, NUL, tab, escape, CR at the end") << Store{
            "1", QString::fromUtf16(u"A\nB\0C\tD\x1b\r", 9), stored, "1\r\n", "A B C D  \r\n"};
        // A stored name never outgrows what is read back: the next store can put it back.
        const QByteArray longest = QByteArray(RecordFiles::readLimit - 2, 'a') + "\r\n";
        QTest::newRow("name cut to what is read")
            << Store{"1", QString(100000, u'a'), stored, "1\r\n", longest};
        QTest::newRow("over the longest name")
            << Store{"2", "Eva", stored, "2\r\n", "Eva\r\n", "1\r\n", longest};
    }

    void storing()
    {
        QFETCH(Store, row);
        stored(row.oldScore, row.oldName);
        const StoreResult r = files().storeIfHigher(row.score, row.name);
        QVERIFY(!r.error);
        QCOMPARE(int(r.outcome), int(row.outcome));
        QCOMPARE(record(), row.newScore + '|' + row.newName);
        // What was stored is what the next start-up shows.
        QCOMPARE(RecordFiles::read(files().namePath()).text, fromWindows1252(row.newName));
    }

    // At the game end, a score not above the record shown at start-up opens no file at all.
    // (Above that one and not above the files' own: tst_gameend, another copy's record.)
    void checkRecordOpensNothingBelowTheShownRecord()
    {
        const StoreResult r =
            checkRecord(RecordFiles(filePath(QStringLiteral("gone/"))), QString("0"), {}, {});
        QCOMPARE(int(r.outcome), int(StoreOutcome::NotHigher));
        QVERIFY(!r.error);
    }

    // A store that fails leaves the old record: the name file cannot be opened or cannot be
    // written whole, or a file is too large to be put back exactly (refused before writing).
    void aFailedStoreKeepsTheOldRecord_data()
    {
        QTest::addColumn<QString>("reason");
        const QString tooLarge = QStringLiteral("il file è troppo grande");
        QTest::newRow("name file is a folder") << QString();
#ifdef Q_OS_UNIX
        QTest::newRow("file size limit once the score is stored") << tooLarge;
#endif
        QTest::newRow("score file of 100 KiB") << tooLarge;
        QTest::newRow("name file of 100 KiB") << tooLarge;
    }

    void aFailedStoreKeepsTheOldRecord()
    {
        QFETCH(QString, reason);
        const QByteArray tag = QTest::currentDataTag();
        const QByteArray large = "1\r\n" + QByteArray(100 * 1024, 'x');
        const QByteArray score = tag.startsWith("score") ? large : QByteArray("4\r\n");
        const QByteArray name = tag.startsWith("name file of") ? large : QByteArray("Anna\r\n");
        stored(score, name);
        RecordFiles f = files();
#ifdef Q_OS_UNIX
        // Once the score is stored, the process may no longer grow a file past 64 bytes: the
        // name cannot be written whole. The game itself must survive the size signal.
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        f.setStepHook([&](RecordFiles::Step step) {
            if (tag.startsWith("file size") && step == RecordFiles::Step::ScoreFlushed) {
                const rlimit small{64, old.rlim_max};
                ::setrlimit(RLIMIT_FSIZE, &small);
            }
        });
#endif
        if (reason.isEmpty()) {
            QFile::remove(f.namePath());
            QVERIFY(QDir().mkpath(f.namePath()));
        }
        const StoreResult r = f.storeIfHigher(QStringLiteral("6"), QString(200, u'x'));
#ifdef Q_OS_UNIX
        ::setrlimit(RLIMIT_FSIZE, &old);
#endif
        QCOMPARE(int(r.outcome), int(StoreOutcome::Failed));
        QVERIFY(r.error);
        QCOMPARE(r.error->path, score == large ? f.scorePath() : f.namePath());
        QCOMPARE(bytesOf(f.scorePath()), score);
        if (!reason.isEmpty()) {
            QCOMPARE(r.error->reason, reason);
            QCOMPARE(bytesOf(f.namePath()), name);
            QCOMPARE(bytesOf(f.journalPath()), QByteArray());
        }
    }

    // The record folder is taken byte for byte, whatever its encoding; what cannot be a
    // folder is refused.
    // A folder on a server that stops answering in the middle of a reading or a store, here a
    // store or reading held at one of its steps: the keeper gives up on it within its limit,
    // and the operation finishes whole once the files answer again.
    void theKeeperNeverWaitsPastItsLimit_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::addColumn<int>("step");
        QTest::addRow("reading, with the lock taken") << true << int(RecordFiles::Step::LockTaken);
        for (auto step : {RecordFiles::Step::LockTaken, RecordFiles::Step::JournalFlushed,
                          RecordFiles::Step::ScoreWritten, RecordFiles::Step::NameFlushed})
            QTest::addRow("store, at step %d", int(step)) << false << int(step);
    }

    void theKeeperNeverWaitsPastItsLimit()
    {
        QFETCH(bool, reading);
        QFETCH(int, step);
        stored("4\r\n", "Ugo\r\n");
        constexpr int limit = 300;
        // The files answer again once `answer` is given, whatever becomes of the test.
        std::promise<void> answer;
        const std::shared_future<void> answered = answer.get_future().share();
        bool thawed = false;
        const auto thaw = [&] {
            if (!std::exchange(thawed, true))
                answer.set_value();
        };
        const auto atTheEnd = qScopeGuard(thaw);
        RecordKeeper keeper(path(), {}, true, {.readMs = limit, .stallMs = limit});
        keeper.setStepHook([answered, step](RecordFiles::Step at) {
            if (int(at) == step)
                answered.wait();
        });
        QSignalSpy arrived(&keeper, &RecordKeeper::recordArrived);
        QElapsedTimer clock;
        clock.start();
        if (reading) {
            keeper.beginReading();
            const RecordKeeper::Shown shown = keeper.recordToShow();
            QVERIFY(clock.elapsed() < limit + 200);
            QVERIFY(shown.late && !shown.box);
            QCOMPARE(shown.name, RecordKeeper::unreadable());
            thaw();
            // Shown once it has been read.
            QVERIFY(arrived.wait(2000));
            QCOMPARE(arrived.first(),
                     (QVariantList{QStringLiteral("4\r\n"), QStringLiteral("Ugo\r\n")}));
        } else {
            const auto said =
                keeper.store(QStringLiteral("9"), QStringLiteral("4"), QStringLiteral("Eva"));
            QVERIFY(clock.elapsed() < limit + 200);
            QCOMPARE(said, std::optional(recordNotStoredNoAnswer()));
            thaw();
            // The store goes on as soon as the files answer, and leaves the new record whole.
            QTRY_COMPARE(record(), QByteArray("9\r\n|Eva\r\n"));
        }
    }

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
        const std::string folder = QFile::encodeName(base.path()).toStdString();
        QVERIFY(std::filesystem::exists(folder + "/lat\xe9/sorvane.txt"));
        // Not a folder of the name read through Unicode, with U+FFFD for the byte.
        QVERIFY(!std::filesystem::exists(folder + "/lat\xef\xbf\xbd"));
        put(base.filePath(QStringLiteral("file")), "x");
        tool.start(QStringLiteral(RECORDS_TOOL), {base.filePath(QStringLiteral("file"))});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains("Impossibile creare la cartella"));
#endif
    }

    void linksAreNeverUsed_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("symbolic");
        for (const char* file : {"score", "name", "journal"})
            for (const char* link : {"symbolic", "hard"})
                QTest::addRow("%s, %s link", file, link) << QString(file) << (*link == 's');
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
    }

    // What start-up and a plain read refuse, each naming the file it stopped at, start-up with
    // an Italian reason. Never blocks: a FIFO with no writer would hang a plain open.
    void reasonsAreItalian_data() // the tag is the kind of file
    {
        QTest::addColumn<QString>("reason");
        const QString notAFile =
            "non è un file normale (è una cartella, una pipe o un dispositivo)";
#ifdef Q_OS_UNIX
        QTest::newRow("folder") << QString("è una cartella");
        QTest::newRow("fifo") << notAFile;
        QTest::newRow("symlink") << QString("è un collegamento simbolico, e il gioco non lo segue");
        QTest::newRow("missing") << QString("il file o la cartella non esiste");
#else
        QTest::newRow("folder") << notAFile;
        QTest::newRow("missing") << QString("la cartella non esiste");
#endif
    }

    void reasonsAreItalian()
    {
        const QString kind = QTest::currentDataTag();
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
        const QString path = kind == u"missing" ? f.scorePath() : f.namePath();
        const auto error = f.ensureExist();
        QVERIFY(error);
        QCOMPARE(error->path, path);
        QCOMPARE(error->reason, reason);
        QCOMPARE(error->message(), QStringLiteral("Errore con il file dei record %1: %2")
                                       .arg(QDir::toNativeSeparators(path), reason));
        const ReadResult r = RecordFiles::read(path);
        QVERIFY(r.error);
        QCOMPARE(r.error->path, path);
        QVERIFY(!r.error->reason.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "tst_recordfiles.moc"
