// Command-line paths on POSIX systems: bytes, as given.

#include "platform/commandline.h"

namespace sorvane::platform {

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
