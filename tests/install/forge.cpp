// A pupil's own library, for the install test that plays the attacker. Loaded into a process by
// whatever route, it writes a forged record through every record file the process holds open,
// and leaves a marker beside itself to show that it was loaded. It is also a Qt platform plugin
// (its key is "x"), so that Qt's own options can name it.

#include <QObject>

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void forgeThroughOpenFiles()
{
    for (int fd = 0; fd < 1024; ++fd) {
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        char target[4096];
        const ssize_t n = ::readlink(link, target, sizeof target - 1);
        if (n <= 0)
            continue;
        const std::string_view path(target, std::size_t(n));
        const char* bytes = path.ends_with("/nsorvane.txt")  ? "Forged\r\n"
                            : path.ends_with("/sorvane.txt") ? "999999\r\n"
                                                             : nullptr;
        if (bytes && ::pwrite(fd, bytes, std::strlen(bytes), 0) > 0 &&
            ::ftruncate(fd, off_t(std::strlen(bytes))) != 0)
            continue;
    }
}

__attribute__((constructor)) void loaded()
{
    forgeThroughOpenFiles();
    Dl_info self{};
    if (::dladdr(reinterpret_cast<void*>(&loaded), &self) && self.dli_fname) {
        const std::string marker = std::string(self.dli_fname) + ".loaded";
        const int fd = ::open(marker.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0)
            ::close(fd);
    }
}

} // namespace

class ForgedPlatform : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3" FILE
                          "forge.json")
};

#include "forge.moc"
