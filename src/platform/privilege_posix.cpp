// The privilege of a set-group-id game on POSIX systems.

#include "platform/privilege.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/auxv.h>
#include <unistd.h>

extern char** environ;

namespace sorvane::platform {

namespace {

// Qt's own variables that name a file or folder to load plugins, styles, themes or settings
// from, and those of the libraries a Qt program may load (GTK through a platform theme,
// fontconfig, GIO, the input methods). The C library already drops its own (LD_PRELOAD and
// the like) from a privileged program.
constexpr std::array unsafeVariables{
    "QT_PLUGIN_PATH",
    "QT_QPA_PLATFORM_PLUGIN_PATH",
    "QT_QPA_PLATFORMTHEME",
    "QT_QPA_GENERIC_PLUGINS",
    "QT_QPA_FONTDIR",
    "QT_STYLE_OVERRIDE",
    "QT_IM_MODULE",
    "QT_IM_MODULES",
    "QT_XCB_GL_INTEGRATION",
    "QT_QPA_EGLFS_INTEGRATION",
    "QT_WAYLAND_SHELL_INTEGRATION",
    "QT_WAYLAND_CLIENT_BUFFER_INTEGRATION",
    "QT_WAYLAND_DECORATION",
    "QT_OPENGL_DLL",
    "QT_LOGGING_CONF",
    "QT_CONF_PATH",
    "QT_ACCESSIBILITY_BRIDGE",
    "QT_XKB_CONFIG_ROOT",
    "GTK_MODULES",
    "GTK3_MODULES",
    "GTK_PATH",
    "GTK_IM_MODULE",
    "GTK_IM_MODULE_FILE",
    "GTK_EXE_PREFIX",
    "GTK_DATA_PREFIX",
    "GIO_EXTRA_MODULES",
    "GIO_MODULE_DIR",
    "GDK_PIXBUF_MODULE_FILE",
    "GDK_PIXBUF_MODULEDIR",
    "FONTCONFIG_FILE",
    "FONTCONFIG_PATH",
    "FONTCONFIG_SYSROOT",
    "XCOMPOSEFILE",
    "XLOCALEDIR",
    "XDG_CONFIG_HOME",
    "XDG_CONFIG_DIRS",
    "XDG_DATA_HOME",
    "XDG_DATA_DIRS",
};

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

void removeUnsafeEnvironment()
{
    for (const char* name : unsafeVariables)
        ::unsetenv(name);
}

std::filesystem::path argumentPath(int argc, char* argv[], int index)
{
    if (index < 0 || index >= argc)
        return {};
    return std::filesystem::path(std::string(argv[index]));
}

std::string printablePath(const std::filesystem::path& path)
{
    return path.native();
}

} // namespace sorvane::platform
