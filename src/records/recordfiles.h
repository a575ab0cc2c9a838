#pragma once

// How a record goes from the window to the disk, in the order it runs:
//   main.cpp           chooses the folder (app/recordfolder.h); installed with a group of its
//                      own, has the three files opened by a child that keeps the group
//                      (RecordHandles::openElsewhere), then gives the group up
//                      (platform/privilege.h);
//   recordhandles.h    those open files, kept for the whole run (free of Qt);
//   recordkeeper.h     what the window asks: the record to show (start-up), and the store at
//                      "Esci" or the clock's end; runs all that follows on a thread of its own;
//   gameend.h          checkRecord: above the record shown? then storeIfHigher;
//   recordfiles.cpp    the lock, the journal (journal.h), both files written and flushed;
//   platform/recordio  the system's own calls, one file per system.
// setup_main.cpp (sorvane-records) makes the files for the installers, and checks a folder.

#include "records/recordhandles.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace sorvane {

// Whether `score` beats the stored `record`, each as a record file's or a label's text: only a
// strictly higher number does, and a text without a leading number counts as 0.
bool isNewRecord(const QString& score, const QString& record);

// A record file that could not be created, opened, locked, read or written.
struct RecordError
{
    QString path;
    QString reason;          // in Italian, as the pupil reads it
    QString message() const; // what the player is told
};

struct ReadResult
{
    QString text;
    std::optional<RecordError> error;
};

// The stored record as start-up shows it: both files read under the lock, so always a whole
// record. Where another copy holds the lock too long, the files as they stand if they surely
// hold a whole record, or nothing with `unknown` set.
struct StoredRecord
{
    QString score;
    QString name;
    std::optional<RecordError> error;
    bool unknown = false; // cannot be read just now
};

enum class StoreOutcome
{
    NotHigher, // the stored record stands; nothing was written
    Stored,    // both files hold the new record
    Busy,      // another copy held the files too long: nothing was written, see the error
    Failed     // both files keep the old record, see the error
};

struct StoreResult
{
    StoreOutcome outcome = StoreOutcome::NotHigher;
    std::optional<RecordError> error;
};

// The machine's two record files: the best score and the name of its holder, each empty or
// one line ending in CR LF, in the Windows-1252 code page. Shared by every user of the
// machine, so files are created writable by all and are always written in place. A third
// file beside them, the journal, holds a new record while it is being stored, so that a
// store cut short by a kill or a power cut is finished at the next start: the two files
// always hold a whole record, the old one or the new one. The files are opened once, the first
// time they are needed or before (see RecordHandles), and used through those open files only.
class RecordFiles
{
public:
    // `folder` is the record folder; a separator at its end is harmless. `opened` are the
    // files already opened in it, if any.
    explicit RecordFiles(const QString& folder, std::optional<RecordHandles> opened = {});
    // The files to be had from `opener` the first time they are needed (see
    // RecordHandles::openElsewhere).
    RecordFiles(const QString& folder, std::function<RecordHandles()> opener);

    QString scorePath() const { return scorePath_; }
    QString namePath() const { return namePath_; }
    QString journalPath() const { return journalPath_; }

    // Whether a journal that cannot be created is an error (for the installers) or not (for
    // a pupil's start-up, in a folder where only the installer can create files).
    enum class Journal
    {
        WhenPossible,
        Required
    };

    // Creates each missing file empty and writable by every user; an existing one is only
    // opened, to tell at start-up rather than at the end of a game that it cannot be used,
    // and its bytes stay as they are.
    std::optional<RecordError> ensureExist(Journal journal = Journal::WhenPossible) const;

    // The whole text of a record file, line ends included. Never blocks, reads at most
    // the read limit, and anything but a regular file with one name is an error.
    static ReadResult read(const QString& path);

    // Called between two tries at another copy's lock, with the milliseconds to wait; the
    // window keeps painting meanwhile. Without one, the thread sleeps.
    using Wait = std::function<void(int milliseconds)>;

    // Start-up's reading of the record, under the lock that storing takes: a store that was
    // cut short is finished from a whole journal first (a journal cut short itself is
    // dropped), then both files are read. A journal that holds something and cannot be
    // emptied is an error: no record is ever stored around it. A lock held past the limit is
    // no error (see StoredRecord).
    StoredRecord readRecord(const Wait& wait = {}) const;

    // Stores `scoreText` and `name` as the new record if the score is strictly higher than the
    // record the score file holds now, read again under an exclusive lock so that another
    // copy of the game cannot be overwritten. Either both files get the new record or both
    // keep the old one, and both are flushed to disk.
    StoreResult storeIfHigher(const QString& scoreText, const QString& name,
                              const Wait& wait = {}) const;

    // The points of a store, in order, for tests that stop the program at each of them; start-up's
    // reading reaches the first.
    enum class Step
    {
        LockTaken,
        JournalWritten,
        JournalFlushed,
        ScoreWritten,
        ScoreFlushed,
        NameWritten,
        NameFlushed,
        JournalEmptied
    };
    void setStepHook(std::function<void(Step)> hook) { stepHook_ = std::move(hook); }

    // The bytes a record file gets for `text`: one line, whatever the player pasted (control
    // characters become blanks), never longer than what is read back.
    static QByteArray recordLine(const QString& text);

    // The largest part of a record file that is ever read.
    static constexpr qint64 readLimit = 64 * 1024;

    // How long reading and storing wait for another copy's lock, while it does not pass on to
    // another holder, before they give up.
    static constexpr int lockTries = 100;
    static constexpr int lockPauseMs = 50;

private:
    RecordHandles& handles() const;

    QString scorePath_;
    QString namePath_;
    QString journalPath_;
    QString folder_;
    mutable std::shared_ptr<RecordHandles> handles_;
    std::function<RecordHandles()> opener_;
    std::function<void(Step)> stepHook_;
};

} // namespace sorvane
