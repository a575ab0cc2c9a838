#pragma once

// A path on the command line, and printed back, as each system has it. Free of Qt.

#include <filesystem>
#include <string>

namespace sorvane::platform {

// Argument `index` of the command line as a path, exactly as it was given: its bytes on POSIX,
// the wide command line on Windows. Empty when there is no such argument.
std::filesystem::path argumentPath(int argc, char* argv[], int index);

// A path as it is printed: its bytes on POSIX, UTF-8 on Windows.
std::string printablePath(const std::filesystem::path& path);

} // namespace sorvane::platform
