// A school server's share, as the end-to-end tests need one: a FUSE file system that passes
// every operation through to a folder of the test's, and that the test can make stop
// answering or fail, from outside, through a control file beside (never inside) the mount.
//
//   sharefs BACKING CONTROL MOUNTPOINT
//
// The control file holds one word, read again at every operation:
//   pass             every operation goes through (also when the file is missing);
//   freeze           every operation waits until the word changes, as a hung server's do;
//   eio              every operation fails with EIO, as a broken one's do;
//   freeze-on-write NAME
//                    operations go through until the first write to a file called NAME,
//                    which waits, and so does every operation after it: the file then reads
//                    `freeze`.
// An operation that waits gives up with EINTR once its caller is killed, as a share mounted
// to be interruptible lets it, so that a program stuck on it can still end. Each operation
// that waits adds one to the count in CONTROL.held. Nothing is cached by the kernel: every
// read, write and lookup reaches this program. "mounted" on standard output says the mount is
// up; SIGTERM, or the end of the parent process, unmounts it.

#define FUSE_USE_VERSION 32
#include <fuse.h>
#include <fuse_lowlevel.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

namespace {

std::string backing;
std::string control;
std::atomic<long> held{0};
std::mutex controlMutex;

std::string readControl()
{
    std::ifstream in(control);
    std::string word{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    while (!word.empty() && (word.back() == '\n' || word.back() == ' '))
        word.pop_back();
    return word;
}

// Written whole or not at all: the test reads it at any moment.
void writeFile(const std::string& path, const std::string& text)
{
    const std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::trunc);
        out << text << '\n';
    }
    std::rename(part.c_str(), path.c_str());
}

bool namedWrite(const std::string& word, const char* path)
{
    const std::string prefix = "freeze-on-write ";
    if (!path || word.rfind(prefix, 0) != 0)
        return false;
    const std::string name = word.substr(prefix.size());
    const std::string p = path;
    return p.size() > name.size() && p.compare(p.size() - name.size(), name.size(), name) == 0 &&
           p[p.size() - name.size() - 1] == '/';
}

// What every operation goes through first: 0 to go on, or the error to answer with.
int gate(const char* writing = nullptr)
{
    bool counted = false;
    for (;;) {
        std::string word;
        {
            const std::lock_guard lock(controlMutex);
            word = readControl();
            if (namedWrite(word, writing)) {
                writeFile(control, "freeze");
                word = "freeze";
            }
        }
        if (word == "eio")
            return -EIO;
        if (word != "freeze")
            return 0;
        if (!counted) {
            counted = true;
            writeFile(control + ".held", std::to_string(++held));
        }
        if (fuse_interrupted())
            return -EINTR;
        if (fuse_session_exited(fuse_get_session(fuse_get_context()->fuse)))
            return -EIO;
        usleep(10000);
    }
}

std::string real(const char* path)
{
    return backing + path;
}

int result(int r)
{
    return r < 0 ? -errno : r;
}

void* init(fuse_conn_info*, fuse_config* cfg)
{
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    cfg->direct_io = 1;
    cfg->use_ino = 1;
    return nullptr;
}

int getattr(const char* path, struct stat* st, fuse_file_info* fi)
{
    if (const int g = gate())
        return g;
    return result(fi ? fstat(int(fi->fh), st) : lstat(real(path).c_str(), st));
}

int readlinkOp(const char* path, char* buf, size_t size)
{
    if (const int g = gate())
        return g;
    const ssize_t n = readlink(real(path).c_str(), buf, size - 1);
    if (n < 0)
        return -errno;
    buf[n] = '\0';
    return 0;
}

int mkdirOp(const char* path, mode_t mode)
{
    if (const int g = gate())
        return g;
    return result(mkdir(real(path).c_str(), mode));
}

int unlinkOp(const char* path)
{
    if (const int g = gate())
        return g;
    return result(unlink(real(path).c_str()));
}

int rmdirOp(const char* path)
{
    if (const int g = gate())
        return g;
    return result(rmdir(real(path).c_str()));
}

int symlinkOp(const char* target, const char* path)
{
    if (const int g = gate())
        return g;
    return result(symlink(target, real(path).c_str()));
}

int renameOp(const char* from, const char* to, unsigned int flags)
{
    if (const int g = gate())
        return g;
    if (flags)
        return -EINVAL;
    return result(rename(real(from).c_str(), real(to).c_str()));
}

int linkOp(const char* from, const char* to)
{
    if (const int g = gate())
        return g;
    return result(link(real(from).c_str(), real(to).c_str()));
}

int chmodOp(const char* path, mode_t mode, fuse_file_info* fi)
{
    if (const int g = gate())
        return g;
    return result(fi ? fchmod(int(fi->fh), mode) : chmod(real(path).c_str(), mode));
}

