#include "records/recordfiles.h"

#include "game/numbers.h"
#include "platform/recordio.h"
#include "records/codepage.h"
#include "records/journal.h"
#include "texts/boxtexts.h"

#include <QDir>

#include <array>
#include <chrono>
#include <filesystem>
#include <thread>

namespace sorvane {

namespace {

using platform::RecordFile;
using platform::SysError;

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

RecordError errorFor(const QString& path, SysError error)
{
    return {path, QString::fromStdString(platform::reason(error))};
}

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// The journal holds both files whole, and they are never longer than what is read back.
constexpr std::size_t journalLimit = 2 * RecordFiles::readLimit + 256;

bool replace(RecordFile& file, const QByteArray& bytes, SysError& error)
{
    return file.write(view(bytes), error) && file.flush(error);
}

// Written as the game's own paths are, whatever separators the system's path uses.
QString pathOf(const OpenedFile& f)
{
    return QDir::cleanPath(
        QDir::fromNativeSeparators(QString::fromStdU16String(f.path.u16string())));
}

RecordError errorFor(const OpenedFile& f, SysError error)
{
    return errorFor(pathOf(f), error);
}

// The whole old content of a record file that is about to be written, so that it can be put
// back exactly; a file too large for that is refused before anything is written.
std::optional<RecordError> readOld(OpenedFile& f, QByteArray& old)
{
    std::string bytes;
    SysError error;
    if (!f.file.read(bytes, RecordFiles::readLimit + 1, error))
        return errorFor(f, error);
    if (bytes.size() > std::size_t(RecordFiles::readLimit))
        return errorFor(f, SysError{platform::fileTooLarge});
    old = QByteArray(bytes.data(), qsizetype(bytes.size()));
    return std::nullopt;
}

// Holds the lock that guards all three files against another copy of the game (see
// RecordHandles::lockFile), from taking it to the end of its scope.
class RecordLock
{
public:
    explicit RecordLock(RecordFile& file) : file_(file) {}
    ~RecordLock()
    {
        if (taken_)
            file_.unlock();
    }
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;

