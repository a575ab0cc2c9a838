#include "records/journal.h"

#include <QCryptographicHash>
#include <QList>

namespace sorvane {

namespace {

const QByteArray magic("SORVANE-JOURNAL");
const QByteArray version("1");

QByteArray checksum(const JournalEntry& entry)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(entry.score);
    hash.addData(entry.name);
    return hash.result().toHex();
}

} // namespace

// One header line, "SORVANE-JOURNAL 1 <score length> <name length> <sha-256>", then the two
// files' bytes one after the other.
QByteArray encodeJournal(const JournalEntry& entry)
{
    return magic + ' ' + version + ' ' + QByteArray::number(entry.score.size()) + ' ' +
           QByteArray::number(entry.name.size()) + ' ' + checksum(entry) + '\n' + entry.score +
           entry.name;
}

std::optional<JournalEntry> decodeJournal(const QByteArray& bytes)
{
    const qsizetype headerEnd = bytes.indexOf('\n');
    if (headerEnd < 0 || headerEnd > 200)
        return std::nullopt;
    const QList<QByteArray> fields = bytes.left(headerEnd).split(' ');
    if (fields.size() != 5 || fields[0] != magic || fields[1] != version)
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
    if (checksum(entry) != fields[4])
        return std::nullopt;
    return entry;
}

} // namespace sorvane
