// Checks of the record files' operations over the system's own calls, on their own and free of
// Qt, so that the same checks run natively and, cross-built, under Windows. The program runs
// copies of itself as the other processes of the lock checks.

#include "platform/recordfolder.h"
#include "platform/recordio.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#ifdef _WIN32
#include "platform/recordrights_win32.h"

#include <process.h>
#include <windows.h>

#include <sddl.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;
using namespace sorvane::platform;

namespace {

int passed = 0, failed = 0, skipped = 0;

void check(bool ok, const std::string& what)
{
    ++(ok ? passed : failed);
    if (!ok)
        std::printf("FAIL: %s\n", what.c_str());
}

void skip(const std::string& what)
{
    ++skipped;
    std::printf("SKIP: %s\n", what.c_str());
}

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

fs::path self;

// Runs this program again with `args`; its exit code, or -signal when a signal ended it.
int runSelf(const std::vector<std::string>& args)
{
#ifdef _WIN32
    std::vector<std::wstring> wide{self.wstring()};
    for (const std::string& a : args)
        wide.push_back(fs::path(a).wstring());
    std::vector<const wchar_t*> argv;
    for (std::wstring& w : wide) {
        w = L"\"" + w + L"\"";
        argv.push_back(w.c_str());
    }
    argv.push_back(nullptr);
    return int(_wspawnv(_P_WAIT, self.c_str(), argv.data()));
#else
    std::vector<std::string> all{self.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1000;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
#endif
}

// RecordFile::open with its sharing left at the default.
constexpr auto openFile = [](auto&&... args) { return RecordFile::open(args...); };
constexpr auto readOnly = RecordFile::Access::Read;
constexpr auto readWrite = RecordFile::Access::ReadWrite;
constexpr auto create = RecordFile::Missing::Create;
constexpr auto mustExist = RecordFile::Missing::Fail;

void creating(const fs::path& dir)
{
    const fs::path path = dir / "nuovo.txt";
    SysError error;
    RecordFile file = openFile(path, readWrite, create, error);
    check(!error && file.isOpen(), "a missing file is created");
    file.close();
    check(fs::exists(path) && fs::file_size(path) == 0, "a new file is empty");
#ifndef _WIN32
    check((fs::status(path).permissions() & fs::perms::all) == fs::perms(0666),
          "a new file is writable by every user");
#endif
    put(path, "7\r\n");
    RecordFile again = openFile(path, readWrite, create, error);
    check(!error && again.isOpen(), "an existing file opens");
    again.close();
    check(contentOf(path) == "7\r\n", "opening never changes an existing file");
    RecordFile missing = openFile(dir / "assente.txt", readOnly, mustExist, error);
    check(error && !missing.isOpen(), "a missing file is an error when it must exist");
}

// Opened for reading or for writing, `path` is refused: with `code`, if one is given, and a
// reason that says `said`.
void refused(const fs::path& path, const std::string& what, int code = 0, const char* said = "")
{
    for (auto access : {readOnly, readWrite}) {
        SysError error;
        const RecordFile f = openFile(path, access, create, error);
        check(error && !f.isOpen() && (code == 0 || error.code == code) &&
                  reason(error).find(said) != std::string::npos,
              what);
    }
}

void refusing(const fs::path& dir)
{
    fs::create_directory(dir / "cartella");
    refused(dir / "cartella", "a folder is refused");

#ifdef _WIN32
    const std::wstring pipeName =
        L"\\\\.\\pipe\\sorvane-prova-" + std::to_wstring(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 64, 64,
                                   0, nullptr);
    check(pipe != INVALID_HANDLE_VALUE, "a pipe is made for the check");
    SysError error;
    RecordFile p = openFile(fs::path(pipeName), readWrite, mustExist, error);
    check(error.code == notRegularFile && !p.isOpen(), "a pipe is refused");
    CloseHandle(pipe);
#else
    ::mkfifo((dir / "fifo").c_str(), 0666);
    // No writer and no reader at the other end: a plain open would wait for ever.
    refused(dir / "fifo", "a FIFO is refused without waiting");
#endif

    const fs::path target = dir / "altro.txt";
    put(target, "segreto\r\n");
    const fs::path hard = dir / "fisso.txt";
    fs::create_hard_link(target, hard);
    refused(hard, "a file with a second name is refused", linkedFile);
    fs::remove(hard);
    const fs::path soft = dir / "simbolico.txt";
    std::error_code linkError;
    fs::create_symlink(target, soft, linkError);
    if (linkError)
        skip("symbolic link: this user may not make one here");
    else
        refused(soft, "a symbolic link is refused, its reason saying so", 0, "collegamento");
    check(contentOf(target) == "segreto\r\n", "nothing is written through a link");
}

void readingAndWriting(const fs::path& dir)
{
    SysError error;
    const fs::path path = dir / "dati.txt";
    put(path, std::string(10000, 'x'));
    RecordFile file = openFile(path, readWrite, mustExist, error);
    std::string bytes;
    check(file.read(bytes, 100, error) && bytes.size() == 100, "reading stops at the limit");
    check(file.read(bytes, 1 << 20, error) && bytes.size() == 10000, "reading gets the whole file");
    check(file.write("Massimiliano\r\n", error) && file.flush(error), "a write is flushed");
    check(file.write("Ugo\r\n", error) && file.flush(error), "a shorter write is flushed");
    file.close();
    check(contentOf(path) == "Ugo\r\n", "a shorter write leaves no trace of the longer");
    RecordFile readOnlyFile = openFile(path, readOnly, mustExist, error);
    check(!readOnlyFile.write("no", error) && error, "writing a file opened for reading fails");
    check(contentOf(path) == "Ugo\r\n", "a failed write changes nothing");
}

void locking(const fs::path& dir)
{
    SysError error;
    const fs::path path = dir / "punti.txt";
    put(path, "12\r\n");
    RecordFile holder = openFile(path, readWrite, mustExist, error);
    check(holder.tryLock(error) == RecordFile::Lock::Taken, "the lock is taken");
    check(runSelf({"trylock", path.string()}) == 3, "a second process finds the lock held");
    check(runSelf({"read", path.string(), "12\r\n"}) == 0,
          "a third process still reads the file while it is locked");
    holder.close();
    check(runSelf({"trylock", path.string()}) == 0, "the lock goes with the file's closing");
}

void signals([[maybe_unused]] const fs::path& dir)
{
#ifdef _WIN32
    skip("held signals: Windows programs get none");
#else
    const fs::path marker = dir / "dopo-il-segnale";
    check(runSelf({"term-while-shielded", marker.string()}) == -SIGTERM,
          "a held SIGTERM is delivered once the shield ends");
    check(contentOf(marker) == "ok", "the work under the shield finishes first");
    check(runSelf({"too-large-while-shielded", (dir / "grande.txt").string()}) == 0,
          "a write past the size limit fails with an error under the shield");
#endif
}

void reasons()
{
#ifdef _WIN32
    const std::vector<int> codes{
        ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,    ERROR_SHARING_VIOLATION,
        ERROR_LOCK_VIOLATION, ERROR_DISK_FULL,      ERROR_HANDLE_DISK_FULL, ERROR_WRITE_PROTECT,
        ERROR_FILE_TOO_LARGE, ERROR_IO_DEVICE,      ERROR_INVALID_NAME,     ERROR_NOT_ENOUGH_QUOTA,
        ERROR_INVALID_ACL};
#else
    const std::vector<int> codes{ENOENT, EACCES, EPERM,  EISDIR, ENXIO, ELOOP, EMLINK,
                                 EAGAIN, ENOSPC, EDQUOT, EROFS,  EFBIG, EIO,   EINTR};
#endif
    std::vector<int> all{notRegularFile, linkedFile, fileTooLarge, lockHeld};
    all.insert(all.end(), codes.begin(), codes.end());
    const std::string general = "errore di sistema numero ";
    for (int code : all) {
        const std::string text = reason(SysError{code});
        check(!text.empty() && text.rfind(general, 0) != 0,
              "an Italian reason of its own for code " + std::to_string(code));
    }
    check(reason(SysError{98765}) == general + "98765", "any other code is named by its number");
}

// The rights a created record file is given on Windows (wine keeps none of them, so they are
// read from the descriptor itself): what each of these holds, and nothing for Everyone.
void rights()
{
#ifdef _WIN32
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    check(ConvertStringSecurityDescriptorToSecurityDescriptorW(recordFileRights, SDDL_REVISION_1,
                                                               &descriptor, nullptr),
          "the record files' rights make a security descriptor");
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    check(descriptor && GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
              present && dacl,
          "the descriptor has its own access list");
    const std::tuple<WELL_KNOWN_SID_TYPE, ACCESS_MASK, const char*> holders[]{
        {WinLocalSystemSid, FILE_ALL_ACCESS, "the system: full control"},
        {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS, "the administrators: full control"},
        {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_WRITE, "the Users: read and write"},
        {WinWorldSid, 0, "Everyone: nothing"},
    };
    for (const auto& [type, expected, name] : holders) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof sid;
        CreateWellKnownSid(type, nullptr, sid, &size);
        ACCESS_MASK allowed = 0;
        bool denied = false;
        for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
            ACE_HEADER* ace = nullptr;
            if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)))
                continue;
            auto* allow = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
            if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE)
                denied = true;
            else if (EqualSid(&allow->SidStart, sid))
                allowed |= allow->Mask;
        }
        check(allowed == expected && !denied, name);
    }
    LocalFree(descriptor);