    // Tries again in short slices while another copy holds it. The copies that take it touch
    // the file, so a lock that passes from one holder to the next is waited for however long
    // the queue is; only one that stays with its holder, untouched, past the limit is given up
    // (a copy stopped in its store, a PC frozen or cut off).
    std::optional<SysError> take(const RecordFiles::Wait& wait)
    {
        SysError error;
        std::uint64_t seen = file_.stamp();
        for (int stillTries = 1;; ++stillTries) {
            const RecordFile::Lock lock = file_.tryLock(error);
            if (lock == RecordFile::Lock::Taken) {
                taken_ = true;
                file_.touch();
                return std::nullopt;
            }
            if (lock == RecordFile::Lock::Failed)
                return error;
            if (const std::uint64_t now = file_.stamp(); now != seen) {
                seen = now;
                stillTries = 1;
            }
            if (stillTries == RecordFiles::lockTries)
                return SysError{platform::lockHeld};
            if (wait)
                wait(RecordFiles::lockPauseMs);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(RecordFiles::lockPauseMs));
        }
    }

private:
    RecordFile& file_;
    bool taken_ = false;
};

// With the files locked: writes a whole new record that the journal holds into both
// files, then empties the journal. A journal cut short is only emptied: it was being written
// when the program stopped, before either record file was touched. One that holds anything
// and that this user may not empty is an error, never passed over.
std::optional<RecordError> finishJournal(RecordHandles& h)
{
    if (!h.journal.file.isOpen())
        return std::nullopt; // none, and none can be made: nothing to finish
    SysError error;
    std::string bytes;
    if (!h.journal.file.read(bytes, journalLimit + 1, error))
        return errorFor(h.journal, error);
    if (bytes.empty())
        return std::nullopt;
    if (h.journal.error)
        return errorFor(h.journal, h.journal.error);
    if (const auto entry = decodeJournal(QByteArray(bytes.data(), qsizetype(bytes.size())))) {
        if (h.name.error)
            return errorFor(h.name, h.name.error);
        if (!replace(h.score.file, entry->score, error))
            return errorFor(h.score, error);
        if (!replace(h.name.file, entry->name, error))
            return errorFor(h.name, error);
    }
    if (!replace(h.journal.file, {}, error))
        return errorFor(h.journal, error);
    return std::nullopt;
}

// The text of bytes as read from a record file.
QString textOf(const std::string& bytes)
{
    return fromWindows1252(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

ReadResult readText(const QString& path, RecordFile& file)
{
    SysError error;
    std::string bytes;
    if (!file.read(bytes, RecordFiles::readLimit, error))
        return {{}, errorFor(path, error)};
    return {textOf(bytes), std::nullopt};
}

// Another copy has held the lock too long (stopped, perhaps in the middle of its store): the
// record as the files hold it, when it is surely a whole one. It is when the journal is empty,
// so that no store is under way, and a second reading finds the same bytes, so that none has
// run meanwhile; otherwise it is not told at all.
StoredRecord readWithoutLock(RecordHandles& h)
{
    using Snapshot = std::array<std::string, 2>;
    auto snapshot = [&h]() -> std::optional<Snapshot> {
        SysError error;
        std::string journal;
        if (h.journal.file.isOpen() &&
            (!h.journal.file.read(journal, 1, error) || !journal.empty()))
            return std::nullopt;
        Snapshot files;
        if (!h.score.file.read(files[0], RecordFiles::readLimit, error) ||
            !h.name.file.read(files[1], RecordFiles::readLimit, error))
            return std::nullopt;
        return files;
    };
    const auto first = snapshot();
    const auto second = snapshot();
    if (!first || !second || *first != *second)
        return {{}, {}, std::nullopt, true};
    return {textOf((*first)[0]), textOf((*first)[1]), std::nullopt};
}

} // namespace

bool isNewRecord(const QString& score, const QString& record)
{
    return leadingNumber(score) > leadingNumber(record);
}

QString RecordError::message() const
{
    return recordFileError(QDir::toNativeSeparators(path), reason);
}

RecordFiles::RecordFiles(const QString& folder, std::optional<RecordHandles> opened)
    : scorePath_(QDir::cleanPath(folder + u'/' + QLatin1String(recordFileNames().score))),
      namePath_(QDir::cleanPath(folder + u'/' + QLatin1String(recordFileNames().name))),
      journalPath_(QDir::cleanPath(folder + u'/' + QLatin1String(recordFileNames().journal))),
      folder_(folder)
{
    if (opened)
        handles_ = std::make_shared<RecordHandles>(std::move(*opened));
}

RecordFiles::RecordFiles(const QString& folder, std::function<RecordHandles()> opener)
    : RecordFiles(folder)
{
    opener_ = std::move(opener);
}

RecordHandles& RecordFiles::handles() const
{
    if (!handles_) {
        handles_ = std::make_shared<RecordHandles>(
            opener_ ? opener_()
                    : RecordHandles::open(fsPath(folder_), RecordHandles::Sharing::EveryUser));
    }
    return *handles_;
}

QByteArray RecordFiles::recordLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        if (c.unicode() < 0x20)
            c = u' ';
    }
    return toWindows1252(line).left(readLimit - 2) + QByteArray("\r\n");
}

std::optional<RecordError> RecordFiles::ensureExist(Journal journal) const
{
    // The files were opened, and the missing ones created, once: here is where start-up says
    // what could not be had.
    const RecordHandles& h = handles();
    if (!h.refused.empty())
        return RecordError{QDir::cleanPath(folder_), QString::fromStdString(h.refused)};
    for (const OpenedFile* f : {&h.score, &h.name}) {
        if (f->error)
            return errorFor(*f, f->error);
    }
    // Where a pupil may not create the journal the game stores without it; but something
    // that is not a plain file of its own in its place is never used.
    if (h.journal.error && (journal == Journal::Required || platform::isRefusal(h.journal.error)))
        return errorFor(h.journal, h.journal.error);
    return std::nullopt;
}

StoredRecord RecordFiles::readRecord(const Wait& wait) const
{
    RecordHandles& h = handles();
    for (const OpenedFile* f : {&h.score, &h.name}) {
        if (f->error)
            return {{}, {}, errorFor(*f, f->error)};
    }
    const platform::SignalShield shield;
    OpenedFile& locked = h.lockFile();
    RecordLock lock(locked.file);
    if (const auto error = lock.take(wait)) {
        if (error->code == platform::lockHeld)
            return readWithoutLock(h);
        return {{}, {}, errorFor(locked, *error)};
    }
    if (stepHook_)
        stepHook_(Step::LockTaken);
    if (auto error = finishJournal(h))
        return {{}, {}, std::move(error)};
    ReadResult score = readText(pathOf(h.score), h.score.file);
    if (score.error)
        return {{}, {}, std::move(score.error)};
    ReadResult name = readText(pathOf(h.name), h.name.file);
    if (name.error)
        return {{}, {}, std::move(name.error)};
    return {std::move(score.text), std::move(name.text), std::nullopt};
}

