#pragma once

#include <QByteArray>

#include <optional>

namespace sorvane {

// A new record as it is written into the journal before either record file is touched: the
// exact bytes of both files, with their lengths and a checksum, so that a journal cut short
// by a kill or a power cut is told from a whole one.
struct JournalEntry
{
    QByteArray score;
    QByteArray name;

    bool operator==(const JournalEntry&) const = default;
};

QByteArray encodeJournal(const JournalEntry& entry);

// The entry a journal holds, or nothing when it is empty, cut short or damaged.
std::optional<JournalEntry> decodeJournal(const QByteArray& bytes);

} // namespace sorvane
