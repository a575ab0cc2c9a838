// The record files' operations on POSIX systems.

#include "platform/recordio.h"
#include "platform/recordio_system.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::platform {

namespace {

// The system failures the record files can meet, as a pupil should read them.
constexpr std::array reasons{
    Reason{ENOENT, "il file o la cartella non esiste"},
    Reason{ENOTDIR, "una parte del percorso non è una cartella"},
    Reason{EACCES, "permesso negato"},
    Reason{EPERM, "operazione non permessa"},
    Reason{EISDIR, "è una cartella"},
    Reason{ENXIO, "non è un file normale (una pipe o un dispositivo senza nessuno collegato)"},
    Reason{ELOOP, "è un collegamento simbolico, e il gioco non lo segue"},
    Reason{EMLINK, "è un collegamento simbolico, e il gioco non lo segue"},
    Reason{EWOULDBLOCK, "il file è in uso da un'altra copia del gioco"},
    Reason{ENOSPC, "il disco è pieno"},
    Reason{EDQUOT, "lo spazio concesso sul disco è esaurito"},
    Reason{EROFS, "il disco è di sola lettura"},
    Reason{EFBIG, "il file è troppo grande"},
    Reason{EIO, "errore di lettura o scrittura sul disco"},
    Reason{EINTR, "operazione interrotta"},
    Reason{ENAMETOOLONG, "il percorso è troppo lungo"},
    Reason{EMFILE, "troppi file aperti"},
    Reason{ENFILE, "troppi file aperti nel sistema"},
    Reason{ENOMEM, "memoria insufficiente"},
    Reason{ETXTBSY, "il file è in uso"},
    Reason{EBADF, "il file non è aperto nel modo giusto"},
    Reason{EINVAL, "operazione non valida su questo file"},
};

// A created record file is shared by every user of the machine, or, where the game is installed
// with a group of its own, writable by that group only, and the journal not even readable by
// others: the one home of the modes.
constexpr mode_t modeFor(RecordFile::Sharing sharing)
{
    switch (sharing) {
    case RecordFile::Sharing::EveryUser:
        break;
    case RecordFile::Sharing::Group:
        return 0664;
    case RecordFile::Sharing::GroupOnly:
        return 0660;
    }
    return 0666;
}

// Retries a call that a signal interrupted.
template <typename Call>
auto retrying(Call call)
{
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// `mode` is that of a file it creates: never more than the file ends up with, so that nobody may
// open it before its mode is set.
int openChecked(const char* path, int flags, mode_t mode, SysError& error)
{
    // Non-blocking, so that a FIFO or a device in place of the file never hangs the game;
    // not through a symbolic link in the last part of the path.
    const int fd = retrying(
        [&] { return ::open(path, flags | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode); });
    if (fd < 0) {
        error.code = errno;
        return -1;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        error.code = errno;
    } else if (!S_ISREG(st.st_mode)) {
        error.code = notRegularFile;
    } else if (st.st_nlink > 1) {
        // A second name may lie anywhere a user can write: never write through it.
        error.code = linkedFile;
    }
    if (error) {
        ::close(fd);
        return -1;
    }
    // Back to blocking reads and writes on the regular file.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace

std::span<const Reason> systemReasons()
{
    return reasons;
}

bool isRefusal(SysError error)
{
    switch (error.code) {
    case notRegularFile:
    case linkedFile:
    case EISDIR:
    case ENXIO:
    case ELOOP:
    case EMLINK:
        return true;
    default:
        return false;
    }
}

RecordFile RecordFile::open(const std::filesystem::path& path, Access access, Missing missing,
                            SysError& error, Sharing sharing)
{
    error = {};
    const int flags = access == Access::Read ? O_RDONLY : O_RDWR;
    RecordFile file;
    if (missing == Missing::Create) {
        // Exclusive creation tells a new file from an existing one, which stays as it is.
        file.handle_ = openChecked(path.c_str(), flags | O_CREAT | O_EXCL, modeFor(sharing), error);
        if (file.isOpen()) {
            // Shared by the whole machine, whatever the umask: a file created by the game
            // installed with a group of its own gets that group, as the folder's files do.
            if (::fchmod(int(file.handle_), modeFor(sharing)) != 0) {
                error.code = errno;
                file.close();
            }
            return file;
        }
        if (error.code != EEXIST)
            return file;
        error = {};
    }
    file.handle_ = openChecked(path.c_str(), flags, 0, error);
    return file;
}

bool RecordFile::isOpen() const
{
    return handle_ >= 0;
}

bool RecordFile::read(std::string& out, std::size_t limit, SysError& error)
{
    out.clear();
    std::array<char, 4096> buffer{};
    while (out.size() < limit) {
        const std::size_t want = std::min(buffer.size(), limit - out.size());
        const ssize_t n = retrying([&] {
            return ::pread(int(handle_), buffer.data(), want, static_cast<off_t>(out.size()));
        });
        if (n < 0) {
            error.code = errno;
            return false;
        }
        if (n == 0)
            break;
        out.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return true;
}

bool RecordFile::write(std::string_view bytes, SysError& error)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = retrying([&] {
            return ::pwrite(int(handle_), bytes.data() + done, bytes.size() - done,
                            static_cast<off_t>(done));
        });
        if (n < 0) {
            error.code = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (retrying([&] { return ::ftruncate(int(handle_), static_cast<off_t>(bytes.size())); }) !=
        0) {
        error.code = errno;
        return false;
    }
    return true;
}

bool RecordFile::flush(SysError& error)
{
    if (retrying([&] { return ::fsync(int(handle_)); }) != 0) {
        error.code = errno;
        return false;
    }
    return true;
}

namespace {

// A record lock on the one locked byte, of the open file rather than of the process (an OFD
// lock), so that it behaves as Windows' does: two openings in one process exclude each other,
// and closing another descriptor of the file does not let it go. These are the locks that
// Samba and wine turn Windows' locks into, and that NFS and the kernel's CIFS client send to
// the server; flock() is seen by none of them. Where OFD locks are missing, the process's own.
int lockByte(int fd, short type)
{
    struct flock place
    {
    };
    place.l_type = type;
    place.l_whence = SEEK_SET;
    place.l_start = static_cast<off_t>(lockedByte);
    place.l_len = 1;
#ifdef F_OFD_SETLK
    const int result = retrying([&] { return ::fcntl(fd, F_OFD_SETLK, &place); });
    if (result == 0 || errno != EINVAL)
        return result;
#endif
    return retrying([&] { return ::fcntl(fd, F_SETLK, &place); });
}

} // namespace

RecordFile::Lock RecordFile::tryLock(SysError& error)
{
    // A file open for reading only takes a shared lock: it still keeps writers out, and only
    // a file open for writing may take an exclusive one.
    const bool writable = (::fcntl(int(handle_), F_GETFL) & O_ACCMODE) != O_RDONLY;
    if (lockByte(int(handle_), writable ? F_WRLCK : F_RDLCK) == 0)
        return Lock::Taken;
    if (errno == EAGAIN || errno == EACCES)
        return Lock::Busy;
    error.code = errno;
    return Lock::Failed;
}

void RecordFile::unlock()
{
    lockByte(int(handle_), F_UNLCK);
}

std::uint64_t RecordFile::stamp() const
{
    struct stat st
    {
    };
    if (::fstat(int(handle_), &st) != 0)
        return 0;
    // Both times folded into one number: only whether it changed is ever asked.
    const auto ns = [](const timespec& t) {
        return std::uint64_t(t.tv_sec) * 1'000'000'000u + std::uint64_t(t.tv_nsec);
    };
    return ns(st.st_ctim) * 31 + ns(st.st_mtim);
}

void RecordFile::touch()
{
    retrying([&] { return ::futimens(int(handle_), nullptr); });
}

bool RecordFile::removed() const
{
    struct stat st
    {
    };
    return ::fstat(int(handle_), &st) == 0 && st.st_nlink == 0;
}

SysError RecordFile::shareWithGroup(const std::string& group, Sharing sharing)
{
    errno = 0;
    const struct group* entry = ::getgrnam(group.c_str());
    if (!entry)
        return {errno != 0 ? errno : ENOENT};
    if (::fchown(int(handle_), uid_t(-1), entry->gr_gid) != 0 ||
        ::fchmod(int(handle_), modeFor(sharing)) != 0)
        return {errno};
    return {};
}

SysError shareFolderWithGroup(const std::filesystem::path& folder, const std::string& group)
{
    errno = 0;
    const struct group* entry = ::getgrnam(group.c_str());
    if (!entry)
        return {errno != 0 ? errno : ENOENT};
    // By a descriptor of the folder itself, never through a link in its place.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {errno};
    SysError error;
    if (::fchown(fd, uid_t(-1), entry->gr_gid) != 0 || ::fchmod(fd, 02775) != 0)
        error.code = errno;
    ::close(fd);
    return error;
}

SysError RecordFile::close()
{
    SysError error;
    if (handle_ >= 0 && ::close(int(handle_)) != 0 && errno != EINTR)
        error.code = errno;
    handle_ = -1;
    return error;
}

// ---- Signals ------------------------------------------------------------------------------

namespace {

constexpr std::array heldSignals{SIGTERM, SIGHUP, SIGINT, SIGQUIT};

volatile std::sig_atomic_t pendingSignals[heldSignals.size()] = {};

extern "C" void holdSignal(int signal)
{
    for (std::size_t i = 0; i < heldSignals.size(); ++i) {
        if (heldSignals[i] == signal)
            pendingSignals[i] = 1;
    }
}

struct SavedActions
{
    std::array<struct sigaction, heldSignals.size()> held{};
    struct sigaction fileSize
    {
    };
};

SavedActions saved;
int shieldDepth = 0;

} // namespace

// A handler, not a signal mask: a mask holds a signal back only in the thread that sets it,
// and the toolkit runs threads of its own that would take the signal instead.
SignalShield::SignalShield()
{
    if (shieldDepth++ > 0)
        return;
    struct sigaction hold
    {
    };
    hold.sa_handler = holdSignal;
    hold.sa_flags = SA_RESTART;
    sigfillset(&hold.sa_mask);
    for (std::size_t i = 0; i < heldSignals.size(); ++i) {
        pendingSignals[i] = 0;
        ::sigaction(heldSignals[i], &hold, &saved.held[i]);
    }
    struct sigaction ignore
    {
    };
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &saved.fileSize);
}

SignalShield::~SignalShield()
{
    if (--shieldDepth > 0)
        return;
    ::sigaction(SIGXFSZ, &saved.fileSize, nullptr);
    for (std::size_t i = 0; i < heldSignals.size(); ++i)
        ::sigaction(heldSignals[i], &saved.held[i], nullptr);
    // Delivered now, as they would have been: most end the program here.
    for (std::size_t i = 0; i < heldSignals.size(); ++i) {
        if (pendingSignals[i]) {
            pendingSignals[i] = 0;
            ::raise(heldSignals[i]);
        }
    }
}

std::optional<std::filesystem::path> windowsDirectory(SysError& error)
{
    error.code = ENOENT;
    return std::nullopt;
}

} // namespace sorvane::platform
