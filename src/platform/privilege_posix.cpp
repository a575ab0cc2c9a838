// The privilege of a set-group-id game on POSIX systems.

#include "platform/privilege.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/auxv.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace sorvane::platform {

namespace {

// The shape a kept variable's value must have; a value of any other shape is dropped.
enum class Shape
{
    Display, // an X display: "host:0.0", letters, digits and . _ : / -
    Path,    // an absolute path
    Buses,   // D-Bus addresses, each of them a socket ("unix:"), never "unixexec:" or
             // "autolaunch:", which start a program
    Locale,  // a locale's name, or a list of them: letters, digits and _ . @ : -, never a '/'
    Switch,  // "0" or "1"
    Setting, // a plain value: letters, digits and . , ; = _ -
};

struct Kept
{
    const char* name;
    Shape shape;
};

// All that a game started privileged keeps of the environment it was given; everything else is
// dropped, whatever its name. Not one of these names code or settings to load: each says where
// the game is shown, with whom it talks, in which language, or at which size.
constexpr std::array kept{
    // The X server that shows the window, and the file of cookies that lets the game in: the
    // server sends events and takes pictures, never code.
    Kept{"DISPLAY", Shape::Display},
    Kept{"XAUTHORITY", Shape::Path},
    // The session's bus, the accessibility bus beside it through which a screen reader reads
    // the game, and the folder of the session's sockets, where the session's bus lies when no
    // address is given: a bus carries messages, never code. Only sockets are kept: the other
    // kinds of address start a program.
    Kept{"DBUS_SESSION_BUS_ADDRESS", Shape::Buses},
    Kept{"AT_SPI_BUS_ADDRESS", Shape::Buses},
    Kept{"XDG_RUNTIME_DIR", Shape::Path},
    // Qt's switches that turn its accessibility bridge on before a screen reader asks.
    Kept{"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", Shape::Switch},
    Kept{"QT_ACCESSIBILITY", Shape::Switch},
    // Language and locale, by name: the C library of a privileged program reads a locale from
    // the system's own folders only, and a name with a '/' is dropped here first.
    Kept{"LANG", Shape::Locale},
    Kept{"LANGUAGE", Shape::Locale},
    Kept{"LC_ALL", Shape::Locale},
    Kept{"LC_CTYPE", Shape::Locale},
    Kept{"LC_NUMERIC", Shape::Locale},
    Kept{"LC_TIME", Shape::Locale},
    Kept{"LC_COLLATE", Shape::Locale},
    Kept{"LC_MONETARY", Shape::Locale},
    Kept{"LC_MESSAGES", Shape::Locale},
    Kept{"LC_PAPER", Shape::Locale},
    Kept{"LC_NAME", Shape::Locale},
    Kept{"LC_ADDRESS", Shape::Locale},
    Kept{"LC_TELEPHONE", Shape::Locale},
    Kept{"LC_MEASUREMENT", Shape::Locale},
    Kept{"LC_IDENTIFICATION", Shape::Locale},
    // The screen's scale, as desktops set it for a screen of high density: numbers.
    Kept{"QT_SCALE_FACTOR", Shape::Setting},
    Kept{"QT_SCREEN_SCALE_FACTORS", Shape::Setting},
    Kept{"QT_ENABLE_HIGHDPI_SCALING", Shape::Switch},
    Kept{"QT_SCALE_FACTOR_ROUNDING_POLICY", Shape::Setting},
    Kept{"QT_FONT_DPI", Shape::Setting},
};

// What the game chooses itself, whatever it was given.
constexpr std::array<std::array<const char*, 2>, 2> chosen{{
    // X11, whose plugin is Qt's own, from Qt's own folder.
    {"QT_QPA_PLATFORM", "xcb"},
    // The game draws with the raster engine: no GL library is loaded, nor any of the drivers
    // that one would load.
    {"QT_XCB_GL_INTEGRATION", "none"},
}};

bool onlyOf(std::string_view value, std::string_view allowed)
{
    return std::all_of(value.begin(), value.end(), [allowed](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               allowed.find(c) != std::string_view::npos;
    });
}

bool hasShape(std::string_view value, Shape shape)
{
    if (value.empty())
        return false;
    switch (shape) {
    case Shape::Display:
        return value.find(':') != std::string_view::npos && onlyOf(value, "._:/-");
    case Shape::Path:
        return value.front() == '/' &&
               std::none_of(value.begin(), value.end(), [](char c) { return c > 0 && c < 0x20; });
    case Shape::Buses:
        for (std::size_t start = 0; start <= value.size();) {
            const std::size_t end = std::min(value.find(';', start), value.size());
            const std::string_view address = value.substr(start, end - start);
            if (!address.empty() && (!address.starts_with("unix:") || !onlyOf(address, ":=,._/-%")))
                return false;
            start = end + 1;
        }
        return true;
    case Shape::Locale:
        return onlyOf(value, "_.@:-");
    case Shape::Switch:
        return value == "0" || value == "1";
    case Shape::Setting:
        return onlyOf(value, ".,;=_-");
    }
    return false;
}

} // namespace

bool startedPrivileged()
{
    // The kernel's own word: set for a set-group-id or set-user-id start, whatever the
    // identities look like now.
    return ::getauxval(AT_SECURE) != 0;
}

