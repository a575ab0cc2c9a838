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

    // The next start after a power cut at any instant of a store: a whole journal, with the
    // two record files in any state, is finished; one written up to any byte is dropped, and
    // so is one not written as the game writes it, whatever its checksum says. One of the
    // version earlier copies wrote is still finished.
    void startUpFinishesOrDropsAnInterruptedStore_data()
    {
        QTest::addColumn<QByteArray>("journal");
        QTest::addColumn<QByteArray>("score");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("replayed"); // if so, start-up finishes the store: "15|Ugo"
        const QByteArray oldS("4\r\n"), oldN("Anna Maria\r\n"), newS("15\r\n"), newN("Ugo\r\n");
        const QByteArray whole = encodeJournal({newS, newN}), bytes = newS + newN;
        QTest::newRow("files old") << whole << oldS << oldN << true;
        QTest::newRow("score torn") << whole << QByteArray("1") << oldN << true;
        QTest::newRow("score written over the old") << whole << QByteArray("15\r") << oldN << true;
        QTest::newRow("score new, name old") << whole << newS << oldN << true;
        QTest::newRow("score new, name torn")
            << whole << newS << QByteArray("Ugo\r\nMaria\r\n") << true;
        QTest::newRow("score new, name empty") << whole << newS << QByteArray() << true;
        QTest::newRow("both new") << whole << newS << newN << true;
        for (qsizetype n = 1; n < whole.size(); ++n)
            QTest::addRow("cut to %d bytes", int(n)) << whole.left(n) << oldS << oldN << false;
        QTest::newRow("earlier version, whole")
            << journalOf("1 4 5", bytes, bytes) << oldS << oldN << true;
        QTest::newRow("earlier version, lengths swapped")
            << journalOf("1 5 4", bytes, bytes) << oldS << oldN << false;
        QTest::newRow("earlier version, all in the name")
            << journalOf("1 0 9", bytes, bytes) << oldS << oldN << false;
        QTest::newRow("current version, lengths of another split")
            << journalOf("2 5 4", "5 4\n" + bytes, bytes) << oldS << oldN << false;
        QTest::newRow("current version, lengths changed")
            << QByteArray(whole).replace("2 4 5 ", "2 5 4 ") << oldS << oldN << false;
    }
    void startUpFinishesOrDropsAnInterruptedStore()
    {
        QFETCH(QByteArray, journal);
        QFETCH(QByteArray, score);
        QFETCH(QByteArray, name);
        QFETCH(bool, replayed);
        QCOMPARE(bool(decodeJournal(journal)), replayed);
        stored(score, name);
        put(files().journalPath(), journal);
        QVERIFY(!files().readRecord().error);
        QCOMPARE(record(), QByteArray(replayed ? "15\r\n|Ugo\r\n" : "4\r\n|Anna Maria\r\n"));
        QCOMPARE(bytesOf(files().journalPath()), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
