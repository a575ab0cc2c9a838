#include "records/recordfiles.h"

#include "game/numbers.h"
#include "platform/recordio.h"
#include "records/codepage.h"
#include "records/journal.h"

#include <QDir>

#include <chrono>
#include <filesystem>
#include <thread>

namespace sorvane {

namespace {

using platform::RecordFile;
using platform::SysError;
constexpr auto readWrite = RecordFile::Access::ReadWrite;
constexpr auto create = RecordFile::Missing::Create;

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

// The whole old content of a record file that is about to be written, so that it can be put
// back exactly; a file too large for that is refused before anything is written.
std::optional<RecordError> readOld(const QString& path, RecordFile& file, QByteArray& old)
{
    std::string bytes;
    SysError error;
    if (!file.read(bytes, RecordFiles::readLimit + 1, error))
        return errorFor(path, error);
    if (bytes.size() > std::size_t(RecordFiles::readLimit))
        return errorFor(path, SysError{platform::fileTooLarge});
    old = QByteArray(bytes.data(), qsizetype(bytes.size()));
    return std::nullopt;
}

// With the score file locked: writes a whole new record that the journal holds into both
// files, then empties the journal. A journal cut short is only emptied: it was being written
// when the program stopped, before either record file was touched.
std::optional<RecordError> finishJournal(const RecordFiles& files, RecordFile& lockedScore)
{
    SysError error;
    RecordFile journal =
        RecordFile::open(fsPath(files.journalPath()), readWrite, RecordFile::Missing::Fail, error);
    if (error)
        return std::nullopt; // none, or none this user may write: nothing to finish
    std::string bytes;
    if (!journal.read(bytes, journalLimit + 1, error))
        return errorFor(files.journalPath(), error);
    if (bytes.empty())
        return std::nullopt;
    if (const auto entry = decodeJournal(QByteArray(bytes.data(), qsizetype(bytes.size())))) {
        RecordFile names = RecordFile::open(fsPath(files.namePath()), readWrite, create, error);
        if (error)
            return errorFor(files.namePath(), error);
        if (!replace(lockedScore, entry->score, error))
            return errorFor(files.scorePath(), error);
        if (!replace(names, entry->name, error))
            return errorFor(files.namePath(), error);
    }
    if (!replace(journal, {}, error))
        return errorFor(files.journalPath(), error);
    return std::nullopt;
}

} // namespace

QString RecordError::message() const
{
    return QStringLiteral("Errore con il file dei record %1: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

RecordFiles::RecordFiles(const QString& folder)
    : scorePath_(QDir::cleanPath(folder + QStringLiteral("/sorvane.txt"))),
      namePath_(QDir::cleanPath(folder + QStringLiteral("/nsorvane.txt"))),
      journalPath_(QDir::cleanPath(folder + QStringLiteral("/sorvane.journal")))
{
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
    SysError error;
    for (const QString& path : {scorePath_, namePath_}) {
        RecordFile file = RecordFile::open(fsPath(path), readWrite, create, error);
        if (!error)
            error = file.close();
        if (error)
            return errorFor(path, error);
    }
    RecordFile file = RecordFile::open(fsPath(journalPath_), readWrite, create, error);
    if (!error)
        error = file.close();
    // Where a pupil may not create the journal the game stores without it; but something
    // that is not a plain file of its own in its place is never used.
    if (error && (journal == Journal::Required || platform::isRefusal(error)))
        return errorFor(journalPath_, error);
    return std::nullopt;
}

std::optional<RecordError> RecordFiles::finishInterruptedStore() const
{
    SysError error;
    {
        // Most starts find the journal empty and lock nothing.
        RecordFile journal = RecordFile::open(fsPath(journalPath_), RecordFile::Access::Read,
                                              RecordFile::Missing::Fail, error);
        std::string first;
        if (error || !journal.read(first, 1, error) || first.empty())
            return std::nullopt;
    }
    const platform::SignalShield shield;
    RecordFile score = RecordFile::open(fsPath(scorePath_), readWrite, create, error);
    if (error)
        return errorFor(scorePath_, error);
    switch (score.tryLock(error)) {
    case RecordFile::Lock::Busy:
        return std::nullopt; // another copy is storing now, and finishes its own journal
    case RecordFile::Lock::Failed:
        return errorFor(scorePath_, error);
    case RecordFile::Lock::Taken:
        break;
    }
    return finishJournal(*this, score);
}

ReadResult RecordFiles::read(const QString& path)
{
    SysError error;
    RecordFile file =
        RecordFile::open(fsPath(path), RecordFile::Access::Read, RecordFile::Missing::Fail, error);
    std::string bytes;
    if (error || !file.read(bytes, readLimit, error))
        return {{}, errorFor(path, error)};
    return {fromWindows1252(QByteArray(bytes.data(), qsizetype(bytes.size()))), std::nullopt};
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
    SysError error;

    // The score file's lock guards all three files against another copy of the game, which
    // holds it only while it writes a few bytes.
    RecordFile score = RecordFile::open(fsPath(scorePath_), readWrite, create, error);
    if (error)
        return failed(errorFor(scorePath_, error));
    for (int attempt = 1;; ++attempt) {
        const RecordFile::Lock lock = score.tryLock(error);
        if (lock == RecordFile::Lock::Taken)
            break;
        if (lock == RecordFile::Lock::Failed)
            return failed(errorFor(scorePath_, error));
        if (attempt == lockTries)
            return failed(errorFor(scorePath_, SysError{platform::lockHeld}));
        if (wait)
            wait(lockPauseMs);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(lockPauseMs));
    }
    // A store that another copy left half done comes first: it may hold a higher record.
    if (const auto journalError = finishJournal(*this, score))
        return failed(*journalError);

    QByteArray oldScore;
    if (const auto readError = readOld(scorePath_, score, oldScore))
        return failed(*readError);
    if (!(leadingNumber(scoreText) > leadingNumber(fromWindows1252(oldScore))))
        return {StoreOutcome::NotHigher, std::nullopt};

    RecordFile names = RecordFile::open(fsPath(namePath_), readWrite, create, error);
    if (error)
        return failed(errorFor(namePath_, error));
    QByteArray oldName;
    if (const auto readError = readOld(namePath_, names, oldName))
        return failed(*readError);

    const JournalEntry entry{recordLine(scoreText), recordLine(name)};

    // The whole new record goes into the journal first, so that from the moment the score
    // file changes the next start can finish the store.
    RecordFile journal = RecordFile::open(fsPath(journalPath_), readWrite, create, error);
    if (platform::isRefusal(error))
        return failed(errorFor(journalPath_, error));
    error = {}; // a journal this user cannot have: stored without it
    auto emptyJournal = [&journal] {
        SysError ignored;
        if (journal.isOpen())
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
    if (journal.isOpen() &&
        !put(journal, encodeJournal(entry), Step::JournalWritten, Step::JournalFlushed)) {
        emptyJournal();
        return failed(errorFor(journalPath_, error));
    }

    // On a failure both files go back to the old record. Should that fail too, the journal
    // is left whole and the next start stores the new record: never a mix of the two.
    auto putBack = [&](bool nameTouched) {
        SysError ignored;
        const bool back =
            (!nameTouched || replace(names, oldName, ignored)) && replace(score, oldScore, ignored);
        if (back)
            emptyJournal();
    };
    if (!put(score, entry.score, Step::ScoreWritten, Step::ScoreFlushed)) {
        putBack(false);
        return failed(errorFor(scorePath_, error));
    }
    if (!put(names, entry.name, Step::NameWritten, Step::NameFlushed)) {
        putBack(true);
        return failed(errorFor(namePath_, error));
    }

    // Stored. A journal that cannot be emptied holds the same record and changes nothing.
    emptyJournal();
    reached(Step::JournalEmptied);
    return {StoreOutcome::Stored, std::nullopt};
}

} // namespace sorvane
