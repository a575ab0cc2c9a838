#pragma once

// The record keeper: the one part of the game that reads and stores the record. The window
// asks it two things, the record to show and "store this score, and tell me what to say", and
// never touches a file. Every file operation runs on a thread of the keeper's own, since the
// record folder may be a school server's share that is slow, gone or hung: the window is never
// kept waiting past a limit for it.

#include "records/recordfiles.h"
#include "texts/message.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace sorvane {

class RecordKeeper : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        // How long after reading began start-up waits for the record, before the pupil plays
        // and the record is shown when it comes.
        int readMs = 3000;
        // How long the files may give no sign of life before a store is given up. A store
        // waiting in a queue of other copies for the lock is alive all along.
        int stallMs = 10000;
    };

    // `folder` is the record folder, and `opener` gives the files the program's start is
    // opening in it, if any (RecordHandles::openElsewhere); otherwise they are opened on the
    // keeper's thread. A `classFolder`, named by the
    // administrator and perhaps on a server, that cannot be used is told and the game goes on;
    // the machine's own folder must work, or the game ends.
    RecordKeeper(const QString& folder, std::function<RecordHandles()> opener, bool classFolder,
                 Limits limits);
    RecordKeeper(const QString& folder, std::function<RecordHandles()> opener, bool classFolder)
        : RecordKeeper(folder, std::move(opener), classFolder, Limits())
    {
    }
    // A thread still waiting on a file is let go, never waited for.
    ~RecordKeeper() override;

    // Starts reading the record, at once and off the caller's thread.
    void beginReading();

    // What start-up shows of the record: waits for it, through `wait` (see RecordFiles::Wait),
    // until the read limit.
    struct Shown
    {
        QString score;
        QString name;
        std::optional<Message> box; // to tell the player before the game
        bool fatal = false;         // the box is an error that ends the game
        bool late = false;          // not read yet: recordArrived() follows once it is
    };
    Shown recordToShow(const RecordFiles::Wait& wait = {});

    // The end of the game: stores `score` and `name` if the score beats `recordShown` and the
    // record the files hold now. What to tell the player afterwards, if anything. Nothing is
    // tried in a class's folder that start-up said could not be used this time.
    std::optional<Message> store(const QString& score, const QString& recordShown,
                                 const QString& name, const RecordFiles::Wait& wait = {});

    // The files, for tests that stop a store at one of its steps (called on the keeper's
    // thread). Set before anything is read or stored.
    void setStepHook(std::function<void(RecordFiles::Step)> hook);

    // The record bar's text while the record cannot be read.
    static QString unreadable();

signals:
    // A record that start-up had to go on without has now been read.
    void recordArrived(const QString& score, const QString& name);

private:
    struct Worker;
    Shown shownOf(const StoredRecord& stored) const;
    void checkLate();

    std::shared_ptr<Worker> worker_;
    bool classFolder_;
    bool toldUnusable_ = false; // start-up said the class's folder cannot be used this time
    Limits limits_;
    QTimer late_; // looks for a record that came after start-up
};

} // namespace sorvane
