#pragma once

// The few file operations the record files need, over the system's own calls, with the same
// guarantees on every system. Free of Qt, so that it is tested and cross-built on its own.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane::platform {

// A failure: the system's own number (errno, or GetLastError on Windows), or one of the
// refusals of our own below. Zero is no failure.
struct SysError
{
    int code = 0;
    explicit operator bool() const { return code != 0; }
};

// Our own refusals, negative so that they never meet a system number.
inline constexpr int notRegularFile = -1; // a folder, a pipe, a device ...
inline constexpr int linkedFile = -2;     // a link, or a file with more than one name
inline constexpr int fileTooLarge = -3;   // more than the game ever reads back
inline constexpr int lockHeld = -4;       // another copy kept its lock too long
inline constexpr int locksStayLocal = -5; // on a share whose locks the other PCs never see

// The one byte that copies of the game lock, on every system and through every file server:
// far past the end of any record file, since a lock on Windows and over SMB keeps others from
// reading and writing the bytes it covers. Windows' LockFileEx, Samba and Linux's record locks
// all meet on it, so a Linux PC and a Windows PC sharing one folder take turns.
inline constexpr std::uint64_t lockedByte = 0x7FFF'FFFF'FFFF'FFFEull;

// What the player is told of a failure, in Italian (UTF-8).
std::string reason(SysError error);

// Whether the failure is the refusal of something that is not a plain file of its own: a
// folder, a pipe, a device, a link.
bool isRefusal(SysError error);

// One open record file. Opening never blocks, and only a regular file on a disk that has one
// name is ever opened: folders, pipes, devices, symbolic links (on Windows, every reparse
// point) and hard links are refused, so nothing is read or written through them.
class RecordFile
{
public:
    enum class Access
    {
        Read,
        ReadWrite
    };
    enum class Missing
    {
        Fail,
        Create // empty, readable and writable by every user of the machine
    };
    enum class Lock
    {
        Taken,
        Busy, // another process holds it
        Failed
    };
    // Who may use a file that is created: every user of the machine; or, where the game is
    // installed with a group of its own, that group only, with every user still reading it
    // (the record) or not even that (the journal, whose lock no pupil may take).
    enum class Sharing
    {
        EveryUser,
        Group,
        GroupOnly
    };

    RecordFile() = default;
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile();

    static RecordFile open(const std::filesystem::path& path, Access access, Missing missing,
                           SysError& error, Sharing sharing = Sharing::EveryUser);

    bool isOpen() const;

    // From the start of the file, at most `limit` bytes.
    bool read(std::string& out, std::size_t limit, SysError& error);

    // Replaces the whole content with `bytes`, in place, without flushing.
    bool write(std::string_view bytes, SysError& error);

    // Waits until what was written is on the disk.
    bool flush(SysError& error);

    // The exclusive lock on `lockedByte` that copies of the game take before storing; it never
    // waits. Readers are never kept out by it, on any system. It belongs to this open file: a
    // second opening of the same file, even in the same process, finds it held, and it goes
    // when the file is closed or its process ends.
    Lock tryLock(SysError& error);

    // Lets the lock go; the file stays open.
    void unlock();

    // The file's change times, which touch() moves on: a copy that takes the lock touches the
    // file, so that the copies waiting for it see the lock pass from one holder to the next,
    // however short each holding is, and tell a queue that moves from a holder that is stuck.
    // Zero where it cannot be told.
    std::uint64_t stamp() const;
    void touch();

    // Whether the file has lost its name since it was opened (deleted while the game ran).
    bool removed() const;

    // Gives the file to `group`, with the mode of `sharing` (Group or GroupOnly); its bytes
    // stay as they are. Not on Windows, whose record files belong to the Users group.
    SysError shareWithGroup(const std::string& group, Sharing sharing);

    // The system's handle, given up by this object; and a file made of a handle that another
    // process opened and handed over, by the name it was opened by.
    std::intptr_t release();
    static RecordFile adopt(std::intptr_t handle, std::filesystem::path path);

    // Closes now, reporting a failure of the close itself.
    SysError close();

private:
    std::intptr_t handle_ = -1;
    // The name it was opened by: on Windows, a removed file is told by it.
    std::filesystem::path path_;
};

// Gives a class's record folder to `group`, writable by it (and by its owner) only, with new
// files taking the folder's group (root:GROUP 2775): then the game installed with that group
// may make a missing record file there, and no pupil may write there. Not on Windows.
SysError shareFolderWithGroup(const std::filesystem::path& folder, const std::string& group);

// Holds back the signals that end the program (a user logging out, Ctrl+C, kill) while it
// lives, and delivers them once it ends; while it lives, a write that would pass the file
// size limit fails with an error instead of ending the program. Nothing on Windows, whose
// programs get no such signals.
class SignalShield
{
public:
    SignalShield();
    ~SignalShield();
    SignalShield(const SignalShield&) = delete;
    SignalShield& operator=(const SignalShield&) = delete;
};

// The Windows directory, without a separator at its end; on other systems there is none.
std::optional<std::filesystem::path> windowsDirectory(SysError& error);

} // namespace sorvane::platform
