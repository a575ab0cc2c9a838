// Command-line paths on Windows: the wide command line, which holds every folder's name.

#include "platform/commandline.h"

#include <windows.h>

#include <shellapi.h>

namespace sorvane::platform {

std::filesystem::path argumentPath(int, char*[], int index)
{
    // The narrow arguments are in the ANSI code page, which cannot hold every folder's name.
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args)
        return {};
    std::filesystem::path path;
    if (index >= 0 && index < count)
        path = std::filesystem::path(args[index]);
    LocalFree(args);
    return path;
}

std::string printablePath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace sorvane::platform