ReadResult RecordFiles::read(const QString& path)
{
    SysError error;
    RecordFile file =
        RecordFile::open(fsPath(path), RecordFile::Access::Read, RecordFile::Missing::Fail, error);
    if (error)
        return {{}, errorFor(path, error)};
    return readText(path, file);
}

StoreResult RecordFiles::storeIfHigher(const QString& scoreText, const QString& name,
                                       const Wait& wait) const
{
    // From here to the end, a kill is held back until both files hold a whole record.
    const platform::SignalShield shield;
    auto failed = [](const RecordError& error) { return StoreResult{StoreOutcome::Failed, error}; };
    auto reached = [this](Step step) {
        if (stepHook_)
            stepHook_(step);
    };
    RecordHandles& h = handles();
    h.reopenRemoved();
    if (h.score.error)
        return failed(errorFor(h.score, h.score.error));

    // Held only while another copy writes a few bytes; one that keeps it too long (stopped,
    // or hung on a disk) costs this game its record, and nothing else.
    OpenedFile& locked = h.lockFile();
    RecordLock lock(locked.file);
    if (const auto error = lock.take(wait)) {
        if (error->code == platform::lockHeld)
            return {StoreOutcome::Busy, errorFor(locked, *error)};
        return failed(errorFor(locked, *error));
    }
    reached(Step::LockTaken);
    // A store that another copy left half done comes first: it may hold a higher record.
    if (const auto journalError = finishJournal(h))
        return failed(*journalError);

    QByteArray oldScore;
    if (const auto readError = readOld(h.score, oldScore))
        return failed(*readError);
    if (!isNewRecord(scoreText, fromWindows1252(oldScore)))
        return {StoreOutcome::NotHigher, std::nullopt};

    if (h.name.error)
        return failed(errorFor(h.name, h.name.error));
    QByteArray oldName;
    if (const auto readError = readOld(h.name, oldName))
        return failed(*readError);

    const JournalEntry entry{recordLine(scoreText), recordLine(name)};

    // The whole new record goes into the journal first, so that from the moment the score
    // file changes the next start can finish the store. Where this user cannot have one (it
    // is empty, as finishJournal found), the record is stored without it.
    if (platform::isRefusal(h.journal.error))
        return failed(errorFor(h.journal, h.journal.error));
    const bool journaled = h.journal.file.isOpen() && !h.journal.error;
    RecordFile& journal = h.journal.file;
    SysError error;
    auto emptyJournal = [&] {
        SysError ignored;
        if (journaled)
            replace(journal, {}, ignored);
    };
    // Writes one file whole and flushes it, telling the step hook after each.
    auto put = [&](RecordFile& file, const QByteArray& bytes, Step written, Step flushed) {
        if (!file.write(view(bytes), error))
            return false;
        reached(written);
        if (!file.flush(error))
            return false;
        reached(flushed);
        return true;
    };
    if (journaled &&
        !put(journal, encodeJournal(entry), Step::JournalWritten, Step::JournalFlushed)) {
        emptyJournal();
        return failed(errorFor(h.journal, error));
    }

    // On a failure both files go back to the old record. Should that fail too, the journal
    // is left whole and the next start stores the new record: never a mix of the two.
    auto putBack = [&](bool nameTouched) {
        SysError ignored;
        const bool back = (!nameTouched || replace(h.name.file, oldName, ignored)) &&
                          replace(h.score.file, oldScore, ignored);
        if (back)
            emptyJournal();
    };
    if (!put(h.score.file, entry.score, Step::ScoreWritten, Step::ScoreFlushed)) {
        putBack(false);
        return failed(errorFor(h.score, error));
    }
    if (!put(h.name.file, entry.name, Step::NameWritten, Step::NameFlushed)) {
        putBack(true);
        return failed(errorFor(h.name, error));
    }

    // Stored. A journal that cannot be emptied holds the same record and changes nothing.
    emptyJournal();
    reached(Step::JournalEmptied);
    return {StoreOutcome::Stored, std::nullopt};
}

} // namespace sorvane
