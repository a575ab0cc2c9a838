#include "records/recordfiles.h"

#include "game/numbers.h"
#include "records/codepage.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane {

namespace {

const QByteArray lineEnd("\r\n");

// Not an errno: the path names a folder, a FIFO, a device or the like.
constexpr int notRegularFile = -1;

RecordError systemError(const QString& path, int err)
{
    if (err == notRegularFile)
        return {path, QStringLiteral("non è un file normale")};
    return {path, qt_error_string(err)};
}

// A file descriptor that closes itself.
class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports a failure of the close itself.
    int close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_ = -1;
};

// Opens a record file; a FIFO, device or folder never blocks the game and is refused.
int openRecord(const QString& path, int flags, int& err)
{
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        err = notRegularFile;
        ::close(fd);
        return -1;
    }
    // Back to blocking writes and reads on the regular file.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Opens a record file, creating it when it is missing: empty, and readable and writable by
// every user whatever the umask, since the record is shared by the whole machine. An existing
// file is opened as it is.
int openOrCreate(const QString& path, int flags, int& err)
{
    const int created = openRecord(path, flags | O_CREAT | O_EXCL, err);
    if (created >= 0) {
        if (::fchmod(created, 0666) != 0) {
            err = errno;
            ::close(created);
            return -1;
        }
        return created;
    }
    if (err != EEXIST)
        return -1;
    return openRecord(path, flags, err);
}

// Reads from the start of an open file, at most the read limit.
bool readAll(int fd, QByteArray& out, int& err)
{
    out.clear();
    char buffer[4096];
    off_t offset = 0;
    while (out.size() < RecordFiles::readLimit) {
        const qint64 want = qMin<qint64>(sizeof buffer, RecordFiles::readLimit - out.size());
        const ssize_t n = ::pread(fd, buffer, static_cast<size_t>(want), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (n == 0)
            break;
        out.append(buffer, n);
        offset += n;
    }
    return true;
}

// Replaces the whole content of an open file with `bytes`, in place.
bool writeAll(int fd, const QByteArray& bytes, int& err)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        done += n;
    }
    if (::ftruncate(fd, bytes.size()) != 0 || ::fsync(fd) != 0) {
        err = errno;
        return false;
    }
    return true;
}

// Another copy of the game holds the lock only while it writes a few bytes; waiting longer
// than this means something is wrong, and the player is told rather than kept waiting.
bool lockExclusive(int fd, int& err)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            err = errno;
            return false;
        }
        QThread::msleep(50);
    }
    err = EWOULDBLOCK;
    return false;
}

} // namespace

QString RecordError::message() const
{
    return QStringLiteral("Errore con il file dei record %1: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

RecordFiles::RecordFiles(const QString& folder)
    : scorePath_(QDir::cleanPath(folder + QStringLiteral("/sorvane.txt"))),
      namePath_(QDir::cleanPath(folder + QStringLiteral("/nsorvane.txt")))
{
}

std::optional<RecordError> RecordFiles::ensureExist() const
{
    for (const QString& path : {scorePath_, namePath_}) {
        // Opening for appending leaves an existing file as it is, and tells at start-up, not
        // at the end of a game, that the file cannot be written.
        int err = 0;
        Fd fd(openOrCreate(path, O_WRONLY | O_APPEND, err));
        if (fd.get() < 0)
            return systemError(path, err);
        if (const int closeErr = fd.close())
            return systemError(path, closeErr);
    }
    return std::nullopt;
}

ReadResult RecordFiles::read(const QString& path)
{
    int err = 0;
    Fd fd(openRecord(path, O_RDONLY, err));
    if (fd.get() < 0)
        return {{}, systemError(path, err)};
    QByteArray bytes;
    if (!readAll(fd.get(), bytes, err))
        return {{}, systemError(path, err)};
    return {fromWindows1252(bytes), std::nullopt};
}

StoreResult RecordFiles::storeIfHigher(const QString& scoreText, const QString& name) const
{
    auto failed = [](const QString& path, int err) {
        return StoreResult{StoreOutcome::Failed, systemError(path, err)};
    };
    int err = 0;

    // The score file's lock guards both files against another copy of the game.
    Fd score(openOrCreate(scorePath_, O_RDWR, err));
    if (score.get() < 0)
        return failed(scorePath_, err);
    if (!lockExclusive(score.get(), err))
        return failed(scorePath_, err);
    QByteArray oldScore;
    if (!readAll(score.get(), oldScore, err))
        return failed(scorePath_, err);
    if (!(leadingNumber(scoreText) > leadingNumber(fromWindows1252(oldScore))))
        return {StoreOutcome::NotHigher, std::nullopt};

    Fd names(openOrCreate(namePath_, O_RDWR, err));
    if (names.get() < 0)
        return failed(namePath_, err);
    QByteArray oldName;
    if (!readAll(names.get(), oldName, err))
        return failed(namePath_, err);

    const QByteArray newScore = toWindows1252(scoreText) + lineEnd;
    const QByteArray newName = toWindows1252(name) + lineEnd;

    if (!writeAll(score.get(), newScore, err)) {
        int ignored = 0;
        writeAll(score.get(), oldScore, ignored);
        return failed(scorePath_, err);
    }
    if (!writeAll(names.get(), newName, err)) {
        // Never a new score with the old holder: both files go back to the old record.
        int ignored = 0;
        writeAll(names.get(), oldName, ignored);
        writeAll(score.get(), oldScore, ignored);
        return failed(namePath_, err);
    }
    if (const int closeErr = names.close())
        return failed(namePath_, closeErr);
    return {StoreOutcome::Stored, std::nullopt};
}

} // namespace sorvane
