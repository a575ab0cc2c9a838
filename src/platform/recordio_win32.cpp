// The record files' operations on Windows.

#include "platform/recordio.h"
#include "platform/recordio_system.h"
#include "platform/recordrights_win32.h"

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <sddl.h>

namespace sorvane::platform {

namespace {

// The system failures the record files can meet, as a pupil should read them.
constexpr std::array reasons{
    Reason{ERROR_FILE_NOT_FOUND, "il file non esiste"},
    Reason{ERROR_PATH_NOT_FOUND, "la cartella non esiste"},
    Reason{ERROR_ACCESS_DENIED, "accesso negato"},
    Reason{ERROR_SHARING_VIOLATION, "il file è aperto da un altro programma"},
    Reason{ERROR_LOCK_VIOLATION, "il file è in uso da un'altra copia del gioco"},
    Reason{ERROR_WRITE_PROTECT, "il disco è protetto dalla scrittura"},
    Reason{ERROR_NOT_READY, "il disco non è pronto"},
    Reason{ERROR_CRC, "errore di lettura o scrittura sul disco"},
    Reason{ERROR_IO_DEVICE, "errore di lettura o scrittura sul disco"},
    Reason{ERROR_HANDLE_DISK_FULL, "il disco è pieno"},
    Reason{ERROR_DISK_FULL, "il disco è pieno"},
    Reason{ERROR_NOT_ENOUGH_QUOTA, "lo spazio concesso sul disco è esaurito"},
    Reason{ERROR_FILE_TOO_LARGE, "il file è troppo grande"},
    Reason{ERROR_INVALID_NAME, "il nome del file non è valido"},
    Reason{ERROR_FILENAME_EXCED_RANGE, "il percorso è troppo lungo"},
    Reason{ERROR_DIRECTORY, "il percorso non è una cartella valida"},
    Reason{ERROR_PIPE_BUSY, "non è un file normale (è una pipe)"},
    Reason{ERROR_CANT_ACCESS_FILE, "il file non è accessibile"},
    Reason{ERROR_CANT_RESOLVE_FILENAME, "è un collegamento che non porta a nessun file"},
    Reason{ERROR_TOO_MANY_OPEN_FILES, "troppi file aperti"},
    Reason{ERROR_NOT_ENOUGH_MEMORY, "memoria insufficiente"},
    Reason{ERROR_OUTOFMEMORY, "memoria insufficiente"},
    Reason{ERROR_INVALID_HANDLE, "il file non è aperto nel modo giusto"},
    Reason{ERROR_INVALID_PARAMETER, "operazione non valida su questo file"},
    Reason{ERROR_INVALID_ACL, "impossibile preparare i permessi del file"},
    Reason{ERROR_INVALID_SID, "impossibile preparare i permessi del file"},
    Reason{ERROR_INVALID_SECURITY_DESCR, "impossibile preparare i permessi del file"},
    Reason{ERROR_NONE_MAPPED, "impossibile preparare i permessi del file"},
};

HANDLE native(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

SysError lastError()
{
    return SysError{static_cast<int>(GetLastError())};
}

// A folder in place of the file: CreateFileW only says that access is denied.
bool isFolder(const std::filesystem::path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The rights of a file created here (recordrights_win32.h), built once per opening. A
// failure to build them is the opening's failure: a file created with the folder's own rights
// would be one that pupils may only read.
class SharedFileSecurity
{
public:
    SharedFileSecurity()
    {
        attributes_.nLength = sizeof attributes_;
        attributes_.bInheritHandle = FALSE;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
                recordFileRights, SDDL_REVISION_1, &attributes_.lpSecurityDescriptor, nullptr)) {
            error_ = lastError();
            attributes_.lpSecurityDescriptor = nullptr;
        }
    }
    ~SharedFileSecurity() { LocalFree(attributes_.lpSecurityDescriptor); }
    SharedFileSecurity(const SharedFileSecurity&) = delete;
    SharedFileSecurity& operator=(const SharedFileSecurity&) = delete;
    SysError error() const { return error_; }
    SECURITY_ATTRIBUTES* get() { return &attributes_; }

private:
    SECURITY_ATTRIBUTES attributes_{};
    SysError error_;
};

// Which file a handle leads to: its volume and its number on it.
std::optional<FILE_ID_INFO> identity(HANDLE h)
{
    FILE_ID_INFO id{};
    if (!GetFileInformationByHandleEx(h, FileIdInfo, &id, sizeof id))
        return std::nullopt;
    return id;
}

} // namespace

std::span<const Reason> systemReasons()
{
    return reasons;
}

bool isRefusal(SysError error)
{
    return error.code == notRegularFile || error.code == linkedFile ||
           error.code == ERROR_CANT_RESOLVE_FILENAME;
}

RecordFile RecordFile::open(const std::filesystem::path& path, Access access, Missing missing,
                            SysError& error, Sharing)
{
    error = {};
    RecordFile file;
    const DWORD rights = GENERIC_READ | (access == Access::ReadWrite ? GENERIC_WRITE : 0);
    SharedFileSecurity security;
    if (missing == Missing::Create && security.error()) {
        error = security.error();
        return file;
    }
    // Other copies of the game read, write and even delete the file while it is open here;
    // a reparse point (a symbolic link, a junction) is opened itself, never followed.
    const HANDLE h =
        CreateFileW(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    missing == Missing::Create ? security.get() : nullptr,
                    missing == Missing::Create ? OPEN_ALWAYS : OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = lastError();
        if (error.code == ERROR_ACCESS_DENIED && isFolder(path))
            error.code = notRegularFile;
        return file;
    }
    file.handle_ = reinterpret_cast<std::intptr_t>(h);
    file.path_ = path;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) != FILE_TYPE_DISK) {
        error.code = notRegularFile;
    } else if (!GetFileInformationByHandle(h, &info)) {
        error = lastError();
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        error.code = notRegularFile;
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT || info.nNumberOfLinks > 1) {
        error.code = linkedFile;
    }
    if (error)
        file.close();
    return file;
}

