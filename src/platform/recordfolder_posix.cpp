// The record folder's setting and checks on POSIX systems: the administrator's settings file,
// and the mount table.

#include "platform/recordfolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <fstream>
#include <iterator>

namespace sorvane::platform {

namespace {

// More than any settings file of ours ever holds.
constexpr std::size_t confLimit = 64 * 1024;

std::string mountTable()
{
    std::ifstream in("/proc/self/mountinfo", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Device
{
    unsigned major, minor;
    std::string path;
};

std::optional<Device> deviceOf(const std::filesystem::path& folder)
{
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(folder, ec);
    struct stat st
    {
    };
    if (ec || ::stat(real.c_str(), &st) != 0)
        return std::nullopt;
    return Device{::major(st.st_dev), ::minor(st.st_dev), real.string()};
}

} // namespace

NamedFolder namedRecordFolder(const std::filesystem::path& confFile)
{
    NamedFolder named;
    const std::string shown = confFile.string();
    const int fd = ::open(confFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT)
            named.origin = shown + " non si può leggere: passato sopra";
        return named;
    }
    struct stat st
    {
    };
    std::string text;
    // Only a file that root owns and nobody else may write speaks for the administrator: any
    // other could be a pupil's, naming a folder of theirs for the class's record.
    const bool trusted = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == 0 &&
                         (st.st_mode & S_IWOTH) == 0;
    if (trusted) {
        std::array<char, 4096> buffer{};
        ssize_t n = 0;
        while (text.size() < confLimit && (n = ::read(fd, buffer.data(), buffer.size())) > 0)
            text.append(buffer.data(), std::size_t(n));
    }
    ::close(fd);
    if (!trusted) {
        named.origin = shown + " non è di root o altri possono scriverlo: passato sopra";
        return named;
    }
    const auto value = settingValue(text, folderKey);
    if (!value)
        return named;
    named.origin = shown;
    named.folder = std::filesystem::path(*value);
    if (!named.folder.is_absolute())
        named.error = "la cartella indicata in " + shown + " non è un percorso assoluto: " + *value;
    return named;
}

std::string locksStayHere(const std::filesystem::path& folder)
{
    const auto device = deviceOf(folder);
    return device ? locksStayHere(mountTable(), device->major, device->minor, device->path)
                  : std::string();
}

std::string fileSystemOf(const std::filesystem::path& folder)
{
    const auto device = deviceOf(folder);
    return device ? fileSystemOf(mountTable(), device->major, device->minor, device->path)
                  : std::string();
}

} // namespace sorvane::platform
