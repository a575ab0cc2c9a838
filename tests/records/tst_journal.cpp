// The journal that makes a store whole or nothing: its format, and what start-up does with
// one that a store left behind.

#include "records/journal.h"
#include "support/recordfolder.h"

#include <QCryptographicHash>

using namespace sorvane;
using namespace sorvane::testing;

namespace {

// A journal whose header, "VERSION SCORE-LENGTH NAME-LENGTH", is followed by the checksum of
// `hashed` and by `bytes`.
QByteArray journalOf(const QByteArray& header, const QByteArray& hashed, const QByteArray& bytes)
{
    return "SORVANE-JOURNAL " + header + ' ' +
           QCryptographicHash::hash(hashed, QCryptographicHash::Sha256).toHex() + '\n' + bytes;
}

} // namespace

class TestJournal : public QObject, RecordFolder
{
    Q_OBJECT

private slots:
    void init() { renew(); }

    void journalIsWholeOrNothing()
    {
        const JournalEntry entry{"12\r\n", "Niccol\xF2\r\n"};
        const QByteArray whole = encodeJournal(entry);
        QCOMPARE(decodeJournal(whole), std::optional<JournalEntry>(entry));
        // Cut short anywhere (as a kill or a power cut leaves it), or damaged: never a record.
        QVERIFY(!decodeJournal(whole + 'x'));
        for (qsizetype i = 0; i < whole.size(); ++i) {
            QVERIFY2(!decodeJournal(whole.left(i)), qPrintable(QString::number(i)));
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
        QTest::newRow("earlier version, whole") << journalOf("1 4 5", bytes, bytes) << true;
        QTest::newRow("earlier version, lengths swapped")
            << journalOf("1 5 4", bytes, bytes) << false;
        QTest::newRow("earlier version, all in the name")
            << journalOf("1 0 9", bytes, bytes) << false;
        QTest::newRow("current version, lengths of another split")
            << journalOf("2 5 4", "5 4\n" + bytes, bytes) << false;
        QTest::newRow("current version, lengths changed")
            << encodeJournal({"15\r\n", "Ugo\r\n"}).replace("2 4 5 ", "2 5 4 ") << false;
    }

    void journalHeaders()
    {
        QFETCH(QByteArray, journal);
        QFETCH(bool, replayed);
        QCOMPARE(bool(decodeJournal(journal)), replayed);
        stored("4\r\n", "Anna\r\n");
        put(files().journalPath(), journal);
        QVERIFY(!files().readRecord().error);
        QCOMPARE(record(), QByteArray(replayed ? "15\r\n|Ugo\r\n" : "4\r\n|Anna\r\n"));
        QCOMPARE(bytesOf(files().journalPath()), QByteArray());
    }

    // The next start after a power cut at any instant of a store: the journal written up to
    // any byte, or whole with the two record files in any state.
    void startUpFinishesOrDropsAnInterruptedStore_data()
    {
        QTest::addColumn<QByteArray>("score");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("journalWhole"); // if so, start-up finishes the store: "15|Ugo"
        const QByteArray oldS("4\r\n"), oldN("Anna Maria\r\n"), newS("15\r\n"), newN("Ugo\r\n");
        QTest::newRow("journal cut short") << oldS << oldN << false;
        QTest::newRow("journal whole, files old") << oldS << oldN << true;
        QTest::newRow("score torn") << QByteArray("1") << oldN << true;
        QTest::newRow("score written over the old") << QByteArray("15\r") << oldN << true;
        QTest::newRow("score new, name old") << newS << oldN << true;
        QTest::newRow("score new, name torn") << newS << QByteArray("Ugo\r\nMaria\r\n") << true;
        QTest::newRow("score new, name empty") << newS << QByteArray() << true;
        QTest::newRow("both new") << newS << newN << true;
    }

    void startUpFinishesOrDropsAnInterruptedStore()
    {
        QFETCH(QByteArray, score);
        QFETCH(QByteArray, name);
        QFETCH(bool, journalWhole);
        const QByteArray journal = encodeJournal({"15\r\n", "Ugo\r\n"});
        const qsizetype whole = journal.size(); // else cut short at any byte
        for (qsizetype n = journalWhole ? whole : 1; n <= (journalWhole ? whole : whole - 1); ++n) {
            stored(score, name);
            put(files().journalPath(), journal.left(n));
            QVERIFY(!files().readRecord().error);
            QCOMPARE(record(),
                     QByteArray(journalWhole ? "15\r\n|Ugo\r\n" : "4\r\n|Anna Maria\r\n"));
            QCOMPARE(bytesOf(files().journalPath()), QByteArray());
        }
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