bool RecordFile::isOpen() const
{
    return handle_ != -1;
}

bool RecordFile::read(std::string& out, std::size_t limit, SysError& error)
{
    out.clear();
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(native(handle_), start, nullptr, FILE_BEGIN)) {
        error = lastError();
        return false;
    }
    std::array<char, 4096> buffer{};
    while (out.size() < limit) {
        const DWORD want = static_cast<DWORD>(std::min(buffer.size(), limit - out.size()));
        DWORD got = 0;
        if (!ReadFile(native(handle_), buffer.data(), want, &got, nullptr)) {
            error = lastError();
            return false;
        }
        if (got == 0)
            break;
        out.append(buffer.data(), got);
    }
    return true;
}

bool RecordFile::write(std::string_view bytes, SysError& error)
{
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(native(handle_), start, nullptr, FILE_BEGIN)) {
        error = lastError();
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(native(handle_), bytes.data() + done, want, &written, nullptr)) {
            error = lastError();
            return false;
        }
        done += written;
    }
    if (!SetEndOfFile(native(handle_))) {
        error = lastError();
        return false;
    }
    return true;
}

bool RecordFile::flush(SysError& error)
{
    if (!FlushFileBuffers(native(handle_))) {
        error = lastError();
        return false;
    }
    return true;
}

namespace {

// Windows' locks keep other processes from reading the bytes they cover, so the lock covers
// one byte far past the end of any record file: another copy starting up still reads it.
OVERLAPPED lockPlace()
{
    OVERLAPPED place{};
    place.Offset = static_cast<DWORD>(lockedByte & 0xFFFFFFFFu);
    place.OffsetHigh = static_cast<DWORD>(lockedByte >> 32);
    return place;
}

} // namespace

RecordFile::Lock RecordFile::tryLock(SysError& error)
{
    OVERLAPPED place = lockPlace();
    if (LockFileEx(native(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &place))
        return Lock::Taken;
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING)
        return Lock::Busy;
    error.code = static_cast<int>(code);
    return Lock::Failed;
}

void RecordFile::unlock()
{
    OVERLAPPED place = lockPlace();
    UnlockFileEx(native(handle_), 0, 1, 0, &place);
}

std::uint64_t RecordFile::stamp() const
{
    FILE_BASIC_INFO info{};
    if (!GetFileInformationByHandleEx(native(handle_), FileBasicInfo, &info, sizeof info))
        return 0;
    return std::uint64_t(info.ChangeTime.QuadPart) * 31 +
           std::uint64_t(info.LastWriteTime.QuadPart);
}

void RecordFile::touch()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    SetFileTime(native(handle_), nullptr, nullptr, &now);
}

bool RecordFile::removed() const
{
    FILE_STANDARD_INFO info{};
    if (GetFileInformationByHandleEx(native(handle_), FileStandardInfo, &info, sizeof info) &&
        (info.DeletePending || info.NumberOfLinks == 0))
        return true;
    // Not every Windows file system says so, nor does a file moved away: the name the file was
    // opened by must still lead to this same file. Gone, or leading to another file or to a
    // folder made in its place, it has lost its name; reopened, such a name fails with the
    // reason of its own.
    const HANDLE again = CreateFileW(
        path_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (again == INVALID_HANDLE_VALUE)
        return true;
    const auto mine = identity(native(handle_));
    const auto named = identity(again);
    CloseHandle(again);
    if (!mine || !named)
        return false; // cannot tell: taken as it is
    return mine->VolumeSerialNumber != named->VolumeSerialNumber ||
           std::memcmp(&mine->FileId, &named->FileId, sizeof mine->FileId) != 0;
}

// The record files belong to the Users group, given by the rights they are created with.
SysError RecordFile::shareWithGroup(const std::string&, Sharing)
{
    return {ERROR_NOT_SUPPORTED};
}

SysError shareFolderWithGroup(const std::filesystem::path&, const std::string&)
{
    return {ERROR_NOT_SUPPORTED};
}

SysError RecordFile::close()
{
    SysError error;
    if (handle_ != -1) {
        // Closing the handle also lets the lock go, should it be held.
        if (!CloseHandle(native(handle_)))
            error = lastError();
    }
    handle_ = -1;
    return error;
}

SignalShield::SignalShield() = default;
SignalShield::~SignalShield() = default;

std::optional<std::filesystem::path> windowsDirectory(SysError& error)
{
    error = {};
    // Asked first for the size it needs, so that a directory of any length fits.
    const UINT size = GetWindowsDirectoryW(nullptr, 0);
    if (size == 0) {
        error = lastError();
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(size + 1);
    const UINT n = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n == 0 || n >= buffer.size()) {
        error = n == 0 ? lastError() : SysError{ERROR_INSUFFICIENT_BUFFER};
        return std::nullopt;
    }
    std::wstring dir(buffer.data(), n);
    while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/'))
        dir.pop_back();
    return std::filesystem::path(dir);
}

} // namespace sorvane::platform