#else
    skip("rights of the Windows record files: Windows only");
#endif
}

void windowsFolder()
{
    SysError error;
    const auto dir = windowsDirectory(error);
#ifdef _WIN32
    check(dir && !error && fs::is_directory(*dir), "the Windows directory is found");
    check(dir && (dir->wstring().size() <= 3 || dir->wstring().back() != L'\\'),
          "the Windows directory ends without a separator");
#else
    check(!dir && error, "there is no Windows directory here");
#endif
}

// The administrator's naming of the class's folder: the settings file's lines, and the places
// it is read from on each system with the order between them.
void classFolder(const fs::path& dir)
{
    const struct
    {
        const char* text;
        std::optional<std::string> value;
    } lines[]{
        {"cartella = /srv/scuola/sorvane\n", "/srv/scuola/sorvane"},
        {"  cartella=/srv/a b  \r\n", "/srv/a b"},
        {"# cartella = /no\n; cartella = /nemmeno\n", std::nullopt},
        {"cartella = /prima\ncartella = /seconda\n", "/seconda"},
        {"cartella =\n", std::nullopt},
        {"cartellina = /no\ncartella /no\n", std::nullopt},
        {"cartella = /con=uguale", "/con=uguale"},
        {"", std::nullopt},
    };
    for (const auto& [text, value] : lines)
        check(settingValue(text, folderKey) == value, std::string("the setting in: ") + text);
#ifdef _WIN32
    (void)dir;
    // The policy value wins over the installer's, and an empty one counts as none.
    const auto set = [](const wchar_t* key, const wchar_t* value) {
        HKEY k = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                        nullptr, &k, nullptr);
        RegSetValueExW(k, L"CartellaRecord", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(k);
    };
    const auto unset = [](const wchar_t* key) {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY, 0);
    };
    const wchar_t* policy = L"SOFTWARE\\Policies\\Sorvane";
    const wchar_t* installer = L"SOFTWARE\\Sorvane";
    check(namedRecordFolder({}).folder.empty(), "no folder named: the Windows directory stands");
    set(installer, L"\\\\scuola\\record");
    NamedFolder named = namedRecordFolder({});
    check(named.folder == L"\\\\scuola\\record" && named.error.empty() &&
              named.origin == "HKLM\\SOFTWARE\\Sorvane\\CartellaRecord",
          "the installer's folder is used");
    set(policy, L"");
    check(namedRecordFolder({}).folder == L"\\\\scuola\\record", "an empty policy value is none");
    set(policy, L"S:\\sorvane");
    named = namedRecordFolder({});
    check(named.folder == L"S:\\sorvane" &&
              named.origin == "HKLM\\SOFTWARE\\Policies\\Sorvane\\CartellaRecord",
          "the policy's folder wins over the installer's");
    set(policy, L"sorvane");
    check(!namedRecordFolder({}).error.empty(), "a folder that is not a whole path is refused");
    unset(policy);
    unset(installer);
