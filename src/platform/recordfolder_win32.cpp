// The record folder's setting and checks on Windows: the machine's registry, where Group
// Policy and the installers put the folder.

#include "platform/recordfolder.h"

#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace sorvane::platform {

namespace {

// A REG_SZ value of HKEY_LOCAL_MACHINE, in the 64-bit view that the installers write;
// empty when it is missing or empty.
std::wstring machineValue(const wchar_t* key, const wchar_t* name)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) !=
        ERROR_SUCCESS)
        return {};
    std::wstring value;
    DWORD bytes = 0;
    if (RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) ==
            ERROR_SUCCESS &&
        bytes >= sizeof(wchar_t)) {
        value.assign(bytes / sizeof(wchar_t), L'\0');
        if (RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
            ERROR_SUCCESS)
            value.clear();
        value.resize(wcsnlen(value.c_str(), value.size()));
    }
    RegCloseKey(opened);
    return value;
}

std::string utf8(const std::wstring& text)
{
    const std::u8string bytes = std::filesystem::path(text).u8string();
    return std::string(bytes.begin(), bytes.end());
}

// A whole path: a drive's (S:\sorvane) or a share's (\\server\share), which the C++ library
// of MinGW does not call absolute.
bool isWholePath(const std::wstring& path)
{
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    return std::filesystem::path(path).is_absolute() ||
           (path.size() > 2 && separator(path[0]) && separator(path[1]) && !separator(path[2]));
}

} // namespace

NamedFolder namedRecordFolder(const std::filesystem::path&)
{
    // Group Policy's value wins over the one an installer wrote.
    struct Place
    {
        const wchar_t* key;
        const char* shown;
    };
    for (const Place& place :
         {Place{L"SOFTWARE\\Policies\\Sorvane",
                "HKLM\\SOFTWARE\\Policies\\Sorvane\\CartellaRecord"},
          Place{L"SOFTWARE\\Sorvane", "HKLM\\SOFTWARE\\Sorvane\\CartellaRecord"}}) {
        const std::wstring value = machineValue(place.key, L"CartellaRecord");
        if (value.empty())
            continue;
        NamedFolder named{std::filesystem::path(value), place.shown, {}};
        if (!isWholePath(value))
            named.error = "la cartella indicata in " + std::string(place.shown) +
                          " non è un percorso completo: " + utf8(value);
        return named;
    }
    return {};
}

std::string locksStayHere(const std::filesystem::path&)
{
    // Windows' own SMB client always sends its locks to the server.
    return {};
}

std::string fileSystemOf(const std::filesystem::path& folder)
{
    wchar_t volume[MAX_PATH + 1] = {};
    wchar_t type[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(folder.c_str(), volume, MAX_PATH) ||
        !GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, type, MAX_PATH))
        return {};
    std::string said = utf8(type) + ", sul volume " + utf8(volume);
    if (GetDriveTypeW(volume) == DRIVE_REMOTE)
        said += " (una condivisione di rete)";
    return said;
}

} // namespace sorvane::platform