int chownOp(const char* path, uid_t uid, gid_t gid, fuse_file_info* fi)
{
    if (const int g = gate())
        return g;
    return result(fi ? fchown(int(fi->fh), uid, gid) : lchown(real(path).c_str(), uid, gid));
}

int truncateOp(const char* path, off_t size, fuse_file_info* fi)
{
    if (const int g = gate())
        return g;
    return result(fi ? ftruncate(int(fi->fh), size) : truncate(real(path).c_str(), size));
}

int openOp(const char* path, fuse_file_info* fi)
{
    if (const int g = gate())
        return g;
    const int fd = open(real(path).c_str(), fi->flags & ~O_NONBLOCK);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    fi->direct_io = 1;
    return 0;
}

int createOp(const char* path, mode_t mode, fuse_file_info* fi)
{
    if (const int g = gate())
        return g;
    const int fd = open(real(path).c_str(), (fi->flags & ~O_NONBLOCK) | O_CREAT, mode);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    fi->direct_io = 1;
    return 0;
}

int readOp(const char*, char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    if (const int g = gate())
        return g;
    return result(int(pread(int(fi->fh), buf, size, offset)));
}

int writeOp(const char* path, const char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    if (const int g = gate(path))
        return g;
    return result(int(pwrite(int(fi->fh), buf, size, offset)));
}

int statfsOp(const char* path, struct statvfs* st)
{
    if (const int g = gate())
        return g;
    return result(statvfs(real(path).c_str(), st));
}

// Called at every close of the caller's: a server's close waits for it as well.
int flushOp(const char*, fuse_file_info*)
{
    return gate();
}

// The kernel does not wait for it, and the file is closed here whatever the share does.
int releaseOp(const char*, fuse_file_info* fi)
{
    close(int(fi->fh));
    return 0;
}

int fsyncOp(const char*, int dataOnly, fuse_file_info* fi)
{
    if (const int g = gate())
        return g;
    return result(dataOnly ? fdatasync(int(fi->fh)) : fsync(int(fi->fh)));
}

int readdirOp(const char* path, void* buf, fuse_fill_dir_t fill, off_t, fuse_file_info*,
              fuse_readdir_flags)
{
    if (const int g = gate())
        return g;
    DIR* dir = opendir(real(path).c_str());
    if (!dir)
        return -errno;
    while (const dirent* e = readdir(dir)) {
        struct stat st
        {
        };
        st.st_ino = e->d_ino;
        st.st_mode = mode_t(DTTOIF(e->d_type));
        if (fill(buf, e->d_name, &st, 0, fuse_fill_dir_flags(0)))
            break;
    }
    closedir(dir);
    return 0;
}

int accessOp(const char* path, int mask)
{
    if (const int g = gate())
        return g;
    return result(access(real(path).c_str(), mask));
}

int utimensOp(const char* path, const struct timespec ts[2], fuse_file_info* fi)
{
    if (const int g = gate())
        return g;
    return result(fi ? futimens(int(fi->fh), ts)
                     : utimensat(AT_FDCWD, real(path).c_str(), ts, AT_SYMLINK_NOFOLLOW));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BACKING CONTROL MOUNTPOINT\n", argv[0]);
        return 2;
    }
    // A test that dies leaves no share mounted behind it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() == 1)
        return 1;
    backing = argv[1];
    control = argv[2];

    fuse_operations ops{};
    ops.init = init;
    ops.getattr = getattr;
    ops.readlink = readlinkOp;
    ops.mkdir = mkdirOp;
    ops.unlink = unlinkOp;
    ops.rmdir = rmdirOp;
    ops.symlink = symlinkOp;
    ops.rename = renameOp;
    ops.link = linkOp;
    ops.chmod = chmodOp;
    ops.chown = chownOp;
    ops.truncate = truncateOp;
    ops.open = openOp;
    ops.create = createOp;
    ops.read = readOp;
    ops.write = writeOp;
    ops.statfs = statfsOp;
    ops.flush = flushOp;
    ops.release = releaseOp;
    ops.fsync = fsyncOp;
    ops.readdir = readdirOp;
    ops.access = accessOp;
    ops.utimens = utimensOp;

    char program[] = "sharefs";
    char* args[] = {program, nullptr};
    fuse_args fargs = FUSE_ARGS_INIT(1, args);
    fuse* fs = fuse_new(&fargs, &ops, sizeof ops, nullptr);
    if (!fs)
        return 1;
    if (fuse_mount(fs, argv[3]) != 0) {
        fuse_destroy(fs);
        return 1;
    }
    fuse_session* session = fuse_get_session(fs);
    fuse_set_signal_handlers(session);
    std::printf("mounted\n");
    std::fflush(stdout);
    fuse_loop_config config{};
    config.clone_fd = 0;
    config.max_idle_threads = 10;
    const int loop = fuse_loop_mt(fs, &config);
    fuse_remove_signal_handlers(session);
    fuse_unmount(fs);
    fuse_destroy(fs);
    return loop == 0 ? 0 : 1;
}