#else
    // Only a file that root owns and nobody else may write names the folder.
    const fs::path conf = dir / "sorvane.conf";
    put(conf, "cartella = /srv/scuola/sorvane\n");
    const bool root = ::geteuid() == 0;
    const struct
    {
        uid_t owner;
        mode_t mode;
        bool counts;
        const char* what;
    } files[]{
        {0, 0644, true, "root's file, written by root only"},
        {0, 0664, true, "root's file, that its group may write too"},
        {0, 0666, false, "root's file, that anybody may write"},
        {65534, 0644, false, "a file of somebody else's"},
    };
    for (const auto& [owner, mode, counts, what] : files) {
        if (!root) {
            skip(std::string("the settings file's owner: not run as root: ") + what);
            continue;
        }
        check(::chown(conf.c_str(), owner, 0) == 0 && ::chmod(conf.c_str(), mode) == 0, what);
        const NamedFolder named = namedRecordFolder(conf);
        check(counts ? named.folder == "/srv/scuola/sorvane" && named.origin == conf.string()
                     : named.folder.empty() && !named.origin.empty(),
              std::string("the settings file counts or not: ") + what);
    }
    check(namedRecordFolder(dir / "nessuno.conf").folder.empty(), "no settings file, no folder");
    if (root) {
        put(conf, "cartella = relativa\n");
        check(::chown(conf.c_str(), 0, 0) == 0 && ::chmod(conf.c_str(), 0644) == 0 &&
                  !namedRecordFolder(conf).error.empty(),
              "a folder that is not a whole path is refused");
    }
#endif
}

