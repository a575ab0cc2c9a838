#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace sorvane {

// A record file that could not be created, opened, locked, read or written.
struct RecordError
{
    QString path;
    QString reason;          // the system's own words
    QString message() const; // what the player is told
};

struct ReadResult
{
    QString text;
    std::optional<RecordError> error;
};

enum class StoreOutcome
{
    NotHigher, // the stored record stands; nothing was written
    Stored,    // both files hold the new record
    Failed     // both files keep the old record, see the error
};

struct StoreResult
{
    StoreOutcome outcome = StoreOutcome::NotHigher;
    std::optional<RecordError> error;
};

// The machine's two record files: the best score and the name of its holder, each empty or
// one line ending in CR LF, in the Windows-1252 code page. Shared by every user of the
// machine, so files are created writable by all and are always written in place.
class RecordFiles
{
public:
    // `folder` is the record folder; a separator at its end is harmless.
    explicit RecordFiles(const QString& folder);

    QString scorePath() const { return scorePath_; }
    QString namePath() const { return namePath_; }

    // Creates a missing file empty and writable by every user; an existing one is only
    // opened for appending, so its bytes stay as they are.
    std::optional<RecordError> ensureExist() const;

    // The whole text of a record file, line ends included. Never blocks, reads at most
    // 64 KiB, and a path that is not a regular file is an error.
    static ReadResult read(const QString& path);

    // Stores `scoreText` and `name` as the new record if the score is strictly higher than the
    // record the score file holds now, read again under an exclusive lock so that another
    // copy of the game cannot be overwritten. Either both files get the new record or both
    // keep the old one, and both are flushed to disk.
    StoreResult storeIfHigher(const QString& scoreText, const QString& name) const;

    // The largest part of a record file that is ever read.
    static constexpr qint64 readLimit = 64 * 1024;

private:
    QString scorePath_;
    QString namePath_;
};

} // namespace sorvane