SysError dropPrivilege()
{
    const gid_t group = ::getgid();
    const uid_t user = ::getuid();
    if (::setresgid(group, group, group) != 0 || ::setresuid(user, user, user) != 0)
        return {errno};
    gid_t rg = 0, eg = 0, sg = 0;
    uid_t ru = 0, eu = 0, su = 0;
    if (::getresgid(&rg, &eg, &sg) != 0 || ::getresuid(&ru, &eu, &su) != 0)
        return {errno};
    if (rg != group || eg != group || sg != group || ru != user || eu != user || su != user)
        return {EPERM};
    return {};
}

bool keepSafeEnvironment()
{
    std::vector<std::pair<std::string, std::string>> keep;
    for (const Kept& k : kept) {
        const char* value = std::getenv(k.name);
        if (value && hasShape(value, k.shape))
            keep.emplace_back(k.name, value);
    }
    // Without its own variable the X cookie is in the home folder, which is not kept.
    const char* home = std::getenv("HOME");
    if (!std::getenv("XAUTHORITY") && home && hasShape(home, Shape::Path))
        keep.emplace_back("XAUTHORITY", std::string(home) + "/.Xauthority");
    if (::clearenv() != 0)
        return false;
    for (const auto& [name, value] : keep)
        ::setenv(name.c_str(), value.c_str(), 1);
    for (const auto& [name, value] : chosen)
        ::setenv(name, value, 1);
    return std::getenv("DISPLAY") != nullptr;
}

// ---- Files opened by a child with the program's rights ----------------------------------------

namespace {

// The most files and the longest note that are ever handed over.
constexpr std::size_t mostFiles = 8;
constexpr std::size_t longestNote = 2048;

struct Entry
{
    std::int32_t error;
    std::uint8_t hasHandle;
};

void send(int socket, const HandedFiles& handed)
{
    std::vector<char> bytes;
    const auto append = [&bytes](const void* data, std::size_t size) {
        bytes.insert(bytes.end(), static_cast<const char*>(data),
                     static_cast<const char*>(data) + size);
    };
    const std::uint32_t count = std::uint32_t(std::min(handed.files.size(), mostFiles));
    append(&count, sizeof count);
    std::vector<int> handles;
    for (std::size_t i = 0; i < count; ++i) {
        const Handed& f = handed.files[i];
        const Entry entry{f.error, std::uint8_t(f.handle >= 0)};
        append(&entry, sizeof entry);
        if (f.handle >= 0)
            handles.push_back(int(f.handle));
    }
    append(handed.note.data(), std::min(handed.note.size(), longestNote));
    iovec part{bytes.data(), bytes.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    std::vector<char> control(CMSG_SPACE(sizeof(int) * mostFiles));
    if (!handles.empty()) {
        message.msg_control = control.data();
        message.msg_controllen = CMSG_SPACE(sizeof(int) * handles.size());
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int) * handles.size());
        std::memcpy(CMSG_DATA(header), handles.data(), sizeof(int) * handles.size());
    }
    while (::sendmsg(socket, &message, MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
}

HandedFiles receive(int socket)
{
    std::vector<char> bytes(sizeof(std::uint32_t) + mostFiles * sizeof(Entry) + longestNote);
    std::vector<char> control(CMSG_SPACE(sizeof(int) * mostFiles));
    iovec part{bytes.data(), bytes.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    ssize_t got = 0;
    do {
        got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    std::vector<int> handles;
    for (cmsghdr* h = CMSG_FIRSTHDR(&message); h; h = CMSG_NXTHDR(&message, h)) {
        if (h->cmsg_level == SOL_SOCKET && h->cmsg_type == SCM_RIGHTS) {
            handles.resize((h->cmsg_len - CMSG_LEN(0)) / sizeof(int));
            std::memcpy(handles.data(), CMSG_DATA(h), handles.size() * sizeof(int));
        }
    }
    HandedFiles handed;
    std::uint32_t count = 0;
    if (got < ssize_t(sizeof count)) {
        for (int fd : handles)
            ::close(fd);
        handed.note = "il processo che apre i file dei record è finito senza aprirli";
        return handed;
    }
    std::memcpy(&count, bytes.data(), sizeof count);
    count = std::min<std::uint32_t>(count, mostFiles);
    std::size_t at = sizeof count;
    std::size_t next = 0;
    for (std::uint32_t i = 0; i < count && at + sizeof(Entry) <= std::size_t(got); ++i) {
        Entry entry{};
        std::memcpy(&entry, bytes.data() + at, sizeof entry);
        at += sizeof entry;
        Handed f{-1, entry.error};
        if (entry.hasHandle && next < handles.size())
            f.handle = handles[next++];
        handed.files.push_back(f);
    }
    handed.note.assign(bytes.data() + at, std::size_t(got) - std::min(at, std::size_t(got)));
    for (; next < handles.size(); ++next)
        ::close(handles[next]);
    return handed;
}

} // namespace

OpenedElsewhere::OpenedElsewhere(const std::function<HandedFiles()>& open)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
        ready_ = open();
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // The child leaves at once and its own child does the work, so that nobody has to
        // wait for it when it is done: it belongs to the system from then on.
        ::close(pair[0]);
        if (::fork() != 0)
            ::_exit(0);
        send(pair[1], open());
        ::_exit(0);
    }
    ::close(pair[1]);
    if (child < 0) {
        ::close(pair[0]);
        ready_ = open();
        return;
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    socket_ = pair[0];
}

OpenedElsewhere::~OpenedElsewhere()
{
    if (socket_ >= 0)
        ::close(socket_);
}

HandedFiles OpenedElsewhere::take()
{
    if (!ready_) {
        ready_ = receive(socket_);
        ::close(socket_);
        socket_ = -1;
    }
    return std::move(*ready_);
}

} // namespace sorvane::platform