// The mount table tells which shares keep their locks on this PC, for the folder's own device
// and deepest mount.
void sharesLocks()
{
    const std::string table =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "40 22 0:50 / /srv/smb rw,relatime shared:2 - cifs //server/share rw,vers=3.1.1,nobrl\n"
        "41 22 0:51 / /srv/smb2 rw,relatime shared:3 - cifs //server/share rw,vers=3.1.1\n"
        "42 22 0:52 / /srv/nfs rw,relatime - nfs4 server:/x rw,vers=4.2,local_lock=none\n"
        "43 22 0:53 / /srv/nfs3 rw - nfs server:/y rw,vers=3,local_lock=posix\n"
        "44 22 0:54 / /srv/nfs\\040old rw - nfs server:/z rw,vers=3,nolock,local_lock=all\n"
        "45 22 0:55 / /srv/fuse rw,nosuid - fuse.smbnetfs smbnetfs rw,user_id=0\n"
        "46 40 8:1 /srv/local /srv/smb/local rw shared:1 - ext4 /dev/sda1 rw\n";
    const struct
    {
        unsigned major, minor;
        const char* path;
        const char* says; // a word of the reason; empty: the locks are seen
    } folders[]{
        {8, 1, "/var/games", ""},
        {0, 50, "/srv/smb/sorvane", "nobrl"},
        {0, 51, "/srv/smb2/sorvane", ""},
        {0, 52, "/srv/nfs/sorvane", ""},
        {0, 53, "/srv/nfs3", "local_lock=posix"},
        {0, 54, "/srv/nfs old/sorvane", "local_lock=all"},
        {0, 55, "/srv/fuse/sorvane", ""},
        {8, 1, "/srv/smb/local/sorvane", ""},
        {0, 99, "/srv/unknown", ""},
    };
    for (const auto& [major, minor, path, says] : folders) {
        const std::string reason = locksStayHere(table, major, minor, path);
        check(*says ? reason.find(says) != std::string::npos : reason.empty(),
              std::string("the locks of a folder in ") + path);
    }
    check(fileSystemOf(table, 0, 50, "/srv/smb/sorvane") ==
              "cifs, montato su /srv/smb (vers=3.1.1,nobrl)",
          "the file system and its options that matter to the lock");
}

// The other processes of the lock and signal checks.
int child(const std::vector<std::string>& args)
{
    SysError error;
    const std::string& mode = args.at(0);
    if (mode == "trylock") {
        RecordFile f = RecordFile::open(args.at(1), readWrite, mustExist, error);
        if (error)
            return 10;
        const RecordFile::Lock lock = f.tryLock(error);
        return lock == RecordFile::Lock::Taken ? 0 : lock == RecordFile::Lock::Busy ? 3 : 11;
    }
    if (mode == "hold") {
        // Takes the lock, says so by creating the marker file, and holds it until killed: the
        // other side of the checks between Linux and Windows (tests/windows/crosslock.sh).
        RecordFile f = RecordFile::open(args.at(1), readWrite, mustExist, error);
        if (error || f.tryLock(error) != RecordFile::Lock::Taken)
            return 15;
        put(args.at(2), "held");
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (mode == "read") {
        RecordFile f = RecordFile::open(args.at(1), readOnly, mustExist, error);
        std::string bytes;
        return !error && f.read(bytes, 1000, error) && bytes == args.at(2) ? 0 : 12;
    }
#ifndef _WIN32
    if (mode == "term-while-shielded") {
        {
            const SignalShield shield;
            ::raise(SIGTERM);
            put(args.at(1), "ok");
        }
        return 13; // not reached: the held signal ends the program
    }
    if (mode == "too-large-while-shielded") {
        rlimit small{};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 64;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const SignalShield shield;
        RecordFile f = RecordFile::open(args.at(1), readWrite, create, error);
        return !error && !f.write(std::string(200, 'z'), error) && error.code == EFBIG ? 0 : 14;
    }
#endif
    return 99;
}

} // namespace

int main(int argc, char* argv[])
{
#ifdef _WIN32
    std::vector<wchar_t> name(32768);
    GetModuleFileNameW(nullptr, name.data(), DWORD(name.size()));
    self = fs::path(name.data());
    const auto pid = GetCurrentProcessId();
#else
    self = fs::absolute(argv[0]);
    const auto pid = getpid();
    ::umask(022); // a mask that takes writing from others: the files created must not heed it
#endif
    if (argc > 1)
        return child(std::vector<std::string>(argv + 1, argv + argc));
    const fs::path dir = fs::temp_directory_path() / ("sorvane-recordio-" + std::to_string(pid));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (auto checks : {creating, refusing, readingAndWriting, locking, signals})
        checks(dir);
    classFolder(dir);
    sharesLocks();
    reasons();
    rights();
    windowsFolder();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
    return failed == 0 ? 0 : 1;
}
