#include "records/journal.h"

#include <QCryptographicHash>
#include <QList>

namespace sorvane {

namespace {

const QByteArray magic("SORVANE-JOURNAL");
// Version 2's checksum covers the two lengths as well as the bytes; version 1's covered the
// bytes only. A journal of version 1 left by an earlier copy of the game is still finished.
const QByteArray version("2");
const QByteArray firstVersion("1");

QByteArray lengths(const JournalEntry& entry)
{
    return QByteArray::number(entry.score.size()) + ' ' + QByteArray::number(entry.name.size());
}

QByteArray checksum(const JournalEntry& entry, bool withLengths)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (withLengths)
        hash.addData(lengths(entry) + '\n');
    hash.addData(entry.score);
    hash.addData(entry.name);
    return hash.result().toHex();
}

// What the game writes into a record file: one line ending in CR LF and holding no other line
// end. A journal whose parts are not that was not written by the game, or was split wrongly.
bool isRecordLine(const QByteArray& bytes)
{
    if (!bytes.endsWith("\r\n"))
        return false;
    const QByteArray text = bytes.chopped(2);
    return !text.contains('\r') && !text.contains('\n');
}

} // namespace

// One header line, "SORVANE-JOURNAL 2 <score length> <name length> <sha-256>", then the two
// files' bytes one after the other.
QByteArray encodeJournal(const JournalEntry& entry)
{
    return magic + ' ' + version + ' ' + lengths(entry) + ' ' + checksum(entry, true) + '\n' +
           entry.score + entry.name;
}

std::optional<JournalEntry> decodeJournal(const QByteArray& bytes)
{
    const qsizetype headerEnd = bytes.indexOf('\n');
    if (headerEnd < 0 || headerEnd > 200)
        return std::nullopt;
    const QList<QByteArray> fields = bytes.left(headerEnd).split(' ');
    if (fields.size() != 5 || fields[0] != magic ||
        (fields[1] != version && fields[1] != firstVersion))
        return std::nullopt;
    bool scoreOk = false;
    bool nameOk = false;
    const qsizetype scoreLength = fields[2].toLongLong(&scoreOk);
    const qsizetype nameLength = fields[3].toLongLong(&nameOk);
    if (!scoreOk || !nameOk || scoreLength < 0 || nameLength < 0 || scoreLength > bytes.size() ||
        nameLength > bytes.size() || bytes.size() - headerEnd - 1 != scoreLength + nameLength)
        return std::nullopt;
    JournalEntry entry{bytes.mid(headerEnd + 1, scoreLength),
                       bytes.mid(headerEnd + 1 + scoreLength, nameLength)};
    if (checksum(entry, fields[1] == version) != fields[4])
        return std::nullopt;
    if (!isRecordLine(entry.score) || !isRecordLine(entry.name))
        return std::nullopt;
    return entry;
}

} // namespace sorvane
